// One kind of archive as the rest of the program sees it: how it is listed and extracted, and
// what the user may do with it. The table of the kinds is in app/backends.h; a new kind is one
// new entry there plus its own files.
#ifndef MARLOX_STATE_ARCHIVE_BACKEND_H
#define MARLOX_STATE_ARCHIVE_BACKEND_H

#include <string>

#include "state/archive_context.h"
#include "state/archive_kind.h"

// What the extract dialog chose.
struct ExtractChoices {
    std::string target_folder;  // ends in "\"; empty: nothing is extracted
    int mode = 1;               // 1 all members, 2 the selected rows, 3 rows matching the pattern
    std::string pattern;        // used in mode 3 only; an empty pattern means the selected rows
    bool ask_before_overwriting = true;
};

// What is opened: the member at `entry` in the member-name list (from 0), with `viewer` or, when
// that is empty, with its registered program; or, for a ZIP archive, the setup program
// `setup_program` (a member name) when one was chosen from the setup menu.
struct OpenRequest {
    int entry = 0;
    std::string viewer;
    std::string setup_program;
};

struct ArchiveBackend {
    ArchiveKind kind;
    // Lists the archive at ctx.state.archive_path into the view and ctx.listing.
    void (*list)(ArchiveContext& ctx);
    // Extracts every member, the members of the selected rows, or those of the rows whose
    // names match choices.pattern, into choices.target_folder.
    void (*extract_all)(ArchiveContext& ctx, const ExtractChoices& choices);
    void (*extract_selected)(ArchiveContext& ctx, const ExtractChoices& choices);
    void (*extract_matching)(ArchiveContext& ctx, const ExtractChoices& choices);
    // Extracts every member with its folders into `folder` for a conversion, asking nothing;
    // false when any member could not be extracted.
    bool (*extract_everything)(ArchiveContext& ctx, const std::string& folder);
    // Opens a member in its program or a viewer (files/opening.h).
    void (*open_member)(ArchiveContext& ctx, const OpenRequest& request);
    bool can_add;         // files can be added to it
    bool can_delete;      // members can be deleted from it
    bool can_encipher;    // it can be protected with a password
    bool can_select;      // the extract dialog offers the selected rows
    bool can_match;       // the extract dialog offers a pattern
    bool can_setup;       // setup programs in it can be run
    bool has_properties;  // its properties can be shown
};

#endif
