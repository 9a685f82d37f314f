#include <gtest/gtest.h>

#include <cstdio>

#include "archive/listing.h"
#include "archive_test_support.h"
#include "runtime/os.h"

namespace {

// What the Python archive below cannot show: sizes of 4 GiB and more, rates wider
// than their column, negative or undefined rates, and the kind rule.
TEST(Listing, ColumnTextsAtTheirLimitsAndArchiveFormat) {
    ZipMemberInfo info;
    info.unpacked = 6000000000u;
    info.packed = 4294967295u;
    const ArchiveEntry row = zip_row("big", info);
    EXPECT_EQ(row[2], "     6000000000");
    EXPECT_EQ(row[3], "     4294967295");
    EXPECT_EQ(row[5], " 71.58");
    EXPECT_EQ(format_rate(member_rate(1, 1000)), "100000");
    EXPECT_EQ(format_rate(-5.0f), "  0.00");
    EXPECT_EQ(format_rate(0.0f / 0.0f), "  0.00");
    EXPECT_EQ(format_date(2107, 15, 1), "01.15.2107");
    EXPECT_EQ(format_size(UINT64_MAX), "184467440737095");

    // The texts are written without the C library, and read as its "%.2f" and "%llu" do: also
    // rates halfway between two hundredths, tiny ones and ones too wide for their column.
    std::vector<float> rates = {0.125f, 0.375f,      1.005f,      99.995f, 5e-5f,      0.005f,
                                1e-40f, 16777215.0f, 16777216.0f, 3e38f,   1.0f / 0.0f};
    for (uint64_t unpacked = 1; unpacked <= 300; ++unpacked) {
        for (uint64_t packed = 0; packed <= 2 * unpacked + 1; ++packed)
            rates.push_back(member_rate(unpacked, packed));
    }
    int wrong = 0;
    for (const float rate : rates) {
        char printed[64];
        std::snprintf(printed, sizeof printed, "%.2f", static_cast<double>(rate));
        if (format_rate(rate) != right_align(printed, 6) && ++wrong < 5)
            ADD_FAILURE() << printed << " shows as " << format_rate(rate);
    }
    EXPECT_EQ(wrong, 0);
    for (const uint64_t size : {uint64_t{0}, uint64_t{10}, uint64_t{99999}, uint64_t{1} << 53})
        EXPECT_EQ(format_size(size), right_align(std::to_string(size), 15));

    // The format is told by the extension alone, ignoring case.
    ArchiveFixture a;
    EXPECT_EQ(a.state.formats.for_path("C:\\data\\A.ZIP"), &a.zip_format);
    EXPECT_EQ(a.state.formats.for_path("x.tar.Cab"), &a.cab_format);
    for (const char* path : {"C:\\dir.rar\\none", "trailing.", "a.rar.txt"})
        EXPECT_EQ(a.state.formats.for_path(path), nullptr) << path;
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

// The rows of the known archive and of an Info-ZIP archive agree with Python's; the listing
// sets the totals, setup candidates and commands.
TEST(Listing, ListsEveryMemberWithItsRowTotalsAndSetupCandidates) {
    // Members of chosen sizes and dates; "docs/a.txt" claims 617 packed bytes in its central
    // header.
    std::string known =
        stored_zip({{"docs/", ""},
                    {"docs/a.txt", std::string(1234, 'x')},
                    {"zero.txt", "zz", 1980, 0, 0},
                    {"empty.txt", ""},
                    {"deflated-empty.txt", "", 2005, 3, 7, 12, 30, std::string("\x03", 2)},
                    {"Tools/SETUP.EXE", "MZ"},
                    {"setup.txt", "s"},
                    {"install/readme.doc", "r"},
                    {"mysetup.dll", "d"},
                    {"INSTALL.BAT", "@echo"}});
    known.replace(known.rfind("docs/a.txt") - 46 + 20, 4, fields("4", {617}));
    TestFolder f;
    f.write("a.zip", known);
    f.write("rows.py", std::string("import zipfile, struct, sys\n") + kPythonRows);
    make_sources(f, &kPeers[0]);
    shell(f.path(), "mv a.zip peer.zip");
    f.write("a.zip", known);
    ArchiveFixture a;
    for (const std::string name : {"peer.zip", "a.zip"}) {
        a.list(f.file(name));
        std::vector<std::string> got;
        for (const RecordingView::Row& r : a.view.rows) {
            std::string line;
            for (size_t i = 0; i < kOwnNameColumn; ++i) line += (i ? "|" : "") + r.texts[i];
            got.push_back(line);
        }
        EXPECT_EQ(got, output_of(f.path(), "python3 rows.py " + name)) << name;
    }
    EXPECT_EQ(a.listing.member_count, 10);
    EXPECT_EQ(a.listing.unpacked_total, 1246.0f);
    EXPECT_EQ(a.listing.packed_total, 631.0f);
    EXPECT_EQ(a.listing.overall_rate, 631.0f * 100.0f / 1246.0f);
    EXPECT_EQ(a.view.setup_candidates,
              (std::vector<std::string>{"Tools/SETUP.EXE", "INSTALL.BAT"}));
    EXPECT_EQ(a.state.archive_backend(), &a.zip_format);
    EXPECT_EQ(a.view.commands_offered, 2);  // once for each of the two listings
    EXPECT_EQ(a.view.sorted_on_open, 0);

    // With `sort` on, the name lists keep the archive order; the setup candidates of the archive
    // before go. A read-only archive is made writable and listed in place.
    shell(f.path(),
          "echo b > b.txt && echo a > A.txt && zip -q r.zip b.txt A.txt && chmod 444 r.zip");
    a.settings.sort = 1;
    a.list(f.file("r.zip"));
    EXPECT_EQ(a.listing.member_names, (std::vector<std::string>{"b.txt", "A.txt"}));
    EXPECT_TRUE(a.view.setup_candidates.empty());
    EXPECT_EQ(a.state.archive_path(), f.file("r.zip"));
    EXPECT_FALSE(os::attributes(f.file("r.zip")) & os::kAttrReadOnly);
    EXPECT_TRUE(a.prompter.boxes.empty());
}

// A file named .zip that the engine cannot list is never recreated: a non-empty one that starts
// as an archive but cannot be read is reported and kept byte for byte (one that does not is a
// protected archive); a 0-byte file or an archive without members is listed with no rows.
TEST(Listing, UnlistableFilesAreLeftIntact) {
    std::string damaged = stored_zip({{"x.txt", std::string(999, 'x')}}), zip64 = damaged;
    damaged[damaged.rfind(std::string("PK\x01\x02", 4)) + 3] = 9;
    zip64.replace(zip64.size() - 14, 12, fields("2244", {0xFFFF, 0xFFFF, ~0u, ~0u}));
    const struct {
        const char* what;
        std::string bytes;  // of a.zip
        bool reported;
    } cases[] = {{"a damaged directory", damaged, true},
                 {"an end record claiming ZIP64", zip64, true},
                 {"a 0-byte file", "", false},
                 {"an archive without members", stored_zip({}), false}};
    for (const auto& [what, bytes, reported] : cases) {
        SCOPED_TRACE(what);
        TestFolder f;
        f.write("before.zip", stored_zip({{"b.txt", "hi"}}));
        f.write("a.zip", bytes);
        ArchiveFixture a;
        a.list(f.file("before.zip"));
        ASSERT_EQ(a.view.rows.size(), 1u);
        a.list(f.file("a.zip"));

        EXPECT_EQ(f.read("a.zip"), bytes);
        EXPECT_TRUE(a.view.rows.empty());
        EXPECT_TRUE(a.listing.member_names.empty());
        EXPECT_EQ(a.listing.member_count, 0);
        if (reported) {
            EXPECT_EQ(a.prompter.boxes.size(), 1u);
            EXPECT_EQ(a.box(0), std::make_tuple(a.message(42), a.message(45), BoxIcon::kWarning));
            EXPECT_EQ(a.state.archive_path(), "");
            EXPECT_EQ(a.state.archive_backend(), nullptr);
            EXPECT_EQ(a.view.status[0], "--");
        } else {
            EXPECT_TRUE(a.prompter.boxes.empty());
            EXPECT_EQ(a.state.archive_path(), f.file("a.zip"));
        }
    }
}

}  // namespace
