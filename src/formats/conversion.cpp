#include "formats/conversion.h"

#include <algorithm>
#include <set>
#include <vector>

#include "archive/adding.h"
#include "archive/listing.h"
#include "runtime/file_meta.h"
#include "runtime/member_path.h"
#include "runtime/os.h"
#include "runtime/paths.h"

namespace {

// What the writer reported for each member added, to read back against.
struct Added {
    std::string name;
    ZipMemberInfo info;
};

// The new archive read back: the members added, in order, with their sizes and CRC-32s.
bool holds_exactly(ZipEngine& zip, const std::string& archive, const std::vector<Added>& added) {
    if (zip_open(zip, archive) != kZipOk || zip_count(zip) != static_cast<int>(added.size())) {
        zip_close(zip);
        return added.empty() && file_size_of(archive) == 0;  // nothing to pack: an empty file
    }
    bool same = true;
    for (size_t i = 0; i < added.size() && same; ++i) {
        ZipMemberInfo info;
        same = zip_goto(zip, static_cast<int>(i) + 1) == added[i].name &&
               zip_member_info(zip, info) == kZipOk && info.crc == added[i].info.crc &&
               info.unpacked == added[i].info.unpacked;
    }
    zip_close(zip);
    return same;
}

// Whether every file member of the listed archive has a file of its own in the work folder. All
// members are extracted into one folder, where names that Windows takes as one name meet: two
// that differ only in case, one name twice, "d/b.txt" and "d\b.txt" in a ZIP archive, names that
// differ only in what cannot stand in a file name. The later member then takes the earlier one's
// file, and the earlier one would be missing from the new archive without a word. With
// `backslash`, "\" in a name splits folders as "/" does.
bool members_kept_apart(const ArchiveContext& ctx, const std::string& work, bool backslash) {
    const MemberPlacement placement(backslash);
    std::set<std::string> files;
    for (const std::string& name : ctx.listing.member_names) {
        std::string path = placement.predict(work, name);
        const uint32_t attributes = path.empty() ? os::kNoAttributes : os::attributes(path);
        // Folder members, and members the extraction leaves out, have no file.
        if (attributes == os::kNoAttributes || (attributes & os::kAttrDirectory)) continue;
        path = lower_case(path);
        std::replace(path.begin(), path.end(), '/', '\\');
        if (!files.insert(path).second) return false;
    }
    return true;
}

}  // namespace

std::string conversion_target(const std::string& archive) {
    const std::string name = file_name_of(archive);
    return folder_of(archive) + name.substr(0, name.size() >= 4 ? name.size() - 4 : 0) + ".zip";
}

bool pack_folder_tree(ArchiveContext& ctx, const std::string& root, const std::string& archive) {
    if (zip_create(ctx.zip, archive) != kZipOk) return false;
    zip_begin_batch(ctx.zip);
    std::vector<Added> added;
    bool complete = true;
    // The folders still to pack, each as its part below the root joined with "/" and ending in
    // "/" (empty for the root itself).
    std::vector<std::string> queue = {std::string()};
    for (size_t next = 0; next < queue.size(); ++next) {
        const std::string below = queue[next];
        std::string folder = as_folder(root) + below;
        for (char& c : folder) c = c == '/' ? '\\' : c;
        std::vector<os::FolderEntry> entries;
        if (!os::list_folder(folder, entries)) complete = false;
        for (const os::FolderEntry& entry : entries) {
            if (entry.attributes & os::kAttrReparsePoint) continue;
            if (entry.attributes & os::kAttrDirectory) {
                queue.push_back(below + entry.name + "/");
                continue;
            }
            const std::string name = below + entry.name;
            ctx.state.progress -= 1;
            ctx.view.set_progress(ctx.state.progress);
            ctx.view.set_status_text(1, "bearbeite: " + name);
            Added member{name, ZipMemberInfo()};
            if (zip_add_file(ctx.zip, folder + entry.name, name) != kZipOk ||
                zip_member_info(ctx.zip, member.info) != kZipOk) {
                complete = false;
                continue;
            }
            added.push_back(member);
        }
    }
    complete = zip_end_batch(ctx.zip) == kZipOk && complete;
    zip_close(ctx.zip);
    return complete && holds_exactly(ctx.zip, archive, added);
}

void convert_to_zip(ArchiveContext& ctx, ArchiveBackend& backend) {
    AppState& state = ctx.state;
    if (state.archive_path().empty()) return;
    const std::string source = state.archive_path();
    // Re-packing keeps the archive's name as it is spelled: "X.ZIP" is packed anew as itself.
    const bool repack = same_path(conversion_target(source), source);
    const std::string target = repack ? source : conversion_target(source);
    // A file of the target's name that the user keeps stays as it is, and nothing is converted.
    if (!repack && !confirm_overwrite(ctx, target)) return;

    ctx.view.enable_list(false);
    const std::string work = ctx.temp_files.create_private_folder(os::temp_folder(), "marlox_");
    bool done = !work.empty() && backend.extract_everything(ctx, work) &&
                members_kept_apart(ctx, work, backend.backslash_splits_names);
    // The progress counts down from the number of rows; re-packing counts on from where its
    // extraction left it.
    if (!repack) {
        ctx.view.set_progress_range(ctx.view.row_count());
        state.progress = ctx.view.row_count();
        ctx.view.set_progress(state.progress);
    }
    const std::string packed = done ? unused_path(target + ".new") : std::string();
    done = done && !packed.empty() && pack_folder_tree(ctx, work, packed);
    state.progress = 0;
    ctx.view.set_progress_range(100);
    ctx.view.set_progress(0);
    if (backend.announces_copying) ctx.view.set_status_text(1, ctx.messages.message(75));
    done = done && os::replace_file(packed, target);
    if (!done) {
        if (!packed.empty()) os::delete_file(packed);
        ctx.prompter.show(ctx.messages.message(42), ctx.messages.message(76), BoxIcon::kError);
    }
    if (!work.empty()) remove_tree(work);
    ctx.view.set_status_text(1, std::string());
    ctx.view.enable_list(true);
    // The result is the open archive now; after a failure the source stays open, as it was.
    if (done) {
        state.open_archive(target);
        list_zip_archive(ctx);
    }
}
