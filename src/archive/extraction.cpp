#include "archive/extraction.h"

#include <unordered_map>

#include "runtime/file_meta.h"
#include "runtime/member_path.h"
#include "runtime/os.h"
#include "runtime/paths.h"

namespace {

constexpr int kProbeAttempts = 1000;
constexpr size_t kReportedNames = 10;

// The step for one member: the overwrite question, then the extraction, which dates the file.
void extract_member(ArchiveContext& ctx, PasswordedExtraction& extraction,
                    const std::string& target, bool ask, int member) {
    const std::string name = zip_goto(ctx.zip, member);
    if (ask) {
        ZipMemberInfo info;
        zip_member_info(ctx.zip, info);
        // The engine takes a member of size 0 with the folder bit for a folder, whatever its name.
        const bool folder = info.unpacked == 0 && (info.attributes & os::kAttrDirectory);
        // Where the engine puts the member: the question is about that file.
        const std::string path =
            folder
                ? std::string()
                : MemberPlacement(false, true).predict(os::to_utf8(target), zip_real_name(ctx.zip));
        if (!path.empty() && !may_overwrite_unicode(ctx, path, name, true)) return;
    }
    // A member that failed leaves any older file in place; that file keeps its own date.
    if (extraction.extract(target, member) != kZipOk) ctx.not_extracted.push_back(name);
}

// The progress bar over `steps` steps: 100 / steps per step, or steps of 1 over a range of
// 0..steps when that division gives less than 1.
class Progress {
  public:
    Progress(ArchiveContext& ctx, int steps) : ctx_(ctx) {
        unit_ = steps > 0 ? 100 / steps : 1;
        if (unit_ < 1) {
            unit_ = 1;
            ctx_.view.set_progress_range(steps);
        }
    }
    void show(int step) { set(unit_ * step); }

    // The end of every extraction: range 0..100, value 0, status field 1 empty.
    static void finish(ArchiveContext& ctx) {
        ctx.view.set_progress_range(100);
        ctx.state.progress = 0;
        ctx.view.set_progress(0);
        ctx.view.set_status_text(1, std::string());
    }

  private:
    void set(int value) {
        ctx_.state.progress = value;
        ctx_.view.set_progress(value);
    }

    ArchiveContext& ctx_;
    int unit_ = 1;
};

}  // namespace

std::string ask_member_password(ArchiveContext& ctx, bool after_wrong) {
    const MessageTable& m = ctx.messages;
    InputRequest request;
    request.title = m.message(after_wrong ? 190 : 191);
    request.prompt = m.message(192);
    request.cancel = m.message(34);
    request.secret = true;
    return ctx.prompter.input_line(request);
}

int PasswordedExtraction::extract(const std::string& target, int member) {
    zip_set_password(ctx_.zip, ctx_.state.archive_password);
    int result = zip_extract(ctx_.zip, target, member);
    while (result == kZipBadPassword && !cancelled_) {
        const std::string password = ask_member_password(ctx_, asked_);
        asked_ = true;
        cancelled_ = password.empty();
        if (cancelled_) break;
        ctx_.state.archive_password = password;
        zip_set_password(ctx_.zip, password);
        result = zip_extract(ctx_.zip, target, member);
    }
    return result;
}

bool may_overwrite(ArchiveContext& ctx, const std::string& path, const std::string& name,
                   bool ask) {
    return may_overwrite_unicode(ctx, os::to_utf8(path), name, ask);
}

bool may_overwrite_unicode(ArchiveContext& ctx, const std::string& path, const std::string& name,
                           bool ask) {
    if (!ask) return true;
    const uint32_t attributes = os::unicode::attributes(path);
    if (attributes == os::kNoAttributes || (attributes & os::kAttrDirectory) ||
        file_size_of(path, true) < 1)
        return true;
    const MessageTable& m = ctx.messages;
    return ctx.prompter.ask(m.message(50),
                            m.message(0) + " " + name + m.message(172) + "\n\n" + m.message(173),
                            BoxIcon::kWarning);
}

void report_left_out(ArchiveContext& ctx, int title, const std::vector<std::string>& names) {
    if (names.empty()) return;
    const MessageTable& m = ctx.messages;
    std::string text = m.message(58) + "\n\n" + std::to_string(names.size()) + m.message(57) + ":";
    for (size_t i = 0; i < names.size() && i < kReportedNames; ++i) text += "\n" + names[i];
    if (names.size() > kReportedNames) text += "\n...";
    ctx.prompter.show(m.message(title), text, BoxIcon::kWarning);
}

void report_not_extracted(ArchiveContext& ctx) { report_left_out(ctx, 50, ctx.not_extracted); }

ExtractDefaults extract_defaults(int selected_rows, const ArchiveBackend& backend, int safe) {
    ExtractDefaults d;
    d.selected_enabled = selected_rows > 0 && backend.can_select;
    d.mode = d.selected_enabled ? 2 : 1;
    d.pattern_enabled = backend.can_match;
    d.ask_before_overwriting = safe == 1;
    return d;
}

bool target_is_writable(const std::string& folder) {
    const std::string base = as_folder(folder);
    if (base.empty()) return false;
    for (int n = 0; n < kProbeAttempts; ++n) {
        const std::string probe = base + (n == 0 ? std::string("lazarus.file")
                                                 : "lazarus_" + std::to_string(n) + ".file");
        if (os::attributes(probe) != os::kNoAttributes) continue;
        os::File* file = os::open_file(probe, os::OpenMode::kCreate);
        if (!file) return false;
        os::close_file(file);
        os::delete_file(probe);
        return true;
    }
    return false;
}

bool confirm_target_writable(ArchiveContext& ctx, const std::string& folder) {
    if (target_is_writable(folder)) return true;
    const MessageTable& m = ctx.messages;
    ctx.prompter.show(m.message(42), m.message(185) + "\n" + m.message(186) + "\n" + m.message(187),
                      BoxIcon::kWarning);
    return false;
}

void extract_all_zip(ArchiveContext& ctx, const ExtractChoices& choices) {
    const std::string target = as_folder(choices.target_folder);
    if (!target.empty() && zip_open(ctx.zip, ctx.state.archive_path()) == kZipOk) {
        zip_set_file_dates(ctx.zip, true);
        ctx.view.enable_list(false);
        const int count = zip_count(ctx.zip);
        Progress progress(ctx, count);
        PasswordedExtraction extraction(ctx);
        for (int n = 1; n <= count; ++n) {
            const std::string name = zip_goto(ctx.zip, n);
            progress.show(n);
            ctx.view.set_status_text(1, name);
            if (!name.empty())
                extract_member(ctx, extraction, target, choices.ask_before_overwriting, n);
        }
        zip_close(ctx.zip);
        ctx.view.enable_list(true);
    }
    Progress::finish(ctx);
}

void extract_chosen_zip(ArchiveContext& ctx, const ExtractChoices& choices) {
    const std::string target = as_folder(choices.target_folder);
    if (!target.empty() && zip_open(ctx.zip, ctx.state.archive_path()) == kZipOk) {
        zip_set_file_dates(ctx.zip, true);
        ctx.view.enable_list(false);
        // Each own name's first member number, counted from 1, found once for all rows.
        std::unordered_map<std::string, int> first_member;
        const std::vector<std::string>& names = ctx.listing.own_names;
        for (size_t i = 0; i < names.size(); ++i)
            first_member.emplace(names[i], static_cast<int>(i) + 1);

        const int rows = ctx.view.row_count();
        Progress progress(ctx, rows);
        PasswordedExtraction extraction(ctx);
        for (int row = 0; row < rows; ++row) {
            progress.show(row + 1);
            const std::string name = ctx.view.row_text(row, 1);
            const bool chosen = choices.pattern.empty()
                                    ? ctx.view.row_selected(row)
                                    : match_wildcard(name, choices.pattern, 1) == 1;
            if (!chosen) continue;
            ctx.view.set_status_text(1, name);
            const auto found = first_member.find(ctx.view.row_text(row, kOwnNameColumn));
            if (found != first_member.end())
                extract_member(ctx, extraction, target, choices.ask_before_overwriting,
                               found->second);
        }
        zip_close(ctx.zip);
        ctx.view.enable_list(true);
    }
    Progress::finish(ctx);
}

bool extract_zip_everything(ArchiveContext& ctx, const std::string& folder) {
    const std::string target = as_folder(folder);
    if (zip_open(ctx.zip, ctx.state.archive_path()) != kZipOk) return false;
    bool complete = true;
    const int count = zip_count(ctx.zip);
    Progress progress(ctx, count);
    zip_set_file_dates(ctx.zip, true);
    for (int n = 1; n <= count; ++n) {
        const std::string name = zip_goto(ctx.zip, n);
        progress.show(n);
        ctx.view.set_status_text(1, name);
        ZipMemberInfo info;
        zip_member_info(ctx.zip, info);
        const bool folder_member = info.unpacked == 0 && ((info.attributes & os::kAttrDirectory) ||
                                                          (!name.empty() && name.back() == '/'));
        if (name.empty() || folder_member) continue;
        if (zip_extract(ctx.zip, target, n) != kZipOk) {
            ctx.not_extracted.push_back(name);
            complete = false;
        }
    }
    zip_close(ctx.zip);
    Progress::finish(ctx);
    return complete;
}
