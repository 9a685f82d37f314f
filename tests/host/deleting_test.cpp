#include <gtest/gtest.h>

#include <cstdlib>

#include "archive/deleting.h"
#include "archive_test_support.h"
#include "runtime/file_meta.h"
#include "runtime/os.h"

namespace {

// The temporary folder of the test: f/temp, with files of the user's that must survive.
struct UserTemp : TempFolderIn {
    const TestFolder& f;
    std::set<std::string> before;
    explicit UserTemp(const TestFolder& folder) : TempFolderIn(folder.file("temp")), f(folder) {
        f.write("temp/tmp.zip", "the user's tmp.zip");
        f.write("temp/a.txt", "the user's a.txt");
        f.write("temp/1/b.txt", "the user's b.txt");
        before = tree(f.file("temp"));
    }
    ~UserTemp() {
        EXPECT_EQ(tree(f.file("temp")), before);
        EXPECT_EQ(f.read("temp/tmp.zip"), "the user's tmp.zip");
    }
};

// Rows are matched to members by reading each row once, whatever their order, and of members of
// one name by their size too; names of any length come back whole. The rest is rebuilt in the order
// the rows show, with its dates, folder entries and empty files; deleting every member leaves an
// empty file, where a new archive starts.
TEST(Deleting, KeepsTheOtherMembersInDisplayOrderOrLeavesAnEmptyFile) {
    TestFolder f;
    std::string long_name;
    for (int i = 0; i < 14; ++i) long_name += std::string(100, static_cast<char>('a' + i)) + "/";
    std::vector<TestMember> members = {
        {"dup.txt", "first"},  {"x.txt", "x"}, {"dup.txt", "the second"},    {"dup.txt", "third!"},
        {"sub/empty.txt", ""}, {"docs/", ""},  {long_name + "x.txt", "deep"}};
    for (int i = 1000; i < 3000; ++i)
        members.push_back({"m" + std::to_string(i), std::to_string(i)});
    f.write("a.zip", stored_zip(members));
    UserTemp temp(f);
    ArchiveFixture a;
    a.list(f.file("a.zip"));
    auto& rows = a.view.rows;
    ASSERT_EQ(rows.size(), members.size());
    std::reverse(rows.begin(), rows.end());
    a.view.select("x.txt");
    a.view.select("m1007");
    rows[rows.size() - 3].selected = true;  // the second dup.txt, told apart by its size
    a.view.row_reads = 0;
    delete_selected_members(a.ctx);

    EXPECT_TRUE(a.prompter.boxes.empty());
    EXPECT_LE(a.view.row_reads, 6 * static_cast<int>(members.size()));
    std::vector<std::string> kept;
    for (auto m = members.rbegin(); m != members.rend(); ++m) {
        if (m->name != "x.txt" && m->name != "m1007" && m->data != "the second")
            kept.push_back(m->name + " " + hex(m->data));
    }
    EXPECT_EQ(python_members(f.file("a.zip")), kept);
    expect_peers_accept(f.file("a.zip"));
    const std::vector<std::string>& status = a.view.status1_history;
    const std::string count = std::to_string(members.size());
    for (const std::string& text : {a.message(67) + count + a.message(68) + count, a.message(69),
                                    a.message(70), a.message(71)})
        EXPECT_NE(std::find(status.begin(), status.end(), text), status.end()) << text;
    EXPECT_EQ(a.view.status[1], "");

    for (auto& row : a.view.rows) row.selected = true;
    delete_selected_members(a.ctx);
    EXPECT_EQ(f.read("a.zip"), "");
    EXPECT_EQ(a.view.add_dialogs, 1);
    EXPECT_TRUE(a.view.rows.empty());
}

// Two members whose names show alike in the code page are told apart by their own names: the
// selected row's member is the one extracted and the one deleted, and the kept members come back
// with their Unicode names, as peers read them.
TEST(Deleting, RowsFollowTheirOwnNamesAndKeptMembersKeepThem) {
    TestFolder f;
    python_in(f,
              "with zipfile.ZipFile('a.zip', 'w') as z:\n"
              "    for n in ('\\u041c\\u0438\\u0440', '\\u0414\\u043e\\u043c', "
              "'Gr\\u00fc\\u00dfe'): z.writestr(n + '.txt', n)\n");
    const std::string mir = u8"Мир", dom = u8"Дом", gruss = u8"Grüße";
    UserTemp temp(f);
    ArchiveFixture a;
    a.list(f.file("a.zip"));
    ASSERT_EQ(a.view.rows.size(), 3u);
    a.view.rows[1].selected = true;
    std::filesystem::create_directory(f.file("out"));
    a.zip_format.extract_chosen(a.ctx, {f.file("out") + "\\", 2, "", true});
    EXPECT_EQ(tree(f.file("out")), std::set<std::string>{dom + ".txt"});

    delete_selected_members(a.ctx);
    EXPECT_EQ(output_of(f.path(), "LC_ALL=C.UTF-8 unzip -Z1 a.zip"),
              (std::vector<std::string>{mir + ".txt", gruss + ".txt"}));
    EXPECT_EQ(output_of(f.path(), "unzip -p a.zip"), std::vector<std::string>{mir + gruss});
    expect_peers_accept(f.file("a.zip"));
}

// Whatever write fails, during the extraction, the rebuild or the copy beside the archive, the
// archive stays as it was, message 72 is shown and the list still shows every member.
TEST(Deleting, FailedWriteLeavesTheArchiveWhole) {
    TestFolder f;
    f.write("a.zip", stored_zip({{"c.txt", sample_bytes(20000, 3)},
                                 {"a.txt", sample_bytes(9000, 1)},
                                 {"b.txt", sample_bytes(5000, 2)},
                                 {"sub/empty.txt", ""},
                                 {"docs/", ""}}));
    const std::string before = f.read("a.zip");
    bool failed_in_copy = false, went_through = false;
    for (int64_t budget = 0; budget < 1000000 && !went_through; budget += 2500) {
        SCOPED_TRACE(budget);
        UserTemp temp(f);
        ArchiveFixture a;
        a.list(f.file("a.zip"));
        a.view.select("b.txt");
        a.view.status1_history.clear();
        os::fail_writes_after(budget);
        delete_selected_members(a.ctx);
        os::fail_writes_after(-1);
        went_through = a.prompter.boxes.empty();  // enough room for everything
        if (went_through) break;
        EXPECT_EQ(a.box(0), std::make_tuple(a.message(42), a.message(72), BoxIcon::kError));
        EXPECT_EQ(f.read("a.zip"), before);
        EXPECT_EQ(a.view.rows.size(), 5u);
        for (const std::string& name : tree(f.path()))
            EXPECT_NE(name.rfind("a.zip.", 0), 0u) << name;
        const auto& status = a.view.status1_history;
        failed_in_copy |= std::find(status.begin(), status.end(), a.message(69)) != status.end();
    }
    EXPECT_TRUE(went_through);
    EXPECT_TRUE(failed_in_copy);
    EXPECT_EQ(python_members(f.file("a.zip")).size(), 4u);
    expect_peers_accept(f.file("a.zip"));
}

// Each kept member is streamed from the old archive into the new one, and the result is, byte
// for byte, the archive made by extracting each member to a file dated and marked as the member
// and adding that file: members of several pieces, stored, empty, read-only, with a UTF-8 name.
TEST(Deleting, KeptMembersComeBackAsThroughAFileOfTheirOwn) {
    TestFolder f;
    python_in(f,
              "def add(z, name, data, attr, date, method):\n"
              "    i = zipfile.ZipInfo(name, date)\n"
              "    i.external_attr, i.compress_type, i.create_system = attr, method, 0\n"
              "    z.writestr(i, data)\n"
              "D, S = zipfile.ZIP_DEFLATED, zipfile.ZIP_STORED\n"
              "with zipfile.ZipFile('a.zip', 'w') as z:\n"
              "    big = bytes((i * i // 7) % 251 for i in range(300000))\n"
              "    add(z, 'big.bin', big, 0x20, (2005, 3, 7, 10, 20, 31), D)\n"
              "    add(z, 'ro.txt', b'read only', 0x01, (2019, 12, 31, 23, 59, 58), S)\n"
              "    add(z, 'gone.txt', b'x', 0, (2001, 1, 1, 0, 0, 0), D)\n"
              "    add(z, 'Gr\\u00fc\\u00dfe.txt', b'hi', 0, (2020, 7, 1, 6, 5, 4), D)\n"
              "    add(z, 'sub/', b'', 0x10, (2010, 5, 5, 5, 5, 6), S)\n"
              "    add(z, 'sub/zero.txt', b'', 0, (2011, 2, 28, 1, 2, 2), D)\n");
    std::filesystem::copy_file(f.file("a.zip"), f.file("old.zip"));
    ArchiveFixture a;
    a.list(f.file("a.zip"));
    a.view.select("gone.txt");
    delete_selected_members(a.ctx);
    EXPECT_TRUE(a.prompter.boxes.empty());

    ZipEngine from, to;
    ASSERT_EQ(zip_open(from, f.file("old.zip")), kZipOk);
    ASSERT_EQ(zip_create(to, f.file("expected.zip")), kZipOk);
    for (int i = 1; i <= 6; ++i) {
        const std::string name = zip_goto(from, i), own = zip_real_name(from);
        ZipMemberInfo d;
        zip_member_info(from, d);
        if (name == "gone.txt") continue;
        if (d.attributes & os::kAttrDirectory) {
            const DosDateTime s = make_dos_stamp(d.year, d.month, d.day, d.hour, d.minute, 0);
            ASSERT_EQ(zip_add_folder_entry(to, name, s.date, s.time, d.attributes, own), kZipOk);
            continue;
        }
        const std::string file = f.file("m" + std::to_string(i));
        ASSERT_EQ(zip_extract_file(from, i, file), kZipOk);
        set_file_date(file, make_local_date(d.year, d.month, d.day, d.hour, d.minute, 0));
        if (d.attributes & 0x27) set_file_attributes(file, d.attributes & 0x27);
        ASSERT_EQ(zip_add_file(to, file, name, own), kZipOk) << name;
    }
    zip_close(to);
    EXPECT_EQ(f.read("a.zip"), f.read("expected.zip"));
    expect_peers_accept(f.file("a.zip"));
}

// A kept member that cannot be read, without its password or with damaged data, fails the
// deletion as a whole.
TEST(Deleting, UnreadableKeptMemberLeavesTheArchiveAsItWas) {
    for (const char* make :
         {"zip -q -P pw a.zip a.txt b.txt",
          "zip -q -0 a.zip a.txt b.txt && python3 -c \"d = open('a.zip', 'rb').read(); "
          "open('a.zip', 'wb').write(d.replace(b'secret a', b'secreT a', 1))\""}) {
        SCOPED_TRACE(make);
        TestFolder f;
        f.write("a.txt", "secret a");
        f.write("b.txt", "secret b");
        shell(f.path(), make);
        const std::string before = f.read("a.zip");
        ArchiveFixture a;
        a.list(f.file("a.zip"));
        a.view.select("b.txt");
        delete_selected_members(a.ctx);
        EXPECT_EQ(a.box(0), std::make_tuple(a.message(42), a.message(72), BoxIcon::kError));
        EXPECT_EQ(f.read("a.zip"), before);
    }
}

}  // namespace
