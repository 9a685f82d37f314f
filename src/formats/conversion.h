// Turning the open archive into a ZIP archive beside it: a RAR or cabinet archive becomes a ZIP
// archive of the same base name, a ZIP archive is packed anew under its own name. Every format
// works the same way: extract every member into a private work folder, pack that folder's tree
// into a new archive in the target's folder, check it, and put it in the target's place by one
// rename. The user's files are never at risk:
//   - nothing replaces the target unless every member of the source was extracted to a file
//     of its own (members whose names Windows takes as one name would meet in one file) and the
//     new archive holds every file with its size and CRC-32; otherwise message 76 under title
//     42 is shown and the target is as it was;
//   - an existing target that is not the archive itself is replaced only after a Yes to the
//     overwrite question (when `safe` is 1); the archive itself is known as the file system
//     knows it, so "X.ZIP" is packed anew as itself;
//   - the work folder is the program's own and goes when the conversion ends; walking it and
//     removing it never passes through a link.
#ifndef MARLOX_FORMATS_CONVERSION_H
#define MARLOX_FORMATS_CONVERSION_H

#include <string>

#include "state/archive_backend.h"

// The ZIP archive a conversion makes of `archive`: its folder, its file name without the last
// four characters (the dot and the extension), ".zip". For a ZIP archive, its own path.
std::string conversion_target(const std::string& archive);

// `convert_to_zip`: converts the open archive, of the format `backend`, with the list
// disabled meanwhile; shows message 75 while the result is put in place (re-packing and
// cabinets). Afterwards the target is the open archive, listed as ZIP; after a failure the
// source stays open.
void convert_to_zip(ArchiveContext& ctx, ArchiveBackend& backend);

// `pack_folder_tree`: packs every file below `root` into the new archive at `archive`,
// breadth-first: a folder's files in the order the file system gives them, its subfolders
// after all the files found before them; names below the root joined with "/"; empty folders
// and links give no member. The progress value goes down by one per file, and status field 1
// shows "bearbeite: " and the name. True when every file was added and the archive, read back,
// holds them all with their sizes and CRC-32s.
bool pack_folder_tree(ArchiveContext& ctx, const std::string& root, const std::string& archive);

#endif
