#include "formats/rar.h"

#include <map>
#include <optional>
#include <vector>

#include "archive/extraction.h"
#include "archive/listing.h"
#include "files/opening.h"
#include "runtime/file_meta.h"
#include "runtime/member_path.h"
#include "runtime/paths.h"

namespace {

// A member's name in the library's wide text with "/" between folders, as references name it.
std::wstring archive_name(const wchar_t* name) {
    std::wstring out(name);
    for (wchar_t& c : out) c = c == L'\\' ? L'/' : c;
    return out;
}

// Where the file name of the member shown as `shown` in the code page holds a "?" for a character
// of its wide name `wide` that the code page lacks: that character at its place in `shown`, 0
// elsewhere. Empty when there is none, or when the two file names do not line up.
std::wstring lacking(const std::string& shown, const std::wstring& wide) {
    const size_t at = shown.find_last_of("\\/") + 1, wide_at = wide.find_last_of(L"\\/") + 1;
    if (shown.size() - at != wide.size() - wide_at) return std::wstring();
    std::wstring out(shown.size(), L'\0');
    bool any = false;
    for (size_t i = at; i < shown.size(); ++i) {
        const wchar_t c = wide[wide_at + i - at];
        if (shown[i] != '?' || c == L'?') continue;
        out[i] = c;
        any = true;
    }
    return any ? out : std::wstring();
}

// The name `shown` as its file can be named in the code page: "_" for each lacking character.
std::string startable_name(std::string shown, const std::wstring& lacks) {
    for (size_t i = 0; i < lacks.size(); ++i) shown[i] = lacks[i] ? '_' : shown[i];
    return shown;
}

// After a wrong password given to the library: says so and forgets it, so that the library's
// next question asks the user again. False for every other result.
bool wrong_password(RarQuestions& questions, int code) {
    if (code != unrar::kBadPassword || questions.password.empty()) return false;
    questions.prompter.show(questions.messages.message(42), questions.messages.message(190),
                            BoxIcon::kWarning);
    questions.password.clear();
    return true;
}

// Opens `path` for a pass into `archive`, asking for the password again after a wrong one.
void open_pass(std::optional<RarArchive>& archive, const RarLibrary& rar, const std::string& path,
               unsigned mode, RarQuestions& questions) {
    do {
        archive.emplace(rar, path, mode, questions);
    } while (!archive->is_open() && wrong_password(questions, archive->open_result()));
}

// Names the volume a pass needed and did not find.
void report_missing_volume(const RarQuestions& questions) {
    if (questions.missing_volume.empty()) return;
    const MessageTable& m = questions.messages;
    questions.prompter.show(m.message(42),
                            m.message(55) + "\n\n" + os::from_wide(questions.missing_volume),
                            BoxIcon::kError);
}

// Extracts the data of member `number`, a plain file, into `file` in `folder` through a pass of
// its own over the archive; the library's code.
int extract_again(const RarLibrary& rar, const std::string& archive_path, RarQuestions& questions,
                  size_t number, const std::string& folder, const std::string& file) {
    RarArchive archive(rar, archive_path, unrar::kOpenExtract, questions);
    if (!archive.is_open()) return archive.open_result();
    unrar::HeaderDataEx header;
    for (size_t n = 0;; ++n) {
        const int read = archive.next(header);
        if (read != 0) return read;
        if (n < number) {
            archive.skip();
            continue;
        }
        const bool plain =
            header.RedirType == unrar::kNoRedirect && !(header.Flags & unrar::kDirectory);
        return plain ? archive.extract_to(folder, file) : unrar::kReferenceError;
    }
}

// One extraction (RarBackend::extract): passes over the archive until every member it takes was
// dealt with; a pass after a wrong password resumes at the member that met it.
class RarExtraction {
  public:
    RarExtraction(ArchiveContext& ctx, const RarLibrary& rar, RarQuestions& questions,
                  const std::string& archive, const std::string& destination, int member, bool ask,
                  bool real_names)
        : ctx_(ctx),
          rar_(rar),
          questions_(questions),
          archive_(archive),
          target_(as_folder(destination)),
          target_utf8_(os::to_utf8(target_)),
          member_(member),
          ask_(ask),
          real_names_(real_names) {}

    RarResult run() {
        for (;;) {
            std::optional<RarArchive> archive;
            open_pass(archive, rar_, archive_, unrar::kOpenExtract, questions_);
            if (!archive->is_open()) {
                fail(0, archive->open_result(), std::string());
                return result_;
            }
            if (pass(*archive)) continue;
            const int closed = archive->close();
            if (closed != 0) fail(3, closed, std::string());
            return result_;
        }
    }

  private:
    void fail(int stage, int code, const std::string& name) {
        if (result_.ok) result_ = {false, stage, code, name};
    }

    // One pass from member resume_ on; true when it must start again from there.
    bool pass(RarArchive& archive) {
        unrar::HeaderDataEx header;
        for (size_t number = 0;; ++number) {
            const int read = archive.next(header);
            if (read == unrar::kEndArchive) return false;
            const std::string name = read == 0 ? rar_member_name(header) : std::string();
            if (name.empty()) {
                fail(1, read == 0 ? unrar::kBadData : read, std::string());
                return false;
            }
            if (number == names_.size()) names_.push_back(archive_name(header.FileNameW));
            if (number < resume_ ||
                (member_ != kEveryRarMember && number != static_cast<size_t>(member_))) {
                archive.skip();
                continue;
            }
            const int processed = extract_member(archive, header, number, name);
            if (wrong_password(questions_, processed)) {
                resume_ = number;
                return true;
            }
            if (processed == unrar::kMissingPassword) {  // the user cancelled
                fail(2, processed, name);
                return false;
            }
        }
    }

    // Member `number`; the library's code for it, 0 when it was written or not to be written.
    int extract_member(RarArchive& archive, const unrar::HeaderDataEx& header, size_t number,
                       const std::string& name) {
        result_.file_name = startable_name(name, lacking(name, header.FileNameW));
        const std::string placed = real_names_ ? rar_own_name(header) : os::to_utf8(name);
        const unsigned redirect = header.RedirType;
        const bool copy = redirect == unrar::kHardLink || redirect == unrar::kFileCopy;
        if (redirect != unrar::kNoRedirect && !copy) {  // a symbolic link or a junction
            archive.skip();
            return failed(unrar::kCreateError, name);
        }
        if (header.Flags & unrar::kDirectory) {
            placement_.place(target_utf8_, placed + "\\");
            archive.skip();
            return 0;
        }
        const std::string path = placement_.place(target_utf8_, placed);
        // A member asked about before its pass started again is not asked about twice.
        if (path.empty() ||
            (number != confirmed_ && !may_overwrite_unicode(ctx_, path, name, ask_))) {
            archive.skip();
            return 0;
        }
        confirmed_ = number;
        // The library writes under a plain name of ours, which then takes the member's name: so
        // an existing file is replaced only by a member that extracted without error, and the
        // program gives the name itself. The work file lies beside the member's place when the
        // code page holds that path, otherwise in the destination itself.
        const std::string ansi = os::utf8_to_ansi(path);
        const bool plain_path = os::to_utf8(ansi) == path;
        const std::string work = unused_path((plain_path ? folder_of(ansi) : target_) + "~mlx");
        int processed = unrar::kCreateError;
        if (!copy && !work.empty()) {
            processed = archive.extract_to(target_, work);
        } else {
            archive.skip();
        }
        if (copy && !work.empty()) processed = copy_source(header, number, work);
        if (processed != 0 || !os::unicode::replace_file(os::to_utf8(work), path)) {
            os::delete_file(work);
            // A password the user gave or refused is answered by the pass.
            const bool asked = processed == unrar::kMissingPassword ||
                               (processed == unrar::kBadPassword && !questions_.password.empty());
            return asked ? processed : failed(processed, name);
        }
        if (!plain_path) return 0;  // a reference to it reads it from the archive again
        const auto [holder, fresh] = holders_.emplace(lower_case(ansi), number);
        if (!fresh) {
            written_.erase(holder->second);
            holder->second = number;
        }
        written_[number] = ansi;
        return 0;
    }

    // The data of the member that the reference or hard link `header` names, the last one
    // before it of that name, into `work`.
    int copy_source(const unrar::HeaderDataEx& header, size_t number, const std::string& work) {
        const std::wstring source = archive_name(header.RedirName);
        size_t from = number;
        while (from > 0 && names_[from - 1] != source) --from;
        if (from == 0) return unrar::kReferenceError;
        const auto done = written_.find(from - 1);
        if (done != written_.end())
            return os::copy_file(done->second, work, true) ? 0 : unrar::kCreateError;
        return extract_again(rar_, archive_, questions_, from - 1, target_, work);
    }

    int failed(int code, const std::string& name) {
        ctx_.not_extracted.push_back(name);
        fail(2, code, name);
        return code;
    }

    ArchiveContext& ctx_;
    const RarLibrary& rar_;
    RarQuestions& questions_;
    const std::string archive_;
    const std::string target_;
    const std::string target_utf8_;
    const int member_;
    const bool ask_;
    const bool real_names_;
    RarResult result_;
    MemberPlacement placement_{true, true};
    size_t resume_ = 0;  // members before it were dealt with by an earlier pass
    size_t confirmed_ = static_cast<size_t>(-1);  // the member last allowed to be written
    std::vector<std::wstring> names_;             // every member read so far
    // The files this extraction wrote that still hold their member's data, both ways; a file is
    // known by its lower-cased path, as Windows names it.
    std::map<size_t, std::string> written_;  // member number -> file
    std::map<std::string, size_t> holders_;  // file -> member number
};

// The date column of a RAR row: dd/mm/yyyy, or --/--/---- for a stamp that is no date.
std::string rar_date(unsigned file_time) {
    DosDateTime stamp;
    stamp.date = static_cast<uint16_t>(file_time >> 16);
    stamp.time = static_cast<uint16_t>(file_time & 0xFFFF);
    if (dos_to_local_date(stamp) == kNoDate) return "--/--/----";
    return two_digits(stamp.date & 31) + "/" + two_digits((stamp.date >> 5) & 15) + "/" +
           std::to_string(1980 + (stamp.date >> 9));
}

}  // namespace

RarBackend::RarBackend() {
    extension = "rar";
    has_properties = true;
    backslash_splits_names = true;
}

RarBackend::~RarBackend() { release_rar_library(library_); }

bool RarBackend::bind(Prompter& prompter, const MessageTable& messages,
                      const std::string& library_name) {
    return bind_rar_library(library_, prompter, messages, library_name);
}

RarQuestions RarBackend::questions_for(ArchiveContext& ctx, const std::string& archive) {
    if (archive != password_archive_) {
        password_.clear();
        password_archive_ = archive;
    }
    return RarQuestions{ctx.prompter, ctx.messages, password_, false, std::wstring()};
}

void RarBackend::list(ArchiveContext& ctx) {
    begin_listing(ctx);
    ListingState& listing = ctx.listing;
    RarQuestions questions = questions_for(ctx, ctx.state.archive_path());
    std::optional<RarArchive> archive;
    open_pass(archive, library_, ctx.state.archive_path(), unrar::kOpenList, questions);
    unrar::HeaderDataEx header;
    while (archive->is_open() && archive->next(header) == 0) {
        // Every member has a name: a header without one is the remains of a damaged one.
        const std::string name = rar_member_name(header);
        if (name.empty()) break;
        listing.member_names.push_back(name);
        listing.own_names.push_back(rar_own_name(header));
        const uint64_t packed = uint64_t{header.PackSizeHigh} << 32 | header.PackSize;
        const uint64_t unpacked = uint64_t{header.UnpSizeHigh} << 32 | header.UnpSize;
        listing.packed_total += static_cast<float>(packed);
        listing.unpacked_total += static_cast<float>(unpacked);
        ctx.view.add_row({std::string(), name, format_size(unpacked), format_size(packed),
                          rar_date(header.FileTime), format_rate(member_rate(unpacked, packed)),
                          listing.own_names.back()});
        archive->skip();
    }
    report_missing_volume(questions);
    finish_listing(ctx);
}

RarResult RarBackend::extract(ArchiveContext& ctx, const std::string& archive_path,
                              const std::string& destination, int member, bool ask,
                              bool real_names) {
    RarQuestions questions = questions_for(ctx, archive_path);
    const RarResult result =
        RarExtraction(ctx, library_, questions, archive_path, destination, member, ask, real_names)
            .run();
    report_missing_volume(questions);
    return result;
}

void RarBackend::extract_all(ArchiveContext& ctx, const ExtractChoices& choices) {
    if (choices.target_folder.empty()) return;
    extract(ctx, ctx.state.archive_path(), choices.target_folder, kEveryRarMember,
            choices.ask_before_overwriting, true);
}

void RarBackend::extract_chosen(ArchiveContext& ctx, const ExtractChoices&) {
    ctx.prompter.show(ctx.messages.message(73), ctx.messages.message(74), BoxIcon::kWarning);
}

bool RarBackend::extract_everything(ArchiveContext& ctx, const std::string& folder) {
    return extract(ctx, ctx.state.archive_path(), folder, kEveryRarMember, false, true).ok;
}

void RarBackend::open_member(ArchiveContext& ctx, const OpenRequest& request) {
    const std::string name = member_at(ctx, request.entry);
    const std::string folder = name.empty() ? std::string() : opening_folder(ctx);
    if (folder.empty()) return;
    const RarResult result = extract(ctx, ctx.state.archive_path(), folder, request.entry, false);
    if (!result.ok) return;
    launch_written(ctx, folder, clean_place(folder, result.file_name, true), request.viewer);
}
