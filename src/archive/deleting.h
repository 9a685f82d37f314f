// Deleting members from a ZIP archive. The engine cannot cut a member out, so the archive is
// rebuilt from the members that stay and then put in place of the old one.
//
// How the window side uses it: the remove command asks its question (when `safe` is 1), and
// with at least one row selected on a ZIP archive calls delete_selected_members.
#ifndef MARLOX_ARCHIVE_DELETING_H
#define MARLOX_ARCHIVE_DELETING_H

#include "state/archive_context.h"

// Removes the members of the selected rows from the archive at ctx.state.archive_path().
//
// The list is disabled while it runs. The archive is rebuilt as tmp.zip in a new private folder
// of the temporary folder (no file of the user's there is touched), in the order of the rows as
// displayed; status field 1 counts the rows with messages 67 and 68. Each member that stays is
// streamed from the archive into the new one and re-packed at level 9, with its name, its date
// (to the minute, as a file dated with it would give it back; the moment of the deletion for a
// date no file can carry) and its attributes read-only, hidden, system and archive (archive when
// it has none of them); every member that stays must come back with its size and CRC-32, so a
// member that cannot be read (damaged, or encrypted) changes nothing. A row is matched to a
// member by all its column texts, then by name alone, each member used once; each row is read
// once. Folder members stay, as stored folder entries of their names, dates and attributes, so
// an empty folder the user packed is not lost.
//
// Then message 69: the rebuilt archive is copied beside the archive under a new name and put in
// the archive's place by renaming, so a full disk or a locked archive leaves the archive whole.
// Success: message 70, the archive is listed again, message 71, the work folder is removed.
// Any failure: title message 42, message 72, error icon; the archive and the list stay as they
// were. At the end the progress is 0 and status field 1 empty.
void delete_selected_members(ArchiveContext& ctx);

#endif
