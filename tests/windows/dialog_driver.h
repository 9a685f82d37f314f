// What the window tests share to drive the program's dialogs and boxes: pressing and reading
// controls, the folder a dialog shows, telling a box of this thread, and the member names of an
// archive as the engine reads them.
#ifndef MARLOX_TESTS_WINDOWS_DIALOG_DRIVER_H
#define MARLOX_TESTS_WINDOWS_DIALOG_DRIVER_H

#include <windows.h>

#include <string>
#include <vector>

#include <cstring>

#include "archive/add_dialog.h"
#include "archive/extract_dialog.h"
#include "zip/zip.h"

inline bool is_checked(HWND dialog, int id) {
    return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
inline bool is_enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}
inline void press(HWND dialog, int id) { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }

// The folder a dialog's tree or list shows, and showing one there; false when it is not found.
inline std::string shown_folder(HWND dialog) {
    std::string folder;
    SendMessageA(dialog, kDialogGetFolder, 0, reinterpret_cast<LPARAM>(&folder));
    return folder;
}
inline bool show_folder(HWND dialog, const std::string& folder) {
    return SendMessageA(dialog, kDialogShowFolder, 0, reinterpret_cast<LPARAM>(folder.c_str())) !=
           FALSE;
}

// Whether a CBT hook's `code` and window are a box or requester of this thread becoming active
// (under ctest -j2 a hook may see another process's window).
inline bool box_of_this_thread(int code, HWND window) {
    char window_class[32] = "";
    return code == HCBT_ACTIVATE &&
           GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId() &&
           GetClassNameA(window, window_class, sizeof window_class) &&
           std::strcmp(window_class, "#32770") == 0;
}

// The member names in archive order; none when the file is no archive.
inline std::vector<std::string> names_in(const std::string& archive) {
    std::vector<std::string> out;
    ZipEngine zip;
    if (zip_open(zip, archive) != kZipOk) return out;
    for (int n = 1, count = zip_count(zip); n <= count; ++n) out.push_back(zip_goto(zip, n));
    zip_close(zip);
    return out;
}

#endif
