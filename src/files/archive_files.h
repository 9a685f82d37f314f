// The open archive as a file: copying it to another folder, moving it, renaming it and showing
// its properties. Copy, move and rename make the archive at its new place the open one and list
// it again with its format's entry; the list takes no input meanwhile.
//
// A file of the archive's name in the chosen folder is replaced only after a Yes to the
// overwrite question (with `safe` on); a copy replaces it in one rename once it is complete, and
// moving deletes the archive only after such a complete copy. A target that is the archive
// itself, under any spelling, changes nothing and shows the command's error box.
#ifndef MARLOX_FILES_ARCHIVE_FILES_H
#define MARLOX_FILES_ARCHIVE_FILES_H

#include <string>

#include "state/archive_backend.h"

// `copy_archive`, `move_archive`: asks for a folder ("kopieren nach...", "verschieben nach...");
// a failure shows "Fehler beim kopieren..." or "Fehler beim verschieben..." with its text.
void copy_archive(ArchiveContext& ctx, ArchiveBackend& backend);
void move_archive(ArchiveContext& ctx, ArchiveBackend& backend);

// `rename_archive`: asks for the new name without extension ("Neuer Name (ohne Endung!!)",
// preset: the current one); the extension becomes the format's in lower case. A name that exists
// already, or that holds a folder, shows "Fehler beim umbenennen".
void rename_archive(ArchiveContext& ctx, ArchiveBackend& backend);

// `show_archive_properties`: the totals of the last listing in an information box titled
// "Eigenschaften" (archive_properties_text).
void show_archive_properties(ArchiveContext& ctx);

// The text of the properties box: unpacked and packed total in MB above 1,000,000 bytes (else
// KB), the overall rate, each number with two decimals in a field of 5 characters and a decimal
// comma; then the archive's file name and folder as they are.
std::string archive_properties_text(const ListingState& listing);

#endif
