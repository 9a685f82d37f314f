#include <gtest/gtest.h>

#include <cstdlib>

#include "archive/deleting.h"
#include "archive_test_support.h"
#include "runtime/os.h"

namespace {

const std::string kC = sample_bytes(20000, 3);
const std::string kA = sample_bytes(9000, 1);
const std::string kB = sample_bytes(5000, 2);

// Python writes f/a.zip with c.txt, a.txt, b.txt (in that order), an empty file and a folder
// member, dated 2005-03-07 14:30:00.
void make_archive(const TestFolder& f) {
    f.write("c.txt", kC);
    f.write("a.txt", kA);
    f.write("b.txt", kB);
    ASSERT_EQ(
        python_in(f,
                  "with zipfile.ZipFile('a.zip', 'w', zipfile.ZIP_DEFLATED) as z:\n"
                  "    for n in ['c.txt', 'a.txt', 'b.txt']:\n"
                  "        z.writestr(zipfile.ZipInfo(n, (2005, 3, 7, 14, 30, 0)),\n"
                  "                   open(n, 'rb').read())\n"
                  "    z.writestr(zipfile.ZipInfo('sub/empty.txt', (2005, 3, 7, 14, 30, 0)), b'')\n"
                  "    z.writestr(zipfile.ZipInfo('docs/', (2005, 3, 7, 14, 30, 0)), b'')\n"),
        0);
}

// The temporary folder of the test: f/temp, with files of the user's that must survive.
class UserTemp {
  public:
    explicit UserTemp(const TestFolder& f) : f_(f) {
        std::filesystem::create_directories(f.file("temp/1"));
        f.write("temp/tmp.zip", "the user's tmp.zip");
        f.write("temp/a.txt", "the user's a.txt");
        f.write("temp/1/b.txt", "the user's b.txt");
        before_ = tree(f.file("temp"));
        setenv("TMPDIR", f.file("temp").c_str(), 1);
    }
    ~UserTemp() {
        unsetenv("TMPDIR");
        EXPECT_EQ(tree(f_.file("temp")), before_);
        EXPECT_EQ(f_.read("temp/tmp.zip"), "the user's tmp.zip");
    }

  private:
    const TestFolder& f_;
    std::set<std::string> before_;
};

// The rest is rebuilt in the order the rows show, folder entries and empty files included; deleting
// every member leaves an empty file, where a new archive starts.
TEST(Deleting, KeepsTheOtherMembersInDisplayOrderOrLeavesAnEmptyFile) {
    TestFolder f;
    make_archive(f);
    UserTemp temp(f);
    ArchiveFixture a;
    a.list(f.file("a.zip"));
    a.view.sort_list_on_open();
    a.view.select("b.txt");
    delete_selected_members(a.ctx);

    EXPECT_TRUE(a.prompter.boxes.empty());
    // The empty file and the folder entry stay with the rest.
    const std::vector<std::string> names = {"a.txt", "c.txt", "docs/", "sub/empty.txt"};
    EXPECT_EQ(a.view.names(), names);
    EXPECT_EQ(python_members(f.file("a.zip")),
              (std::vector<std::string>{"a.txt " + hex(kA), "c.txt " + hex(kC), "docs/ ",
                                        "sub/empty.txt "}));
    expect_peers_accept(f.file("a.zip"));
    for (const auto& row : a.view.rows) EXPECT_EQ(row.texts[4], "07.03.2005") << row.texts[1];
    const std::vector<std::string>& status = a.view.status1_history;
    for (const std::string& text :
         {a.message(67) + "5" + a.message(68) + "5", a.message(69), a.message(70), a.message(71)})
        EXPECT_NE(std::find(status.begin(), status.end(), text), status.end()) << text;
    EXPECT_EQ(a.view.status[1], "");
    EXPECT_EQ(a.view.list_enabled.back(), true);

    for (auto& row : a.view.rows) row.selected = true;
    delete_selected_members(a.ctx);
    EXPECT_EQ(f.read("a.zip"), "");
    EXPECT_EQ(a.view.add_dialogs, 1);
    EXPECT_TRUE(a.view.rows.empty());
}

TEST(Deleting, MembersOfOneNameBothSurvive) {
    TestFolder f;
    f.write("a.zip", stored_zip({{"dup.txt", "first"},
                                 {"x.txt", "x"},
                                 {"dup.txt", "the second"},
                                 {"dup.txt", "third!"}}));
    UserTemp temp(f);
    ArchiveFixture a;
    a.list(f.file("a.zip"));
    a.view.rows[1].selected = true;  // x.txt
    a.view.rows[2].selected = true;  // the second dup.txt, told apart by its size
    std::swap(a.view.rows[0], a.view.rows[3]);
    delete_selected_members(a.ctx);
    EXPECT_EQ(python_members(f.file("a.zip")),
              (std::vector<std::string>{"dup.txt " + hex("third!"), "dup.txt " + hex("first")}));
    expect_peers_accept(f.file("a.zip"));
}

// Rows are matched to members by reading each row once, whatever the order; names of any length
// and with folders come back whole.
TEST(Deleting, ManyMembersAndLongNames) {
    TestFolder f;
    std::string long_name;
    for (int i = 0; i < 14; ++i) long_name += std::string(100, static_cast<char>('a' + i)) + "/";
    long_name += "x.txt";
    std::vector<TestMember> members = {{long_name, "deep"}};
    for (int i = 1000; i < 3000; ++i)
        members.push_back({"m" + std::to_string(i), std::to_string(i)});
    f.write("a.zip", stored_zip(members));
    UserTemp temp(f);
    ArchiveFixture a;
    a.list(f.file("a.zip"));
    ASSERT_EQ(a.view.rows.size(), 2001u);
    std::reverse(a.view.rows.begin(), a.view.rows.end());
    a.view.select("m1007");
    a.view.row_reads = 0;
    delete_selected_members(a.ctx);
    EXPECT_TRUE(a.prompter.boxes.empty());
    EXPECT_LE(a.view.row_reads, 6 * 2001);
    const std::vector<std::string> kept = python_members(f.file("a.zip"));
    ASSERT_EQ(kept.size(), 2000u);
    EXPECT_EQ(kept.back(), long_name + " " + hex("deep"));
    EXPECT_EQ(kept.front(), "m2999 " + hex("2999"));
    EXPECT_EQ(std::count(kept.begin(), kept.end(), "m1007 " + hex("1007")), 0);
}

// Whatever write fails, during the extraction, the rebuild or the copy beside the archive, the
// archive stays as it was, message 72 is shown and the list still shows every member.
TEST(Deleting, FailedWriteLeavesTheArchiveWhole) {
    TestFolder f;
    make_archive(f);
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

}  // namespace
