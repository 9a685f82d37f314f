#include "archive/adding.h"

#include <algorithm>
#include <climits>

#include "archive/extraction.h"
#include "archive/listing.h"
#include "runtime/file_meta.h"
#include "runtime/paths.h"
#include "state/archive_backend.h"

namespace {

// The length of the root a path in mode 2 is named below: "C:\", "\\server\share\", otherwise
// everything up to the first separator (the whole path when it has none).
size_t root_length(const std::string& path) {
    if (path.size() >= 3 && path[1] == ':' && is_separator(path[2])) return 3;
    if (path.size() >= 2 && is_separator(path[0]) && is_separator(path[1])) {
        const size_t server_end = path.find_first_of("\\/", 2);
        const size_t share_end = server_end == std::string::npos
                                     ? std::string::npos
                                     : path.find_first_of("\\/", server_end + 1);
        return share_end == std::string::npos ? path.size() : share_end + 1;
    }
    const size_t first = path.find_first_of("\\/");
    return first == std::string::npos ? 0 : first + 1;
}

std::string forward_slashes(std::string text) {
    for (char& c : text) {
        if (c == '\\') c = '/';
    }
    return text;
}

// Size of a file in bytes; 0 when it cannot be read.
int64_t size_of(const std::string& path) { return std::max<int64_t>(0, file_size_of(path)); }

int progress_value(int64_t bytes) { return bytes > INT_MAX ? INT_MAX : static_cast<int>(bytes); }

void add_file_to_pending(PendingItems& pending, const std::string& path) {
    pending.files.push_back(path);
    pending.size_total += size_of(path);
}

// Creates the archive at the archive path as a new empty file; when it cannot be created the
// failure is shown (title 42, messages 55 and 56, error icon) and nothing is open afterwards.
bool create_archive(ArchiveContext& ctx) {
    if (zip_create(ctx.zip, ctx.state.archive_path()) == kZipOk) return true;
    show_open_failed(ctx);
    show_nothing_listed(ctx);
    return false;
}

// Runs the add dialog and, unless it was cancelled, the addition; a cancelled dialog changes
// nothing, and the archive is let go so that no file stays held open. Returns the path mode.
int add_through_dialog(ArchiveContext& ctx, bool items_given) {
    ctx.state.progress = 0;
    const AddChoice choice = ctx.view.run_add_dialog(items_given);
    if (choice.path_mode != -1) {
        add_files(ctx, choice);
    } else {
        zip_close(ctx.zip);
    }
    return choice.path_mode;
}

}  // namespace

std::string with_zip_extension(const std::string& path) {
    const std::string name = file_name_of(path);
    if (name.size() >= 4 && lower_case(name.substr(name.size() - 4)) == ".zip") return path;
    return path + ".zip";
}

AddName add_name(const std::string& path, int mode, const std::string& list_folder) {
    AddName out;
    size_t cut = 0;
    if (mode == 0) {
        cut = file_name_start(path);
    } else if (mode == 1 || mode == 2) {
        const std::string folder = as_folder(list_folder);
        const bool below = mode == 1 && !folder.empty() && path.size() > folder.size() &&
                           lower_case(path.substr(0, folder.size())) == lower_case(folder);
        cut = below ? folder.size() : root_length(path);
    } else {
        return out;
    }
    out.base = path.substr(0, cut);
    out.name = path.substr(cut);
    if (mode != 0) {
        out.base = forward_slashes(out.base);
        out.name = forward_slashes(out.name);
    }
    return out;
}

std::string drop_base_name(const PendingItems& pending) {
    if (!pending.files.empty()) return pending.files.front();
    if (!pending.folders.empty()) {
        return without_separator(pending.folders.front());
    }
    return os::program_folder() + "zip.zip";
}

std::string pack_archive_name(const std::string& base, const os::SystemTime& now) {
    const size_t name_start = file_name_start(base);
    const size_t dot = base.rfind('.');
    const bool has_extension = dot != std::string::npos && dot >= name_start;
    if (has_extension && lower_case(base.substr(dot + 1)) == "zip") {
        return folder_of(base) + "packed_" + two_digits(now.day) + "_" + two_digits(now.month) +
               "_" + std::to_string(now.year) + "_" + two_digits(now.hour) + "_" +
               two_digits(now.minute) + "_" + two_digits(now.second) + "_.zip";
    }
    return (has_extension ? base.substr(0, dot) : base) + ".zip";
}

void collect_item(PendingItems& pending, const std::string& path) {
    if (path.empty()) return;
    const uint32_t attributes = os::attributes(path);
    if (attributes != os::kNoAttributes && (attributes & os::kAttrDirectory)) {
        pending.folders_included = true;
        pending.folders.push_back(as_folder(path));
    } else {
        add_file_to_pending(pending, path);
    }
}

void take_add_selection(PendingItems& pending, const std::string& list_folder,
                        const std::vector<AddListEntry>& entries, bool include_folders) {
    for (const AddListEntry& entry : entries) {
        if (!entry.selected) continue;
        if (entry.folder) {
            if (entry.name != "." && entry.name != "..")
                pending.folders.push_back(as_folder(join_path(list_folder, entry.name)));
        } else if (!list_folder.empty()) {
            add_file_to_pending(pending, join_path(list_folder, entry.name));
        }
    }
    if (include_folders) expand_pending_folders(pending);
}

void expand_pending_folders(PendingItems& pending) {
    // Indexes, not iterators: the queue grows while it is walked.
    for (size_t i = 0; i < pending.folders.size(); ++i) {
        const std::string folder = pending.folders[i];
        std::vector<os::FolderEntry> entries;
        if (!os::list_folder(folder, entries)) continue;
        for (const os::FolderEntry& entry : entries) {
            if (entry.attributes & os::kAttrDirectory) {
                pending.folders.push_back(as_folder(join_path(folder, entry.name)));
            } else {
                add_file_to_pending(pending, join_path(folder, entry.name));
            }
        }
    }
}

AddDialogDefaults add_dialog_defaults(const PendingItems& pending, bool items_given) {
    AddDialogDefaults out;
    if (!items_given) return out;
    out.list_enabled = false;
    out.include_folders_enabled = false;
    if (pending.folders_included) {
        out.mode = 1;
        out.mode0_enabled = false;
        out.include_folders_checked = true;
    }
    return out;
}

std::string add_help_text(const MessageTable& messages) {
    auto m = [&](int n) { return messages.message(n); };
    auto quoted = [&](int n) { return "\"" + messages.message(n) + "\""; };
    return m(85) + "\n\n" + m(86) + "\n" + m(87) + quoted(88) + m(89) + quoted(88) + m(90) +
           "\n\n" + m(91) + "\n" + m(87) + quoted(88) + m(92) + quoted(93) + "\n" + m(94) +
           quoted(95) + m(96) + "\n\n" + m(97) + "\n" + m(87) + quoted(88) + m(98) + quoted(99) +
           "\n" + m(100) + quoted(101) + m(102) + "\n" + m(103) + "\n" + m(104) + "\n\n";
}

bool confirm_overwrite(ArchiveContext& ctx, const std::string& path) {
    if (ctx.settings.safe != 1 || size_of(path) == 0) return true;
    const MessageTable& m = ctx.messages;
    return ctx.prompter.ask(m.message(50), m.message(0) + m.message(172) + "\n\n" + m.message(173),
                            BoxIcon::kWarning);
}

void new_archive_command(ArchiveContext& ctx, const std::string& chosen) {
    // A cancelled requester leaves the archive shown before as it was.
    if (chosen.empty()) return;
    ctx.view.clear_rows();
    ctx.listing.member_names.clear();
    ctx.listing.own_names.clear();
    // The question is about the file that will be replaced, after the ".zip" rule.
    const std::string path = with_zip_extension(chosen);
    if (!confirm_overwrite(ctx, path)) {
        ctx.state.close_archive();
        return;
    }
    ctx.state.open_archive(path);
    start_new_archive(ctx);
}

int start_new_archive(ArchiveContext& ctx, bool keep_existing) {
    AppState& state = ctx.state;
    if (state.archive_path().empty()) return -1;
    ctx.view.set_status_text(0, "0" + ctx.messages.message(57));
    state.open_archive(with_zip_extension(state.archive_path()));
    const bool opened = keep_existing && zip_open(ctx.zip, state.archive_path()) == kZipOk;
    if (!opened && !create_archive(ctx)) return -1;
    return add_command(ctx);
}

int add_command(ArchiveContext& ctx) {
    if (!zip_is_open(ctx.zip)) zip_open(ctx.zip, ctx.state.archive_path());
    // The dialog fills the pending items afresh: files left from an earlier operation would
    // otherwise be added again.
    ctx.state.pending.clear();
    return add_through_dialog(ctx, false);
}

void add_files(ArchiveContext& ctx, const AddChoice& choice) {
    AppState& state = ctx.state;
    ArchiveView& view = ctx.view;
    view.enable_list(false);
    view.set_progress_range(progress_value(state.pending.size_total));

    // An archive without an end record (a new, empty file) is started afresh; a file whose size
    // cannot be read is never recreated.
    const int64_t size = file_size_of(state.archive_path());
    if (os::attributes(state.archive_path()) == os::kNoAttributes || (size >= 0 && size < 2)) {
        zip_create(ctx.zip, state.archive_path());
    } else if (!zip_is_open(ctx.zip)) {
        zip_open(ctx.zip, state.archive_path());
    }

    // One batch: the directory is written once at its end. Until then the archive on disk is
    // the one before, so a failure anywhere leaves a valid archive.
    // Other threads deflate the files ahead; the archive gets the same bytes.
    zip_begin_batch(ctx.zip);
    const std::string archive = lower_case(state.archive_path());
    std::vector<AddName> names;
    std::vector<std::string> sources;
    for (const std::string& path : state.pending.files) {
        names.push_back(add_name(path, choice.path_mode, choice.list_folder));
        if (!names.back().name.empty() && lower_case(path) != archive)
            sources.push_back(zip_source_path(names.back().base, names.back().name));
    }
    zip_add_ahead(ctx.zip, sources);
    std::vector<std::string> tried, not_added;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& path = state.pending.files[i];
        state.progress = progress_value(state.progress + size_of(path));
        view.set_progress(state.progress);
        view.set_status_text(1, path);
        const AddName& added = names[i];
        if (added.name.empty() || lower_case(path) == archive) continue;
        tried.push_back(path);
        if (zip_add(ctx.zip, added.base, added.name) != kZipOk) not_added.push_back(path);
    }
    // A batch that could not be written leaves the archive as before: none of its files is in.
    if (zip_end_batch(ctx.zip) != kZipOk) not_added = tried;

    view.set_progress_range(100);
    view.set_progress(0);
    view.set_status_text(1, std::string());
    zip_close(ctx.zip);
    state.progress = 0;
    view.enable_list(true);
    list_zip_archive(ctx);
    report_left_out(ctx, 25, not_added);
}

void drop_items(ArchiveContext& ctx, const std::vector<std::string>& paths) {
    AppState& state = ctx.state;
    const ArchiveBackend* backend = state.archive_backend();
    if (backend && backend->can_add) {
        zip_open(ctx.zip, state.archive_path());
        state.pending.clear();
        for (const std::string& path : paths) collect_item(state.pending, path);
        add_through_dialog(ctx, true);
    } else if (!backend) {
        state.pending.clear();
        for (const std::string& path : paths) collect_item(state.pending, path);
        pack_items(ctx, drop_base_name(state.pending));
    }
}

void pack_given_items(ArchiveContext& ctx, const std::vector<std::string>& arguments) {
    if (arguments.empty() || arguments.front().empty()) return;
    ctx.state.pending.clear();
    for (const std::string& argument : arguments) collect_item(ctx.state.pending, argument);
    pack_items(ctx, arguments.front());
}

void pack_items(ArchiveContext& ctx, const std::string& base) {
    AppState& state = ctx.state;
    state.open_archive(pack_archive_name(base, os::local_now()));
    if (!confirm_overwrite(ctx, state.archive_path())) {
        state.close_archive();
        return;
    }
    if (!create_archive(ctx)) return;
    add_through_dialog(ctx, true);
}
