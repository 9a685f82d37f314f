#include "state/messages.h"

#include <gtest/gtest.h>

#include "zip_test_support.h"

namespace {

std::string catalog_text(const std::string& first_line, const std::string& line_end, int lines) {
    std::string text = first_line + line_end;
    for (int k = 0; k < lines; ++k) text += "text " + std::to_string(k) + line_end;
    return text;
}

}  // namespace

// The built-in texts and the English catalog have every text in the same order; texts that are
// blank-padded or joined by others keep their spaces, and numbers outside give "". Then how
// catalogs are read, and which one a language takes.
TEST(Messages, BuiltInTextsTheEnglishCatalogAndHowCatalogsAreRead) {
    MessageTable builtin, english;
    load_default_messages(builtin);
    ASSERT_TRUE(load_catalog(english, std::string(MARLOX_SOURCE_DIR) + "/data/Common.catalog_en"));
    EXPECT_EQ(builtin.message(14), " leer 2");
    EXPECT_EQ(english.message(42), "Error");
    EXPECT_EQ(english.message(199), "Properties");
    EXPECT_EQ(english.message(57).front(), ' ');
    EXPECT_EQ(english.message(68), " of ");
    for (int k = 0; k < kMessageCount; ++k)
        EXPECT_FALSE(builtin.message(k).empty() || english.message(k).empty()) << k;
    for (int k : {200, -1}) EXPECT_EQ(builtin.message(k), "");

    // A last line may lack its end, a short file leaves the rest empty, every line end (CR LF,
    // CR, LF, NUL) ends one line and other bytes are kept raw.
    TestFolder dir;
    MessageTable table;
    dir.write("short", catalog_text("Catalog", "\n", 3) + "\n\nafter blank");
    load_catalog(table, dir.file("short"));
    EXPECT_EQ(table.message(2), "text 2");
    EXPECT_EQ(table.message(3), "");
    EXPECT_EQ(table.message(5), "after blank");
    EXPECT_EQ(table.message(6), "");
    EXPECT_EQ(table.message(199), "");

    dir.write("mixed", std::string("Catalog\r\na\rb\nc\r\nd\0e\n\xE4\xF6\xFC ", 24));
    load_catalog(table, dir.file("mixed"));
    const char* expected[] = {"a", "b", "c", "d", "e", "\xE4\xF6\xFC "};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(table.message(k), expected[k]) << k;
    // A file whose first line is not exactly "Catalog" empties every text; a language without a
    // catalog keeps the built-in texts.
    for (const char* first : {"catalog", "Catalog ", "CATALOG", "", "[Catalog]"}) {
        dir.write("bad", catalog_text(first, "\r\n", 200));
        MessageTable bad;
        load_default_messages(bad);
        ASSERT_TRUE(load_catalog(bad, dir.file("bad")));
        for (int k = 0; k < kMessageCount; ++k) EXPECT_EQ(bad.message(k), "") << first << k;
    }
    dir.write("Common.catalog_xx", catalog_text("Catalog", "\r\n", 200));
    MessageTable xx, fallback, no_code;
    load_messages_for_language(xx, dir.path(), "xx");
    EXPECT_EQ(xx.message(29), "text 29");
    load_messages_for_language(fallback, dir.path(), "yy");
    load_messages_for_language(no_code, dir.path(), "");
    for (int k : {10, 29}) {
        EXPECT_EQ(fallback.message(k), builtin.message(k));
        EXPECT_EQ(no_code.message(k), builtin.message(k));
    }
}
