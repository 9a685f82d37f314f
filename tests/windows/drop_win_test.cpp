// Files dropped on the real window: a drop handle built in memory as the shell builds it and
// sent as WM_DROPFILES. With nothing open the items are packed into a new archive; on an open
// ZIP archive they are added.
#include <gtest/gtest.h>

#include <memory>

#include "app/application.h"
#include "dialog_driver.h"
#include "scripted_prompter.h"
#include "test_archives.h"

namespace {

class DropTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app = std::make_unique<Application>(prompter);
        app->write_send_to_shortcut = false;
        ASSERT_TRUE(app->start_up("marlox.exe"));
        // Each dialog is noted as the checked mode and what can be used, then answered OK.
        Dialog::test_hook = [this](HWND dialog) {
            const auto flag = [&](bool on) { return std::string(on ? "1" : "0"); };
            dialogs.push_back("mode " + flag(is_checked(dialog, kAddRelative)) +
                              flag(is_checked(dialog, kAddAbsolute)) + " mode0 " +
                              flag(is_enabled(dialog, kAddWithoutPath)) + " list " +
                              flag(is_enabled(dialog, kAddList)) + " folders " +
                              flag(is_checked(dialog, kAddIncludeFolders)) +
                              flag(is_enabled(dialog, kAddIncludeFolders)));
            press(dialog, kAddOk);
        };
    }
    void TearDown() override { Dialog::test_hook = nullptr; }

    void drop(const std::vector<std::string>& paths) {
        HGLOBAL memory = drop_handle(paths);
        ASSERT_NE(memory, nullptr);
        SendMessageA(app->window().handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    }

    std::string below_drive(const std::string& path) {
        std::string out = path.substr(3);
        for (char& c : out) c = c == '\\' ? '/' : c;
        return out;
    }

    WorkFolder work;
    ScriptedPrompter prompter;
    std::unique_ptr<Application> app;
    std::vector<std::string> dialogs;
};

TEST_F(DropTest, NothingOpenPacksAfterTheFirstFileAndAnOpenZipTakesMore) {
    const std::string src = work.path() + "src\\";
    CreateDirectoryA(src.c_str(), nullptr);
    ASSERT_TRUE(write_bytes(src + "main.c", "int main;"));
    ASSERT_TRUE(write_bytes(work.path() + "notes.txt", "notes"));
    ASSERT_TRUE(write_bytes(work.path() + "more.txt", "more"));

    // A folder among the items: mode 1 without a list folder names from below the drive.
    drop({work.path() + "src", work.path() + "notes.txt"});
    EXPECT_EQ(dialogs, std::vector<std::string>{"mode 10 mode0 0 list 0 folders 10"});
    const std::string archive = work.path() + "notes.zip";
    EXPECT_EQ(app->state().archive_path, archive);
    const std::vector<std::string> packed = {below_drive(work.path()) + "notes.txt",
                                             below_drive(src) + "main.c"};
    EXPECT_EQ(names_in(archive), packed);
    EXPECT_EQ(app->window().row_count(), 2);

    // Files only, on the open archive: mode 0, and "inc. Verzeichnisse" is not offered.
    drop({work.path() + "more.txt"});
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[1], "mode 00 mode0 1 list 0 folders 00");
    EXPECT_EQ(names_in(archive), (std::vector<std::string>{packed[0], packed[1], "more.txt"}));
    EXPECT_EQ(app->window().row_count(), 3);
    EXPECT_TRUE(prompter.boxes.empty());
}

}  // namespace
