// What every subsystem shares (ProgramState: one instance, owned by the application object;
// tests make their own), and what an archive operation works with (ArchiveContext): that state,
// the window through ArchiveView and the questions through the Prompter.
#ifndef MARLOX_STATE_ARCHIVE_CONTEXT_H
#define MARLOX_STATE_ARCHIVE_CONTEXT_H

#include <functional>
#include <string>
#include <vector>

#include "runtime/prompt.h"
#include "state/app_state.h"
#include "state/archive_view.h"
#include "state/messages.h"
#include "state/settings_file.h"
#include "state/temp_files.h"
#include "zip/zip.h"

// What the last listing found; valid until the next listing.
struct ListingState {
    std::vector<std::string> member_names;  // archive order, duplicates kept
    // Column kOwnNameColumn of each member's row, archive order; empty where the format gives
    // no own names.
    std::vector<std::string> own_names;
    int member_count = 0;
    float packed_total = 0, unpacked_total = 0, overall_rate = 0;
    std::vector<std::string> setup_candidates;  // archive order
    std::string archive_folder;                 // with trailing "\"
    std::string archive_file_name;
};

// The password a protected archive was opened with, and that archive: the program offers to
// protect the archive again with it, and uses it for nothing else.
struct StoredPassword {
    std::string password;
    std::string archive;
};

// A program to start on a file: `program` with `parameters`, or, when `program` is empty, the
// program the system has for `file`; in `working_folder`.
struct Launch {
    std::string file;
    std::string program;
    std::string parameters;
    std::string working_folder;
};

struct ProgramState {
    AppState state;
    Settings settings;
    MessageTable messages;
    ZipEngine zip;
    ListingState listing;
    TempFiles temp_files;
    StoredPassword stored_password;
    // Starts a program; the system's shell in the program, a recorder in tests. False when
    // nothing could be started.
    std::function<bool(const Launch&)> launch;
};

struct ArchiveContext {
    ArchiveContext(ProgramState& program_, ArchiveView& view_, Prompter& prompter_)
        : program(program_),
          state(program_.state),
          settings(program_.settings),
          messages(program_.messages),
          zip(program_.zip),
          listing(program_.listing),
          temp_files(program_.temp_files),
          view(view_),
          prompter(prompter_) {}

    ProgramState& program;  // everything shared; the members below are its parts
    AppState& state;
    Settings& settings;
    const MessageTable& messages;
    ZipEngine& zip;
    ListingState& listing;
    TempFiles& temp_files;
    ArchiveView& view;
    Prompter& prompter;
    // The members this operation could not extract (damaged, an unsupported method, a link, a
    // name the file system cannot hold, a file that could not be replaced, a password missing or
    // wrong), in the order met; a member the user chose to keep their own file for is not one of
    // them.
    std::vector<std::string> not_extracted;
};

#endif
