// The system prompter's one-line input box, answered through a CBT hook as a user would.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "dialog_driver.h"
#include "runtime/ui_prompt.h"

namespace {

WPARAM g_button = IDOK;
std::string g_title;
std::string g_file;  // typed into the open requester's name box before OK

LRESULT CALLBACK answer_box(int code, WPARAM wp, LPARAM lp) {
    HWND box = reinterpret_cast<HWND>(wp);
    if (box_of_this_thread(code, box)) {
        char title[100] = "";
        GetWindowTextA(box, title, sizeof title);
        g_title = title;
        // The name box of the open requester (cmb13, or edt1 in older layouts).
        if (!g_file.empty() && !SetDlgItemTextA(box, 0x47C, g_file.c_str())) {
            SetDlgItemTextA(box, 0x480, g_file.c_str());
        }
        PostMessageA(box, WM_COMMAND, g_button, 0);
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

TEST(SystemPrompter, InputBoxGivesTheLineOnOkAndNothingOnCancel) {
    HHOOK hook = SetWindowsHookExA(WH_CBT, answer_box, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    InputRequest request;
    request.title = "Verzeichnisname \xE4";
    request.prompt = "Bitte Verzeichnisnamen eingeben";
    request.initial = "neu \xFC";
    g_button = IDOK;
    EXPECT_EQ(system_prompter().input_line(request), "neu \xFC");
    EXPECT_EQ(g_title, request.title);
    g_button = IDCANCEL;
    EXPECT_EQ(system_prompter().input_line(request), "");
    UnhookWindowsHookEx(hook);
}

// The open requester picks an existing file, the save requester names a new one; both take
// bar-separated filters and give nothing on Cancel.
TEST(SystemPrompter, FileRequestersGiveThePathOnOkAndNothingOnCancel) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string path =
        std::string(temp) + "marlox-req-" + std::to_string(GetCurrentProcessId()) + ".zip";
    HHOOK hook = SetWindowsHookExA(WH_CBT, answer_box, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    for (const bool open : {true, false}) {
        SCOPED_TRACE(open ? "open" : "save");
        if (open) {
            HANDLE file =
                CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            ASSERT_NE(file, INVALID_HANDLE_VALUE);
            CloseHandle(file);
        } else {
            DeleteFileA(path.c_str());
        }
        OpenFileRequest open_request;
        open_request.title = "Archiv w\xE4hlen";
        open_request.filters = "ZIP (*.zip)|*.zip|Alle (*.*)|*.*";
        open_request.filter_index = 2;
        SaveFileRequest save_request;
        save_request.title = "Archivdatei erstellen...";
        save_request.filters = "ZIP-Dateien (*.zip)|*.zip";
        const auto ask = [&] {
            return open ? system_prompter().open_file(open_request)
                        : system_prompter().save_file(save_request);
        };
        g_button = IDOK;
        g_file = path;
        EXPECT_EQ(ask(), path);
        EXPECT_EQ(g_title, open ? open_request.title : save_request.title);
        g_file.clear();
        g_button = IDCANCEL;
        EXPECT_EQ(ask(), "");
    }
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
