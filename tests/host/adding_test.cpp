#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "archive/adding.h"
#include "archive_test_support.h"

namespace {

const std::string kA = sample_bytes(30000, 1);
const std::string kB = sample_bytes(777, 2);

TEST(Adding, PathModesFormBaseAndNameAndArchivesAreNamedAfterTheirItems) {
    const std::string file = "C:\\daten\\privat\\meinverz\\meinprog.exe";
    // Path, mode, list folder, then the base and name expected.
    const std::tuple<std::string, int, std::string, std::string, std::string> cases[] = {
        {file, 0, "C:\\daten\\privat\\", "C:\\daten\\privat\\meinverz\\", "meinprog.exe"},
        {file, 1, "C:\\daten\\privat\\", "C:/daten/privat/", "meinverz/meinprog.exe"},
        {file, 2, "C:\\daten\\privat\\", "C:/", "daten/privat/meinverz/meinprog.exe"},
        // The list folder compares ignoring case, and may lack its trailing separator.
        {file, 1, "c:\\DATEN\\privat", "C:/daten/privat/", "meinverz/meinprog.exe"},
        {file, 1, "C:\\", "C:/", "daten/privat/meinverz/meinprog.exe"},
        // Without a list folder, or not below it, the path is named below its drive root.
        {file, 1, "", "C:/", "daten/privat/meinverz/meinprog.exe"},
        {file, 1, "D:\\daten\\", "C:/", "daten/privat/meinverz/meinprog.exe"},
        {file, 1, "C:\\dat", "C:/", "daten/privat/meinverz/meinprog.exe"},
        {"\\\\server\\share\\a\\b.txt", 2, "", "//server/share/", "a/b.txt"},
        {file, 3, "", "", ""},
    };
    for (const auto& [path, mode, list_folder, base, name] : cases) {
        SCOPED_TRACE(path + " mode " + std::to_string(mode) + " list " + list_folder);
        const AddName got = add_name(path, mode, list_folder);
        EXPECT_EQ(got.base, base);
        EXPECT_EQ(got.name, name);
    }

    // Archive names: extensions stripped and files taken before folders (the real window's drop
    // tests).
    EXPECT_EQ(with_zip_extension("C:\\x\\Backup.ZIP"), "C:\\x\\Backup.ZIP");
    EXPECT_EQ(with_zip_extension("C:\\x\\Backup.dat"), "C:\\x\\Backup.dat.zip");
    EXPECT_EQ(with_zip_extension("C:\\x.zip\\Backup"), "C:\\x.zip\\Backup.zip");

    const os::SystemTime march5th{2005, 3, 6, 5, 14, 7, 9, 0};
    EXPECT_EQ(pack_archive_name("C:\\work\\src", march5th), "C:\\work\\src.zip");
    EXPECT_EQ(pack_archive_name("C:\\v1.2\\readme", march5th), "C:\\v1.2\\readme.zip");
    EXPECT_EQ(pack_archive_name("C:\\dl\\old.ZIP", march5th),
              "C:\\dl\\packed_05_03_2005_14_07_09_.zip");

    PendingItems pending;
    EXPECT_EQ(drop_base_name(pending), os::program_folder() + "zip.zip");
    pending.folders = {"C:\\work\\src\\"};
    EXPECT_EQ(drop_base_name(pending), "C:\\work\\src");
}

TEST(Adding, FoldersExpandInQueueOrder) {
    TestFolder f;
    for (const char* folder : {"Bilder/Urlaub/Tief", "Musik", "Leer"})
        std::filesystem::create_directories(f.file(folder));
    for (const char* file : {"Bilder/a.jpg", "Bilder/Urlaub/b.jpg", "Bilder/Urlaub/Tief/c.jpg",
                             "Musik/m.mp3", "x.txt", "y.txt"})
        f.write(file, file);
    const std::string list = f.path();
    const std::vector<AddListEntry> entries = {
        {"Bilder", true, true}, {"x.txt", false, true}, {"Musik", true, true},
        {"Leer", true, true},   {"..", true, true},     {"y.txt", false, false},
    };

    PendingItems pending;
    take_add_selection(pending, list, entries, true);
    const std::vector<std::string> files = {list + "x.txt", list + "Bilder\\a.jpg",
                                            list + "Musik\\m.mp3", list + "Bilder\\Urlaub\\b.jpg",
                                            list + "Bilder\\Urlaub\\Tief\\c.jpg"};
    EXPECT_EQ(pending.files, files);
    EXPECT_EQ(pending.size_total, 5 + 12 + 11 + 19 + 24);
    EXPECT_EQ(pending.folders.size(), 5u);

    PendingItems without;
    take_add_selection(without, list, entries, false);
    EXPECT_EQ(without.files, std::vector<std::string>{list + "x.txt"});
    EXPECT_EQ(without.folders.size(), 3u);

    PendingItems no_folder;
    take_add_selection(no_folder, "", entries, false);
    EXPECT_TRUE(no_folder.files.empty());
}

TEST(Adding, NewArchiveAsksBeforeReplacingAndACancelLeavesAnEmptyFile) {
    TestFolder f;
    f.write("Backup.dat.zip", "the user's file");
    ArchiveFixture a;
    a.prompter.answers = {kAnswerNo};
    new_archive_command(a.ctx, f.file("Backup.dat"));
    EXPECT_EQ(a.box(0), std::make_tuple(a.message(50),
                                        a.message(0) + a.message(172) + "\n\n" + a.message(173),
                                        BoxIcon::kWarning));
    EXPECT_EQ(a.prompter.boxes[0].buttons, BoxButtons::kYesNo);
    EXPECT_EQ(f.read("Backup.dat.zip"), "the user's file");
    EXPECT_EQ(a.state.archive_path(), "");
    EXPECT_EQ(a.view.add_dialogs, 0);

    // Yes, then the dialog is cancelled; opening the empty file later starts a new archive again.
    new_archive_command(a.ctx, f.file("Backup.dat"));
    EXPECT_EQ(f.read("Backup.dat.zip"), "");
    a.list(f.file("Backup.dat.zip"));
    EXPECT_EQ(a.view.add_dialogs, 2);
    EXPECT_EQ(a.state.archive_path(), f.file("Backup.dat.zip"));
    EXPECT_TRUE(a.view.rows.empty());
}

TEST(Adding, FailedWriteKeepsTheArchiveAsItWas) {
    for (int64_t budget : {0, 100, 20000}) {
        SCOPED_TRACE(budget);
        TestFolder f;
        f.write("one.txt", kA);
        f.write("two.txt", kA + kB);
        f.write("a.zip", stored_zip({{"b.txt", "hi"}}));
        const std::string before = f.read("a.zip");
        ArchiveFixture a;
        a.list(f.file("a.zip"));
        a.view.add_dialog = [&](bool) {
            take_add_selection(a.state.pending, f.path(),
                               {{"one.txt", false, true}, {"two.txt", false, true}}, false);
            os::fail_writes_after(budget);
            return AddChoice{0, f.path()};
        };
        add_command(a.ctx);
        os::fail_writes_after(-1);
        EXPECT_EQ(f.read("a.zip"), before);
        EXPECT_EQ(a.view.names(), std::vector<std::string>{"b.txt"});
        ASSERT_EQ(a.prompter.boxes.size(), 1u);
        EXPECT_EQ(a.box(0), std::make_tuple(a.message(25),
                                            a.message(58) + "\n\n2" + a.message(57) + ":\n" +
                                                f.file("one.txt") + "\n" + f.file("two.txt"),
                                            BoxIcon::kWarning));
    }
}

TEST(Adding, DropsAndGivenItems) {
    TestFolder f;
    f.write("a.txt", kA);
    f.write("b.txt", kB);
    ArchiveFixture a;
    AddDialogDefaults defaults;
    a.view.add_dialog = [&](bool items_given) {
        defaults = add_dialog_defaults(a.state.pending, items_given);
        return AddChoice{0, ""};
    };

    // From the command line: one archive named after the first item, replacing a file of that
    // name only after a Yes. A folder among items refused so leaves no mark for the next ones.
    f.write("a.zip", "the user's file");
    std::filesystem::create_directory(f.file("a"));
    a.prompter.answers = {kAnswerNo};
    pack_given_items(a.ctx, {f.file("a"), f.file("b.txt")});
    EXPECT_EQ(f.read("a.zip"), "the user's file");
    EXPECT_EQ(a.state.archive_path(), "");
    EXPECT_EQ(a.view.add_dialogs, 0);
    pack_given_items(a.ctx, {f.file("a.txt"), f.file("b.txt")});
    EXPECT_EQ(a.state.archive_path(), f.file("a.zip"));
    EXPECT_TRUE(defaults.mode == 0 && defaults.mode0_enabled);
    EXPECT_FALSE(defaults.list_enabled || defaults.include_folders_enabled);
    EXPECT_EQ(a.view.names(), (std::vector<std::string>{"a.txt", "b.txt"}));
    // The bar runs over the files' sizes.
    const int total = static_cast<int>(kA.size() + kB.size());
    EXPECT_EQ(a.view.ranges.front(), total);
    EXPECT_EQ(*std::max_element(a.view.values.begin(), a.view.values.end()), total);
    expect_peers_accept(f.file("a.zip"));

    // A drop on the open archive adds a second a.txt; the archive itself is not added to itself.
    drop_items(a.ctx, {f.file("a.txt"), f.file("a.zip")});
    EXPECT_EQ(a.view.names(), (std::vector<std::string>{"a.txt", "b.txt", "a.txt"}));
    expect_peers_accept(f.file("a.zip"));

    // Nothing happens on a RAR archive.
    const std::string packed = f.read("a.zip");
    a.state.open_archive(f.file("a.rar"));
    drop_items(a.ctx, {f.file("b.txt")});
    EXPECT_EQ(a.view.add_dialogs, 2);

    // A ZIP dropped while nothing is open is packed into packed_..._.zip beside it.
    a.state.close_archive();
    a.view.add_dialog = nullptr;
    drop_items(a.ctx, {f.file("a.zip")});
    EXPECT_EQ(a.state.archive_path().rfind(f.file("packed_"), 0), 0u) << a.state.archive_path();
    EXPECT_EQ(f.read("a.zip"), packed);
    EXPECT_TRUE(std::filesystem::exists(a.state.archive_path()));
}

}  // namespace
