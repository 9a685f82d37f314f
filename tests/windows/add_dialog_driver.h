// What the window tests of adding share: pressing and reading the add dialog's controls, and the
// member names of an archive as the engine reads them.
#ifndef MARLOX_TESTS_WINDOWS_ADD_DIALOG_DRIVER_H
#define MARLOX_TESTS_WINDOWS_ADD_DIALOG_DRIVER_H

#include <windows.h>

#include <string>
#include <vector>

#include "archive/add_dialog.h"
#include "zip/zip.h"

inline bool is_checked(HWND dialog, int id) {
    return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
inline bool is_enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}
inline void press(HWND dialog, int id) { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }

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
