// Extraction of ZIP members into a folder, and what the extract dialog needs to offer its
// choices and to check the target folder.
//
// How the window side uses it: the extract command counts the selected rows and shows the
// dialog with extract_defaults; on OK the dialog calls confirm_target_writable for the folder
// its tree shows (false: a box was shown, keep the dialog open), then closes and hands its
// ExtractChoices to the extraction of the archive's format (state/archive_backend.h).
//
// The settings' `safe` value is never changed here: the dialog's overwrite option travels in
// ExtractChoices::ask_before_overwriting for this one extraction, so the setting is the same
// afterwards whichever option was chosen, and nobody has to restore it.
#ifndef MARLOX_ARCHIVE_EXTRACTION_H
#define MARLOX_ARCHIVE_EXTRACTION_H

#include <string>

#include "state/archive_backend.h"
#include "state/archive_context.h"

// How the dialog opens.
struct ExtractDefaults {
    int mode = 1;                   // the checked selection option, 1 or 2
    bool selected_enabled = false;  // "selected rows" may be chosen
    bool pattern_enabled = false;   // "rows matching the pattern" may be chosen (ZIP only)
    bool ask_before_overwriting = true;
};

// With rows selected and a format that offers them, "selected rows" is checked; otherwise "all
// members" is checked and "selected rows" disabled. The pattern is offered as the format says.
// Asking follows `safe`.
ExtractDefaults extract_defaults(int selected_rows, const ArchiveBackend& backend, int safe);

// The overwrite question of every extraction, for member `name` about to be written at `path`:
// with `ask` on and a file of at least 1 byte there, the user is asked (title message 50,
// message 0 + " " + name + message 172, an empty line, message 173; Yes/No, warning icon).
// True: write it (no question, or Yes); an empty file or a folder of that name is not asked
// about.
bool may_overwrite(ArchiveContext& ctx, const std::string& path, const std::string& name, bool ask);
// The same for a UTF-8 `path` (os::unicode).
bool may_overwrite_unicode(ArchiveContext& ctx, const std::string& path, const std::string& name,
                           bool ask);

// Whether a file can be created in `folder` (ending in "\"): creates, closes and deletes a probe
// file "lazarus.file", or "lazarus_1.file", ... whichever does not exist yet, so an existing
// file of that name is never touched. An empty folder is not writable.
bool target_is_writable(const std::string& folder);

// The dialog's check on OK: true when `folder` is writable; otherwise shows title message 42
// with messages 185, 186 and 187 on three lines and a warning icon, and returns false.
bool confirm_target_writable(ArchiveContext& ctx, const std::string& folder);

// What an operation left out, in one box under title message `title` (warning icon): message
// 58, an empty line, their number + message 57 + ":" and the first ten names, one a line ("..."
// after them when there are more). No box when `names` is empty.
void report_left_out(ArchiveContext& ctx, int title, const std::vector<std::string>& names);

// After an extraction: the members that could not be extracted, under title message 50.
void report_not_extracted(ArchiveContext& ctx);

// The question for the password of encrypted members: an input requester with stars, title
// message 191 (after a wrong password message 190), text message 192 and a cancel button of
// message 34. The password entered; empty when cancelled or nothing was entered.
std::string ask_member_password(ArchiveContext& ctx, bool after_wrong);

// Extracts members of the open ZIP archive asking for their password: the first encrypted member
// asks unless a password was given for the archive before (AppState::archive_password), every
// one after it tries that password first, and a wrong one asks again (the engine's
// kZipBadPassword: its check value, CRC-32 or authentication code failed; nothing was written).
// Cancel gives up that member and every encrypted member after it without asking again, so they
// end up among the members not extracted. Members without encryption never ask.
class PasswordedExtraction {
  public:
    explicit PasswordedExtraction(ArchiveContext& ctx) : ctx_(ctx) {}
    // zip_extract(ctx.zip, target, member), asking as above; its result.
    int extract(const std::string& target, int member);

  private:
    ArchiveContext& ctx_;
    bool asked_ = false;
    bool cancelled_ = false;
};

// Extracts every member of the archive at ctx.state.archive_path() into choices.target_folder.
// Also used by the setup run, with the temporary folder and no overwrite questions.
//
// Each member lands under its own name (zip_real_name). For each member: with asking on and an
// existing file of at least 1 byte where the member lands, the user is asked (title message 50,
// message 0 + " " + name + message 172, an empty line, message 173; Yes/No, warning icon) and No
// skips it; then the member is extracted, asking for the password of encrypted members as
// PasswordedExtraction does, and, when that succeeded, its file gets the member's date (folder
// members are not dated).
// While it runs the list is disabled, status field 1 shows the member's name and the progress
// value moves by 100 / count per member, or by 1 over a range of 0..count when that is below 1.
// At the end the progress range is 0..100 with the value 0 and status field 1 is empty.
void extract_all_zip(ArchiveContext& ctx, const ExtractChoices& choices);

// Extracts the rows chosen in the list, in display order: the selected rows when the pattern is
// empty, otherwise the rows whose name matches the pattern ignoring case. A row's member is the
// first member of its own name (member_of_row), so of two equal names the first is extracted. The
// progress moves per row of the list as extract_all_zip moves it per member.
void extract_chosen_zip(ArchiveContext& ctx, const ExtractChoices& choices);

// Extracts every member of the archive at ctx.state.archive_path() into `folder` for re-packing,
// asking nothing (encrypted members are not extracted): files with their dates (empty files too),
// no folder entries. The progress and status field 1 move as in extract_all_zip. False when any
// member could not be extracted.
bool extract_zip_everything(ArchiveContext& ctx, const std::string& folder);

#endif