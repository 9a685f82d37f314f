// Small fixtures for the window tests: a private work folder, files read and written whole, and
// drop handles; archives come from archive_bytes.h.
#ifndef MARLOX_TESTS_WINDOWS_TEST_ARCHIVES_H
#define MARLOX_TESTS_WINDOWS_TEST_ARCHIVES_H

#include <shlobj.h>
#include <windows.h>

#include <cstring>

#include <cstdint>
#include <string>
#include <vector>

#include "archive_bytes.h"
#include "runtime/paths.h"

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
