#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "archive/list_rows.h"
#include "archive/listing.h"

namespace {

ArchiveEntry row_of(const std::string& name, const std::string& own, const std::string& size) {
    return {"", name, size, "N/A", "07.12.2026", "100.00", own};
}

// Every text comes back as it went in: an own name equal to the shown one, another or none,
// texts longer than one length byte holds, and a row larger than a block.
TEST(ListRows, KeepsEveryTextAndSortsAsTheRowComparison) {
    const std::vector<ArchiveEntry> rows = {
        row_of("a.txt", "a.txt", "1"),
        row_of("?.txt", "\xC3\xA4.txt", "2"),
        row_of("plain", "", ""),
        row_of("", "", "3"),
        row_of(std::string(300, 'n'), std::string(200, 'o'), "4"),
        row_of(std::string(3 << 20, 'b'), std::string(3 << 20, 'b'), "5"),
        row_of("last", "last", "6"),
    };
    ListRows list;
    for (const ArchiveEntry& row : rows) list.add(row);
    ASSERT_EQ(list.size(), static_cast<int>(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) {
        for (int c = 0; c <= kOwnNameColumn; ++c) {
            SCOPED_TRACE(std::to_string(r) + "/" + std::to_string(c));
            const std::string& want = rows[r][static_cast<size_t>(c)];
            EXPECT_EQ(list.text(static_cast<int>(r), c), want);
            EXPECT_EQ(std::strlen(list.c_str(static_cast<int>(r), c)), want.size());
        }
    }
    list.clear();
    EXPECT_EQ(list.size(), 0);

    // Sorting gives the order of a stable sort by compare_row_texts, in both directions, and says
    // where each row came from.
    const std::string long_text = std::string(200, 'x');
    const std::vector<std::string> names = {
        "abcdefghi", "ab",        "ABCDEFGH",   "abcdefgh",       "\xC4pfel",
        "zebra",     "b",         "B",          long_text + "b",  long_text + "a",
        "abcdefghI", "abcdefgh",  "",           "abcdefghijklmn", "abcdefghijklmM",
        "folder1/x", "FOLDER1/X", "folder10/x", "a\xDF",          "a\xFF"};
    for (int column : {1, 2}) {
        for (int direction : {0, 1}) {
            SCOPED_TRACE("column " + std::to_string(column) + " direction " +
                         std::to_string(direction));
            list.clear();
            for (size_t i = 0; i < names.size(); ++i)
                list.add(row_of(names[i], "own" + std::to_string(i), names[i]));
            std::vector<size_t> want(names.size());
            for (size_t i = 0; i < want.size(); ++i) want[i] = i;
            std::stable_sort(want.begin(), want.end(), [&](size_t a, size_t b) {
                return compare_row_texts(names[a], names[b], direction) < 0;
            });
            EXPECT_EQ(list.sort(column, direction), want);
            for (size_t i = 0; i < want.size(); ++i)
                EXPECT_EQ(list.text(static_cast<int>(i), kOwnNameColumn),
                          "own" + std::to_string(want[i]));
        }
    }
}

}  // namespace
