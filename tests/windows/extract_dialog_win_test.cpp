// The extract dialog driven through its test hook with real window messages (what every dialog
// does is the add dialog's tests'): defaults, help and the new-folder button, the selected rows and
// the overwrite options, the unwritable target, and the progress bar and the window during a long
// extraction; RAR archives through the real UnRAR.dll and cabinets through the system's setup
// library, where the back-end matrix does not ask the same of every format.
#include "dialog_driver.h"
#include "formats/rar.h"
#include "runtime/file_meta.h"

namespace {

using ExtractDialogTest = AppTest;

// The dialog opens at the archive's folder with its defaults, help and a new-folder button.
TEST_F(ExtractDialogTest, DefaultsHelpNewFolderSelectedRowsOverwriteOptionAndAnUnwritableTarget) {
    start_on("test.zip", {{"a.txt", "alpha"}, {"sub/b.txt", "beta"}});
    run_dialog(kCmdExtract, [&](HWND dialog) {
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
    });
    const std::string fresh = work.path() + "fresh\\";
    EXPECT_EQ(read_bytes(fresh + "a.txt"), "alpha");
    EXPECT_EQ(read_bytes(fresh + "sub\\b.txt"), "beta");
    EXPECT_EQ(window().status_text(1), "");

    // The selected rows of the real list reach the extraction (the second dup.txt extracts the
    // first member of that name); the overwrite option decides for this extraction only. A target
    // gone meanwhile keeps the dialog open, and Cancel then extracts nothing.
    prompter.boxes.clear();
    start_on("test.zip", {{"readme.txt", "r"}, {"dup.txt", "first"}, {"dup.txt", "second"}});
    ListView_SetItemState(window().list(), 2, LVIS_SELECTED, LVIS_SELECTED);
    CreateDirectoryA(out().c_str(), nullptr);
    ASSERT_TRUE(write_bytes(out() + "dup.txt", "old"));
    extract(out(), [](HWND dialog) { press(dialog, kExtractOverwrite); });
    EXPECT_TRUE(prompter.boxes.empty());
    EXPECT_EQ(read_bytes(out() + "dup.txt"), "first");
    EXPECT_EQ(read_bytes(out() + "readme.txt"), "<missing>");
    EXPECT_EQ(app->settings().safe, 1);

    const std::string gone = work.path() + "gone\\";
    CreateDirectoryA(gone.c_str(), nullptr);
    run_dialog(kCmdContextExtract, [&](HWND dialog) {
        ASSERT_TRUE(show_folder(dialog, gone));
        // The folder disappears, as a medium taken out of its drive does.
        RemoveDirectoryA(gone.c_str());
        press(dialog, kExtractOk);
        EXPECT_EQ(prompter.boxes.size(), 1u);  // its text is the host tests'
        EXPECT_TRUE(IsWindow(dialog));
        press(dialog, kExtractCancel);
    });
    EXPECT_EQ(read_bytes(work.path() + "dup.txt"), "<missing>");
    EXPECT_EQ(read_bytes(gone + "dup.txt"), "<missing>");
}

// 250 members move the bar over a range of 250. A quit command that arrives while the first
// question is open is handled by the progress of the extraction, which lets the window catch up,
// and refused. Then RAR archives and cabinets.
TEST_F(ExtractDialogTest, LongArchiveMovesTheBarCatchesUpWithoutActingThenRarAndCabinets) {
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
    EXPECT_FALSE(app->state().quit);  // the bar's end is the host tests', the window's the system's

    // A RAR archive lists its folders with Windows separators, and a selected row still extracts
    // every member. Its conversion to a target that cannot be replaced (another program holds it
    // on Windows; Wine renames over held and read-only files alike, so here a folder of that name
    // stands in) keeps the target, and the source open as before. A cabinet lists raw and
    // extracts the selected rows alone, with their dates. An old RAR library is refused once.
    prompter.on_box = nullptr;
    prompter.boxes.clear();
    const std::string target = work.path() + "plain.zip\\";
    ASSERT_TRUE(write_bytes(work.path() + "plain.rar", read_bytes(kMatrix + "plain.rar")));
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    ASSERT_TRUE(write_bytes(target + "mine.txt", "mine"));
    start(work.path() + "plain.rar");
    EXPECT_EQ(column(1), (std::vector<std::string>{"a.txt", "sub\\b.txt"}));
    select({"a.txt"});
    extract(out(), [](HWND dialog) {
        EXPECT_TRUE(is_checked(dialog, kExtractAll));
        EXPECT_FALSE(is_enabled(dialog, kExtractSelected));
        EXPECT_FALSE(is_enabled(dialog, kExtractPattern));
    });
    EXPECT_EQ(read_bytes(out() + "sub\\b.txt"), "beta");
    DeleteFileA((out() + "a.txt").c_str());
    app->dispatch_command(kButtonConvert);
    EXPECT_EQ(prompter.boxes.size(), 1u);                // its text is the host tests'
    EXPECT_EQ(read_bytes(target + "mine.txt"), "mine");  // the source staying open: the host's

    start(kMatrix + "plain.cab");
    EXPECT_EQ(column(1), (std::vector<std::string>{"a.txt", "sub\\b.txt"}));
    // The packed size and the rate are not known; the date is the raw DOS date word.
    const unsigned date = (25u << 9) | (3u << 5) | 7u;
    EXPECT_EQ(window().row_text(0, 3), "N/A");
    EXPECT_EQ(window().row_text(0, 4), std::string(10, ' ') + std::to_string(date));
    EXPECT_FALSE(window().shows_enabled(kCmdProperties));
    select({"a.txt"});
    extract(out(), [](HWND dialog) { EXPECT_TRUE(is_checked(dialog, kExtractSelected)); });
    EXPECT_EQ(read_bytes(out() + "a.txt"), "alpha");
    EXPECT_EQ(file_time_to_dos(out() + "a.txt").date, date);
    EXPECT_EQ(file_time_to_dos(out() + "a.txt").time, (14u << 11) | (30u << 5));

    RarLibrary old;
    ScriptedPrompter quiet;
    EXPECT_FALSE(bind_rar_library(old, quiet, app->messages(), "old_unrar.dll"));
    ASSERT_EQ(quiet.boxes.size(), 1u);
    EXPECT_EQ(quiet.boxes[0].text, message(44));
}

}  // namespace
