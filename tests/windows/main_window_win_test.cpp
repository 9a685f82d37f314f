// The main window in-process: a ZIP archive made at test time is listed through the real list
// view, opened through the open command and sorted by header clicks; its members opened through
// the real shell, with a recorder program registered for a test extension and used as viewer and
// setup program: what it receives, and from where.
#include "dialog_driver.h"

namespace {

class MainWindowTest : public AppTest {
  protected:
    // The text the list view itself shows in a cell.
    std::string shown(int row, int column) {
        char text[4096] = "";
        ListView_GetItemText(window().list(), row, column, text, sizeof text);
        return text;
    }
    // A mouse click in the middle of the header of `column`.
    void click_header(int column) {
        HWND header = ListView_GetHeader(window().list());
        RECT box;
        ASSERT_TRUE(SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&box)));
        click(header, box);
        pump();
    }
    std::vector<int> indicators() {
        std::vector<int> out;
        for (int c = 1; c <= 5; ++c) out.push_back(window().sort_indicator(c));
        return out;
    }
    // Whether the menu or toolbar shows each command enabled, in turn.
    std::vector<bool> enabled(const std::vector<int>& commands) {
        std::vector<bool> out;
        for (int command : commands) out.push_back(window().shows_enabled(command));
        return out;
    }
    // The recorder registered for ".mlxt" files (Wine's prefix knows no type the tests could
    // use), its log in the work folder.
    void SetUp() override {
        const std::string command = "\"" + os::program_folder() + "recorder.exe\" \"%1\"";
        RegSetValueA(HKEY_CLASSES_ROOT, ".mlxt", REG_SZ, "MarloxTestFile", 14);
        RegSetValueA(HKEY_CLASSES_ROOT, "MarloxTestFile\\shell\\open\\command", REG_SZ,
                     command.c_str(), static_cast<DWORD>(command.size()));
        SetEnvironmentVariableA("MARLOX_RECORDER_LOG", log.c_str());
    }
    // Opens the row named `name` with `command`, then waits for `records` records in the log.
    std::string open(const std::string& name, int command, size_t records) {
        select({name});
        app->dispatch_command(command);
        std::string seen = read_bytes(log);
        for (int waited = 0; waited < 100; ++waited, seen = read_bytes(log)) {
            if (std::count(seen.begin(), seen.end(), '\n') >= static_cast<long>(2 * records)) break;
            Sleep(100);
        }
        return seen;
    }

    const std::string log = work.path() + "recorder.log";
};

// The start argument is listed with its column texts and title, and the commands of a ZIP
// archive are enabled in the menu, the toolbar and the context menu; before any archive only
// the general ones are, and a shortcut of a disabled command does nothing. The open command
// lists, sorts or refuses by extension; members open through the shell and the list.
TEST_F(MainWindowTest, ListingTitleStatusCommandsOpeningArchivesAndOpeningMembers) {
    const std::string path = start_on("Sample.ZIP", {{"readme.txt", std::string(1234, 'r')},
                                                     {"Tools/SETUP.EXE", "MZ", 1980, 0, 0}});
    const std::vector<std::string> row = {
        "",           "readme.txt", std::string(11, ' ') + "1234", std::string(11, ' ') + "1234",
        "07.03.2005", "100.00"};
    for (int c = 0; c < 6; ++c) EXPECT_EQ(shown(0, c), row[static_cast<size_t>(c)]) << c;
    EXPECT_EQ(text_of(window().handle()), message(29) + " V" + kVersion + " - Sample.ZIP");
    EXPECT_EQ(window().status_text(0), "2" + message(57));
    EXPECT_EQ(window().status_text(1), path);
    // An operation's text in field 1 stays until the mouse is on a button.
    pump();
    EXPECT_EQ(window().status_text(1), path);
    const std::vector<int> member_commands = {kCmdExtract, kButtonExtract, kCmdContextExtract,
                                              kCmdRemove, kButtonSetup};
    EXPECT_EQ(enabled(member_commands), std::vector<bool>(5, true));
    char item[100] = "";
    GetMenuStringA(window().popup_menu(3), kCmdSetupCandidate, item, sizeof item, MF_BYCOMMAND);
    EXPECT_STREQ(item, "Tools/SETUP.EXE");

    start("");
    EXPECT_EQ(window().row_count(), 0);
    EXPECT_EQ(enabled({kCmdOpen, kButtonOpen, kCmdContextConvert}), std::vector<bool>(3, true));
    EXPECT_EQ(enabled(member_commands), std::vector<bool>(5, false));
    EXPECT_EQ(window().status_text(0), "--");
    // No button under the mouse: the help hint and the version banner.
    pump();
    EXPECT_EQ(window().status_text(1), message(46) + "      --      Version  " + kVersion +
                                           "    --    " + "ZIP - RAR - CAB");
    // Without viewer programs the view button's menu offers Notepad and the context menu has
    // no viewer section.
    GetMenuStringA(window().popup_menu(1), kCmdViewer0, item, sizeof item, MF_BYCOMMAND);
    EXPECT_STREQ(item, "Notepad");
    EXPECT_EQ(app->settings().viewers, std::vector<std::string>{"Notepad.exe"});
    EXPECT_EQ(GetMenuState(window().popup_menu(2), kCmdViewer0, MF_BYCOMMAND), UINT(-1));
    // Delete would ask first, were it enabled.
    MSG key = {window().list(), WM_KEYDOWN, VK_DELETE, 0, 0, {0, 0}};
    app->handle_message(key);
    pump();
    EXPECT_TRUE(prompter.boxes.empty());

    const std::string first = start_on("first.zip", {{"z.txt", "z"}});
    app->settings().sort = 1;

    // Cancelled, and a file without extension: the open archive stays.
    prompter.files = {"", work.path() + "noextension"};
    app->dispatch_command(kButtonOpen);
    app->dispatch_command(kCmdOpen);
    EXPECT_EQ(app->state().archive_path(), first);
    ASSERT_EQ(prompter.file_requests.size(), 2u);
    EXPECT_EQ(prompter.file_requests[0].title, message(23));
    EXPECT_EQ(prompter.file_requests[0].filters, message(47));
    EXPECT_EQ(prompter.file_requests[0].filter_index, 4);
    EXPECT_TRUE(prompter.boxes.empty());

    // With `sort` on, a listing sorts by name and shows the up triangle; a header click sorts
    // the other way and turns the triangle over.
    const std::string second = work.path() + "second.zip";
    ASSERT_TRUE(write_bytes(second, stored_zip({{"b", "1"}, {"C", "2"}, {"a", "3"}})));
    prompter.files = {second};
    app->dispatch_command(kCmdOpen);
    EXPECT_EQ(app->state().archive_path(), second);
    EXPECT_EQ(column(1), (std::vector<std::string>{"a", "b", "C"}));
    EXPECT_EQ(indicators(), (std::vector<int>{0, 2, 2, 2, 2}));
    click_header(1);
    EXPECT_EQ(column(1), (std::vector<std::string>{"C", "b", "a"}));
    EXPECT_EQ(indicators(), (std::vector<int>{1, 2, 2, 2, 2}));
    click_header(2);
    EXPECT_EQ(indicators(), (std::vector<int>{2, 0, 2, 2, 2}));

    // Another extension: message 45, and the window says everywhere that nothing is open.
    prompter.files = {work.path() + "notes.txt"};
    app->dispatch_command(kCmdOpen);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    expect_box(prompter.boxes[0], message(42), message(45), BoxIcon::kWarning);
    EXPECT_TRUE(app->state().archive_path().empty());
    EXPECT_EQ(text_of(window().handle()),
              MainWindow::base_title(message(29), app->config_existed()));
    EXPECT_EQ(window().row_count(), 0);
    EXPECT_FALSE(window().shows_enabled(kButtonExtract));
    app->dispatch_command(kCmdExtract);
    EXPECT_EQ(prompter.boxes.size(), 1u);

    // Setup starts in its own folder, beside the other members, all carrying the archive's zone
    // marker; a viewer gets a path with a space as one argument; a cabinet replaced by another one
    // with a member of the same name delivers the new member; a batch file as viewer; Enter and a
    // double click.
    const std::string recorder = read_bytes(os::program_folder() + "recorder.exe");
    const std::string archive = start_on(
        "setup.zip",
        {{"Setup.exe", recorder}, {"readme.mlxt", "read me"}, {"with space.txt", "spaced"}});
    const std::string marker = "[ZoneTransfer]\r\nZoneId=3\r\n";
    ASSERT_TRUE(write_bytes(archive + ":Zone.Identifier", marker));
    prompter.answers = {kAnswerYes};
    std::string seen = open("readme.mlxt", kCmdView, 1);
    const size_t line = seen.find('\n');
    ASSERT_NE(line, std::string::npos) << seen;
    const std::string folder = seen.substr(line + 1, seen.find('\n', line + 1) - line - 1);
    EXPECT_NE(seen.find("Setup.exe"), std::string::npos) << seen;
    EXPECT_EQ(read_bytes(folder + "\\readme.mlxt"), "read me");
    EXPECT_EQ(read_bytes(folder + "\\readme.mlxt:Zone.Identifier"), marker);
    EXPECT_EQ(read_bytes(folder + "\\Setup.exe:Zone.Identifier"), marker);

    prompter.answers = {kAnswerNo};
    app->settings().viewers = {os::program_folder() + "recorder.exe"};
    seen = open("with space.txt", kCmdViewer0, 2);
    EXPECT_EQ(read_bytes(log + ".copy"), "spaced");
    EXPECT_NE(seen.find("\"" + os::temp_folder() + "marlox_open_"), std::string::npos) << seen;

    DeleteFileA(log.c_str());
    const std::string cabinet = work.path() + "same.cab";
    for (const char* member : {"one", "two"}) {
        ASSERT_TRUE(write_bytes(cabinet, read_bytes(kMatrix + member + ".cab")));
        if (!app || app->state().archive_path() != cabinet) start(cabinet);
        open("same.mlxt", kCmdView, 1);
        EXPECT_EQ(read_bytes(log + ".copy"), member);
        DeleteFileA(log.c_str());
    }

    // A batch file as viewer gets exactly the member "note&calc.txt"; the tail of the name never
    // runs as a command of its own (a batch file of that name waits on the search path).
    const std::string got = work.path() + "got", ran = work.path() + "ran";
    ASSERT_TRUE(write_bytes(work.path() + "view.bat", "@copy /b %1 \"" + got + "\" >nul\r\n"));
    ASSERT_TRUE(write_bytes(work.path() + "calc.txt.bat", "@echo ran>\"" + ran + "\"\r\n"));
    std::string search(32767, '\0');
    search.resize(GetEnvironmentVariableA("PATH", &search[0], static_cast<DWORD>(search.size())));
    SetEnvironmentVariableA("PATH", (work.path() + ";" + search).c_str());
    start_on("names.zip", {{"note&calc.txt", "the note"}});
    app->settings().viewers = {work.path() + "view.bat"};
    select({"note&calc.txt"});
    app->dispatch_command(kCmdViewer0);
    for (int waited = 0; waited < 100 && read_bytes(got) == "<missing>"; ++waited) Sleep(100);
    Sleep(2000);  // time for a command after the batch file to run
    SetEnvironmentVariableA("PATH", search.c_str());
    EXPECT_EQ(read_bytes(got), "the note");
    EXPECT_EQ(read_bytes(ran), "<missing>");

    // Enter on a selected row opens its member, and so does a double click on a row; the private
    // folders they were opened from go at exit. A name longer than any buffer of the list shows,
    // and its row finds its member when another member is deleted.
    prompter.boxes.clear();
    std::string long_name;
    for (int i = 0; i < 16; ++i) long_name += std::string(90, static_cast<char>('a' + i)) + "/";
    long_name += "x.txt";
    start_on("enter.zip", {{long_name, "deep"}, {"a.txt", "a"}, {"b.txt", "bee"}});
    EXPECT_EQ(shown(0, 1), long_name);
    std::vector<Launch> launched;
    app->archive_context().program.launch = [&launched](const Launch& l) {
        launched.push_back(l);
        return true;
    };
    select({"b.txt"});
    MSG enter = {window().list(), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    app->handle_message(enter);
    pump();
    select({"a.txt"});
    RECT box;
    ASSERT_TRUE(ListView_GetItemRect(window().list(), 1, &box, LVIR_LABEL));
    click(window().list(), box, true);
    ASSERT_EQ(launched.size(), 2u);
    EXPECT_EQ(read_bytes(launched[0].file), "bee");
    EXPECT_EQ(read_bytes(launched[1].file), "a");
    prompter.answers = {kAnswerYes};
    app->dispatch_command(kCmdRemove);
    ASSERT_EQ(prompter.boxes.size(), 1u);  // the question, and no failure after it
    EXPECT_EQ(column(1), (std::vector<std::string>{long_name, "b.txt"}));
    window().destroy();
    app->shut_down();
    EXPECT_EQ(GetFileAttributesA(launched[0].working_folder.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
