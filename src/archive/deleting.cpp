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
// Kept members smaller than this are re-packed here: handing them to another thread costs more
// than deflating them, above all under Wine, where every hand-over between threads is a call
// to the server.
constexpr uint64_t kAheadSize = 64 * 1024;

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

    // Builds `rebuilt` from the kept members in display order, each streamed from the archive
    // into the new one. Every member must come back with its size and CRC-32.
    bool rebuild(const std::string& rebuilt) {
        ZipEngine to;
        if (zip_create(to, rebuilt) != kZipOk) return false;
        zip_begin_batch(to);
        // Other threads deflate the larger kept files ahead; the archive gets the same bytes.
        std::vector<int> files;
        for (int i : row_members_) {
            const Member& member = members_[static_cast<size_t>(i)];
            if (member.kept && !is_folder_member(member) && member.info.unpacked >= kAheadSize)
                files.push_back(i);
        }
        zip_add_ahead_members(to, ctx_.zip, files);
        const int rows = static_cast<int>(row_members_.size());
        const MessageTable& m = ctx_.messages;
        ctx_.view.set_progress_range(rows);
        bool written = true;
        for (int r = 0; r < rows && written; ++r) {
            set_progress(r + 1);
            ctx_.view.set_status_text(
                1, m.message(67) + std::to_string(r + 1) + m.message(68) + std::to_string(rows));
            const int i = row_members_[static_cast<size_t>(r)];
            const Member& member = members_[static_cast<size_t>(i)];
            written = !member.kept || add_member(to, i, member);
        }
        written = zip_end_batch(to) == kZipOk && written;
        zip_close(to);
        zip_close(ctx_.zip);
        ctx_.view.set_status_text(1, std::string());
        return written;
    }

  private:
    // The stamp a kept member had when it went through a file dated with its date: that date as
    // the file system gives it back in local time, or the moment of the deletion when no file
    // can carry it.
    static DosDateTime kept_stamp(const ZipMemberInfo& d) {
        const LocalDate date = make_local_date(d.year, d.month, d.day, d.hour, d.minute, 0);
        os::SystemTime parts = os::local_now();
        uint64_t local = 0;
        if (date != kNoDate && !(os::utc_to_local(local_date_to_file_time(date), local) &&
                                 os::file_time_to_system_time(local, parts)))
            return DosDateTime();
        if (parts.year < 1980 || parts.year > 2107) return DosDateTime();
        return make_dos_stamp(parts.year, parts.month, parts.day, parts.hour, parts.minute,
                              parts.second);
    }

    // A folder member comes back as a stored folder entry of its name, date and attributes, so an
    // empty folder the user packed stays in the archive. A file member keeps its name, date and
    // the attributes read-only, hidden, system and archive (none of them: archive).
    bool add_member(ZipEngine& to, int i, const Member& member) {
        const ZipMemberInfo& d = member.info;
        if (is_folder_member(member)) {
            const DosDateTime stamp =
                make_dos_stamp(d.year, d.month, d.day, d.hour, d.minute, d.second);
            return zip_add_folder_entry(to, member.name, stamp.date, stamp.time, d.attributes,
                                        member.own) == kZipOk;
        }
        const DosDateTime stamp = kept_stamp(d);
        const uint32_t kept = d.attributes & kKeptAttributes;
        return zip_add_member_of(to, ctx_.zip, i, member.name, member.own, stamp.date, stamp.time,
                                 kept ? kept : os::kAttrArchive) == kZipOk;
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
        bool done = !work.empty() && deletion.plan() && deletion.rebuild(rebuilt);
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
