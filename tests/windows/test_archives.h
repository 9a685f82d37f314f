// Small fixtures for the window tests: a private work folder and stored ZIP archives written
// byte by byte, so names (duplicates and odd cases included), contents and dates are exact.
#ifndef MARLOX_TESTS_WINDOWS_TEST_ARCHIVES_H
#define MARLOX_TESTS_WINDOWS_TEST_ARCHIVES_H

#include <shlobj.h>
#include <windows.h>
#include <zlib.h>

#include <cstring>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/paths.h"

struct TestMember {
    std::string name;
    std::string data;
    int year = 2005, month = 3, day = 7, hour = 12, minute = 30;
};

inline void put16(std::string& out, unsigned value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

inline void put32(std::string& out, uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// The bytes of a ZIP archive holding `members` stored (method 0).
inline std::string stored_zip(const std::vector<TestMember>& members) {
    std::string out, directory;
    for (const TestMember& m : members) {
        const uint32_t crc = static_cast<uint32_t>(crc32(
            0, reinterpret_cast<const Bytef*>(m.data.data()), static_cast<uInt>(m.data.size())));
        const unsigned time = (m.hour << 11) | (m.minute << 5);
        const unsigned date = m.day == 0 ? 0 : ((m.year - 1980) << 9) | (m.month << 5) | m.day;
        const uint32_t offset = static_cast<uint32_t>(out.size());
        const uint32_t size = static_cast<uint32_t>(m.data.size());
        put32(out, 0x04034b50);
        put16(out, 10), put16(out, 0), put16(out, 0), put16(out, time), put16(out, date);
        put32(out, crc), put32(out, size), put32(out, size);
        put16(out, static_cast<unsigned>(m.name.size())), put16(out, 0);
        out += m.name + m.data;
        put32(directory, 0x02014b50);
        put16(directory, 20), put16(directory, 10), put16(directory, 0), put16(directory, 0);
        put16(directory, time), put16(directory, date);
        put32(directory, crc), put32(directory, size), put32(directory, size);
        put16(directory, static_cast<unsigned>(m.name.size()));
        put16(directory, 0), put16(directory, 0), put16(directory, 0), put16(directory, 0);
        put32(directory, m.name.back() == '/' ? 0x10 : 0x20);
        put32(directory, offset);
        directory += m.name;
    }
    const uint32_t start = static_cast<uint32_t>(out.size());
    out += directory;
    put32(out, 0x06054b50);
    put16(out, 0), put16(out, 0);
    put16(out, static_cast<unsigned>(members.size())),
        put16(out, static_cast<unsigned>(members.size()));
    put32(out, static_cast<uint32_t>(directory.size())), put32(out, start);
    put16(out, 0);
    return out;
}

inline bool write_bytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

// The whole file, or "<missing>".
inline std::string read_bytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

// A drop handle as the shell makes it: DROPFILES, then the paths, each ending in a NUL, and one
// more NUL. The receiver's DragFinish frees it.
inline HGLOBAL drop_handle(const std::vector<std::string>& paths) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths) size += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, size);
    if (!memory) return nullptr;
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = FALSE;
    char* at = reinterpret_cast<char*>(files + 1);
    for (const std::string& path : paths) {
        memcpy(at, path.c_str(), path.size());
        at += path.size() + 1;
    }
    GlobalUnlock(memory);
    return memory;
}

// A fresh folder of this process in the temporary folder, removed again at the end.
class WorkFolder {
  public:
    WorkFolder() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "marlox-win-" + std::to_string(GetCurrentProcessId()) + "\\";
        remove_tree(path_);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~WorkFolder() { remove_tree(path_); }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

#endif
