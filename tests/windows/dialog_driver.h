// What the window tests share: a private work folder, files read and written whole, drop
// handles; the program started in-process on a command line, its rows, pressing and reading the
// controls of its dialogs, a dialog a command must show, the folder a dialog shows, and the
// member names of an archive as the engine reads them. Archives come from archive_bytes.h, and
// the back-end matrix's from make_matrix_fixtures.sh, in kMatrix.
#ifndef MARLOX_TESTS_WINDOWS_DIALOG_DRIVER_H
#define MARLOX_TESTS_WINDOWS_DIALOG_DRIVER_H

#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/commands.h"
#include "archive/add_dialog.h"
#include "archive/extract_dialog.h"
#include "archive_bytes.h"
#include "runtime/os.h"
#include "runtime/paths.h"
#include "scripted_prompter.h"
#include "zip/zip.h"

inline const std::string kMatrix = std::string("Z:") + MARLOX_MATRIX_DIR + "\\";

inline bool write_bytes(const std::string& path, const std::string& bytes) {
    return static_cast<bool>(std::ofstream(path, std::ios::binary) << bytes);
}

// The whole file, or "<missing>".
inline std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
}

// A drop handle as the shell makes it: DROPFILES, then the paths, each ending in a NUL, and one
// more NUL. The receiver's DragFinish frees it.
inline HGLOBAL drop_handle(const std::vector<std::string>& paths) {
    const DROPFILES header = {sizeof(DROPFILES), {0, 0}, FALSE, FALSE};
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
    for (const std::string& path : paths) bytes += path + '\0';
    bytes += '\0';
    HGLOBAL memory = GlobalAlloc(GHND, bytes.size());
    if (memory) {
        memcpy(GlobalLock(memory), bytes.data(), bytes.size());
        GlobalUnlock(memory);
    }
    return memory;
}

// A fresh folder of this process in the temporary folder, removed again at the end.
struct WorkFolder {
    WorkFolder() {
        remove_tree(path_);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~WorkFolder() { remove_tree(path_); }
    WorkFolder(const WorkFolder&) = delete;
    const std::string& path() const { return path_; }
    const std::string path_ =
        os::temp_folder() + "marlox-win-" + std::to_string(GetCurrentProcessId()) + "\\";
};

inline bool is_checked(HWND dialog, int id) {
    return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
inline bool is_enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}
inline void press(HWND dialog, int id) { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }

// A mouse click (or with `twice` a double click) in the middle of `box` of `window`.
inline void click(HWND window, const RECT& box, bool twice = false) {
    const LPARAM at = MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    SendMessageA(window, twice ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(window, WM_LBUTTONUP, 0, at);
}

// A box's title, text and icon.
inline void expect_box(const MessageBoxRequest& box, const std::string& title,
                       const std::string& text, BoxIcon icon) {
    EXPECT_EQ(box.title, title);
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.icon, icon);
}

inline std::string text_of(HWND window) {
    char title[200] = "";
    GetWindowTextA(window, title, sizeof title);
    return title;
}
inline std::string text_of(HWND dialog, int id) { return text_of(GetDlgItem(dialog, id)); }

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

// The member names in archive order, with `crc` each followed by a space and its CRC-32; none
// when the file is no archive.
inline std::vector<std::string> names_in(const std::string& archive, bool crc = false) {
    std::vector<std::string> out;
    ZipEngine zip;
    if (zip_open(zip, archive) != kZipOk) return out;
    for (int n = 1, count = zip_count(zip); n <= count; ++n) {
        out.push_back(zip_goto(zip, n));
        ZipMemberInfo info;
        if (crc && zip_member_info(zip, info) == kZipOk)
            out.back() += " " + std::to_string(info.crc);
    }
    zip_close(zip);
    return out;
}

// The program in-process with a scripted prompter and a work folder of its own.
class AppTest : public ::testing::Test {
  protected:
    void TearDown() override { Dialog::test_hook = nullptr; }

    // Starts on `argument`, with the scripted prompter unless another is given.
    void start(const std::string& argument, Prompter* other = nullptr) {
        app = std::make_unique<Application>(other ? *other : prompter);
        app->write_send_to_shortcut = false;
        ASSERT_TRUE(app->start_up("marlox.exe \"" + argument + "\""));
    }
    // Writes `members` into the archive `name` in the work folder and starts on it; its path.
    std::string start_on(const std::string& name, const std::vector<TestMember>& members) {
        const std::string path = work.path() + name;
        EXPECT_TRUE(write_bytes(path, stored_zip(members)));
        start(path);
        return path;
    }

    MainWindow& window() { return app->window(); }
    std::string out() const { return work.path() + "out\\"; }
    std::string message(int n) const { return app->messages().message(n); }
    std::vector<std::string> column(int c) {
        std::vector<std::string> out;
        for (int r = 0; r < window().row_count(); ++r) out.push_back(window().row_text(r, c));
        return out;
    }
    // Selects the rows of these names, and only those.
    void select(const std::vector<std::string>& names) {
        for (int r = 0; r < window().row_count(); ++r) {
            const bool chosen =
                std::find(names.begin(), names.end(), window().row_text(r, 1)) != names.end();
            ListView_SetItemState(window().list(), r, chosen ? LVIS_SELECTED : 0, LVIS_SELECTED);
        }
    }
    // Dispatches `command`, whose dialog must show; `drive` acts on it.
    void run_dialog(int command, const std::function<void(HWND)>& drive) {
        bool ran = false;
        Dialog::test_hook = [&](HWND dialog) {
            ran = true;
            drive(dialog);
        };
        app->dispatch_command(command);
        Dialog::test_hook = nullptr;
        EXPECT_TRUE(ran);
    }
    // The extract command: the dialog shows `folder` (made first), `drive` acts on it, then OK.
    void extract(const std::string& folder, const std::function<void(HWND)>& drive = nullptr) {
        CreateDirectoryA(folder.c_str(), nullptr);
        run_dialog(kButtonExtract, [&](HWND dialog) {
            ASSERT_TRUE(show_folder(dialog, folder));
            if (drive) drive(dialog);
            press(dialog, kExtractOk);
        });
    }
    void pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) app->handle_message(msg);
    }

    WorkFolder work;
    ScriptedPrompter prompter;
    std::unique_ptr<Application> app;
};

#endif
