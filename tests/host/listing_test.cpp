#include <gtest/gtest.h>

#include <sys/stat.h>

#include <sstream>

#include "archive/listing.h"
#include "archive_test_support.h"
#include "runtime/os.h"
#include "state/version.h"

namespace {

std::string spaces(size_t n) { return std::string(n, ' '); }

// What the Python archive below cannot show: sizes of 2 GiB and more, rates wider
// than their column, negative or undefined rates, and the kind rule.
TEST(Listing, ColumnTextsAtTheirLimitsAndArchiveKind) {
    ZipMemberInfo info;
    info.unpacked = static_cast<int32_t>(3000000000u);
    info.packed = static_cast<int32_t>(4294967295u);
    const ArchiveEntry row = zip_row("big", info);
    EXPECT_EQ(row[2], "     3000000000");
    EXPECT_EQ(row[3], "     4294967295");
    EXPECT_EQ(row[5], "143.17");
    EXPECT_EQ(format_rate(member_rate(1, 1000)), "100000");
    EXPECT_EQ(format_rate(-5.0f), "  0.00");
    EXPECT_EQ(format_rate(0.0f / 0.0f), "  0.00");

    const std::pair<const char*, ArchiveKind> kinds[] = {{"C:\\data\\A.ZIP", ArchiveKind::kZip},
                                                         {"x.tar.Cab", ArchiveKind::kCab},
                                                         {"C:\\dir.rar\\none", ArchiveKind::kNone},
                                                         {"trailing.", ArchiveKind::kNone},
                                                         {"a.rar.txt", ArchiveKind::kNone}};
    for (const auto& k : kinds) EXPECT_EQ(archive_kind_of(k.first), k.second) << k.first;
}

TEST(Listing, RowComparisonForHeaderSorting) {
    const std::string long_a = std::string(200, 'x') + "a";
    const std::string long_b = std::string(200, 'x') + "b";
    struct Case {
        std::string a, b;
        int ascending;  // the result with direction 1; direction 0 gives the opposite
    } cases[] = {
        {"apple", "banana", -1},
        {"Banana", "apple", 1},
        {"README.TXT", "readme.txt", 0},  // letter case does not count
        {long_a, long_b, 0},              // only the first 200 characters count
        {"\xC4pfel", "zebra", 1},         // byte order: the lower-cased 0xE4 is above "z"
        {"   100", "  2000", -1},         // padded sizes sort by magnitude as text
        {"07.03.2005", "01.12.2006", 1},  // dates sort by their text, day first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a + " / " + c.b);
        EXPECT_EQ(compare_row_texts(c.a, c.b, 1), c.ascending);
        EXPECT_EQ(compare_row_texts(c.a, c.b, 0), -c.ascending);
    }
}

// Python writes members with chosen sizes and dates; "docs/a.txt" then claims 617 packed bytes
// in its central header, and with "comment" the archive ends in a comment.
const char* kKnownArchive = R"(
def member(z, name, data, date=(2005, 3, 7, 14, 30, 0), method=zipfile.ZIP_STORED):
    i = zipfile.ZipInfo(name, date)
    i.compress_type = method
    z.writestr(i, data)
with zipfile.ZipFile('a.zip', 'w') as z:
    member(z, 'docs/', b'')
    member(z, 'docs/a.txt', b'x' * 1234)
    member(z, 'zero.txt', b'zz', (1980, 0, 0, 0, 0, 0))
    member(z, 'empty.txt', b'')
    member(z, 'deflated-empty.txt', b'', method=zipfile.ZIP_DEFLATED)
    member(z, 'Tools/SETUP.EXE', b'MZ')
    member(z, 'setup.txt', b's')
    member(z, 'install/readme.doc', b'r')
    member(z, 'mysetup.dll', b'd')
    member(z, 'INSTALL.BAT', b'@echo')
    if sys.argv[1:] == ['comment']:
        z.comment = b'a comment after the directory ' * 20
data = bytearray(open('a.zip', 'rb').read())
at = data.find(b'PK\x01\x02')
while data[at + 46:at + 56] != b'docs/a.txt':
    at = data.find(b'PK\x01\x02', at + 1)
struct.pack_into('<I', data, at + 20, 617)
open('a.zip', 'wb').write(data)
)";

// Makes a.zip in `f`; `variant` "comment" adds the comment.
void make_known_archive(const TestFolder& f, const std::string& variant) {
    f.write("make.py", std::string("import zipfile, struct, sys\n") + kKnownArchive);
    ASSERT_EQ(run_in(f.path(), "python3 make.py " + variant), 0);
}

TEST(Listing, ListsEveryMemberWithItsRowTotalsAndSetupCandidates) {
    TestFolder f;
    make_known_archive(f, "plain");
    ArchiveFixture a;
    a.list(f.file("a.zip"));

    const std::string zero = spaces(14) + "0";
    const std::vector<ArchiveEntry> expected = {
        {"", "docs/", zero, zero, "07.03.2005", "  0.00"},
        {"", "docs/a.txt", spaces(11) + "1234", spaces(12) + "617", "07.03.2005", " 50.00"},
        {"", "zero.txt", spaces(14) + "2", spaces(14) + "2", "--.--.----", "100.00"},
        {"", "empty.txt", zero, zero, "07.03.2005", "  0.00"},
        {"", "deflated-empty.txt", zero, spaces(14) + "2", "07.03.2005", "  0.00"},
        {"", "Tools/SETUP.EXE", spaces(14) + "2", spaces(14) + "2", "07.03.2005", "100.00"},
    };
    ASSERT_EQ(a.view.rows.size(), 10u);
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(a.view.rows[i].texts, expected[i]);
    EXPECT_EQ(a.listing.member_count, 10);
    EXPECT_EQ(a.listing.unpacked_total, 1246.0f);
    EXPECT_EQ(a.listing.packed_total, 631.0f);
    EXPECT_EQ(a.listing.overall_rate, 631.0f * 100.0f / 1246.0f);
    EXPECT_EQ(a.view.setup_candidates,
              (std::vector<std::string>{"Tools/SETUP.EXE", "INSTALL.BAT"}));
    EXPECT_EQ(a.view.commands_for, ArchiveKind::kZip);
    EXPECT_EQ(a.view.title, a.message(29) + " V" + kVersion + " - a.zip");
    EXPECT_EQ(a.view.status[0], "10" + a.message(57));
    EXPECT_EQ(a.view.status[1], f.file("a.zip"));
    EXPECT_EQ(a.view.sorted_on_open, 0);

    // A comment after the directory changes neither the rows nor the totals.
    TestFolder g;
    make_known_archive(g, "comment");
    ArchiveFixture b;
    b.list(g.file("a.zip"));
    EXPECT_EQ(b.view.names(), a.view.names());
    EXPECT_EQ(b.listing.packed_total, a.listing.packed_total);
}

TEST(Listing, SortsOnOpenAndDropsSetupCandidatesOfTheArchiveBefore) {
    TestFolder f;
    make_known_archive(f, "plain");
    ASSERT_EQ(run_in(f.path(), "echo b > b.txt && echo a > A.txt && zip -q plain.zip b.txt A.txt"),
              0);
    ArchiveFixture a;
    a.settings.sort = 1;
    a.list(f.file("a.zip"));
    EXPECT_EQ(a.view.sorted_on_open, 1);
    a.list(f.file("plain.zip"));
    EXPECT_EQ(a.view.names(), (std::vector<std::string>{"A.txt", "b.txt"}));
    // The name lists keep the archive order whatever the rows show.
    EXPECT_EQ(a.listing.member_names, (std::vector<std::string>{"b.txt", "A.txt"}));
    EXPECT_TRUE(a.view.setup_candidates.empty());
}

// The rows Python expects for an archive, formatted its own way: sizes right-aligned in 15,
// the date from the DOS stamp, the rate in single precision with two decimals in 6.
const char* kPythonRows = R"(
f32 = lambda x: struct.unpack('<f', struct.pack('<f', x))[0]
for i in zipfile.ZipFile(sys.argv[1]).infolist():
    y, m, d = i.date_time[:3]
    date = f'{d:02}.{m:02}.{y}' if d else '--.--.----'
    rate = f32(f32(i.compress_size * 100.0) / i.file_size) if i.file_size else 0.0
    print('|'.join(['', i.filename, f'{i.file_size:>15}', f'{i.compress_size:>15}', date,
                    f'{rate:6.2f}'[:6]]))
)";

TEST(Listing, RowsAgreeWithPythonForArchivesOfPeers) {
    for (const Peer& peer : kPeers) {
        SCOPED_TRACE(peer.name);
        TestFolder f;
        make_peer_archive(f, peer);
        f.write("rows.py", std::string("import zipfile, struct, sys\n") + kPythonRows);
        std::istringstream expected(output_of(f.path(), "python3 rows.py a.zip"));

        ArchiveFixture a;
        a.list(f.file("a.zip"));
        std::vector<std::string> want, got;
        for (std::string line; std::getline(expected, line);) want.push_back(line);
        for (const RecordingView::Row& r : a.view.rows) {
            std::string line;
            for (size_t i = 0; i < r.texts.size(); ++i) line += (i ? "|" : "") + r.texts[i];
            got.push_back(line);
        }
        EXPECT_FALSE(want.empty());
        EXPECT_EQ(got, want);
    }
}

TEST(Listing, ReadOnlyArchiveIsMadeWritableAndListedInPlace) {
    TestFolder f;
    ASSERT_EQ(run_in(f.path(), "echo hi > a.txt && zip -q r.zip a.txt && chmod 444 r.zip"), 0);
    ArchiveFixture a;
    a.list(f.file("r.zip"));
    EXPECT_EQ(a.state.archive_path, f.file("r.zip"));
    EXPECT_EQ(a.view.names(), std::vector<std::string>{"a.txt"});
    EXPECT_FALSE(os::attributes(f.file("r.zip")) & os::kAttrReadOnly);
    EXPECT_TRUE(a.prompter.boxes.empty());
}

// A file named .zip that the engine cannot list is never recreated: a non-empty one that starts
// as an archive but cannot be read is reported and kept byte for byte (one that does not is a
// protected archive); a 0-byte file or an archive without members is listed with no rows.
TEST(Listing, UnlistableFilesAreLeftIntact) {
    struct Case {
        const char* what;
        const char* script;  // writes a.zip
        bool reported;
    } cases[] = {
        {"a damaged directory",
         "zipfile.ZipFile('a.zip', 'w').writestr('x.txt', 'x' * 999)\n"
         "d = open('a.zip', 'rb').read().replace(b'PK\\x01\\x02', b'PK\\x01\\x09')\n"
         "open('a.zip', 'wb').write(d)",
         true},
        {"an end record claiming ZIP64",
         "zipfile.ZipFile('a.zip', 'w').writestr('x.txt', 'x' * 999)\n"
         "d = bytearray(open('a.zip', 'rb').read())\n"
         "struct.pack_into('<HHII', d, len(d) - 14, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF)\n"
         "open('a.zip', 'wb').write(d)",
         true},
        {"a 0-byte file", "open('a.zip', 'wb')", false},
        {"an archive without members", "zipfile.ZipFile('a.zip', 'w').close()", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestFolder f;
        ASSERT_EQ(run_in(f.path(), "echo hi > b.txt && zip -q before.zip b.txt"), 0);
        ASSERT_EQ(python_in(f, c.script), 0);
        const std::string bytes = f.read("a.zip");

        ArchiveFixture a;
        a.list(f.file("before.zip"));
        ASSERT_EQ(a.view.rows.size(), 1u);
        a.list(f.file("a.zip"));

        EXPECT_EQ(f.read("a.zip"), bytes);
        EXPECT_TRUE(a.view.rows.empty());
        EXPECT_TRUE(a.listing.member_names.empty());
        EXPECT_EQ(a.listing.member_count, 0);
        if (c.reported) {
            ASSERT_EQ(a.prompter.boxes.size(), 1u);
            EXPECT_EQ(a.prompter.boxes[0].title, a.message(42));
            EXPECT_EQ(a.prompter.boxes[0].text, a.message(45));
            EXPECT_EQ(a.prompter.boxes[0].icon, BoxIcon::kWarning);
            EXPECT_EQ(a.state.archive_path, "");
            EXPECT_EQ(a.state.archive_kind, ArchiveKind::kNone);
            EXPECT_EQ(a.view.commands_for, ArchiveKind::kNone);
            // The title names no archive either, as before any was opened.
            EXPECT_EQ(a.view.title, RecordingView::kProgramTitle);
            EXPECT_EQ(a.view.status[0], "--");
        } else {
            EXPECT_TRUE(a.prompter.boxes.empty());
            EXPECT_EQ(a.state.archive_path, f.file("a.zip"));
            EXPECT_EQ(a.view.status[0], "0" + a.message(57));
            EXPECT_EQ(a.view.title, a.message(29) + " V" + kVersion + " - a.zip");
        }
    }
}

}  // namespace
