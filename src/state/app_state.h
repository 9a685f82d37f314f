// The application state the command handlers pass to each other: one instance, owned with the
// rest of the program's state (program_state.h).
#ifndef MARLOX_STATE_APP_STATE_H
#define MARLOX_STATE_APP_STATE_H

#include <cstdint>
#include <string>
#include <vector>

#include "state/archive_kind.h"

// The files and folders a drop, the command line or the add dialog hand to the add operation.
struct PendingItems {
    std::vector<std::string> files;
    std::vector<std::string> folders;  // each ending in "\"; also the queue of the expansion
    bool folders_included = false;     // a folder was collected
    int64_t size_total = 0;            // the sizes of the files, for the progress bar

    void clear() { *this = PendingItems(); }
};

struct AppState {
    std::string archive_path;                       // full path of the open archive; empty: none
    ArchiveKind archive_kind = ArchiveKind::kNone;  // always from the path's extension
    bool quit = false;
    PendingItems pending;
    int progress = 0;  // the value the progress callback copies into the progress bar
};

#endif
