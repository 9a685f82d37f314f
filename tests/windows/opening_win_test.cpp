// Opening members through the real shell, with a recorder program registered for a test
// extension and used as viewer and setup program: what it receives, from where, and what is
// never started.
#include <gtest/gtest.h>

#include <memory>

#include "app/application.h"
#include "app/commands.h"
#include "scripted_prompter.h"
#include "test_archives.h"

namespace {

const std::string kFixtures = std::string("Z:") + MARLOX_FIXTURES_DIR + "\\";

std::string program_folder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string program(path, length);
    return program.substr(0, program.find_last_of('\\') + 1);
}

// Registers the recorder for ".mlxt" files (Wine's prefix knows no type the tests could use).
void register_recorder() {
    const std::string command = "\"" + program_folder() + "recorder.exe\" \"%1\"";
    RegSetValueA(HKEY_CLASSES_ROOT, ".mlxt", REG_SZ, "MarloxTestFile", 14);
    RegSetValueA(HKEY_CLASSES_ROOT, "MarloxTestFile\\shell\\open\\command", REG_SZ, command.c_str(),
                 static_cast<DWORD>(command.size()));
}

class OpeningTest : public ::testing::Test {
  protected:
    void SetUp() override {
        register_recorder();
        log = work.path() + "recorder.log";
        SetEnvironmentVariableA("MARLOX_RECORDER_LOG", log.c_str());
    }
    void start(const std::string& archive) {
        app = std::make_unique<Application>(prompter);
        app->write_send_to_shortcut = false;
        ASSERT_TRUE(app->start_up("marlox.exe \"" + archive + "\""));
    }
    // Opens the row named `name` with `command`, then waits for `records` lines of the log.
    std::string open(const std::string& name, int command, size_t records) {
        for (int r = 0; r < app->window().row_count(); ++r) {
            const bool chosen = app->window().row_text(r, 1) == name;
            ListView_SetItemState(app->window().list(), r, chosen ? LVIS_SELECTED : 0,
                                  LVIS_SELECTED);
        }
        app->dispatch_command(command);
        std::string seen = read_bytes(log);
        for (int waited = 0; records && waited < 100; ++waited) {
            seen = read_bytes(log);
            if (std::count(seen.begin(), seen.end(), '\n') >= static_cast<long>(2 * records)) break;
            Sleep(100);
        }
        return seen;
    }

    WorkFolder work;
    std::string log;
    ScriptedPrompter prompter;
    std::unique_ptr<Application> app;
};

TEST_F(OpeningTest, TheRecorderGetsTheMemberFromAPrivateFolderAndNothingElseStarts) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    // A decoy where "..\..\evil.exe" would lead from a folder in the temporary folder.
    const std::string decoy = std::string(temp) + "..\\evil.exe";
    ASSERT_TRUE(CopyFileA((program_folder() + "recorder.exe").c_str(), decoy.c_str(), FALSE));
    // A member that would record its start, were it started.
    const std::string recorder = read_bytes(program_folder() + "recorder.exe");
    const std::string archive = work.path() + "a.zip";
    ASSERT_TRUE(write_bytes(archive, stored_zip({{"notes.mlxt", "member notes"},
                                                 {"with space.txt", "spaced"},
                                                 {"..\\..\\evil.exe", recorder}})));
    start(archive);

    std::string seen = open("notes.mlxt", kCmdView, 1);
    EXPECT_EQ(read_bytes(log + ".copy"), "member notes");
    EXPECT_NE(seen.find(std::string(temp) + "marlox_open_"), std::string::npos) << seen;
    EXPECT_EQ(seen.find(std::string(temp) + "notes.mlxt"), std::string::npos) << seen;

    // A viewer gets a path with a space as one argument, and works in the member's folder.
    app->settings().viewers = {program_folder() + "recorder.exe"};
    seen = open("with space.txt", kCmdViewer0, 2);
    EXPECT_EQ(read_bytes(log + ".copy"), "spaced");
    EXPECT_NE(seen.find("\"" + std::string(temp) + "marlox_open_"), std::string::npos) << seen;

    // The hostile name starts nothing, neither from the private folder nor the decoy.
    open("..\\..\\evil.exe", kCmdView, 0);
    Sleep(500);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), '\n'), 4);
    EXPECT_EQ(read_bytes(log), seen);
    DeleteFileA(decoy.c_str());
}

TEST_F(OpeningTest, SetupRunsFromItsFolderAndCabinetsEachGiveTheirOwnMember) {
    const std::string archive = work.path() + "setup.zip";
    ASSERT_TRUE(write_bytes(
        archive, stored_zip({{"Setup.exe", read_bytes(program_folder() + "recorder.exe")},
                             {"readme.mlxt", "read me"}})));
    // Downloaded: what is unpacked from it carries the same zone marker.
    const std::string marker = "[ZoneTransfer]\r\nZoneId=3\r\n";
    ASSERT_TRUE(write_bytes(archive + ":Zone.Identifier", marker));
    start(archive);
    prompter.answers = {kAnswerYes};
    const std::string seen = open("readme.mlxt", kCmdView, 1);
    // The setup program started, working in its own folder, beside the other members.
    const size_t line = seen.find('\n');
    ASSERT_NE(line, std::string::npos) << seen;
    const std::string folder = seen.substr(line + 1, seen.find('\n', line + 1) - line - 1);
    EXPECT_NE(seen.find("Setup.exe"), std::string::npos) << seen;
    EXPECT_EQ(read_bytes(folder + "\\readme.mlxt"), "read me");
    EXPECT_EQ(read_bytes(folder + "\\readme.mlxt:Zone.Identifier"), marker);
    EXPECT_EQ(read_bytes(folder + "\\Setup.exe:Zone.Identifier"), marker);

    DeleteFileA(log.c_str());
    for (const char* cabinet : {"one", "two"}) {
        start(kFixtures + cabinet + ".cab");
        open("same.mlxt", kCmdView, 1);
        EXPECT_EQ(read_bytes(log + ".copy"), cabinet);
        DeleteFileA(log.c_str());
    }
}

}  // namespace
