// The extract dialog driven through its test hook with real window messages (what every dialog
// does is the add dialog's tests'): defaults, help and the new-folder button, the selected rows and
// the overwrite options, the unwritable target, and the progress bar and the window during a long
// extraction.
#include "dialog_driver.h"

namespace {

using ExtractDialogTest = AppTest;

TEST_F(ExtractDialogTest, OpensAtTheArchiveFolderWithDefaultsHelpAndANewFolder) {
    start_on("test.zip", {{"a.txt", "alpha"}, {"sub/b.txt", "beta"}});
    bool ran = false;
    Dialog::test_hook = [&](HWND dialog) {
        ran = true;
        EXPECT_EQ(text_of(dialog), message(107));
        EXPECT_EQ(shown_folder(dialog), work.path());

        // No row selected, asking on: all members, asking checked; pattern field off.
        EXPECT_TRUE(is_checked(dialog, kExtractAll));
        EXPECT_FALSE(is_enabled(dialog, kExtractSelected));
        EXPECT_TRUE(is_enabled(dialog, kExtractPattern));
        EXPECT_FALSE(is_enabled(dialog, kExtractPatternField));
        EXPECT_TRUE(is_checked(dialog, kExtractAsk));
        EXPECT_FALSE(is_checked(dialog, kExtractOverwrite));

        // The pattern option opens the field; "alle Dateien" closes and empties it.
        press(dialog, kExtractPattern);
        EXPECT_TRUE(is_enabled(dialog, kExtractPatternField));
        SetDlgItemTextA(dialog, kExtractPatternField, "*.x");
        press(dialog, kExtractAll);
        EXPECT_FALSE(is_enabled(dialog, kExtractPatternField));
        EXPECT_EQ(GetWindowTextLengthA(GetDlgItem(dialog, kExtractPatternField)), 0);

        press(dialog, kExtractHelp);
        ASSERT_EQ(prompter.boxes.size(), 1u);
        EXPECT_EQ(prompter.boxes[0].title, message(4));
        EXPECT_EQ(prompter.boxes[0].icon, BoxIcon::kInformation);
        EXPECT_EQ(prompter.boxes[0].text.find(message(147) + "\n" + message(148) + "\n" +
                                              message(149) + "\n\n" + message(150)),
                  0u);
        EXPECT_EQ(prompter.boxes[0].text.substr(prompter.boxes[0].text.size() - 2), "\n\n");

        // "neuer Ordner" makes the folder below the current one and moves the tree there.
        prompter.lines = {"fresh"};
        press(dialog, kExtractNewFolder);
        ASSERT_EQ(prompter.line_requests.size(), 1u);
        EXPECT_EQ(prompter.line_requests[0].title, message(164));
        EXPECT_EQ(prompter.line_requests[0].prompt, message(165));
        EXPECT_EQ(shown_folder(dialog), work.path() + "fresh\\");
        press(dialog, kExtractOk);
    };
    app->dispatch_command(kCmdExtract);
    ASSERT_TRUE(ran);
    const std::string fresh = work.path() + "fresh\\";
    EXPECT_EQ(read_bytes(fresh + "a.txt"), "alpha");
    EXPECT_EQ(read_bytes(fresh + "sub\\b.txt"), "beta");
    EXPECT_EQ(window().status_text(1), "");
}

// The selected rows of the real list reach the extraction (the second dup.txt selected extracts
// the first member of that name), and the dialog's overwrite option decides for this extraction
// only.
TEST_F(ExtractDialogTest, SelectedRowsAndOverwriteOptionsReachTheExtraction) {
    start_on("test.zip", {{"readme.txt", "r"}, {"dup.txt", "first"}, {"dup.txt", "second"}});
    ListView_SetItemState(window().list(), 2, LVIS_SELECTED, LVIS_SELECTED);
    CreateDirectoryA(out().c_str(), nullptr);
    ASSERT_TRUE(write_bytes(out() + "dup.txt", "old"));
    extract(out(), [](HWND dialog) { press(dialog, kExtractOverwrite); });
    EXPECT_TRUE(prompter.boxes.empty());
    EXPECT_EQ(read_bytes(out() + "dup.txt"), "first");
    EXPECT_EQ(read_bytes(out() + "readme.txt"), "<missing>");
    EXPECT_EQ(app->settings().safe, 1);
}

TEST_F(ExtractDialogTest, UnwritableTargetKeepsTheDialogOpenAndCancelExtractsNothing) {
    start_on("test.zip", {{"a.txt", "a"}});
    const std::string gone = work.path() + "gone\\";
    CreateDirectoryA(gone.c_str(), nullptr);
    bool cancelled = false;
    Dialog::test_hook = [&](HWND dialog) {
        ASSERT_TRUE(show_folder(dialog, gone));
        // The folder disappears, as a medium taken out of its drive does.
        RemoveDirectoryA(gone.c_str());
        press(dialog, kExtractOk);
        EXPECT_EQ(prompter.boxes.size(), 1u);  // its text is the host tests'
        EXPECT_TRUE(IsWindow(dialog));
        press(dialog, kExtractCancel);
        cancelled = true;
    };
    app->dispatch_command(kCmdContextExtract);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(read_bytes(work.path() + "a.txt"), "<missing>");
    EXPECT_EQ(read_bytes(gone + "a.txt"), "<missing>");
}

// 250 members move the bar over a range of 250. A quit command that arrives while the first
// question is open is handled by the progress of the extraction, which lets the window catch up,
// and refused.
TEST_F(ExtractDialogTest, LongArchiveMovesTheBarAndTheWindowCatchesUpWithoutActing) {
    std::vector<TestMember> members;
    for (int i = 1; i <= 250; ++i) members.push_back({"m" + std::to_string(i) + ".txt", "x"});
    start_on("test.zip", members);
    CreateDirectoryA(out().c_str(), nullptr);
    ASSERT_TRUE(write_bytes(out() + "m1.txt", "old"));
    ASSERT_TRUE(write_bytes(out() + "m250.txt", "old"));
    std::vector<std::pair<int, int>> seen;  // range maximum and position at each question
    prompter.on_box = [&](const MessageBoxRequest&) {
        HWND bar = window().progress_bar();
        seen.emplace_back(static_cast<int>(SendMessageA(bar, PBM_GETRANGE, FALSE, 0)),
                          static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0)));
        if (seen.size() == 1) PostMessageA(window().handle(), WM_COMMAND, kButtonQuit, 0);
    };
    prompter.answers = {kAnswerYes, kAnswerYes};
    extract(out());
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{250, 1}, {250, 250}}));
    EXPECT_EQ(read_bytes(out() + "m250.txt"), "x");
    MSG left;
    EXPECT_FALSE(PeekMessageA(&left, window().handle(), WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
    EXPECT_FALSE(app->state().quit);
    EXPECT_FALSE(window().busy());
    EXPECT_EQ(SendMessageA(window().progress_bar(), PBM_GETRANGE, FALSE, 0), 100);
    EXPECT_EQ(SendMessageA(window().progress_bar(), PBM_GETPOS, 0, 0), 0);
}

}  // namespace
