// Opening a member of the open archive in its program or in one of the user's viewers: what
// every format's opening shares.
//
// Every opening extracts into a private folder of its own inside the temporary folder (removed
// at exit, unless a program started from it still runs) and starts exactly the file that this
// opening wrote there; when the extraction failed, nothing is started. Names are confined to
// that folder as every extraction confines them, so nothing outside it is written; a member
// whose name had to be confined (one that tried to leave the folder) is never started.
#ifndef MARLOX_FILES_OPENING_H
#define MARLOX_FILES_OPENING_H

#include <string>

#include "state/archive_backend.h"

// A new private folder for one opening; empty when none can be made;
std::string opening_folder(ArchiveContext& ctx);
// the name at `entry` in the member-name list; empty when there is none;
std::string member_at(const ArchiveContext& ctx, int entry);
// the file member `name` became in `folder`, when its name needed no confining (`backslash`:
// "\" splits folders): a name that tried to leave the folder or to be something else is never
// started, whatever it became;
std::string clean_place(const std::string& folder, const std::string& name, bool backslash);
// starting `file` when this opening wrote it into `folder` and it carries the archive's zone
// marker.
void launch_written(ArchiveContext& ctx, const std::string& folder, const std::string& file,
                    const std::string& viewer);

// `launch_file`: starts `file` with `viewer` (the path quoted, so it arrives as one argument)
// or, when `viewer` is empty, with the program the system has for it; the program works in the
// file's folder. A viewer that may be a batch file gets a copy of `file` under a name the
// command processor takes as it is, or is not started.
bool launch_file(ArchiveContext& ctx, const std::string& file, const std::string& viewer);

// The parameter string that hands `path` to a viewer as one argument: quoted.
std::string viewer_parameters(const std::string& path);

#endif
