#include "runtime/file_meta.h"

#include <gtest/gtest.h>

#include "zip_test_support.h"

TEST(FileMeta, LocalDatesRejectWhatDoesNotExistAndAttributesReportFoldersAndReadOnly) {
    EXPECT_EQ(make_local_date(1970, 1, 1, 0, 0, 0), 0);
    EXPECT_EQ(make_local_date(2005, 4, 22, 12, 0, 0), 1114171200);
    EXPECT_EQ(make_local_date(2004, 2, 29, 23, 59, 59), 1078099199);
    EXPECT_EQ(make_local_date(2038, 1, 19, 3, 14, 7), INT32_MAX);
    EXPECT_NE(make_local_date(2000, 2, 29, 0, 0, 0), kNoDate);  // divisible by 400
    EXPECT_NE(make_local_date(2005, 3, 31, 0, 0, 0), kNoDate);
    const int bad[][6] = {
        {2005, 2, 29, 0, 0, 0},  {1900, 2, 29, 0, 0, 0},     {2004, 2, 30, 0, 0, 0},
        {2005, 4, 31, 0, 0, 0},  {2005, 6, 31, 0, 0, 0},     {2005, 9, 31, 0, 0, 0},
        {2005, 11, 31, 0, 0, 0}, {2005, 0, 1, 0, 0, 0},      {2005, 13, 1, 0, 0, 0},
        {2005, 1, 0, 0, 0, 0},   {2005, 1, 32, 0, 0, 0},     {2005, 1, 1, 24, 0, 0},
        {2005, 1, 1, -1, 0, 0},  {2005, 1, 1, 0, 60, 0},     {2005, 1, 1, 0, 0, 60},
        {0, 1, 1, 0, 0, 0},      {1969, 12, 31, 23, 59, 59}, {2038, 1, 19, 3, 14, 8}};
    for (const auto& d : bad)
        EXPECT_EQ(make_local_date(d[0], d[1], d[2], d[3], d[4], d[5]), kNoDate)
            << d[0] << "-" << d[1] << "-" << d[2] << " " << d[3] << ":" << d[4] << ":" << d[5];

    // DOS stamps: every year bit counts (field 35 is 2015), the seconds are dropped.
    EXPECT_EQ(dos_to_local_date(make_dos_stamp(2015, 6, 1, 8, 30, 58)),
              make_local_date(2015, 6, 1, 8, 30, 0));
    EXPECT_EQ(dos_to_local_date(DosDateTime{}), kNoDate);
    EXPECT_EQ(dos_to_local_date(make_dos_stamp(2005, 4, 31, 0, 0, 0)), kNoDate);

    // A missing file has no date and no attributes, and no date leaves a file's time alone.
    TestFolder dir;
    dir.write("f.txt", "z");
    EXPECT_EQ(file_time_to_dos(dir.file("none")).date, 0);
    const DosDateTime before = file_time_to_dos(dir.file("f.txt"));
    set_file_date(dir.file("f.txt"), kNoDate);
    EXPECT_EQ(file_time_to_dos(dir.file("f.txt")).date, before.date);
    set_file_date(dir.file("none"), 0);
    EXPECT_EQ(get_file_attributes(dir.file("none")), 0xFFFFFFFFu);
    EXPECT_NE(get_file_attributes(dir.path()) & 0x10, 0u);
    EXPECT_EQ(get_file_attributes(dir.file("f.txt")) & 0x11, 0u);
    ASSERT_EQ(set_file_attributes(dir.file("f.txt"), 0x01), 1);
    EXPECT_EQ(get_file_attributes(dir.file("f.txt")) & 0x01, 0x01u);
    ASSERT_EQ(set_file_attributes(dir.file("f.txt"), 0x80), 1);
    EXPECT_EQ(get_file_attributes(dir.file("f.txt")) & 0x01, 0u);
    EXPECT_EQ(set_file_attributes(dir.file("missing"), 0x80), 0);
}

TEST(MatchWildcard, FollowsTheFirstOccurrenceRuleWithoutBacktrackingAndTheCaseRule) {
    struct Case {
        const char* name;
        const char* pattern;
        int ignore_case;
        int expected;
    };
    // clang-format off
    const Case cases[] = {
        {"a.txt", "*.txt", 1, 1}, {"A.TXT", "*.txt", 1, 1}, {"A.TXT", "*.txt", 0, 0},
        {".txt", "*.txt", 1, 0}, {"pc.txt", "*pc*", 1, 0}, {"xpc.txt", "*pc*", 1, 1},
        {"banana.txt", "*a.txt", 1, 0}, {"a", "a*", 1, 1}, {"ac", "a?c", 1, 0},
        {"abc", "a?c", 1, 1}, {"ab", "a|b", 1, 0}, {"ab", "a|ab", 1, 1},
        {"a.doc", "*.txt|*.doc", 1, 1}, {"abc", "ab*|cd", 1, 1}, {"abc", "", 1, 0},
        {"", "", 1, 0}, {"", "*", 1, 1}, {"abcdef.exe", "a?????.exe", 1, 1},
        {"abcdefg.exe", "a?????.exe", 1, 0}, {"abcdef.exe", "a*.exe", 1, 1},
        {"\xC4RGER.TXT", "\xE4*", 1, 1}};
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(match_wildcard(c.name, c.pattern, c.ignore_case), c.expected)
            << c.name << " vs " << c.pattern;

    // The case rule: ASCII and Latin capitals are lowered, nothing else.
    EXPECT_EQ(lower_case("ABC xyz 09"), "abc xyz 09");
    EXPECT_EQ(lower_case("\xC4\xDF\xC0\xD7\xDE"), "\xE4\xFF\xE0\xF7\xFE");
    const std::string high = "\xE0\xE4\xF6\xFF\x80\x9A";
    EXPECT_EQ(lower_case(high), high);
}
