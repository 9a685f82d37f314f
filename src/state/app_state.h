// The application state the command handlers pass to each other: one instance, owned by the
// application object.
#ifndef MARLOX_STATE_APP_STATE_H
#define MARLOX_STATE_APP_STATE_H

#include <cstdint>
#include <string>
#include <vector>

struct AppState {
    std::string archive_path;  // full path of the open archive; empty: none
    std::string archive_kind;  // "zip", "rar", "cab" or empty, always from the extension
    bool writer_open = false;  // the ZIP engine holds the archive open for adding
    bool items_given = false;  // the add dialog works on the pending items
    bool quit = false;
    bool default_program = true;  // open members with their registered program
    std::string chosen_viewer;
    std::string chosen_setup_program;
    int selected_entry = 0;  // position in the member-name list found by open_entry
    std::vector<std::string> pending_files;
    std::vector<std::string> pending_folders;  // each ending in "\"
    bool folders_included = false;
    int64_t pending_size_total = 0;
    int progress = 0;  // the value the progress callback copies into the progress bar
};

#endif
