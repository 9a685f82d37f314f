// Files dropped on the real window (a drop handle built in memory as the shell builds it and
// sent as WM_DROPFILES) or given on the command line: with nothing open the items are packed
// into a new archive named after the first file, through the add dialog in the state the items
// call for.
#include "dialog_driver.h"

namespace {

class DropTest : public AppTest {};

TEST_F(DropTest, DroppedOrGivenItemsPackAfterTheFirstFile) {
    start("");
    const std::string src = work.path() + "src\\";
    CreateDirectoryA(src.c_str(), nullptr);
    ASSERT_TRUE(write_bytes(src + "main.c", "int main;"));
    ASSERT_TRUE(write_bytes(work.path() + "notes.txt", "notes"));
    // A folder among the items: mode 1 without a list folder names from below the drive.
    bool ran = false;
    Dialog::test_hook = [&](HWND dialog) {
        ran = true;
        EXPECT_TRUE(is_checked(dialog, kAddRelative));
        EXPECT_FALSE(is_enabled(dialog, kAddWithoutPath));
        EXPECT_FALSE(is_enabled(dialog, kAddList));
        EXPECT_TRUE(is_checked(dialog, kAddIncludeFolders));
        EXPECT_FALSE(is_enabled(dialog, kAddIncludeFolders));
        press(dialog, kAddOk);
    };
    HGLOBAL memory = drop_handle({work.path() + "src", work.path() + "notes.txt"});
    ASSERT_NE(memory, nullptr);
    SendMessageA(window().handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_TRUE(ran);
    const std::string archive = work.path() + "notes.zip";
    EXPECT_EQ(app->state().archive_path(), archive);
    std::string below_drive = work.path().substr(3);
    for (char& c : below_drive) c = c == '\\' ? '/' : c;
    const std::vector<std::string> packed = {below_drive + "notes.txt", below_drive + "src/main.c"};
    EXPECT_EQ(names_in(archive), packed);
    EXPECT_EQ(column(1), packed);
    EXPECT_TRUE(prompter.boxes.empty());

    // Files given on the command line, as the Send To shortcut gives them, go the same way.
    Dialog::test_hook = [](HWND dialog) { press(dialog, kAddOk); };
    start(work.path() + "notes.txt\" \"" + src + "main.c");
    EXPECT_EQ(names_in(archive), (std::vector<std::string>{"notes.txt", "main.c"}));
    EXPECT_EQ(app->state().archive_path(), archive);
}

}  // namespace
