// Small fixtures for the window tests: a private work folder, files read and written whole, and
// drop handles; archives come from archive_bytes.h.
#ifndef MARLOX_TESTS_WINDOWS_TEST_ARCHIVES_H
#define MARLOX_TESTS_WINDOWS_TEST_ARCHIVES_H

#include <shlobj.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "archive_bytes.h"
#include "runtime/paths.h"

inline bool write_bytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    return static_cast<bool>(out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())));
}

// The whole file, or "<missing>".
inline std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
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
