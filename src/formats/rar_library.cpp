#include "formats/rar_library.h"

#include <cstring>
#include <cwchar>

namespace {

// The library's questions: a password (the wide form; the narrow one follows only when the wide
// one got none, and gets none either) and a volume that is not where it looked. Every other
// message goes on.
int MARLOX_STDCALL answer_library(unsigned message, intptr_t user, intptr_t p1, intptr_t p2) {
    RarQuestions& questions = *reinterpret_cast<RarQuestions*>(user);
    if (message == unrar::kChangeVolumeW && p2 == unrar::kVolumeAsk) {
        questions.missing_volume = reinterpret_cast<const wchar_t*>(p1);
        return -1;
    }
    if (message != unrar::kNeedPasswordW) return 0;
    if (questions.password.empty() && !questions.cancelled) {
        InputRequest request;
        request.title = questions.messages.message(191);
        request.prompt = questions.messages.message(192);
        request.cancel = questions.messages.message(34);
        request.secret = true;
        questions.password = questions.prompter.input_line(request);
        questions.cancelled = questions.password.empty();
    }
    if (questions.cancelled) return -1;
    const std::wstring password = os::to_wide(questions.password);
    const size_t room = static_cast<size_t>(p2);
    wchar_t* buffer = reinterpret_cast<wchar_t*>(p1);
    const size_t length = password.size() < room ? password.size() : room - 1;
    std::wmemcpy(buffer, password.data(), length);
    buffer[length] = L'\0';
    return 1;
}

// `path` as the library takes it: wide, with the system's separators.
std::wstring library_path(const std::string& path) {
    std::wstring wide = os::to_wide(path);
    const wchar_t separator = static_cast<wchar_t>(os::native_path("\\")[0]);
    for (wchar_t& c : wide) c = c == L'\\' ? separator : c;
    return wide;
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

RarArchive::RarArchive(const RarLibrary& rar, const std::string& path, unsigned mode,
                       RarQuestions& questions)
    : rar_(rar), wide_path_(library_path(path)), path_(os::native_path(path)) {
    if (!rar_.available()) return;
    unrar::OpenArchiveDataEx open;
    std::memset(&open, 0, sizeof open);
    open.ArcName = &path_[0];
    open.ArcNameW = &wide_path_[0];
    open.OpenMode = mode;
    // Given at opening for encrypted headers, which need the password there; set again after it
    // for libraries older than that field.
    open.callback = answer_library;
    open.UserData = reinterpret_cast<intptr_t>(&questions);
    handle_ = rar_.open_archive_ex(&open);
    open_result_ = open.OpenResult;
    if (open_result_ != 0) handle_ = nullptr;
    if (handle_) rar_.set_callback(handle_, answer_library, open.UserData);
}

int RarArchive::next(unrar::HeaderDataEx& header) {
    std::memset(&header, 0, sizeof header);
    std::memset(redirect_, 0, sizeof redirect_);
    header.RedirName = redirect_;
    header.RedirNameSize = sizeof redirect_ / sizeof redirect_[0];
    return rar_.read_header_ex(handle_, &header);
}

int RarArchive::extract_to(const std::string& folder, const std::string& file) {
    std::wstring wide_folder = library_path(folder);
    std::wstring wide_file = library_path(file);
    return rar_.process_file_w(handle_, unrar::kExtract, &wide_folder[0], &wide_file[0]);
}

int RarArchive::close() {
    if (!handle_) return 0;
    const int result = rar_.close_archive(handle_);
    handle_ = nullptr;
    return result;
}

std::string rar_member_name(const unrar::HeaderDataEx& header) {
    if (header.FileNameW[0] != L'\0') return os::from_wide(header.FileNameW);
    return std::string(header.FileName, strnlen(header.FileName, sizeof header.FileName));
}

std::string rar_own_name(const unrar::HeaderDataEx& header) {
    if (header.FileNameW[0] != L'\0') return os::utf8_from_wide(header.FileNameW);
    return os::to_utf8(
        std::string(header.FileName, strnlen(header.FileName, sizeof header.FileName)));
}
