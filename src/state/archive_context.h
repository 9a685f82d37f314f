// What every archive operation works with: the shared state, the settings, the texts, the
// ZIP engine, the window (through ArchiveView), the prompter and the listing's results.
#ifndef MARLOX_STATE_ARCHIVE_CONTEXT_H
#define MARLOX_STATE_ARCHIVE_CONTEXT_H

#include <string>
#include <vector>

#include "state/app_state.h"
#include "state/messages.h"
#include "state/settings_file.h"
#include "state/temp_files.h"
#include "state/archive_view.h"
#include "runtime/prompt.h"
#include "zip/zip.h"

// What the last listing found; valid until the next listing.
struct ListingState {
    std::vector<std::string> member_names;  // archive order, duplicates kept
    std::vector<std::string> lookup_names;  // the same names, for finding member numbers
    int member_count = 0;
    float packed_total = 0, unpacked_total = 0, overall_rate = 0;
    std::vector<std::string> setup_candidates;
    bool setup_available = false;
    std::string archive_folder;  // with trailing "\"
    std::string archive_file_name;
};

struct ArchiveContext {
    AppState& state;
    Settings& settings;
    const MessageTable& messages;
    ZipEngine& zip;
    ArchiveView& view;
    Prompter& prompter;
    ListingState& listing;
    TempFiles& temp_files;
};

#endif
