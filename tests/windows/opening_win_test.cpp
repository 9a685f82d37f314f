// Opening members through the real shell, with a recorder program registered for a test
// extension and used as viewer and setup program: what it receives, and from where.
#include "dialog_driver.h"

namespace {

class OpeningTest : public AppTest {
  protected:
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

// Setup starts in its own folder, beside the other members, all carrying the archive's zone
// marker; a viewer gets a path with a space as one argument; a cabinet replaced by another one
// with a member of the same name delivers the new member; a batch file as viewer.
TEST_F(OpeningTest, SetupViewersCabinetsAndBatchFilesEachGetTheirOwnMember) {
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
    std::string path(32767, '\0');
    path.resize(GetEnvironmentVariableA("PATH", &path[0], static_cast<DWORD>(path.size())));
    SetEnvironmentVariableA("PATH", (work.path() + ";" + path).c_str());
    start_on("names.zip", {{"note&calc.txt", "the note"}});
    app->settings().viewers = {work.path() + "view.bat"};
    select({"note&calc.txt"});
    app->dispatch_command(kCmdViewer0);
    for (int waited = 0; waited < 100 && read_bytes(got) == "<missing>"; ++waited) Sleep(100);
    Sleep(2000);  // time for a command after the batch file to run
    SetEnvironmentVariableA("PATH", path.c_str());
    EXPECT_EQ(read_bytes(got), "the note");
    EXPECT_EQ(read_bytes(ran), "<missing>");
}

}  // namespace
