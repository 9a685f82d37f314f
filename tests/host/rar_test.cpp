// RAR archives through the native UnRAR library: archives made by `rar` (RAR 5) and written
// here (RAR 4, stored), listed, extracted, opened and converted.
#define _UNIX
#include <unrar/dll.hpp>
#undef _UNIX

#include <gtest/gtest.h>

#include <cstddef>

#include "archive_bytes.h"
#include "archive_test_support.h"
#include "formats/conversion.h"
#include "formats/rar.h"
#include "runtime/os.h"

namespace {

// The program's records are the library's: their sizes, and the buffers the library reads that
// the listing and extraction below never fill (the fields they read show in their results).
TEST(Rar, RecordsHaveTheLibrarysLayout) {
    EXPECT_EQ(sizeof(unrar::OpenArchiveDataEx), sizeof(RAROpenArchiveDataEx));
    EXPECT_EQ(offsetof(unrar::OpenArchiveDataEx, CmtBufW), offsetof(RAROpenArchiveDataEx, CmtBufW));
    EXPECT_EQ(sizeof(unrar::HeaderDataEx), sizeof(RARHeaderDataEx));
    EXPECT_EQ(offsetof(unrar::HeaderDataEx, RedirName), offsetof(RARHeaderDataEx, RedirName));
}

// The archive cut in the middle of its last member's header, as a broken download is.
std::string cut_in_last_member(const std::string& archive) {
    return archive.substr(0, archive.size() - 7 - 30);
}

// Writes `files` into f/src and runs `command` there.
void pack(const TestFolder& f, const std::vector<std::pair<std::string, std::string>>& files,
          const std::string& command) {
    for (const auto& [name, bytes] : files) f.write("src/" + name, bytes);
    shell(f.file("src"), command);
}

// A fixture with the native library bound, in the test folder `f`.
struct RarFixture : ArchiveFixture {
    const TestFolder& f;
    explicit RarFixture(const TestFolder& folder) : f(folder) {
        EXPECT_TRUE(rar_format.bind(prompter, program.messages, "libunrar.so.5"));
    }
    void list_rar(const std::string& name) { state.open_archive(f.file(name))->list(ctx); }
    // Extracts every member of f/`archive` into the folder f/`target`, made first.
    RarResult extract(const std::string& archive, const std::string& target, bool ask = false) {
        std::filesystem::create_directories(f.file(target));
        return rar_format.extract(ctx, f.file(archive), f.file(target), kEveryRarMember, ask);
    }
    // Records what each started file holds, the temporary folder being f/temp.
    std::vector<std::string> opened;
    void record_launches() {
        std::filesystem::create_directory(f.file("temp"));
        temp.emplace(f.file("temp"));
        program.launch = [this](const Launch& l) {
            std::string content;
            EXPECT_TRUE(os::read_whole_file(l.file, content));
            opened.push_back(content);
            return true;
        };
    }
    std::optional<TempFolderIn> temp;
};

// `rar` packs a.txt, sub/b.txt and Grüße.txt dated 2005-03-07 14:30, stored.
TEST(Rar, ListsRar5AndRar4ArchivesWithTheirRowsAndTotals) {
    TestFolder f;
    pack(f, {{"a.txt", "alpha\n"}, {"sub/b.txt", std::string(3000, 'b')}, {u8"Grüße.txt", "gruss"}},
         "touch -d '2005-03-07 14:30' a.txt sub/b.txt Gr*e.txt && "
         "LC_ALL=C.UTF-8 rar a -m0 -r ../five.rar a.txt sub/b.txt Gr*e.txt");
    RarFixture a(f);
    a.list_rar("five.rar");
    // Names as the user sees them: Windows-1252, the folder separator as the library gives it.
    EXPECT_EQ(a.view.names(), (std::vector<std::string>{"a.txt", "sub/b.txt", "Grüße.txt"}));
    EXPECT_EQ(a.view.rows[1].texts,
              (ArchiveEntry{"", "sub/b.txt", std::string(11, ' ') + "3000",
                            std::string(11, ' ') + "3000", "07/03/2005", "100.00", "sub/b.txt"}));
    EXPECT_EQ(a.listing.unpacked_total, 3011.0f);
    EXPECT_TRUE(a.prompter.boxes.empty());

    // RAR 4, stored: a folder entry lists with sizes 0; an archive cut short lists the rows
    // read before the cut; an archive without members lists none.
    f.write("four.rar",
            cut_in_last_member(stored_rar4(
                {{"docs\\", ""}, {"docs\\x.txt", "xx", 2015, 6, 1, 9, 5}, {"y.txt", "y"}})));
    a.list_rar("four.rar");
    ASSERT_EQ(a.view.rows.size(), 2u);
    EXPECT_EQ(a.view.rows[0].texts[2], std::string(14, ' ') + "0");
    EXPECT_EQ(a.view.rows[0].texts[5], "  0.00");
    EXPECT_EQ(a.view.rows[1].texts[4], "01/06/2015");
    f.write("empty.rar", stored_rar4({}));
    a.list_rar("empty.rar");
    EXPECT_TRUE(a.view.rows.empty());
    EXPECT_EQ(a.listing.member_count, 0);
}

// Without the middle part of a volume set the member that needs it leaves no file, and the
// missing volume is named (a whole set is the back-end matrix's). An archive cut short extracts
// the members before the cut, and converting it replaces nothing and says so; a missing archive
// fails at opening.
TEST(Rar, MissingVolumesAndArchivesCutShortExtractUpToTheGapAndReplaceNothing) {
    TestFolder f;
    std::string big;
    for (int i = 0; big.size() < 160000; ++i) big += std::to_string(i * 7919 % 100003) + "\n";
    pack(f, {{"big.txt", big}, {"a.txt", "alpha\n"}},
         "rar a -idq -m0 -v70k ../v.rar big.txt a.txt");
    ASSERT_TRUE(std::filesystem::exists(f.file("v.part3.rar")));
    RarFixture a(f);
    std::filesystem::rename(f.file("v.part2.rar"), f.file("elsewhere"));
    EXPECT_FALSE(a.extract("v.part1.rar", "e").ok);
    EXPECT_TRUE(tree(f.file("e")).empty());
    EXPECT_EQ(a.ctx.not_extracted, std::vector<std::string>{"big.txt"});
    ASSERT_EQ(a.prompter.boxes.size(), 1u);
    EXPECT_EQ(a.prompter.boxes[0].text, a.message(55) + "\n\n" + f.file("v.part2.rar"));

    f.write("broken.rar", cut_in_last_member(stored_rar4({{"one.txt", "1"}, {"two.txt", "2"}})));
    EXPECT_FALSE(a.extract("broken.rar", "d").ok);
    EXPECT_EQ(tree(f.file("d")), std::set<std::string>{"one.txt"});
    const RarResult missing = a.extract("missing.rar", "d");
    EXPECT_EQ(missing.stage, 0);
    EXPECT_NE(missing.code, 0);

    f.write("broken.zip", "the user's own broken.zip");
    a.list_rar("broken.rar");
    a.prompter.answers = {kAnswerYes};  // replace broken.zip: yes
    convert_to_zip(a.ctx, a.rar_format);
    ASSERT_EQ(a.prompter.boxes.size(), 3u);
    EXPECT_EQ(a.prompter.boxes[2].text, a.message(76));
    EXPECT_EQ(f.read("broken.zip"), "the user's own broken.zip");
    EXPECT_EQ(a.state.archive_path(), f.file("broken.rar"));
}

// Passwords, asked once per archive: a wrong one writes nothing, keeps the user's file, says so
// and asks again; Cancel stops. Encrypted headers ask already for the listing (that the answer
// serves the extraction too is the back-end matrix's).
TEST(Rar, PasswordsAreAskedOncePerArchiveAndAgainAfterAWrongOne) {
    TestFolder f;
    pack(f, {{"a.txt", "alpha\n"}, {"sub/b.txt", std::string(70000, 'b')}},
         "rar a -idq -psecret ../p.rar a.txt sub/b.txt && "
         "rar a -idq -hpsecret ../h.rar a.txt sub/b.txt");
    RarFixture a(f);
    a.list_rar("p.rar");
    EXPECT_EQ(a.view.rows.size(), 2u);
    EXPECT_TRUE(a.prompter.line_requests.empty());
    f.write("d/a.txt", "mine");
    a.prompter.lines = {"wrong", ""};  // a wrong password, then Cancel
    EXPECT_FALSE(a.extract("p.rar", "d").ok);
    EXPECT_EQ(tree(f.file("d")), std::set<std::string>{"a.txt"});
    EXPECT_EQ(f.read("d/a.txt"), "mine");
    ASSERT_EQ(a.prompter.line_requests.size(), 2u);
    EXPECT_TRUE(a.prompter.line_requests[0].secret);
    EXPECT_EQ(a.prompter.line_requests[0].title, a.message(191));
    ASSERT_EQ(a.prompter.boxes.size(), 1u);
    EXPECT_EQ(a.prompter.boxes[0].text, a.message(190));

    // Asking before overwriting: a.txt is asked about once, before the wrong password.
    a.prompter.lines = {"wrong", "secret"};
    EXPECT_TRUE(a.extract("p.rar", "d", true).ok);
    EXPECT_TRUE(a.extract("p.rar", "d").ok);
    EXPECT_EQ(a.prompter.line_requests.size(), 4u);
    ASSERT_EQ(a.prompter.boxes.size(), 3u);
    EXPECT_EQ(a.prompter.boxes[1].buttons, BoxButtons::kYesNo);

    a.prompter.lines = {"secret"};
    a.list_rar("h.rar");
    EXPECT_EQ(a.view.names(), (std::vector<std::string>{"a.txt", "sub/b.txt"}));
    EXPECT_EQ(a.prompter.line_requests.size(), 5u);
    a.list_rar("p.rar");
    a.list_rar("h.rar");  // another archive read between: asked again, and cancelled
    EXPECT_TRUE(a.view.rows.empty());
    EXPECT_EQ(a.prompter.line_requests.size(), 6u);
    EXPECT_EQ(a.prompter.boxes.size(), 3u);
}

// A name the code page cannot hold lists with "?" for what it lacks; the extract command writes
// the file under its own name (natively in UTF-8, as every name) and asks before replacing one,
// and opening a row starts its own member, also where two rows show alike.
TEST(Rar, NamesBeyondTheCodePageAndOpenedRowsStartTheirOwnMemberAlone) {
    TestFolder f;
    const std::string lodz = u8"Łódź.txt", nodz = u8"Ńódź.txt", gruss = u8"Grüße.txt";
    pack(f, {{lodz, "lodz"}, {nodz, "nodz"}, {gruss, "gruss"}},
         "LC_ALL=C.UTF-8 rar a -idq ../u.rar *.txt");
    RarFixture a(f);
    a.list_rar("u.rar");
    const std::string shown = "?ód?.txt";
    for (const std::string& name : {gruss, lodz, nodz}) f.write("d/" + name, "mine");
    a.prompter.answers = {kAnswerYes, kAnswerNo, kAnswerYes};
    a.rar_format.extract_all(a.ctx, {f.file("d/"), 1, "", true});
    ASSERT_EQ(a.prompter.boxes.size(), 3u);
    EXPECT_NE(a.prompter.boxes[1].text.find(shown), std::string::npos);
    EXPECT_EQ(tree(f.file("d")), (std::set<std::string>{gruss, lodz, nodz}));
    EXPECT_EQ(f.read("d/" + gruss), "gruss");
    EXPECT_EQ(f.read("d/" + lodz), "mine");
    EXPECT_EQ(f.read("d/" + nodz), "nodz");
    EXPECT_TRUE(a.ctx.not_extracted.empty());

    // Opening a row extracts that member alone, the n-th of the archive: a member of the same
    // name in other case, or one that lands on the same file, or an earlier one of the same name,
    // is not what is started. A reference opens with the bytes of the member it names.
    pack(f, {{"a.txt", "alpha\n"}, {"copy.txt", "alpha\n"}},
         "rar a -idq -oi:1 ../ref.rar a.txt copy.txt");
    f.write(
        "names.rar",
        stored_rar4(
            {{"a.txt", "first"}, {"A.TXT", "upper"}, {"\\a.txt", "rooted"}, {"a.txt", "second"}}));
    a.record_launches();
    for (int row : {1, 2})
        a.rar_format.open_member(a.ctx, {member_of_row(a.listing, a.view, row), "", ""});
    a.list_rar("names.rar");
    for (int entry : {0, 1, 3}) a.rar_format.open_member(a.ctx, {entry, "", ""});
    a.list_rar("ref.rar");
    a.rar_format.open_member(a.ctx, {1, "", ""});
    EXPECT_EQ(a.opened,
              (std::vector<std::string>{"lodz", "nodz", "first", "upper", "second", "alpha\n"}));
}

}  // namespace
