// RAR archives through the real UnRAR.dll and cabinets through the system's setup library, in
// the real window: what the back-end matrix (backend_matrix_win_test.cpp) does not ask of every
// format.
#include "dialog_driver.h"
#include "formats/rar.h"
#include "runtime/file_meta.h"

namespace {

using FormatsTest = AppTest;

// A RAR archive lists its folders with Windows separators, and a selected row still extracts
// every member; a cabinet lists raw and extracts the selected rows alone, with their dates.
TEST_F(FormatsTest, RarOffersNoRowsAndCabinetsListRawAndExtractTheSelectedRows) {
    start(kMatrix + "plain.rar");
    EXPECT_EQ(column(1), (std::vector<std::string>{"a.txt", "sub\\b.txt"}));
    select({"a.txt"});
    extract(out(), [](HWND dialog) {
        EXPECT_TRUE(is_checked(dialog, kExtractAll));
        EXPECT_FALSE(is_enabled(dialog, kExtractSelected));
        EXPECT_FALSE(is_enabled(dialog, kExtractPattern));
    });
    EXPECT_EQ(read_bytes(out() + "sub\\b.txt"), "beta");
    DeleteFileA((out() + "a.txt").c_str());

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
}

// A target that cannot be replaced (another program holds it on Windows; Wine renames over held
// and read-only files alike, so here a folder of that name stands in) is kept, and so is the
// source, open as before.
TEST_F(FormatsTest, AnUnreplaceableTargetIsKeptAndAnOldLibraryIsRefusedOnce) {
    const std::string target = work.path() + "plain.zip\\";
    ASSERT_TRUE(write_bytes(work.path() + "plain.rar", read_bytes(kMatrix + "plain.rar")));
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    ASSERT_TRUE(write_bytes(target + "mine.txt", "mine"));
    start(work.path() + "plain.rar");
    app->dispatch_command(kButtonConvert);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, message(76));
    EXPECT_EQ(read_bytes(target + "mine.txt"), "mine");
    EXPECT_EQ(app->state().archive_path(), work.path() + "plain.rar");

    RarLibrary old;
    ScriptedPrompter quiet;
    EXPECT_FALSE(bind_rar_library(old, quiet, app->messages(), "old_unrar.dll"));
    ASSERT_EQ(quiet.boxes.size(), 1u);
    EXPECT_EQ(quiet.boxes[0].text, message(44));
}

}  // namespace
