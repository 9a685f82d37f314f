// The system prompter's one-line input box and file requesters, answered through a CBT hook as a
// user would.
#include "dialog_driver.h"
#include "runtime/ui_prompt.h"

namespace {

WPARAM g_button = IDOK;
std::string g_title;
std::string g_file;  // typed into the open requester's name box before OK

LRESULT CALLBACK answer_box(int code, WPARAM wp, LPARAM lp) {
    HWND box = reinterpret_cast<HWND>(wp);
    if (box_of_this_thread(code, box)) {
        g_title = text_of(box);
        // The name box of the open requester (cmb13, or edt1 in older layouts).
        if (!g_file.empty() && !SetDlgItemTextA(box, 0x47C, g_file.c_str()))
            SetDlgItemTextA(box, 0x480, g_file.c_str());
        PostMessageA(box, WM_COMMAND, g_button, 0);
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

// Each gives its answer on OK and nothing on Cancel: the input box the line, the open requester
// an existing file, the save requester a new one; both take bar-separated filters.
TEST(SystemPrompter, InputBoxAndFileRequestersGiveTheAnswerOnOkAndNothingOnCancel) {
    HHOOK hook = SetWindowsHookExA(WH_CBT, answer_box, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    InputRequest input;
    input.title = "Verzeichnisname \xE4";
    input.prompt = "Bitte Verzeichnisnamen eingeben";
    input.initial = "neu \xFC";
    g_button = IDOK;
    EXPECT_EQ(system_prompter().input_line(input), "neu \xFC");
    EXPECT_EQ(g_title, input.title);
    g_button = IDCANCEL;
    EXPECT_EQ(system_prompter().input_line(input), "");

    WorkFolder work;
    const std::string path = work.path() + "req.zip";
    OpenFileRequest open_request;
    open_request.title = "Archiv w\xE4hlen";
    open_request.filters = "ZIP (*.zip)|*.zip|Alle (*.*)|*.*";
    open_request.filter_index = 2;
    SaveFileRequest save_request;
    save_request.title = "Archivdatei erstellen...";
    save_request.filters = "ZIP-Dateien (*.zip)|*.zip";
    for (const bool open : {true, false}) {
        SCOPED_TRACE(open ? "open" : "save");
        ASSERT_TRUE(open ? write_bytes(path, "") : DeleteFileA(path.c_str()) != FALSE);
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
