// One operation at a time, with the system's own boxes: while an extraction's overwrite question
// is up, the main window is disabled (the box is owned by it), and a command, a drop and the
// close box that still reach it are refused; the extraction finishes every member.
#include "dialog_driver.h"
#include "runtime/ui_prompt.h"

namespace {

struct BoxWatch {
    HWND main = nullptr;
    std::string drop_path;
    std::vector<std::string> titles;
    bool main_enabled = true;
    HWND owner = nullptr;
};
BoxWatch g_watch;

// Every box of this thread: the first one gets the interleaved events, then its answer.
LRESULT CALLBACK watch_boxes(int code, WPARAM wp, LPARAM lp) {
    HWND box = reinterpret_cast<HWND>(wp);
    if (box_of_this_thread(code, box)) {
        g_watch.titles.push_back(text_of(box));
        if (g_watch.titles.size() == 1) {
            g_watch.main_enabled = IsWindowEnabled(g_watch.main) != FALSE;
            g_watch.owner = GetWindow(box, GW_OWNER);
            // What a user might still get to the window: the box's own loop delivers these
            // before the answer.
            PostMessageA(g_watch.main, WM_COMMAND, kButtonAdd, 0);
            PostMessageA(g_watch.main, WM_COMMAND, kCmdRemove, 0);
            PostMessageA(g_watch.main, WM_DROPFILES,
                         reinterpret_cast<WPARAM>(drop_handle({g_watch.drop_path})), 0);
            PostMessageA(g_watch.main, WM_CLOSE, 0, 0);
            PostMessageA(box, WM_COMMAND, IDYES, 0);
        } else {
            PostMessageA(box, WM_COMMAND, IDNO, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

class OneOperationAtATime : public AppTest {};

TEST_F(OneOperationAtATime, CommandsDropsAndCloseWaitWhileTheOverwriteQuestionIsUp) {
    const std::string archive = work.path() + "a.zip", out = work.path() + "out\\";
    ASSERT_TRUE(write_bytes(
        archive,
        stored_zip({{"one.txt", "first"}, {"two.txt", "second"}, {"three.txt", "third"}})));
    const std::string archive_bytes = read_bytes(archive);
    CreateDirectoryA(out.c_str(), nullptr);
    ASSERT_TRUE(write_bytes(out + "two.txt", "older"));
    g_watch = BoxWatch();
    g_watch.drop_path = work.path() + "dropped.txt";
    ASSERT_TRUE(write_bytes(g_watch.drop_path, "dropped"));
    start(archive, &system_prompter());
    g_watch.main = window().handle();
    // The extract dialog goes to "out"; any other dialog (the add dialog) is counted and
    // cancelled.
    int other_dialogs = 0;
    Dialog::test_hook = [&](HWND dialog) {
        if (text_of(dialog) != message(107)) {
            ++other_dialogs;
            press(dialog, IDCANCEL);
            return;
        }
        show_folder(dialog, out);
        press(dialog, kExtractOk);
    };
    HHOOK hook = SetWindowsHookExA(WH_CBT, watch_boxes, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    app->dispatch_command(kButtonExtract);
    pump();  // whatever is still queued is handled the way the main loop handles it
    UnhookWindowsHookEx(hook);

    ASSERT_EQ(g_watch.titles.size(), 1u);
    EXPECT_EQ(g_watch.titles[0], message(50));
    EXPECT_FALSE(g_watch.main_enabled);
    EXPECT_EQ(g_watch.owner, g_watch.main);
    EXPECT_EQ(other_dialogs, 0);
    EXPECT_EQ(read_bytes(out + "one.txt"), "first");
    EXPECT_EQ(read_bytes(out + "two.txt"), "second");
    EXPECT_EQ(read_bytes(out + "three.txt"), "third");
    EXPECT_EQ(read_bytes(archive), archive_bytes);
    EXPECT_TRUE(IsWindow(g_watch.main));
    EXPECT_FALSE(window().busy());
    EXPECT_EQ(window().row_count(), 3);
}

}  // namespace
