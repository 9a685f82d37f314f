#include "formats/rar.h"

#include <cstring>
#include <map>
#include <vector>

#include "archive/extraction.h"
#include "archive/listing.h"
#include "files/opening.h"
#include "runtime/file_meta.h"
#include "runtime/member_path.h"
#include "runtime/paths.h"

namespace {

// One archive opened for a pass; closed when it goes.
class RarArchive {
  public:
    RarArchive(const RarLibrary& rar, const std::string& path, unsigned mode)
        : rar_(rar), wide_path_(os::to_wide(os::native_path(path))), path_(os::native_path(path)) {
        if (!rar_.available()) return;
        unrar::OpenArchiveDataEx open;
        std::memset(&open, 0, sizeof open);
        open.ArcName = &path_[0];
        open.ArcNameW = &wide_path_[0];
        open.OpenMode = mode;
        handle_ = rar_.open_archive_ex(&open);
        open_result_ = open.OpenResult;
        if (open_result_ != 0) handle_ = nullptr;
    }
    ~RarArchive() { close(); }
    RarArchive(const RarArchive&) = delete;
    RarArchive& operator=(const RarArchive&) = delete;

    bool is_open() const { return handle_ != nullptr; }
    int open_result() const { return open_result_; }

    // The next header into `header` (zeroed first, with room for the name a reference or a
    // link stands for); the library's result, 0 for a header.
    int next(unrar::HeaderDataEx& header) {
        std::memset(&header, 0, sizeof header);
        std::memset(redirect_, 0, sizeof redirect_);
        header.RedirName = redirect_;
        header.RedirNameSize = sizeof redirect_ / sizeof redirect_[0];
        return rar_.read_header_ex(handle_, &header);
    }
    int skip() { return rar_.process_file(handle_, unrar::kSkip, nullptr, nullptr); }
    // Extracts the current member into `file`, with `folder` as the library's destination.
    int extract_to(const std::string& folder, const std::string& file) {
        std::wstring wide_folder = os::to_wide(os::native_path(folder));
        std::wstring wide_file = os::to_wide(os::native_path(file));
        return rar_.process_file_w(handle_, unrar::kExtract, &wide_folder[0], &wide_file[0]);
    }
    int close() {
        if (!handle_) return 0;
        const int result = rar_.close_archive(handle_);
        handle_ = nullptr;
        return result;
    }

  private:
    const RarLibrary& rar_;
    std::wstring wide_path_;
    std::string path_;
    void* handle_ = nullptr;
    int open_result_ = 0;
    wchar_t redirect_[1024];
};

// The member's name as the user sees it: the wide name in the ANSI code page.
std::string member_name(const unrar::HeaderDataEx& header) {
    if (header.FileNameW[0] != L'\0') return os::from_wide(header.FileNameW);
    return std::string(header.FileName, strnlen(header.FileName, sizeof header.FileName));
}

// A member's name in the library's wide text with "/" between folders, as references name it.
std::wstring archive_name(const wchar_t* name) {
    std::wstring out(name);
    for (wchar_t& c : out) c = c == L'\\' ? L'/' : c;
    return out;
}

// Extracts the data of member `number`, a plain file, into `file` in `folder` through a pass of
// its own over the archive; the library's code.
int extract_again(const RarLibrary& rar, const std::string& archive_path, size_t number,
                  const std::string& folder, const std::string& file) {
    RarArchive archive(rar, archive_path, unrar::kOpenExtract);
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

// The date column of a RAR row: dd/mm/yyyy, or --/--/---- for a stamp that is no date.
std::string rar_date(unsigned file_time) {
    DosDateTime stamp;
    stamp.date = static_cast<uint16_t>(file_time >> 16);
    stamp.time = static_cast<uint16_t>(file_time & 0xFFFF);
    if (dos_to_local_date(stamp) == kNoDate) return "--/--/----";
    return two_digits(stamp.date & 31) + "/" + two_digits((stamp.date >> 5) & 15) + "/" +
           std::to_string(1980 + (stamp.date >> 9));
}

template <typename Entry>
bool bind_entry(os::Library* library, const char* name, Entry& entry) {
    entry = reinterpret_cast<Entry>(os::find_symbol(library, name));
    return entry != nullptr;
}

}  // namespace

bool bind_rar_library(RarLibrary& rar, Prompter& prompter, const MessageTable& messages,
                      const std::string& library_name) {
    rar = RarLibrary();
    os::Library* library = os::load_library(library_name);
    const bool found = library && bind_entry(library, "RARGetDllVersion", rar.get_dll_version) &&
                       bind_entry(library, "RAROpenArchiveEx", rar.open_archive_ex) &&
                       bind_entry(library, "RARCloseArchive", rar.close_archive) &&
                       bind_entry(library, "RARReadHeaderEx", rar.read_header_ex) &&
                       bind_entry(library, "RARProcessFile", rar.process_file) &&
                       bind_entry(library, "RARSetCallback", rar.set_callback) &&
                       bind_entry(library, "RARSetPassword", rar.set_password) &&
                       bind_entry(library, "RARProcessFileW", rar.process_file_w);
    // Version 4 is the first with these records; every later one keeps them.
    if (found && rar.get_dll_version() >= 4) {
        rar.library = library;
        return true;
    }
    os::free_library(library);
    rar = RarLibrary();
    prompter.show(messages.message(42), messages.message(44), BoxIcon::kError);
    return false;
}

void release_rar_library(RarLibrary& rar) {
    os::free_library(rar.library);
    rar = RarLibrary();
}

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

void RarBackend::list(ArchiveContext& ctx) {
    begin_listing(ctx);
    ListingState& listing = ctx.listing;
    RarArchive archive(library_, ctx.state.archive_path(), unrar::kOpenList);
    unrar::HeaderDataEx header;
    while (archive.is_open() && archive.next(header) == 0) {
        // Every member has a name: a header without one is the remains of a damaged one.
        const std::string name = member_name(header);
        if (name.empty()) break;
        listing.member_names.push_back(name);
        listing.packed_total += static_cast<float>(header.PackSize);
        listing.unpacked_total += static_cast<float>(header.UnpSize);
        ctx.view.add_row({std::string(), name, format_size(header.UnpSize),
                          format_size(header.PackSize), rar_date(header.FileTime),
                          format_rate(member_rate(header.UnpSize, header.PackSize))});
        archive.skip();
    }
    finish_listing(ctx);
}

RarResult RarBackend::extract(ArchiveContext& ctx, const std::string& archive_path,
                              const std::string& destination, int member, bool ask) const {
    RarResult result;
    RarArchive archive(library_, archive_path, unrar::kOpenExtract);
    if (!archive.is_open()) {
        result.ok = false;
        result.code = archive.open_result();
        return result;
    }
    MemberPlacement placement(true);
    const std::string target = as_folder(destination);
    std::vector<std::wstring> names;  // every member read so far
    // The files this extraction wrote that still hold their member's data, both ways; a file is
    // known by its lower-cased path, as Windows names it.
    std::map<size_t, std::string> written;  // member number -> file
    std::map<std::string, size_t> holders;  // file -> member number
    const auto failed = [&](int code, const std::string& name) {
        ctx.not_extracted.push_back(name);
        if (result.ok) result = {false, 2, code, name};
    };
    unrar::HeaderDataEx header;
    for (;;) {
        const int read = archive.next(header);
        if (read == unrar::kEndArchive) break;
        if (read != 0) {
            if (result.ok) result = {false, 1, read, std::string()};
            return result;
        }
        const std::string name = member_name(header);
        if (name.empty()) {
            if (result.ok) result = {false, 1, unrar::kBadData, std::string()};
            return result;
        }
        const size_t number = names.size();
        names.push_back(archive_name(header.FileNameW));
        const unsigned redirect = header.RedirType;
        const bool copy = redirect == unrar::kHardLink || redirect == unrar::kFileCopy;
        if (member != kEveryRarMember && number != static_cast<size_t>(member)) {
            archive.skip();
            continue;
        }
        if (redirect != unrar::kNoRedirect && !copy) {  // a symbolic link or a junction
            archive.skip();
            failed(unrar::kCreateError, name);
            continue;
        }
        if (header.Flags & unrar::kDirectory) {
            placement.place(target, name + "\\");
            archive.skip();
            continue;
        }
        const std::string path = placement.place(target, name);
        if (path.empty() || !may_overwrite(ctx, path, name, ask)) {
            archive.skip();
            continue;
        }
        // The library writes under a plain name of ours, which then takes the member's name: so
        // an existing file is replaced only by a member that extracted without error, and the
        // name is written by the program in its own code page.
        const std::string work = unused_path(folder_of(path) + "~mlx");
        int processed = unrar::kCreateError;
        if (!copy && !work.empty()) {
            processed = archive.extract_to(target, work);
        } else {
            archive.skip();
        }
        if (copy && !work.empty()) {
            // The member it names: the last one before it of that name.
            const std::wstring source = archive_name(header.RedirName);
            size_t from = number;
            while (from > 0 && names[from - 1] != source) --from;
            const auto done = from > 0 ? written.find(from - 1) : written.end();
            if (from == 0) {
                processed = unrar::kReferenceError;
            } else if (done != written.end()) {
                processed = os::copy_file(done->second, work, true) ? 0 : unrar::kCreateError;
            } else {
                processed = extract_again(library_, archive_path, from - 1, target, work);
            }
        }
        if (processed != 0 || !os::replace_file(work, path)) {
            os::delete_file(work);
            failed(processed, name);
            continue;
        }
        const auto [holder, fresh] = holders.emplace(lower_case(path), number);
        if (!fresh) {
            written.erase(holder->second);
            holder->second = number;
        }
        written[number] = path;
    }
    const int closed = archive.close();
    if (closed != 0 && result.ok) result = {false, 3, closed, std::string()};
    return result;
}

void RarBackend::extract_all(ArchiveContext& ctx, const ExtractChoices& choices) {
    if (choices.target_folder.empty()) return;
    extract(ctx, ctx.state.archive_path(), choices.target_folder, kEveryRarMember,
            choices.ask_before_overwriting);
}

void RarBackend::extract_chosen(ArchiveContext& ctx, const ExtractChoices&) {
    ctx.prompter.show(ctx.messages.message(73), ctx.messages.message(74), BoxIcon::kWarning);
}

bool RarBackend::extract_everything(ArchiveContext& ctx, const std::string& folder) {
    return extract(ctx, ctx.state.archive_path(), folder, kEveryRarMember, false).ok;
}

void RarBackend::open_member(ArchiveContext& ctx, const OpenRequest& request) {
    const std::string name = member_at(ctx, request.entry);
    const std::string folder = name.empty() ? std::string() : opening_folder(ctx);
    if (folder.empty()) return;
    if (!extract(ctx, ctx.state.archive_path(), folder, request.entry, false).ok) return;
    launch_written(ctx, folder, clean_place(folder, name, true), request.viewer);
}
