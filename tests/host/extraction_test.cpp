#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include "app/backends.h"
#include "archive/extraction.h"
#include "archive_test_support.h"

namespace {

constexpr long long kMarch7th2005 = 1110198600;  // 2005-03-07 12:30:00, local = UTC here
constexpr long long kJan1st2001 = 978307200;     // 2001-01-01 00:00:00

void set_mtime(const std::string& path, long long seconds) {
    const utimbuf times{static_cast<time_t>(seconds), static_cast<time_t>(seconds)};
    ASSERT_EQ(utime(path.c_str(), &times), 0) << path;
}

// Last-write time of `path` in seconds since 1970 (UTC), -1 when it does not exist.
long long mtime_of(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_mtime) : -1;
}

// What f/`name` holds, and its last-write time.
std::string dated(const TestFolder& f, const std::string& name) {
    return f.read(name) + " @" + std::to_string(mtime_of(f.file(name)));
}
const std::string kMarch = " @" + std::to_string(kMarch7th2005),
                  kJan = " @" + std::to_string(kJan1st2001);

// Writes f/a.zip, lists it and extracts into f/out (made empty first) with the given choices.
struct Extraction {
    ArchiveFixture a;
    const TestFolder& f;

    Extraction(const TestFolder& folder, const std::string& archive) : f(folder) {
        f.write("a.zip", archive);
        std::filesystem::create_directory(f.file("out"));
        a.list(f.file("a.zip"));
        a.view.status1_history.clear();
    }
    void run(int mode, const std::string& pattern = "", bool ask = false) {
        run_extraction(a.zip_format, a.ctx, {f.file("out") + "\\", mode, pattern, ask});
    }
};

TEST(Extraction, WritabilityProbeNeverTouchesAnExistingLazarusFile) {
    TestFolder f;
    f.write("lazarus.file", "the user's own file");
    f.write("lazarus_1.file", "another one");
    set_mtime(f.file("lazarus.file"), kJan1st2001);
    const std::set<std::string> before = tree(f.path());

    ArchiveFixture a;
    EXPECT_TRUE(confirm_target_writable(a.ctx, f.path()));
    EXPECT_EQ(tree(f.path()), before);
    EXPECT_EQ(f.read("lazarus.file"), "the user's own file");
    EXPECT_EQ(mtime_of(f.file("lazarus.file")), kJan1st2001);
    EXPECT_TRUE(a.prompter.boxes.empty());

    EXPECT_FALSE(confirm_target_writable(a.ctx, f.file("missing") + "\\"));
    EXPECT_EQ(a.prompter.boxes.size(), 1u);
    EXPECT_EQ(a.box(0),
              std::make_tuple(a.message(42),
                              a.message(185) + "\n" + a.message(186) + "\n" + a.message(187),
                              BoxIcon::kWarning));
}

// The bar moves one unit per member or row: 100 / count up to 100 members, else the range is the
// count; status field 1 names what is extracted and is emptied at the end; the list is disabled
// meanwhile.
TEST(Extraction, ProgressMovesOneUnitPerMemberOrRow) {
    struct Case {
        int members, mode, unit, range;  // range 0: the range stays 0..100
    } cases[] = {{20, 1, 5, 0}, {250, 1, 1, 250}, {20, 2, 5, 0}, {250, 3, 1, 250}, {1, 1, 100, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.members) + " members, mode " + std::to_string(c.mode));
        TestFolder f;
        std::vector<TestMember> members;
        for (int i = 0; i < c.members; ++i)
            members.push_back({"m" + std::to_string(1000 + i), "x"});
        Extraction e(f, stored_zip(members));
        e.a.view.rows.front().selected = true;
        e.run(c.mode, c.mode == 3 ? "m1000" : "");

        std::vector<int> values;
        for (int i = 1; i <= c.members; ++i) values.push_back(c.unit * i);
        values.push_back(0);
        EXPECT_EQ(e.a.view.values, values);
        EXPECT_EQ(e.a.view.ranges,
                  (c.range ? std::vector<int>{c.range, 100} : std::vector<int>{100}));
        EXPECT_EQ(e.a.state.progress, 0);
        std::vector<std::string> shown = e.a.view.status1_history;
        EXPECT_EQ(shown.back(), "");
        shown.pop_back();
        EXPECT_EQ(shown, c.mode == 1 ? e.a.view.names() : std::vector<std::string>{"m1000"});
        EXPECT_EQ(e.a.view.list_enabled, (std::vector<bool>{false, true}));
    }
}

// The second of two members named dup.txt is selected, with b.doc: a row's member is the first
// of its name.
TEST(Extraction, SelectionModesPatternsAndDuplicateNames) {
    const std::set<std::string> txt = {"readme.txt", "a.TXT", "sub/", "sub/c.txt", "dup.txt"};
    const std::set<std::string> selected = {"b.doc", "dup.txt"};
    struct Case {
        const char* what;
        int mode;
        const char* pattern;
        std::set<std::string> out;
        const char* dup;  // what dup.txt holds afterwards
    } cases[] = {
        {"selected rows; mode 2 ignores a pattern", 2, "*.doc", selected, "first"},
        {"pattern, ignoring case", 3, "*.txt", txt, "first"},
        {"empty pattern: the selected rows", 3, "", selected, "first"},
        {"alternatives", 3, "*.doc|a.*", {"a.TXT", "b.doc"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestFolder f;
        Extraction e(f, stored_zip({{"readme.txt", "r"},
                                    {"a.TXT", "a"},
                                    {"b.doc", "b"},
                                    {"sub/c.txt", "c"},
                                    {"dup.txt", "first"},
                                    {"dup.txt", "second"}}));
        e.a.view.select("b.doc");
        e.a.view.rows.at(5).selected = true;
        e.run(c.mode, c.pattern);
        EXPECT_EQ(tree(f.file("out")), c.out);
        EXPECT_EQ(f.read("out/dup.txt"), c.dup);
    }
}

// No keeps a.txt and its time and Yes replaces c.txt; an empty file is replaced without a question.
// A member that cannot be extracted leaves the older file of its name as it was, date included,
// even after a Yes, and is named in a box after the run; the empty member after it arrives.
TEST(Extraction, OverwriteQuestionAndDamagedMembersLeavingTheOlderFile) {
    TestFolder f;
    std::string archive = stored_zip({{"a.txt", "new a"},
                                      {"b.txt", "new b"},
                                      {"c.txt", "new c"},
                                      {"bad.txt", "bad data"},
                                      {"pkg/__init__.py", ""}});
    archive[archive.rfind("bad.txt") - 46 + 16] ^= 1;  // the CRC in its central header
    Extraction e(f, archive);
    f.write("out/a.txt", "old a");
    f.write("out/b.txt", "");
    f.write("out/c.txt", "old c");
    f.write("out/bad.txt", "older");
    for (const char* name : {"out/a.txt", "out/b.txt", "out/c.txt", "out/bad.txt"})
        set_mtime(f.file(name), kJan1st2001);
    e.a.prompter.answers = {kAnswerNo, kAnswerYes, kAnswerYes};
    e.run(1, "", true);

    ASSERT_EQ(e.a.prompter.boxes.size(), 4u);
    const MessageBoxRequest& q = e.a.prompter.boxes[0];
    EXPECT_EQ(q.text, e.a.message(0) + " a.txt" + e.a.message(172) + "\n\n" + e.a.message(173));
    EXPECT_EQ(q.buttons, BoxButtons::kYesNo);
    EXPECT_EQ(q.icon, BoxIcon::kWarning);
    EXPECT_NE(e.a.prompter.boxes[1].text.find("c.txt"), std::string::npos);
    EXPECT_EQ(dated(f, "out/a.txt"), "old a" + kJan);
    EXPECT_EQ(dated(f, "out/b.txt"), "new b" + kMarch);
    EXPECT_EQ(dated(f, "out/c.txt"), "new c" + kMarch);
    EXPECT_EQ(dated(f, "out/bad.txt"), "older" + kJan);
    EXPECT_EQ(dated(f, "out/pkg/__init__.py"), kMarch);
    EXPECT_EQ(
        e.a.box(3),
        std::make_tuple(e.a.message(50), e.a.message(58) + "\n\n1" + e.a.message(57) + ":\nbad.txt",
                        BoxIcon::kWarning));
}

// Plain and encrypted members (password "secret") side by side: plain members never ask; the
// first encrypted member asks, a wrong password asks again and the right one serves every
// encrypted member after it. Cancel leaves the encrypted members out, an older file of their
// name as it was, and names them in the warning box.
TEST(Extraction, PasswordAskedOnceAndAgainWhenWrong) {
    TestFolder src;
    for (const char* name : {"plain.txt", "a.txt", "b.txt", "z.txt"}) src.write(name, name);
    shell(src.path(),
          "zip -q m.zip plain.txt && zip -q -P secret m.zip a.txt b.txt && "
          "zip -q m.zip z.txt");
    const std::string archive = src.read("m.zip");
    const auto requests = [](const ScriptedPrompter& p) {
        std::vector<std::string> out;
        for (const InputRequest& r : p.line_requests)
            out.push_back(r.title + "|" + r.prompt + "|" + r.cancel + (r.secret ? "|*" : "|"));
        return out;
    };
    TestFolder f1, f2, f3;
    Extraction plain(f1, archive);
    plain.run(3, "p*");
    EXPECT_EQ(plain.a.prompter.line_requests.size(), 0u);
    EXPECT_EQ(f1.read("out/plain.txt"), "plain.txt");

    Extraction right(f2, archive);
    right.a.prompter.lines = {"wrong", "secret"};
    right.run(1);
    const std::string question = "|" + right.a.message(192) + "|" + right.a.message(34) + "|*";
    EXPECT_EQ(requests(right.a.prompter),
              (std::vector<std::string>{right.a.message(191) + question,
                                        right.a.message(190) + question}));
    for (const char* name : {"plain.txt", "a.txt", "b.txt", "z.txt"})
        EXPECT_EQ(f2.read(std::string("out/") + name), name);
    EXPECT_TRUE(right.a.prompter.boxes.empty());
    right.run(1);  // the archive's password is kept while it stays open
    EXPECT_EQ(right.a.prompter.line_requests.size(), 2u);

    Extraction cancelled(f3, archive);
    f3.write("out/a.txt", "mine");
    cancelled.run(1);
    EXPECT_EQ(requests(cancelled.a.prompter).size(), 1u);
    EXPECT_EQ(tree(f3.file("out")), (std::set<std::string>{"a.txt", "plain.txt", "z.txt"}));
    EXPECT_EQ(f3.read("out/a.txt"), "mine");
    EXPECT_EQ(cancelled.a.box(0), std::make_tuple(cancelled.a.message(50),
                                                  cancelled.a.message(58) + "\n\n2" +
                                                      cancelled.a.message(57) + ":\na.txt\nb.txt",
                                                  BoxIcon::kWarning));
}

}  // namespace
