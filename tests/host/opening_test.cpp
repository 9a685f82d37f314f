// Opening members and running setup (with a recorder in place of the shell), and the archive as
// a file: copy, move, rename and properties.
#include <gtest/gtest.h>

#include "app/backends.h"
#include "archive_test_support.h"
#include "files/archive_files.h"
#include "files/opening.h"
#include "formats/rar.h"
#include "runtime/os.h"
#include "runtime/paths.h"

namespace {

// Lists a ZIP archive of `members` written in `f`, recording launches.
struct Opening : ArchiveFixture {
    std::vector<Launch> launched;
    Opening(const TestFolder& f, const std::vector<TestMember>& members) {
        f.write("a.zip", stored_zip(members));
        program.launch = [this](const Launch& l) {
            launched.push_back(l);
            return true;
        };
        list(f.file("a.zip"));
    }
    void open(const std::string& name, const std::string& viewer = "") {
        const auto& names = listing.member_names;
        const int entry =
            static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
        zip_format.open_member(ctx, {entry, viewer, ""});
    }
};

TEST(Opening, MembersOpenFromAPrivateFolderAndHostileOrBrokenOnesNever) {
    TestFolder f;
    std::filesystem::create_directory(f.file("temp"));
    f.write("temp/notes.txt", "the user's own notes");
    const TempFolderIn temp(f.file("temp"));
    Opening a(f, {{"notes.txt", "member notes"},
                  {"..\\..\\evil.bat", "@echo evil"},
                  {"note&calc(%OS%!).txt", "calc"}});
    a.open("notes.txt");
    ASSERT_EQ(a.launched.size(), 1u);
    const Launch& opened = a.launched[0];
    EXPECT_EQ(opened.program, "");
    EXPECT_EQ(f.read("temp/notes.txt"), "the user's own notes");
    std::string content;
    EXPECT_TRUE(os::read_whole_file(opened.file, content));
    EXPECT_EQ(content, "member notes");

    // A viewer gets the member under its own name (the quoting is the Windows opening test's);
    // one that may be a batch file gets a copy whose name the command processor takes as it is.
    a.open("note&calc(%OS%!).txt", "C:\\Tools\\view.exe");
    a.open("note&calc(%OS%!).txt", "C:\\Tools\\view.CMD");
    ASSERT_EQ(a.launched.size(), 3u);
    const char* handed[] = {"note&calc(%OS%!).txt", "note_calc__OS___.txt"};
    for (size_t k = 1; k < 3; ++k) EXPECT_EQ(file_name_of(a.launched[k].file), handed[k - 1]);
    EXPECT_EQ(a.launched[2].program, "C:\\Tools\\view.CMD");
    EXPECT_TRUE(os::read_whole_file(a.launched[2].file, content));
    EXPECT_EQ(content, "calc");
    a.launched.resize(2);

    // A name that climbs out is never started and writes nothing outside the private folders.
    a.open("..\\..\\evil.bat");
    EXPECT_EQ(a.launched.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(f.file("evil.bat")));
    EXPECT_FALSE(std::filesystem::exists(f.file("temp/evil.bat")));
    // A member that cannot be extracted starts nothing.
    std::filesystem::remove(f.file("a.zip"));
    a.open("notes.txt");
    EXPECT_EQ(a.launched.size(), 2u);

    // A member whose name the code page cannot hold starts under its shown name, "_" for "?".
    python_in(f,
              "with zipfile.ZipFile('u.zip', 'w') as z:\n"
              "    z.writestr('d/\\u041c\\u0438\\u0440.txt', b'mir')\n");
    a.list(f.file("u.zip"));
    a.open("d/???.txt");
    ASSERT_EQ(a.launched.size(), 3u);
    EXPECT_EQ(file_name_of(a.launched[2].file), "___.txt");
    EXPECT_TRUE(os::read_whole_file(a.launched[2].file, content));
    EXPECT_EQ(content, "mir");
}

// A file that refuses the archive's zone marker (here a read-only RAR member) is never started;
// one that takes it is started with it.
TEST(Opening, NothingStartsFromFilesWithoutTheArchivesZoneMarker) {
    TestFolder f;
    shell(f.path(),
          "mkdir temp src && cd src && echo a > a.txt && echo b > b.txt && "
          "echo c > c.txt && chmod 444 a.txt && rar a -m0 -idq ../m.rar *.txt");
    const TempFolderIn temp(f.file("temp"));
    ArchiveFixture a;
    ASSERT_TRUE(a.rar_format.bind(a.prompter, a.program.messages, "libunrar.so.5"));
    int launches = 0;
    a.program.launch = [&launches](const Launch&) { return ++launches > 0; };
    a.state.open_archive(f.file("m.rar"))->list(a.ctx);
    os::emulate_zone_markers(true);
    const std::string marker = "[ZoneTransfer]\r\nZoneId=3\r\n";
    ASSERT_TRUE(os::write_zone_marker(a.state.archive_path(), marker));

    ASSERT_EQ(a.listing.member_names.at(0), "a.txt");
    a.rar_format.open_member(a.ctx, {0, "", ""});
    EXPECT_EQ(launches, 0);
    a.rar_format.open_member(a.ctx, {1, "", ""});
    EXPECT_EQ(launches, 1);
    std::string got;
    EXPECT_TRUE(os::read_zone_marker(f.file("temp/marlox_open_2/b.txt"), got));
    EXPECT_EQ(got, marker);
    os::emulate_zone_markers(false);
}

TEST(Opening, SetupCandidatesAskFirstAndNoOpensTheMemberAlone) {
    for (const char* name : {"uninstall.exe", "tools\\install_helper.com", "Disk1/SETUP.MSI"})
        EXPECT_TRUE(is_setup_candidate(name)) << name;

    TestFolder f;
    Opening a(f, {{"Setup.exe", "MZ setup"}, {"readme.txt", "read me"}});
    a.prompter.answers = {kAnswerNo};
    a.open("readme.txt");
    EXPECT_EQ(a.prompter.boxes.size(), 1u);
    EXPECT_EQ(a.box(0), std::make_tuple(a.message(65), a.message(66), BoxIcon::kQuestion));
    ASSERT_EQ(a.launched.size(), 1u);
    EXPECT_EQ(file_name_of(a.launched[0].file), "readme.txt");
    EXPECT_EQ(os::attributes(folder_of(a.launched[0].file) + "Setup.exe"), os::kNoAttributes);
}

TEST(ArchiveFiles, CopyMoveAndRenameKeepStrangersFilesAndShowTheirBoxes) {
    TestFolder f;
    std::filesystem::create_directories(f.file("other"));
    shell(f.path(), "echo hi > b.txt && zip -q Backup.ZIP b.txt");
    f.write("other/Backup.ZIP", "a stranger's file");
    const std::string archive = f.read("Backup.ZIP");
    ArchiveFixture a;
    a.list(f.file("Backup.ZIP"));
    ArchiveBackend& zip = a.zip_format;

    // Into a folder holding a file of that name: asked first, and No keeps both.
    a.prompter.folders = {f.file("other") + "/"};
    a.prompter.answers = {kAnswerNo};
    move_archive(a.ctx, zip);
    EXPECT_EQ(a.prompter.folder_requests[0].prompt, "verschieben nach...");
    EXPECT_EQ(a.prompter.boxes.size(), 1u);
    EXPECT_EQ(f.read("other/Backup.ZIP"), "a stranger's file");
    EXPECT_EQ(f.read("Backup.ZIP"), archive);
    // Into the folder it lies in: the same file, so nothing is touched.
    a.prompter.folders = {f.path() + "/"};
    move_archive(a.ctx, zip);
    EXPECT_EQ(a.prompter.boxes.back().title, "Fehler beim verschieben...");
    EXPECT_EQ(f.read("Backup.ZIP"), archive);

    // A copy becomes the open archive; the original stays.
    std::filesystem::create_directories(f.file("copies"));
    a.prompter.folders = {f.file("copies") + "/"};
    copy_archive(a.ctx, zip);
    EXPECT_EQ(a.state.archive_path(), f.file("copies") + "/Backup.ZIP");
    EXPECT_EQ(f.read("copies/Backup.ZIP"), archive);
    EXPECT_EQ(f.read("Backup.ZIP"), archive);

    // Renaming takes the kind's extension in lower case; a name holding a folder is refused.
    a.prompter.lines = {"old", "..\\escape"};
    rename_archive(a.ctx, zip);
    EXPECT_EQ(a.prompter.line_requests[0].initial, "Backup");
    EXPECT_EQ(a.state.archive_path(), f.file("copies") + "/old.zip");
    EXPECT_EQ(f.read("copies/old.zip"), archive);
    rename_archive(a.ctx, zip);
    EXPECT_EQ(a.prompter.boxes.back().title, "Fehler beim umbenennen");
    EXPECT_EQ(a.state.archive_path(), f.file("copies") + "/old.zip");
}

TEST(ArchiveFiles, PropertiesTextScalesEachTotalAndUsesADecimalComma) {
    ListingState listing;
    listing.unpacked_total = 1200000;
    listing.packed_total = 900000;
    listing.overall_rate = 45.5f;
    listing.archive_file_name = "my.backup.v2.zip";
    listing.archive_folder = "C:\\Daten.alt\\";
    EXPECT_EQ(archive_properties_text(listing),
              "\t\t\nFilesize            \t:  1,14  MB\nGepackt             \t: 878,9  KB\n\n"
              "Restgröße   \t: 45,50  %\n\nArchiv\t\t: my.backup.v2.zip\nOrt\t\t: "
              "C:\\Daten.alt\\\n");
}

}  // namespace
