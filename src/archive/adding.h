// Adding files to a ZIP archive: the new-archive start, the add command, the add operation with
// its three path modes, and the packing of dropped or given items into a new archive.
//
// How the window side uses it:
// - "neu": the command asks for a file with the save requester; when the answer is not empty it
//   calls new_archive_command with it (the overwrite question and the rest happen here).
// - "hinzufügen" on a ZIP archive: add_command.
// - A drop: drop_items with the dropped paths in drop order, whatever is open.
// - A command-line argument that is no archive: pack_given_items with all arguments.
// - The add dialog is ArchiveView::run_add_dialog. It opens with add_dialog_defaults. On OK it
//   calls take_add_selection with its list folder, its list entries and the state of "inc.
//   Verzeichnisse" (with the items given: an empty folder and no entries, so that only the given
//   folders are expanded, when the box is checked), sets the progress range to the pending size
//   total when that is above 0, and returns the checked mode and the list folder.
//   Switching "inc. Verzeichnisse" on disables mode 0 (checking mode 1 if 0 was checked); off
//   enables it again. "Hilfe" shows add_help_text under title message 77, information icon.
#ifndef MARLOX_ARCHIVE_ADDING_H
#define MARLOX_ARCHIVE_ADDING_H

#include <string>
#include <vector>

#include "runtime/os.h"
#include "state/app_state.h"
#include "state/archive_context.h"

// ---- naming ------------------------------------------------------------------------------

// The name the new-archive command gives: `path` itself when its file name ends in ".zip" in
// any case (Backup.ZIP), otherwise `path` + ".zip" (Backup.dat.zip).
std::string with_zip_extension(const std::string& path);

// Where the add operation takes a file from and the member name it stores.
struct AddName {
    std::string base;  // the folder the name is taken relative to
    std::string name;  // the member name; empty: the file is not added
};

// Forms base and name of the file `path` for a path mode:
// 0: the folder part and the file name;
// 1: the path below `list_folder` (compared ignoring case); a path not below it, or any path
//    when `list_folder` is empty, is named from below its drive root as in mode 2;
// 2: the path below its drive root ("C:\", or "\\server\share\" for a network path).
// In modes 1 and 2 every "\" of base and name becomes "/". Other modes give an empty name.
AddName add_name(const std::string& path, int mode, const std::string& list_folder);

// The base name pack_items starts from after a drop: the first pending file, otherwise the first
// pending folder without its trailing "\", otherwise "zip.zip" in the program folder.
std::string drop_base_name(const PendingItems& pending);

// The archive pack_items creates for `base`: when the extension of its file name is "zip" (any
// case), the base's folder + "packed_dd_mm_yyyy_hh_mm_ss_.zip" from `now`; otherwise the base
// without its extension, + ".zip" (notes.txt -> notes.zip, C:\work\src -> C:\work\src.zip).
std::string pack_archive_name(const std::string& base, const os::SystemTime& now);

// ---- the pending items -------------------------------------------------------------------

// Files one dropped or given path into the pending items: a folder goes to the pending folders
// with a trailing "\" and sets the folders-included mark; anything else goes to the pending
// files and its size is added to the pending size total. An empty path is skipped.
void collect_item(PendingItems& pending, const std::string& path);

// One entry of the add dialog's file list.
struct AddListEntry {
    std::string name;  // bare name as the list shows it
    bool folder = false;
    bool selected = false;
};

// The add dialog's OK: every selected file of the list becomes a pending file (list folder +
// name, its size added to the total; none when the list folder is empty), every selected folder
// but "." and ".." a pending folder (list folder + name + "\"). Then, with `include_folders`,
// expand_pending_folders.
void take_add_selection(PendingItems& pending, const std::string& list_folder,
                        const std::vector<AddListEntry>& entries, bool include_folders);

// Expands the pending folders as a queue, including folders appended while it runs: each
// folder's files are appended to the pending files (sizes to the total), each subfolder to the
// end of the queue. Empty folders add nothing.
void expand_pending_folders(PendingItems& pending);

// How the add dialog opens: the checked mode, and which controls may be used.
struct AddDialogDefaults {
    int mode = 0;
    bool mode0_enabled = true;
    bool list_enabled = true;
    bool include_folders_checked = false;
    bool include_folders_enabled = true;
};
// Without items given: mode 0, everything enabled. Items given with a folder among them: mode 1,
// mode 0 disabled, list disabled, "inc. Verzeichnisse" checked and disabled. Items given without
// a folder: mode 0, list and "inc. Verzeichnisse" disabled.
AddDialogDefaults add_dialog_defaults(const PendingItems& pending, bool items_given);

// The text of the dialog's help box.
std::string add_help_text(const MessageTable& messages);

// ---- the operations ----------------------------------------------------------------------

// Asks, when settings.safe is 1 and `path` is a file of more than 0 bytes, whether to replace
// it (title message 50, message 0 + message 172 + "\n\n" + message 173, Yes/No, warning icon).
// True: go on (no question, or Yes).
bool confirm_overwrite(ArchiveContext& ctx, const std::string& path);

// The new-archive command after the save requester answered `chosen` (empty: cancelled):
// empties the list, asks confirm_overwrite for the name, then start_new_archive.
void new_archive_command(ArchiveContext& ctx, const std::string& chosen);

// Starts a new archive at ctx.state.archive_path() (nothing when it is empty): opens it under
// the ".zip" rule, creates it empty (0 bytes until the first addition) and runs add_command. A
// cancelled dialog leaves the 0-byte file and the list as it was. With `keep_existing` (the
// listing's start for a real archive without members) the file is opened as it is, so its end
// record and comment stay. A file that cannot be created is reported (title message 42, messages 55
// and 56, error icon) and no archive is open. Returns the path mode of the dialog; when it is not
// -1 the archive has been listed again.
int start_new_archive(ArchiveContext& ctx, bool keep_existing = false);

// The add command on the open ZIP archive: opens it unless the engine holds it open, empties the
// pending items, runs the add dialog and, unless it was cancelled, add_files. Returns the mode.
int add_command(ArchiveContext& ctx);

// Adds every pending file under the name add_name forms, in one batch of the engine, moving the
// progress value by each file's size; then closes the archive and
// lists the archive again. An archive file shorter than 2 bytes is started afresh. The archive
// itself is skipped. Every file that is not in the archive afterwards (it vanished or could not
// be read, the archive could not take it or could not be written) is named in one warning box
// after the listing: title message 25, message 58, the count and message 57, then the first ten
// paths and "..." for more.
void add_files(ArchiveContext& ctx, const AddChoice& choice);

// A drop of `paths` on the window: on an open ZIP archive the items are added through the add
// dialog (which then shows no file list); with nothing open they are packed into a new
// archive named from drop_base_name; on a RAR or CAB archive nothing happens.
void drop_items(ArchiveContext& ctx, const std::vector<std::string>& paths);

// The command line's files and folders (`arguments`, the first one not an archive): packs them
// all into a new archive named after the first argument.
void pack_given_items(ArchiveContext& ctx, const std::vector<std::string>& arguments);

// Packs the pending items into a new archive named pack_archive_name(base, now): asks
// confirm_overwrite (No: no archive is open), creates the archive, runs the add dialog
// without its file list and, unless cancelled, add_files.
void pack_items(ArchiveContext& ctx, const std::string& base);

#endif
