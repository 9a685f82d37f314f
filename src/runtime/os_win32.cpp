// Win32 implementation of the OS layer: the A functions, Windows-1252 paths; the W functions for
// the UTF-8 paths of `unicode`.
#include <windows.h>

#include "runtime/os.h"
#include "runtime/os_internal.h"

namespace os {
namespace {

uint64_t from_filetime(const FILETIME& ft) {
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME to_filetime(uint64_t value) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(value);
    ft.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return ft;
}

}  // namespace

struct File {
    HANDLE handle;
};

namespace {

// CreateFile's access and disposition for `mode`.
DWORD access_for(OpenMode mode) {
    return mode == OpenMode::kRead ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
}
DWORD disposition_for(OpenMode mode) {
    return mode == OpenMode::kCreate ? CREATE_ALWAYS : OPEN_EXISTING;
}
constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;

File* file_of(HANDLE h) { return h == INVALID_HANDLE_VALUE ? nullptr : new File{h}; }

bool set_time_of(HANDLE h, uint64_t filetime) {
    if (h == INVALID_HANDLE_VALUE) return false;
    FILETIME ft = to_filetime(filetime);
    bool ok = SetFileTime(h, nullptr, nullptr, &ft) != 0;
    CloseHandle(h);
    return ok;
}

}  // namespace

File* open_file(const std::string& path, OpenMode mode) {
    return file_of(CreateFileA(path.c_str(), access_for(mode), kShareReadWrite, nullptr,
                               disposition_for(mode), FILE_ATTRIBUTE_NORMAL, nullptr));
}

int64_t read_file(File* f, void* buffer, size_t size) {
    size_t done = 0;
    auto* p = static_cast<char*>(buffer);
    while (done < size) {
        DWORD chunk = static_cast<DWORD>(size - done > 0x40000000u ? 0x40000000u : size - done);
        DWORD got = 0;
        if (!ReadFile(f->handle, p + done, chunk, &got, nullptr)) return -1;
        if (got == 0) break;
        done += got;
    }
    return static_cast<int64_t>(done);
}

bool write_file(File* f, const void* buffer, size_t size) {
    if (!write_allowed(size)) return false;
    size_t done = 0;
    const auto* p = static_cast<const char*>(buffer);
    while (done < size) {
        DWORD chunk = static_cast<DWORD>(size - done > 0x40000000u ? 0x40000000u : size - done);
        DWORD put = 0;
        if (!WriteFile(f->handle, p + done, chunk, &put, nullptr) || put == 0) return false;
        done += put;
    }
    return true;
}

bool seek_file(File* f, int64_t position) {
    LARGE_INTEGER to;
    to.QuadPart = position;
    return SetFilePointerEx(f->handle, to, nullptr, FILE_BEGIN) != 0;
}

int64_t tell_file(File* f) {
    LARGE_INTEGER zero, here;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(f->handle, zero, &here, FILE_CURRENT)) return -1;
    return here.QuadPart;
}

int64_t file_size(File* f) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(f->handle, &size)) return -1;
    return size.QuadPart;
}

bool truncate_file(File* f) { return SetEndOfFile(f->handle) != 0; }

bool flush_file(File* f) { return FlushFileBuffers(f->handle) != 0; }

bool set_file_time(File* f, uint64_t filetime) {
    FILETIME ft = to_filetime(filetime);
    return SetFileTime(f->handle, nullptr, nullptr, &ft) != 0;
}

bool close_file(File* f) {
    if (!f) return true;
    const bool closed = CloseHandle(f->handle) != 0;
    delete f;
    return closed;
}

uint32_t attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

int64_t file_size(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return static_cast<int64_t>(static_cast<uint64_t>(data.nFileSizeHigh) << 32 |
                                data.nFileSizeLow);
}

bool set_attributes(const std::string& path, uint32_t attributes) {
    return SetFileAttributesA(path.c_str(), attributes) != 0;
}

bool last_write_time(const std::string& path, uint64_t& filetime) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    filetime = from_filetime(data.ftLastWriteTime);
    return true;
}

bool set_last_write_time(const std::string& path, uint64_t filetime) {
    return set_time_of(CreateFileA(path.c_str(), GENERIC_WRITE, kShareReadWrite, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                       filetime);
}

bool utc_to_local(uint64_t utc, uint64_t& local) {
    FILETIME in = to_filetime(utc), out;
    if (!FileTimeToLocalFileTime(&in, &out)) return false;
    local = from_filetime(out);
    return true;
}

bool local_to_utc(uint64_t local, uint64_t& utc) {
    FILETIME in = to_filetime(local), out;
    if (!LocalFileTimeToFileTime(&in, &out)) return false;
    utc = from_filetime(out);
    return true;
}

bool file_time_to_system_time(uint64_t filetime, SystemTime& out) {
    FILETIME ft = to_filetime(filetime);
    SYSTEMTIME st;
    if (!FileTimeToSystemTime(&ft, &st)) return false;
    out = {st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
           st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
    return true;
}

bool system_time_to_file_time(const SystemTime& in, uint64_t& filetime) {
    SYSTEMTIME st;
    st.wYear = static_cast<WORD>(in.year);
    st.wMonth = static_cast<WORD>(in.month);
    st.wDayOfWeek = static_cast<WORD>(in.day_of_week);
    st.wDay = static_cast<WORD>(in.day);
    st.wHour = static_cast<WORD>(in.hour);
    st.wMinute = static_cast<WORD>(in.minute);
    st.wSecond = static_cast<WORD>(in.second);
    st.wMilliseconds = static_cast<WORD>(in.milliseconds);
    FILETIME ft;
    if (!SystemTimeToFileTime(&st, &ft)) return false;
    filetime = from_filetime(ft);
    return true;
}

SystemTime local_now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
            st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
}

bool create_new_folder(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool create_folder(const std::string& path) {
    if (create_new_folder(path)) return true;
    uint32_t a = attributes(path);
    return a != kNoAttributes && (a & kAttrDirectory);
}

// GetFileAttributes does not follow a link: it reports the link itself.
uint32_t own_attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

bool remove_folder(const std::string& path) { return RemoveDirectoryA(path.c_str()) != 0; }

bool delete_file(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool copy_file(const std::string& from, const std::string& to, bool fail_if_exists) {
    return CopyFileA(from.c_str(), to.c_str(), fail_if_exists) != 0;
}

bool move_file(const std::string& from, const std::string& to) {
    return MoveFileA(from.c_str(), to.c_str()) != 0;
}

std::string native_path(const std::string& path) { return path; }

bool same_file(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION info[2];
    const std::string paths[2] = {a, b};
    for (int k = 0; k < 2; ++k) {
        HANDLE h =
            CreateFileA(paths[k].c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        const BOOL got = GetFileInformationByHandle(h, &info[k]);
        CloseHandle(h);
        if (!got) return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
           info[0].nFileIndexLow == info[1].nFileIndexLow;
}

bool replace_file(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

namespace unicode {

File* open_file(const std::string& path, OpenMode mode) {
    return file_of(CreateFileW(wide_from_utf8(path).c_str(), access_for(mode), kShareReadWrite,
                               nullptr, disposition_for(mode), FILE_ATTRIBUTE_NORMAL, nullptr));
}

uint32_t attributes(const std::string& path) {
    return GetFileAttributesW(wide_from_utf8(path).c_str());
}

bool create_folder(const std::string& path) {
    if (CreateDirectoryW(wide_from_utf8(path).c_str(), nullptr)) return true;
    const uint32_t a = attributes(path);
    return a != kNoAttributes && (a & kAttrDirectory);
}

bool delete_file(const std::string& path) { return DeleteFileW(wide_from_utf8(path).c_str()) != 0; }

bool replace_file(const std::string& from, const std::string& to) {
    return MoveFileExW(wide_from_utf8(from).c_str(), wide_from_utf8(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING) != 0;
}

bool set_last_write_time(const std::string& path, uint64_t filetime) {
    return set_time_of(CreateFileW(wide_from_utf8(path).c_str(), GENERIC_WRITE, kShareReadWrite,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                       filetime);
}

}  // namespace unicode

namespace {

const char* const kZoneMarker = ":Zone.Identifier";

}  // namespace

bool read_zone_marker(const std::string& path, std::string& marker) {
    return read_whole_file(path + kZoneMarker, marker);
}

bool write_zone_marker(const std::string& path, const std::string& marker) {
    // A read-only file takes no new stream: the attribute is lifted for the write and put back.
    const DWORD a = GetFileAttributesA(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) return false;
    const DWORD writable = a & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    const bool read_only = a != writable;
    if (read_only && !SetFileAttributesA(path.c_str(), writable ? writable : FILE_ATTRIBUTE_NORMAL))
        return false;
    File* f = open_file(path + kZoneMarker, OpenMode::kCreate);
    bool written = f && write_file(f, marker.data(), marker.size());
    written = close_file(f) && written;
    if (read_only) SetFileAttributesA(path.c_str(), a);
    return written;
}

bool list_folder(const std::string& folder, std::vector<FolderEntry>& out) {
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(pattern.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return false;
    out.clear();
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        out.push_back({name, data.dwFileAttributes});
    } while (FindNextFileA(h, &data));
    FindClose(h);
    return true;
}

int64_t free_space(const std::string& path) {
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(path.c_str(), &available, nullptr, nullptr)) return -1;
    return static_cast<int64_t>(available.QuadPart);
}

std::string temp_folder() {
    char buffer[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof buffer, buffer);
    if (n == 0 || n > MAX_PATH) return std::string();
    std::string out(buffer, n);
    if (out.back() != '\\') out += '\\';
    return out;
}

std::string program_path() {
    char buffer[MAX_PATH + 1];
    DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return std::string(buffer, n);
}

std::string program_folder() {
    std::string path = program_path();
    return path.substr(0, path.find_last_of('\\') + 1);
}

struct Library {
    HMODULE handle;
};

std::wstring to_wide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], length);
    return out;
}

std::string from_wide(const std::wstring& text) {
    if (text.empty()) return std::string();
    // No "best fit": a character the code page lacks is not turned into a look-alike.
    const DWORD flags = WC_NO_BEST_FIT_CHARS;
    const int length = WideCharToMultiByte(CP_ACP, flags, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0, "?", nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, flags, text.data(), static_cast<int>(text.size()), &out[0], length,
                        "?", nullptr);
    return out;
}

Library* load_library(const std::string& name) {
    HMODULE h = LoadLibraryA(name.c_str());
    return h ? new Library{h} : nullptr;
}

void* find_symbol(Library* library, const char* name) {
    if (!library) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(library->handle, name));
}

void free_library(Library* library) {
    if (!library) return;
    FreeLibrary(library->handle);
    delete library;
}

}  // namespace os
