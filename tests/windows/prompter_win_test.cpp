// The system prompter's one-line input box, answered through a CBT hook as a user would.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "runtime/ui_prompt.h"

namespace {

WPARAM g_button = IDOK;
std::string g_title;

LRESULT CALLBACK answer_box(int code, WPARAM wp, LPARAM lp) {
    HWND box = reinterpret_cast<HWND>(wp);
    char window_class[32] = "";
    if (code == HCBT_ACTIVATE && GetWindowThreadProcessId(box, nullptr) == GetCurrentThreadId() &&
        GetClassNameA(box, window_class, sizeof window_class) &&
        std::strcmp(window_class, "#32770") == 0) {
        char title[100] = "";
        GetWindowTextA(box, title, sizeof title);
        g_title = title;
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

}  // namespace
