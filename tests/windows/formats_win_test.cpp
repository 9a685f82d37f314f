// RAR archives through the real UnRAR.dll and cabinets through the system's setup library, in
// the real window: archives made by `rar` and `gcab` (make_fixtures.sh) and written here.
#include "dialog_driver.h"
#include "runtime/file_meta.h"

namespace {

const std::string kFixtures = std::string("Z:") + MARLOX_FIXTURES_DIR + "\\";

class FormatsTest : public AppTest {
  protected:
    std::string out() const { return work.path() + "out\\"; }
    std::string source(const std::string& name) { return read_bytes(kFixtures + "src\\" + name); }
};

// The rows are the end-to-end test's; a selected row still extracts every member.
TEST_F(FormatsTest, RarArchivesExtractWholeThroughTheRealLibrary) {
    start(kFixtures + "five.rar");
    select({"a.txt"});
    extract(out(), [](HWND dialog) {
        EXPECT_TRUE(is_checked(dialog, kExtractAll));
        EXPECT_FALSE(is_enabled(dialog, kExtractSelected));
        EXPECT_FALSE(is_enabled(dialog, kExtractPattern));
    });
    for (const char* name : {"a.txt", "sub\\b.txt"})
        EXPECT_EQ(read_bytes(out() + name), source(name));
    EXPECT_EQ(read_bytes(out() + "Gr\xFC\xDF" + "e.txt"), "gruss");
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(FormatsTest, CabinetsListRawAndExtractIntoTheirFoldersWithTheirDates) {
    start(kFixtures + "stored.cab");
    EXPECT_EQ(column(1), (std::vector<std::string>{"a.txt", "data.txt", "sub\\b.txt"}));
    // The packed size and the rate are not known; the date is the raw DOS date word.
    const unsigned date = (25u << 9) | (3u << 5) | 7u;
    EXPECT_EQ(window().row_text(0, 3), "N/A");
    EXPECT_EQ(window().row_text(0, 4), std::string(10, ' ') + std::to_string(date));
    EXPECT_FALSE(window().shows_enabled(kCmdProperties));

    // The selected row a.txt extracts a.txt alone, not data.txt.
    select({"a.txt"});
    extract(out(), [](HWND dialog) { EXPECT_TRUE(is_checked(dialog, kExtractSelected)); });
    EXPECT_EQ(read_bytes(out() + "a.txt"), source("a.txt"));
    EXPECT_EQ(read_bytes(out() + "data.txt"), "<missing>");

    start(kFixtures + "mszip.cab");
    extract(out());
    EXPECT_EQ(read_bytes(out() + "sub\\b.txt"), source("sub\\b.txt"));
    EXPECT_EQ(file_time_to_dos(out() + "sub\\b.txt").date, date);
    EXPECT_EQ(file_time_to_dos(out() + "sub\\b.txt").time, (14u << 11) | (30u << 5));

    start(kFixtures + "hostile.cab");
    extract(out());
    EXPECT_EQ(read_bytes(out() + "x.txt"), "outside");
    EXPECT_EQ(read_bytes(work.path() + "x.txt"), "<missing>");
}

// A target that cannot be replaced (another program holds it on Windows; Wine renames over held
// and read-only files alike, so here a folder of that name stands in) is kept, and so is the
// source, open as before.
TEST_F(FormatsTest, AnUnreplaceableTargetIsKeptAndAnOldLibraryIsRefusedOnce) {
    const std::string target = work.path() + "five.zip\\";
    ASSERT_TRUE(write_bytes(work.path() + "five.rar", read_bytes(kFixtures + "five.rar")));
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    ASSERT_TRUE(write_bytes(target + "mine.txt", "mine"));
    start(work.path() + "five.rar");
    app->dispatch_command(kButtonConvert);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, message(76));
    EXPECT_EQ(read_bytes(target + "mine.txt"), "mine");
    EXPECT_EQ(app->state().archive_path, work.path() + "five.rar");

    RarLibrary old;
    ScriptedPrompter quiet;
    EXPECT_FALSE(bind_rar_library(old, quiet, app->messages(), "old_unrar.dll"));
    ASSERT_EQ(quiet.boxes.size(), 1u);
    EXPECT_EQ(quiet.boxes[0].text, message(44));
}

}  // namespace
