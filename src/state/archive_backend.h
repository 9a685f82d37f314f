// The entry of one archive format, and what its operations take.
#ifndef MARLOX_STATE_ARCHIVE_BACKEND_H
#define MARLOX_STATE_ARCHIVE_BACKEND_H

#include <string>

#include "state/archive_context.h"

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

// One format as the rest of the program sees it: how its archives are listed, extracted and
// opened, what the user may do with them, and what the format keeps for itself (the library it
// bound, the members it extracted before). Each format is registered once at start-up
// (AppState::formats); the program asks the open archive's entry, never which format it is.
class ArchiveBackend {
  public:
    virtual ~ArchiveBackend() = default;
    // Lists the archive at ctx.state.archive_path() into the view and ctx.listing.
    virtual void list(ArchiveContext& ctx) = 0;
    // Extracts every member into choices.target_folder.
    virtual void extract_all(ArchiveContext& ctx, const ExtractChoices& choices) = 0;
    // Extracts the members of the rows whose names match choices.pattern or, when the pattern
    // is empty, those of the selected rows into choices.target_folder.
    virtual void extract_chosen(ArchiveContext& ctx, const ExtractChoices& choices) = 0;
    // Extracts every member with its folders into `folder` for a conversion, asking nothing;
    // false when any member could not be extracted.
    virtual bool extract_everything(ArchiveContext& ctx, const std::string& folder) = 0;
    // Opens a member in its program or a viewer (files/opening.h).
    virtual void open_member(ArchiveContext& ctx, const OpenRequest& request) = 0;

    const char* extension = "";   // of its archives, lower case, without the dot
    bool can_add = false;         // files can be added to it
    bool can_delete = false;      // members can be deleted from it
    bool can_encipher = false;    // it can be protected with a password
    bool can_select = false;      // the extract dialog offers the selected rows
    bool can_match = false;       // the extract dialog offers a pattern
    bool can_setup = false;       // setup programs in it can be run
    bool has_properties = false;  // its properties can be shown
    // "\" splits a member name into folders as "/" does (in a ZIP name it is a character).
    bool backslash_splits_names = false;
    // A conversion says message 75 while the new archive is put in place.
    bool announces_copying = false;
};

#endif
