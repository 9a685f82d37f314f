// Files dropped on the real window: a drop handle built in memory as the shell builds it and
// sent as WM_DROPFILES. With nothing open the items are packed into a new archive; on an open
// ZIP archive they are added; RAR archives, a running operation and a refused overwrite take
// nothing.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <memory>

#include "app/application.h"
#include "archive/add_dialog.h"
#include "scripted_prompter.h"
#include "test_archives.h"

namespace {

bool is_checked(HWND dialog, int id) {
    return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
bool is_enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

std::vector<std::string> names_in(const std::string& archive) {
    std::vector<std::string> out;
    ZipEngine zip;
    if (zip_open(zip, archive) != kZipOk) return out;
    for (int n = 1, count = zip_count(zip); n <= count; ++n) out.push_back(zip_goto(zip, n));
    zip_close(zip);
    return out;
}

class DropTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app = std::make_unique<Application>(prompter);
        app->write_send_to_shortcut = false;
        ASSERT_TRUE(app->start_up("marlox.exe"));
        AddDialog::test_hook = [this](HWND dialog) {
            dialogs.push_back(dialog);
            mode0_enabled = is_enabled(dialog, kAddWithoutPath);
            list_enabled = is_enabled(dialog, kAddList);
            include = {is_checked(dialog, kAddIncludeFolders),
                       is_enabled(dialog, kAddIncludeFolders)};
            checked_mode = is_checked(dialog, kAddAbsolute)   ? 2
                           : is_checked(dialog, kAddRelative) ? 1
                                                              : 0;
            SendDlgItemMessageA(dialog, kAddOk, BM_CLICK, 0, 0);
        };
    }
    void TearDown() override { AddDialog::test_hook = nullptr; }

    // A drop handle as the shell makes it: DROPFILES, then the paths, each ending in a NUL, and
    // one more NUL. DragFinish frees it.
    void drop(const std::vector<std::string>& paths) {
        size_t size = sizeof(DROPFILES) + 1;
        for (const std::string& path : paths) size += path.size() + 1;
        HGLOBAL memory = GlobalAlloc(GHND, size);
        ASSERT_NE(memory, nullptr);
        auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
        files->pFiles = sizeof(DROPFILES);
        files->fWide = FALSE;
        char* at = reinterpret_cast<char*>(files + 1);
        for (const std::string& path : paths) {
            std::memcpy(at, path.c_str(), path.size());
            at += path.size() + 1;
        }
        GlobalUnlock(memory);
        SendMessageA(app->window().handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    }

    std::string below_drive(const std::string& path) {
        std::string out = path.substr(3);
        for (char& c : out) c = c == '\\' ? '/' : c;
        return out;
    }

    std::string message(int n) const { return app->messages().message(n); }

    WorkFolder work;
    ScriptedPrompter prompter;
    std::unique_ptr<Application> app;
    std::vector<HWND> dialogs;
    bool mode0_enabled = false, list_enabled = false;
    std::pair<bool, bool> include;  // checked, enabled
    int checked_mode = -1;
};

TEST_F(DropTest, NothingOpenPacksAfterTheFirstFileAndAnOpenZipTakesMore) {
    const std::string src = work.path() + "src\\";
    CreateDirectoryA(src.c_str(), nullptr);
    ASSERT_TRUE(write_bytes(src + "main.c", "int main;"));
    ASSERT_TRUE(write_bytes(work.path() + "notes.txt", "notes"));
    ASSERT_TRUE(write_bytes(work.path() + "more.txt", "more"));

    // A folder among the items: mode 1 without a list folder names from below the drive.
    drop({work.path() + "src", work.path() + "notes.txt"});
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(checked_mode, 1);
    EXPECT_FALSE(mode0_enabled);
    EXPECT_FALSE(list_enabled);
    EXPECT_EQ(include, std::make_pair(true, false));
    const std::string archive = work.path() + "notes.zip";
    EXPECT_EQ(app->state().archive_path, archive);
    const std::vector<std::string> packed = {below_drive(work.path()) + "notes.txt",
                                             below_drive(src) + "main.c"};
    EXPECT_EQ(names_in(archive), packed);
    EXPECT_EQ(app->window().row_count(), 2);
    EXPECT_FALSE(app->state().items_given);

    // Files only, on the open archive: mode 0, and "inc. Verzeichnisse" is not offered.
    drop({work.path() + "more.txt"});
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(checked_mode, 0);
    EXPECT_TRUE(mode0_enabled);
    EXPECT_FALSE(list_enabled);
    EXPECT_EQ(include, std::make_pair(false, false));
    std::vector<std::string> more = packed;
    more.push_back("more.txt");
    EXPECT_EQ(names_in(archive), more);
    EXPECT_EQ(app->window().row_count(), 3);
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(DropTest, RefusedOverwriteRarArchivesAndARunningOperationTakeNothing) {
    const std::string archive = work.path() + "notes.zip";
    ASSERT_TRUE(write_bytes(work.path() + "notes.txt", "notes"));
    ASSERT_TRUE(write_bytes(archive, "not to be replaced"));
    prompter.answers = {kAnswerNo};
    drop({work.path() + "notes.txt"});
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, message(50));
    EXPECT_EQ(prompter.boxes[0].text, message(0) + message(172) + "\n\n" + message(173));
    EXPECT_EQ(prompter.boxes[0].buttons, BoxButtons::kYesNo);
    EXPECT_EQ(read_bytes(archive), "not to be replaced");
    EXPECT_TRUE(app->state().archive_path.empty());

    app->state().archive_path = work.path() + "x.rar";
    app->state().archive_kind = "rar";
    drop({work.path() + "notes.txt"});
    app->state().archive_path.clear();
    app->state().archive_kind.clear();
    app->window().set_busy(true);
    drop({work.path() + "notes.txt"});
    app->window().set_busy(false);
    EXPECT_TRUE(dialogs.empty());
    EXPECT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(read_bytes(archive), "not to be replaced");
}

}  // namespace
