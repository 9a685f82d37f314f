#include "archive/deleting.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "archive/listing.h"
#include "runtime/file_meta.h"
#include "runtime/os.h"
#include "runtime/paths.h"

namespace {

// The attribute bits a kept member carries over: read-only, hidden, system, archive.
constexpr uint32_t kKeptAttributes = 0x27;

struct Member {
    std::string name;  // as shown
    std::string own;   // its own name, UTF-8: it comes back with it
    ZipMemberInfo info;
    ArchiveEntry row;
    bool kept = false;
};

bool is_folder_member(const Member& m) {
    return (!m.name.empty() && is_separator(m.name.back())) ||
           (m.info.attributes & os::kAttrDirectory);
}

class Deletion {
  public:
    explicit Deletion(ArchiveContext& ctx) : ctx_(ctx) {}

    // The member numbers of the kept rows in display order; false when a row names no member.
    bool plan() {
        if (zip_open(ctx_.zip, ctx_.state.archive_path()) != kZipOk) return false;
        const int count = zip_count(ctx_.zip);
        members_.resize(static_cast<size_t>(count) + 1);
        for (int i = 1; i <= count; ++i) {
            Member& m = members_[static_cast<size_t>(i)];
            m.name = zip_goto(ctx_.zip, i);
            m.own = zip_real_name(ctx_.zip);
            zip_member_info(ctx_.zip, m.info);
            m.row = zip_row(m.name, m.info, m.own);
        }
        // Rows are matched by all their texts first, so that of two members of one name the row
        // showing a member's size and date gets that member; then by name. Each row's texts are
        // read once and the members are found through their own names.
        const int rows = ctx_.view.row_count();
        std::vector<ArchiveEntry> shown(static_cast<size_t>(rows));
        for (int r = 0; r < rows; ++r) {
            for (int c = 2; c <= kOwnNameColumn; ++c)
                shown[static_cast<size_t>(r)][static_cast<size_t>(c)] = ctx_.view.row_text(r, c);
        }
        std::unordered_map<std::string, std::vector<int>> by_name;
        for (int i = 1; i <= count; ++i) by_name[members_[static_cast<size_t>(i)].own].push_back(i);
        std::vector<int> matched(static_cast<size_t>(rows), 0);
        std::vector<bool> used(members_.size(), false);
        for (int pass = 0; pass < 2; ++pass) {
            for (int r = 0; r < rows; ++r) {
                int& member = matched[static_cast<size_t>(r)];
                const ArchiveEntry& texts = shown[static_cast<size_t>(r)];
                const auto found = by_name.find(texts[kOwnNameColumn]);
                if (member != 0 || found == by_name.end()) continue;
                for (int i : found->second) {
                    if (used[static_cast<size_t>(i)]) continue;
                    if (pass == 0 && !std::equal(texts.begin() + 2, texts.end(),
                                                 members_[static_cast<size_t>(i)].row.begin() + 2))
                        continue;
                    used[static_cast<size_t>(i)] = true;
                    member = i;
                    break;
                }
            }
        }
        for (int r = 0; r < rows; ++r) {
            const int member = matched[static_cast<size_t>(r)];
            if (member == 0) return false;
            members_[static_cast<size_t>(member)].kept = !ctx_.view.row_selected(r);
        }
        row_members_ = matched;
        return true;
    }

    // Extracts every kept member into its own numbered folder, dated and with its attributes.
    bool extract(const std::string& work) {
        const int count = static_cast<int>(members_.size()) - 1;
        const MessageTable& m = ctx_.messages;
        ctx_.view.set_progress_range(count);
        for (int i = 1; i <= count; ++i) {
            set_progress(i);
            ctx_.view.set_status_text(
                1, m.message(67) + std::to_string(i) + m.message(68) + std::to_string(count));
            const Member& member = members_[static_cast<size_t>(i)];
            if (member.kept && !extract_member(work, i, member)) return false;
        }
        set_progress(count);
        zip_close(ctx_.zip);
        ctx_.view.set_status_text(1, std::string());
        return true;
    }

    // Builds `rebuilt` from the kept members in display order. Every member must come back with
    // its size and CRC-32.
    bool rebuild(const std::string& work, const std::string& rebuilt) {
        if (zip_create(ctx_.zip, rebuilt) != kZipOk) return false;
        zip_begin_batch(ctx_.zip);
        for (size_t r = 0; r < row_members_.size(); ++r) {
            set_progress(ctx_.state.progress - 1);
            const int i = row_members_[r];
            const Member& member = members_[static_cast<size_t>(i)];
            if (!member.kept) continue;
            ctx_.view.set_status_text(1, member.name);
            if (!add_member(work, i, member)) return false;
        }
        const bool written = zip_end_batch(ctx_.zip) == kZipOk;
        zip_close(ctx_.zip);
        return written;
    }

  private:
    // Each kept member goes to a file of its own named by its number, so names of any length,
    // with any folders, and two members of one name all fit. The files are spread over folders
    // of a few hundred: on some file systems making a file costs a look through its whole folder.
    static std::string work_folder(const std::string& work, int member) {
        return as_folder(work + std::to_string(member / 256));
    }
    static std::string work_file(const std::string& work, int member) {
        return work_folder(work, member) + std::to_string(member);
    }

    bool extract_member(const std::string& work, int i, const Member& member) {
        if (is_folder_member(member)) return true;
        const std::string file = work_file(work, i);
        os::create_folder(work_folder(work, i));
        if (zip_extract_file(ctx_.zip, i, file) != kZipOk) return false;
        const ZipMemberInfo& d = member.info;
        set_file_date(file, make_local_date(d.year, d.month, d.day, d.hour, d.minute, 0));
        if (d.attributes & kKeptAttributes)
            set_file_attributes(file, d.attributes & kKeptAttributes);
        return true;
    }

    // A folder member comes back as a stored folder entry of its name, date and attributes, so an
    // empty folder the user packed stays in the archive.
    bool add_member(const std::string& work, int i, const Member& member) {
        const ZipMemberInfo& d = member.info;
        if (is_folder_member(member)) {
            const DosDateTime stamp =
                make_dos_stamp(d.year, d.month, d.day, d.hour, d.minute, d.second);
            return zip_add_folder_entry(ctx_.zip, member.name, stamp.date, stamp.time, d.attributes,
                                        member.own) == kZipOk;
        }
        const std::string file = work_file(work, i);
        if (zip_add_file(ctx_.zip, file, member.name, member.own) != kZipOk) return false;
        ZipMemberInfo added;
        if (zip_member_info(ctx_.zip, added) != kZipOk || added.crc != member.info.crc ||
            added.unpacked != member.info.unpacked)
            return false;
        os::set_attributes(file, os::kAttrNormal);
        os::delete_file(file);
        return true;
    }

    void set_progress(int value) {
        ctx_.state.progress = value;
        ctx_.view.set_progress(value);
    }

    ArchiveContext& ctx_;
    std::vector<Member> members_;   // by member number; [0] unused
    std::vector<int> row_members_;  // the member number of each row, in display order
};

// Puts `rebuilt` in the place of `archive`: a copy beside the archive first, then one rename over
// it, so that the archive is whole at every moment and a failure leaves it as it was.
bool replace_archive(const std::string& rebuilt, const std::string& archive) {
    const std::string copy = unused_path(archive + ".new");
    if (copy.empty()) return false;
    if (!os::copy_file(rebuilt, copy, true) || file_size_of(copy) != file_size_of(rebuilt) ||
        !os::replace_file(copy, archive)) {
        os::delete_file(copy);
        return false;
    }
    return true;
}

}  // namespace

void delete_selected_members(ArchiveContext& ctx) {
    AppState& state = ctx.state;
    ArchiveView& view = ctx.view;
    if (!state.archive_path().empty()) {
        view.enable_list(false);
        Deletion deletion(ctx);
        const std::string work = ctx.temp_files.create_private_folder(os::temp_folder(), "marlox_");
        const std::string rebuilt = work + "tmp.zip";
        bool done = !work.empty() && deletion.plan() && deletion.extract(work) &&
                    deletion.rebuild(work, rebuilt);
        zip_close(ctx.zip);
        state.progress = 0;
        view.set_progress(0);
        view.set_progress_range(100);
        if (done) {
            view.set_status_text(1, ctx.messages.message(69));
            done = replace_archive(rebuilt, state.archive_path());
        }
        if (done) {
            view.set_status_text(1, ctx.messages.message(70));
            list_zip_archive(ctx);
            view.enable_list(true);
            view.set_status_text(1, ctx.messages.message(71));
        } else {
            ctx.prompter.show(ctx.messages.message(42), ctx.messages.message(72), BoxIcon::kError);
            view.enable_list(true);
        }
        if (!work.empty()) remove_tree(work);
    }
    view.set_progress(0);
    view.set_status_text(1, std::string());
}
