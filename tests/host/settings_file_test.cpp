#include "state/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "runtime/os.h"
#include "zip_test_support.h"

// Key "winx" (-9 when it is not found) in each text: spellings that read alike, the first of
// two equal keys, groups that end the search, a line without "=", and the integer rule (sign and
// digits, else 0).
TEST(ConfigReader, SpellingsGroupsAndIntegers) {
    const std::pair<int, std::vector<const char*>> cases[] = {
        {42,
         {"winx = 42\r\n", "winx=42\n", "WINX = 42\r\n", "   WinX   =   42\r\n", "winx =42",
          "winx = +42", "winx = 42 ", "; comment\r\nwinx = 42\r\n", "winx = 42\r\nwinx = 7\r\n",
          "other = 1\rwinx = 42\r", "\r\n\r\nwinx = 42\r\n[group]\r\nwinx = 9\r\n"}},
        {-9, {"[group]\r\nwinx = 0\r\n", "  [group]\r\nwinx = 0\r\n"}},
        {0, {"winx\r\nwinx = 0\r\n", "winx = abc", "winx = ", "winx = 0x10", "winx = -"}},
        {-5, {"winx = -5"}},
        {2147483647, {"winx = 99999999999"}}};
    for (const auto& [expected, texts] : cases)
        for (const char* text : texts)
            EXPECT_EQ(ConfigReader(text).integer("winx", -9), expected) << text;
    // Texts keep their trailing spaces.
    const ConfigReader file("language = en  \r\n0 = C:\\Tools\\view.exe\r\n[more]\r\nsort = 1\r\n");
    EXPECT_EQ(file.text("language", "de"), "en  ");
    EXPECT_EQ(file.text("0", ""), "C:\\Tools\\view.exe");
    EXPECT_EQ(file.integer("sort", 5), 5);
    EXPECT_EQ(ConfigReader("language =\r\n").text("language", "de"), "");
}

// The language, safe and sort flags, and the window's position and size, as loaded: without a
// file, with a geometry off the screen, with flags without values. Then the viewer list.
TEST(LoadSettings, DefaultsFallbackGeometryAndViewerList) {
    TestFolder dir;
    const std::pair<const char*, const char*> cases[] = {
        {"", "en 1 0 150 100 640 400"},
        {"pos = 1\r\nwinx = -5\r\nwiny = 300\r\nsize = 1\r\nsizex = 0\r\nsizey = 999\r\n",
         "en 1 0 150 100 640 400"},
        {"pos = 1\r\nsize = 1\r\n", "en 1 0 100 100 640 400"},
        {"pos = 0\r\nwinx = 5\r\nwiny = 6\r\nlanguage = xx\r\nsort = 1\r\n",
         "xx 1 1 150 100 640 400"}};
    for (const auto& [text, expected] : cases) {
        dir.write("s.ini", text);
        const Settings s = load_settings(dir.file(*text ? "s.ini" : "missing.ini"), "en");
        std::string seen = s.language;
        for (int v : {s.safe, s.sort, s.winx, s.winy, s.sizex, s.sizey})
            seen += " " + std::to_string(v);
        EXPECT_EQ(seen, expected) << text;
    }

    // Viewers: empty ones skipped, at most five. A huge count once hung the start: the keys
    // present decide, only spelled as their number, and the first of two equal keys wins.
    const std::pair<const char*, std::vector<std::string>> viewers[] = {
        {"count = 7\r\n0 = a.exe\r\n1 = \r\n2 = b.exe\r\n3 = c.exe\r\n4 = d.exe\r\n5 = e.exe\r\n"
         "6 = f.exe\r\n7 = g.exe\r\n",
         {"a.exe", "b.exe", "c.exe", "d.exe", "e.exe"}},
        {"count = 0\r\n0 = a.exe\r\n", {}},
        {"count = 2147483647\r\n07 = x.exe\r\n3 = b.exe\r\n+4 = y.exe\r\n0 = a.exe\r\n"
         "3 = z.exe\r\n[group]\r\n4 = c.exe\r\n",
         {"a.exe", "b.exe"}},
        {"count = 2\r\n2 = b.exe\r\n3 = c.exe\r\n0 = a.exe\r\n", {"a.exe", "b.exe"}}};
    for (const auto& [text, expected] : viewers) {
        dir.write("v.ini", text);
        EXPECT_EQ(load_settings(dir.file("v.ini"), "en").viewers, expected) << text;
    }
}

TEST(SaveSettings, RereadFlagsAndViewersKeepTheLanguageAtMostFiveAndAFullDiskNothing) {
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
    // A damaged count writes no more than five viewers.
    dir.write("d.ini", "count = 2000000000\r\n0 = a.exe\r\n");
    ASSERT_TRUE(save_settings_at_exit(dir.file("d.ini"), Settings{}, {}));
    const std::string text = dir.read("d.ini");
    EXPECT_NE(text.find("count = 5\r\n0 = a.exe\r\n1 = \r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("5 = "), std::string::npos);

    // A full disk at the settings dialog's Ok or at exit leaves the file as it was, and no half
    // written file beside it.
    const std::string before = dir.read("m.ini");
    for (int64_t budget : {0, 20}) {
        os::fail_writes_after(budget);
        const bool at_ok = write_config(dir.file("m.ini"), ConfigValues{});
        const bool at_exit = save_settings_at_exit(dir.file("m.ini"), Settings{}, {});
        os::fail_writes_after(-1);
        EXPECT_FALSE(at_ok);
        EXPECT_FALSE(at_exit);
        EXPECT_EQ(dir.read("m.ini"), before) << budget;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
    }
}
