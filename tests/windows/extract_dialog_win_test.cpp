// The extract dialog driven through its test hook with real window messages: defaults, the
// three selection modes, overwrite answers, duplicate names, the folder tree and its new-folder
// button, the unwritable target, and the progress range of a long archive.
#include <gtest/gtest.h>

#include <memory>

#include "app/application.h"
#include "app/commands.h"
#include "archive/extract_dialog.h"
#include "dialog_driver.h"
#include "runtime/file_meta.h"
#include "scripted_prompter.h"
#include "test_archives.h"

namespace {

class ExtractDialogTest : public ::testing::Test {
  protected:
    void TearDown() override { Dialog::test_hook = nullptr; }

    void start(const std::vector<TestMember>& members) {
        archive = work.path() + "test.zip";
        ASSERT_TRUE(write_bytes(archive, stored_zip(members)));
        app = std::make_unique<Application>(prompter);
        app->write_send_to_shortcut = false;
        ASSERT_TRUE(app->start_up("marlox.exe \"" + archive + "\""));
        ASSERT_EQ(app->window().row_count(), static_cast<int>(members.size()));
    }

    void select_rows(const std::vector<int>& rows) {
        for (int row : rows) {
            ListView_SetItemState(app->window().list(), row, LVIS_SELECTED, LVIS_SELECTED);
        }
    }

    // Runs the extract command; `drive` acts on the dialog, then OK goes to the folder "out"
    // beside the archive.
    void extract(const std::function<void(HWND)>& drive) {
        CreateDirectoryA(out().c_str(), nullptr);
        Dialog::test_hook = [&](HWND dialog) {
            ASSERT_TRUE(show_folder(dialog, out()));
            if (drive) drive(dialog);
            press(dialog, kExtractOk);
        };
        app->dispatch_command(kButtonExtract);
    }

    std::string out() const { return work.path() + "out\\"; }
    std::string message(int n) const { return app->messages().message(n); }

    WorkFolder work;
    ScriptedPrompter prompter;
    std::unique_ptr<Application> app;
    std::string archive;
};

TEST_F(ExtractDialogTest, OpensAtTheArchiveFolderWithDefaultsHelpAndANewFolder) {
    start({{"a.txt", "alpha", 2005, 3, 7, 14, 6}, {"sub/b.txt", "beta", 1999, 12, 31, 23, 58}});
    bool ran = false;
    Dialog::test_hook = [&](HWND dialog) {
        ran = true;
        char title[100];
        GetWindowTextA(dialog, title, sizeof title);
        EXPECT_EQ(std::string(title), message(107));
        EXPECT_FALSE(IsWindowEnabled(app->window().handle()));
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

        // The close box does nothing.
        SendMessageA(dialog, WM_CLOSE, 0, 0);
        EXPECT_TRUE(IsWindow(dialog));

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

        press(dialog, kExtractOverwrite);
        press(dialog, kExtractOk);
    };
    app->dispatch_command(kCmdExtract);
    ASSERT_TRUE(ran);
    EXPECT_TRUE(IsWindowEnabled(app->window().handle()));

    const std::string fresh = work.path() + "fresh\\";
    EXPECT_EQ(read_bytes(fresh + "a.txt"), "alpha");
    EXPECT_EQ(read_bytes(fresh + "sub\\b.txt"), "beta");
    const DosDateTime stamp = file_time_to_dos(fresh + "sub\\b.txt");
    EXPECT_EQ(stamp.date, ((1999 - 1980) << 9) | (12 << 5) | 31);
    EXPECT_EQ(stamp.time, (23 << 11) | (58 << 5));
    EXPECT_EQ(app->settings().safe, 1);
    EXPECT_EQ(app->window().status_text(1), "");
}

// The selected rows of the real list reach the extraction: the second dup.txt selected
// extracts the first member of that name.
TEST_F(ExtractDialogTest, SelectedRowsOfTheListAreExtracted) {
    start({{"readme.txt", "r"}, {"dup.txt", "first"}, {"dup.txt", "second"}});
    select_rows({2});
    extract([](HWND dialog) { EXPECT_TRUE(is_checked(dialog, kExtractSelected)); });
    EXPECT_EQ(read_bytes(out() + "dup.txt"), "first");
    EXPECT_EQ(read_bytes(out() + "readme.txt"), "<missing>");
}

// The dialog's overwrite options decide for this extraction only.
TEST_F(ExtractDialogTest, OverwriteOptionsAskOrReplaceAndLeaveTheSettingAlone) {
    start({{"keep.txt", "new keep"}});
    CreateDirectoryA(out().c_str(), nullptr);
    ASSERT_TRUE(write_bytes(out() + "keep.txt", "old keep"));
    prompter.answers = {kAnswerNo};
    extract([](HWND dialog) { EXPECT_TRUE(is_checked(dialog, kExtractAsk)); });
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].owner, app->window().handle());
    EXPECT_EQ(read_bytes(out() + "keep.txt"), "old keep");

    extract([](HWND dialog) { press(dialog, kExtractOverwrite); });
    EXPECT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(read_bytes(out() + "keep.txt"), "new keep");
    EXPECT_EQ(app->settings().safe, 1);
}

TEST_F(ExtractDialogTest, UnwritableTargetKeepsTheDialogOpenAndCancelExtractsNothing) {
    start({{"a.txt", "a"}});
    const std::string gone = work.path() + "gone\\";
    CreateDirectoryA(gone.c_str(), nullptr);
    bool cancelled = false;
    Dialog::test_hook = [&](HWND dialog) {
        ASSERT_TRUE(show_folder(dialog, gone));
        // The folder disappears, as a medium taken out of its drive does.
        RemoveDirectoryA(gone.c_str());
        press(dialog, kExtractOk);
        ASSERT_EQ(prompter.boxes.size(), 1u);
        EXPECT_EQ(prompter.boxes[0].title, message(42));
        EXPECT_EQ(prompter.boxes[0].text, message(185) + "\n" + message(186) + "\n" + message(187));
        EXPECT_TRUE(IsWindow(dialog));
        press(dialog, kExtractCancel);
        cancelled = true;
    };
    app->dispatch_command(kCmdContextExtract);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(read_bytes(work.path() + "a.txt"), "<missing>");
    EXPECT_EQ(read_bytes(gone + "a.txt"), "<missing>");
}

TEST_F(ExtractDialogTest, TwoHundredFiftyMembersMoveTheBarOverARangeOf250) {
    std::vector<TestMember> members;
    for (int i = 1; i <= 250; ++i) members.push_back({"m" + std::to_string(i) + ".txt", "x"});
    start(members);
    CreateDirectoryA(out().c_str(), nullptr);
    ASSERT_TRUE(write_bytes(out() + "m250.txt", "old"));
    ASSERT_TRUE(write_bytes(out() + "m125.txt", "old"));
    std::vector<std::pair<int, int>> seen;  // range maximum and position at each question
    prompter.on_box = [&](const MessageBoxRequest&) {
        HWND bar = app->window().progress_bar();
        seen.emplace_back(static_cast<int>(SendMessageA(bar, PBM_GETRANGE, FALSE, 0)),
                          static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0)));
    };
    prompter.answers = {kAnswerYes, kAnswerYes};
    extract(nullptr);
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{250, 125}, {250, 250}}));
    EXPECT_EQ(read_bytes(out() + "m250.txt"), "x");
    HWND bar = app->window().progress_bar();
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 0);
}

TEST_F(ExtractDialogTest, WindowCatchesUpDuringALongMemberWithoutActingOnCommands) {
    start({{"first.txt", "1"}, {"large.bin", std::string(4 << 20, 'L')}});
    CreateDirectoryA(out().c_str(), nullptr);
    ASSERT_TRUE(write_bytes(out() + "first.txt", "old"));
    // While the first member's question is open, a quit command arrives; the progress callback
    // of the next member handles the window's messages but must not act on it.
    prompter.on_box = [&](const MessageBoxRequest&) {
        PostMessageA(app->window().handle(), WM_COMMAND, kButtonQuit, 0);
    };
    prompter.answers = {kAnswerYes};
    extract(nullptr);
    EXPECT_EQ(read_bytes(out() + "large.bin").size(), 4u << 20);
    MSG left;
    EXPECT_FALSE(PeekMessageA(&left, app->window().handle(), WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
    EXPECT_FALSE(app->state().quit);
    EXPECT_FALSE(app->window().busy());
}

}  // namespace
