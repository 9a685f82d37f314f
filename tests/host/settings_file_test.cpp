#include "state/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "runtime/os.h"
#include "zip_test_support.h"

TEST(ConfigReader, EquivalentSpellingsOfOneKeyReadAlike) {
    const char* spellings[] = {
        "winx = 42\r\n",
        "winx=42\n",
        "WINX = 42\r\n",
        "   WinX   =   42\r\n",
        "winx =42",
        "; comment\r\nwinx = 42\r\n",
        "winx = 42\r\nwinx = 7\r\n",
        "other = 1\rwinx = 42\r",
        "\r\n\r\nwinx = 42\r\n[group]\r\nwinx = 9\r\n",
    };
    for (const char* text : spellings)
        EXPECT_EQ(ConfigReader(text).integer("winx", -9), 42) << text;
}

TEST(ConfigReader, ValuesKeepTrailingSpacesAndGroupsEndTheSearch) {
    const ConfigReader file("language = en  \r\n0 = C:\\Tools\\view.exe\r\n[more]\r\nsort = 1\r\n");
    EXPECT_EQ(file.text("language", "de"), "en  ");
    EXPECT_EQ(file.text("0", ""), "C:\\Tools\\view.exe");
    EXPECT_EQ(file.integer("sort", 5), 5);
    EXPECT_EQ(ConfigReader("[group]\r\nsafe = 0\r\n").integer("safe", 1), 1);
    EXPECT_EQ(ConfigReader("  [group]\r\nsafe = 0\r\n").integer("safe", 1), 1);
    EXPECT_EQ(ConfigReader("safe\r\nsafe = 0\r\n").integer("safe", 1), 0);  // no "=": no key
    EXPECT_EQ(ConfigReader("language =\r\n").text("language", "de"), "");
}

TEST(ConfigReader, IntegersAreSignAndDigitsElseZero) {
    const struct {
        const char* value;
        int expected;
    } cases[] = {{"-5", -5},  {"+7", 7}, {"12", 12},
                 {"abc", 0},  {"", 0},   {"3 ", 3},
                 {"0x10", 0}, {"-", 0},  {"99999999999", 2147483647}};
    for (const auto& c : cases)
        EXPECT_EQ(ConfigReader(std::string("n = ") + c.value).integer("n", 77), c.expected)
            << c.value;
}

TEST(LoadSettings, DefaultsAndFallbackGeometry) {
    TestFolder dir;
    Settings s = load_settings(dir.file("missing.ini"), "en");
    EXPECT_EQ(s.language, "en");
    EXPECT_EQ(s.safe, 1);
    EXPECT_EQ(s.winx, 150);
    EXPECT_EQ(s.winy, 100);
    EXPECT_EQ(s.sizex, 640);
    EXPECT_EQ(s.sizey, 400);

    dir.write("a.ini",
              "pos = 1\r\nwinx = -5\r\nwiny = 300\r\nsize = 1\r\nsizex = 0\r\nsizey = 999\r\n");
    s = load_settings(dir.file("a.ini"), "en");
    EXPECT_EQ(s.winx, 150);
    EXPECT_EQ(s.winy, 100);
    EXPECT_EQ(s.sizex, 640);
    EXPECT_EQ(s.sizey, 400);

    dir.write("b.ini", "pos = 1\r\nsize = 1\r\n");  // flags without values
    s = load_settings(dir.file("b.ini"), "en");
    EXPECT_EQ(s.winx, 100);
    EXPECT_EQ(s.winy, 100);

    dir.write("c.ini", "pos = 0\r\nwinx = 5\r\nwiny = 6\r\nlanguage = xx\r\nsort = 1\r\n");
    s = load_settings(dir.file("c.ini"), "en");
    EXPECT_EQ(s.winx, 150);
    EXPECT_EQ(s.language, "xx");
    EXPECT_EQ(s.sort, 1);
}

TEST(LoadSettings, ViewerListSkipsEmptiesAndStopsAtFive) {
    TestFolder dir;
    dir.write("v.ini",
              "count = 7\r\n0 = a.exe\r\n1 = \r\n2 = b.exe\r\n3 = c.exe\r\n4 = d.exe\r\n"
              "5 = e.exe\r\n6 = f.exe\r\n7 = g.exe\r\n");
    const Settings s = load_settings(dir.file("v.ini"), "en");
    EXPECT_EQ(s.viewers, (std::vector<std::string>{"a.exe", "b.exe", "c.exe", "d.exe", "e.exe"}));
    dir.write("none.ini", "count = 0\r\n0 = a.exe\r\n");
    EXPECT_TRUE(load_settings(dir.file("none.ini"), "en").viewers.empty());
    // A huge count once hung the start: the keys present decide, only spelled as their number,
    // and the first of two equal keys wins.
    dir.write("huge.ini",
              "count = 2147483647\r\n07 = x.exe\r\n3 = b.exe\r\n+4 = y.exe\r\n0 = a.exe\r\n"
              "3 = z.exe\r\n[group]\r\n4 = c.exe\r\n");
    EXPECT_EQ(load_settings(dir.file("huge.ini"), "en").viewers,
              (std::vector<std::string>{"a.exe", "b.exe"}));
    dir.write("bounded.ini", "count = 2\r\n2 = b.exe\r\n3 = c.exe\r\n0 = a.exe\r\n");
    EXPECT_EQ(load_settings(dir.file("bounded.ini"), "en").viewers,
              (std::vector<std::string>{"a.exe", "b.exe"}));
}

TEST(SaveSettingsAtExit, RereadsFlagsAndViewersButKeepsLanguageFromMemory) {
    TestFolder dir;
    dir.write("m.ini",
              "zip = 1\r\nsafe = 0\r\npos = 1\r\nsize = 0\r\nlanguage = de\r\n"
              "count = 2\r\n0 = a.exe\r\n1 = b.exe\r\nextra = gone\r\n");
    Settings memory;
    memory.language = "fr";
    memory.sort = 1;
    memory.safe = 1;  // the file's value wins
    ASSERT_TRUE(save_settings_at_exit(dir.file("m.ini"), memory, {10, 20, 700, 500}));
    EXPECT_EQ(dir.read("m.ini"),
              "zip = 1\r\nrar = 0\r\ncab = 0\r\nsafe = 0\r\npos = 1\r\nsize = 0\r\n"
              "winx = 10\r\nwiny = 20\r\nsort = 1\r\nlanguage = fr\r\ncount = 2\r\n"
              "0 = a.exe\r\n1 = b.exe\r\n");
}

TEST(SaveSettingsAtExit, DamagedCountWritesNoMoreThanFiveViewers) {
    TestFolder dir;
    dir.write("d.ini", "count = 2000000000\r\n0 = a.exe\r\n");
    ASSERT_TRUE(save_settings_at_exit(dir.file("d.ini"), Settings{}, {}));
    const std::string text = dir.read("d.ini");
    EXPECT_NE(text.find("count = 5\r\n0 = a.exe\r\n1 = \r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("5 = "), std::string::npos);
}

// A full disk at the settings dialog's Ok or at exit leaves the file as it was, and no half
// written file beside it.
TEST(WriteConfig, AFullDiskLeavesTheFileAsItWas) {
    TestFolder dir;
    const std::string before = "zip = 1\r\nlanguage = fr\r\ncount = 1\r\n0 = view.exe\r\n";
    dir.write("m.ini", before);
    for (int64_t budget : {0, 20}) {
        os::fail_writes_after(budget);
        const bool at_ok = write_config(dir.file("m.ini"), ConfigValues{});
        const bool at_exit = save_settings_at_exit(dir.file("m.ini"), Settings{}, {});
        os::fail_writes_after(-1);
        EXPECT_FALSE(at_ok);
        EXPECT_FALSE(at_exit);
        EXPECT_EQ(dir.read("m.ini"), before) << budget;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    }
}
