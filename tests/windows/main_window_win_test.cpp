// The main window in-process: a ZIP archive made at test time is listed through the real list
// view, opened through the open command and sorted by header clicks.
#include <gtest/gtest.h>

#include <memory>

#include "app/application.h"
#include "app/commands.h"
#include "scripted_prompter.h"
#include "test_archives.h"

namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    std::string make_zip(const std::string& name, const std::vector<TestMember>& members) {
        const std::string path = work.path() + name;
        EXPECT_TRUE(write_bytes(path, stored_zip(members)));
        return path;
    }

    void start(const std::string& argument) {
        app = std::make_unique<Application>(prompter);
        app->write_send_to_shortcut = false;
        ASSERT_TRUE(app->start_up("marlox.exe \"" + argument + "\""));
    }

    void pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) app->handle_message(msg);
    }

    std::string message(int n) const { return app->messages().message(n); }
    MainWindow& window() { return app->window(); }

    std::vector<std::string> names() {
        std::vector<std::string> out;
        for (int r = 0; r < window().row_count(); ++r) out.push_back(window().row_text(r, 1));
        return out;
    }

    // A mouse click in the middle of the header of `column`.
    void click_header(int column) {
        HWND header = ListView_GetHeader(window().list());
        RECT box;
        ASSERT_TRUE(SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&box)));
        const LPARAM at = MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
        SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(header, WM_LBUTTONUP, 0, at);
        pump();
    }

    std::vector<int> indicators() {
        std::vector<int> out;
        for (int c = 1; c <= 5; ++c) out.push_back(window().sort_indicator(c));
        return out;
    }

    WorkFolder work;
    ScriptedPrompter prompter;
    std::unique_ptr<Application> app;
};

TEST_F(MainWindowTest, StartArgumentIsListedWithItsColumnTextsAndEnablesTheCommands) {
    TestMember text{"readme.txt", std::string(1234, 'r'), 2005, 3, 7};
    TestMember folder{"docs/", "", 2010, 11, 23};
    TestMember undated{"Tools/SETUP.EXE", "MZ", 1980, 0, 0};
    const std::string path = make_zip("Sample.ZIP", {text, folder, undated});
    start(path);

    ASSERT_EQ(window().row_count(), 3);
    const std::vector<std::vector<std::string>> expected = {
        {"", "readme.txt", std::string(11, ' ') + "1234", std::string(11, ' ') + "1234",
         "07.03.2005", "100.00"},
        {"", "docs/", std::string(14, ' ') + "0", std::string(14, ' ') + "0", "23.11.2010",
         "  0.00"},
        {"", "Tools/SETUP.EXE", std::string(14, ' ') + "2", std::string(14, ' ') + "2",
         "--.--.----", "100.00"},
    };
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 6; ++c) {
            EXPECT_EQ(window().row_text(r, c), expected[r][c]) << "row " << r << " column " << c;
        }
    }
    char title[200];
    GetWindowTextA(window().handle(), title, sizeof title);
    EXPECT_EQ(std::string(title), message(29) + " V" + kVersion + " - Sample.ZIP");
    EXPECT_EQ(window().status_text(0), "3" + message(57));
    EXPECT_EQ(window().status_text(1), path);

    // An operation's text in field 1 stays until the mouse is on a button.
    pump();
    EXPECT_EQ(window().status_text(1), path);

    for (int command :
         {kCmdExtract, kCmdConvert, kCmdRemove, kCmdAdd, kCmdMail, kCmdView, kCmdEncipher, kCmdCopy,
          kCmdMove, kCmdRename, kCmdContextExtract, kCmdProperties, kButtonExtract, kButtonView,
          kButtonMail, kCmdSetup, kButtonSetup}) {
        EXPECT_TRUE(window().shows_enabled(command)) << command;
    }
    HMENU setup = window().popup_menu(3);
    ASSERT_NE(setup, nullptr);
    char item[100] = "";
    GetMenuStringA(setup, kCmdSetupCandidate, item, sizeof item, MF_BYCOMMAND);
    EXPECT_STREQ(item, "Tools/SETUP.EXE");
}

TEST_F(MainWindowTest, BeforeAnyArchiveOnlyTheGeneralCommandsAreEnabled) {
    start("");
    EXPECT_EQ(window().row_count(), 0);
    for (int command : {kCmdNew, kCmdOpen, kCmdQuit, kCmdSettings, kCmdHelp, kCmdAbout, kCmdHistory,
                        kButtonNew, kButtonOpen, kButtonSettings, kButtonHelp, kButtonQuit,
                        kCmdContextView, kCmdContextConvert}) {
        EXPECT_TRUE(window().shows_enabled(command)) << command;
    }
    for (int command :
         {kCmdExtract, kCmdRemove, kCmdAdd, kCmdSetup, kCmdEncipher, kCmdProperties,
          kCmdContextRemove, kCmdContextAdd, kCmdContextExtract, kButtonExtract, kButtonRemove,
          kButtonAdd, kButtonView, kButtonSetup, kButtonMail, kButtonConvert}) {
        EXPECT_FALSE(window().shows_enabled(command)) << command;
    }
    EXPECT_EQ(window().status_text(0), "--");
    // No button under the mouse: the help hint and the version banner.
    pump();
    EXPECT_EQ(window().status_text(1), message(46) + "      --      Version  " + kVersion +
                                           "    --    " + "ZIP - RAR - CAB");

    // Without viewer programs the view button's menu offers Notepad and the context menu has
    // no viewer section.
    char item[100] = "";
    GetMenuStringA(window().popup_menu(1), kCmdViewer0, item, sizeof item, MF_BYCOMMAND);
    EXPECT_STREQ(item, "Notepad");
    EXPECT_EQ(app->settings().viewers, std::vector<std::string>{"Notepad.exe"});
    EXPECT_EQ(GetMenuState(window().popup_menu(2), kCmdViewer0, MF_BYCOMMAND), UINT(-1));

    // A shortcut whose item is disabled does nothing: Delete would ask first when it ran.
    MSG key = {window().list(), WM_KEYDOWN, VK_DELETE, 0, 0, {0, 0}};
    app->handle_message(key);
    pump();
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(MainWindowTest, OpenCommandListsSortsOrRefusesByExtension) {
    const std::string first = make_zip("first.zip", {{"z.txt", "z"}, {"Y.txt", "y"}, {"x", ""}});
    start(first);
    app->settings().sort = 1;

    // Cancelled, and a file without extension: the open archive stays.
    prompter.files = {"", work.path() + "noextension"};
    app->dispatch_command(kButtonOpen);
    app->dispatch_command(kCmdOpen);
    EXPECT_EQ(app->state().archive_path, first);
    ASSERT_EQ(prompter.file_requests.size(), 2u);
    EXPECT_EQ(prompter.file_requests[0].title, message(23));
    EXPECT_EQ(prompter.file_requests[0].filters, message(47));
    EXPECT_EQ(prompter.file_requests[0].filter_index, 4);
    EXPECT_TRUE(prompter.boxes.empty());

    // With `sort` on, a listing sorts by name and shows the up triangle.
    const std::string second = make_zip("second.zip", {{"b", "1"}, {"C", "2"}, {"a", "3"}});
    prompter.files = {second};
    app->dispatch_command(kCmdOpen);
    EXPECT_EQ(app->state().archive_path, second);
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "b", "C"}));
    EXPECT_EQ(indicators(), (std::vector<int>{0, 2, 2, 2, 2}));
    // A header click sorts the other way and turns the triangle over.
    click_header(1);
    EXPECT_EQ(names(), (std::vector<std::string>{"C", "b", "a"}));
    EXPECT_EQ(indicators(), (std::vector<int>{1, 2, 2, 2, 2}));
    click_header(2);
    EXPECT_EQ(indicators(), (std::vector<int>{2, 0, 2, 2, 2}));

    // Another extension: message 45, and no archive is open.
    prompter.files = {work.path() + "notes.txt"};
    app->dispatch_command(kCmdOpen);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, message(42));
    EXPECT_EQ(prompter.boxes[0].text, message(45));
    EXPECT_EQ(prompter.boxes[0].icon, BoxIcon::kWarning);
    EXPECT_TRUE(app->state().archive_path.empty());
    EXPECT_EQ(app->state().archive_kind, ArchiveKind::kNone);
    // The window says so everywhere, its title included.
    char title[200];
    GetWindowTextA(window().handle(), title, sizeof title);
    EXPECT_EQ(std::string(title), MainWindow::base_title(message(29), app->config_existed()));
    EXPECT_EQ(window().row_count(), 0);
    EXPECT_FALSE(window().shows_enabled(kButtonExtract));
    // The extract command then does nothing.
    app->dispatch_command(kCmdExtract);
    EXPECT_EQ(prompter.boxes.size(), 1u);
}

// A name longer than any buffer of the list: the list shows it, and the row finds its member
// when another member is deleted.
TEST_F(MainWindowTest, LongNamesWorkInRowOperations) {
    std::string long_name;
    for (int i = 0; i < 16; ++i) long_name += std::string(90, static_cast<char>('a' + i)) + "/";
    long_name += "x.txt";
    start(make_zip("long.zip", {{long_name, "deep"}, {"short.txt", "s"}}));
    ASSERT_EQ(window().row_count(), 2);
    EXPECT_EQ(window().row_text(0, 1), long_name);
    std::string shown(4096, '\0');
    LVITEMA item = {};
    item.iSubItem = 1;
    item.pszText = &shown[0];
    item.cchTextMax = static_cast<int>(shown.size());
    shown.resize(static_cast<size_t>(
        SendMessageA(window().list(), LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&item))));
    EXPECT_EQ(shown, long_name);

    ListView_SetItemState(window().list(), 1, LVIS_SELECTED, LVIS_SELECTED);
    prompter.answers = {kAnswerYes};
    app->dispatch_command(kCmdRemove);
    ASSERT_EQ(prompter.boxes.size(), 1u);  // the question, and no failure after it
    EXPECT_EQ(names(), std::vector<std::string>{long_name});
}

}  // namespace
