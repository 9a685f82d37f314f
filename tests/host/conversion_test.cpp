// Packing a ZIP archive anew: what it keeps, and that members meeting in one file replace nothing.
#include <gtest/gtest.h>

#include "app/backends.h"
#include "archive_bytes.h"
#include "archive_test_support.h"
#include "formats/conversion.h"

namespace {

TEST(Conversion, RepackingKeepsFilesAndDatesAndMembersMeetingInOneFileReplaceNothing) {
    TestFolder f;
    f.write("x.zip", stored_zip({{"docs/", ""},
                                 {"docs/a.txt", std::string(500, 'a')},
                                 {"empty.txt", ""},
                                 {"b.txt", "bee"}}));
    ArchiveFixture a;
    a.list(f.file("x.zip"));
    convert_to_zip(a.ctx, a.zip_format);
    EXPECT_TRUE(a.prompter.boxes.empty());
    std::vector<std::string> members = python_members(f.file("x.zip"));
    std::sort(members.begin(), members.end());
    // The folder entry is gone; the empty file stays; every member keeps its minute.
    EXPECT_EQ(members,
              (std::vector<std::string>{"b.txt " + hex("bee"),
                                        "docs/a.txt " + hex(std::string(500, 'a')), "empty.txt "}));
    expect_peers_accept(f.file("x.zip"));
    for (const auto& row : a.view.rows) EXPECT_EQ(row.texts[4], "07.03.2005") << row.texts[1];
    EXPECT_EQ(conversion_target("C:\\A\\Setup.CAB"), "C:\\A\\Setup.zip");

    // "d/b.txt" and "d\b.txt" meet in one file when they are extracted: the archive is not
    // replaced by one that lacks one of them, and message 76 says so.
    const std::string source = stored_zip({{"d/b.txt", "slash"}, {"d\\b.txt", "backslash"}});
    f.write("x.zip", source);
    a.list(f.file("x.zip"));
    convert_to_zip(a.ctx, a.zip_format);
    ASSERT_EQ(a.prompter.boxes.size(), 1u);
    EXPECT_EQ(a.box(0), std::make_tuple(a.message(42), a.message(76), BoxIcon::kError));
    EXPECT_EQ(f.read("x.zip"), source);
    EXPECT_EQ(tree(f.path()), std::set<std::string>{"x.zip"});
    EXPECT_EQ(a.state.archive_path(), f.file("x.zip"));
}

}  // namespace
