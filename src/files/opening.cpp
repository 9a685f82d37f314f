#include "files/opening.h"

#include <cstring>

#include "runtime/file_meta.h"
#include "runtime/member_path.h"
#include "runtime/os.h"
#include "runtime/paths.h"

std::string opening_folder(ArchiveContext& ctx) {
    return ctx.temp_files.create_private_folder(os::temp_folder(), "marlox_open_");
}

std::string member_at(const ArchiveContext& ctx, int entry) {
    const std::vector<std::string>& names = ctx.listing.member_names;
    return entry >= 0 && static_cast<size_t>(entry) < names.size()
               ? names[static_cast<size_t>(entry)]
               : std::string();
}

std::string clean_place(const std::string& folder, const std::string& name, bool backslash) {
    const std::string placed = MemberPlacement(backslash).predict(folder, name);
    std::string plain = name;
    for (char& c : plain) c = c == '/' ? '\\' : c;
    return placed == join_path(folder, plain) ? placed : std::string();
}

namespace {

// Gives every file under `folder` the zone marker `marker`; false when any of them refused it
// (the others still get it).
bool mark_files(const std::string& folder, const std::string& marker) {
    std::vector<os::FolderEntry> entries;
    if (!os::list_folder(folder, entries)) return false;
    bool all = true;
    for (const os::FolderEntry& e : entries) {
        const std::string path = as_folder(folder) + e.name;
        if (e.attributes & os::kAttrReparsePoint) continue;
        all = ((e.attributes & os::kAttrDirectory) ? mark_files(path, marker)
                                                   : os::write_zone_marker(path, marker)) &&
              all;
    }
    return all;
}

// Gives every file under `folder` the zone marker of the archive, so that what came from the
// internet is still treated as such when it is started; false when the archive has one that
// some file there could not take: nothing from there may be started then.
bool mark_as_from_archive(const ArchiveContext& ctx, const std::string& folder) {
    std::string marker;
    return !os::read_zone_marker(ctx.state.archive_path(), marker) || mark_files(folder, marker);
}

// Characters the command processor acts on in an argument, and those of them it expands even
// within quotes.
constexpr char kCommandCharacters[] = "&|^%!()<>";
constexpr char kExpandedInQuotes[] = "%!";

// Whether `viewer` may be run by the command processor: anything but a program file may be a
// batch file (a bare name too, which the search path may complete with ".bat" or ".cmd").
bool may_be_batch_file(const std::string& viewer) {
    const std::string extension = lower_case(extension_of(viewer));
    return extension != "exe" && extension != "com";
}

// A copy of `file`, with the archive's zone marker, in a new private folder, under its name with
// every character the command processor acts on turned into "_"; empty when it cannot be made.
std::string harmless_copy(ArchiveContext& ctx, const std::string& file) {
    const std::string folder = opening_folder(ctx);
    if (folder.empty()) return std::string();
    std::string name = file_name_of(file);
    for (char& c : name) {
        if (std::strchr(kCommandCharacters, c)) c = '_';
    }
    const std::string copy = folder + name;
    return os::copy_file(file, copy, true) && mark_as_from_archive(ctx, folder) ? copy
                                                                                : std::string();
}

}  // namespace

void launch_written(ArchiveContext& ctx, const std::string& folder, const std::string& file,
                    const std::string& viewer) {
    if (file.empty() || os::attributes(file) == os::kNoAttributes) return;
    if (!mark_as_from_archive(ctx, folder)) return;
    launch_file(ctx, file, viewer);
}

std::string viewer_parameters(const std::string& path) { return "\"" + path + "\""; }

bool launch_file(ArchiveContext& ctx, const std::string& file, const std::string& viewer) {
    if (!ctx.program.launch) return false;
    std::string handed = file;
    if (!viewer.empty() && may_be_batch_file(viewer)) {
        // A batch file's argument passes through the command processor, which acts on some
        // characters even within quotes: the viewer gets a copy whose path holds none it acts
        // on, and nothing starts when the temporary folder's own path holds one of those.
        if (handed.find_first_of(kCommandCharacters) != std::string::npos)
            handed = harmless_copy(ctx, file);
        if (handed.empty() || handed.find_first_of(kExpandedInQuotes) != std::string::npos)
            return false;
    }
    Launch launch;
    launch.file = handed;
    launch.program = viewer;
    launch.parameters = viewer.empty() ? std::string() : viewer_parameters(handed);
    launch.working_folder = folder_of(handed);
    return ctx.program.launch(launch);
}
