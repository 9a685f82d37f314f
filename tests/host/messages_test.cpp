#include "state/messages.h"

#include <gtest/gtest.h>

#include "test_folder.h"

namespace {

std::string catalog_text(const std::string& first_line, const std::string& line_end, int lines) {
    std::string text = first_line + line_end;
    for (int k = 0; k < lines; ++k) text += "text " + std::to_string(k) + line_end;
    return text;
}

}  // namespace

TEST(DefaultMessages, AreWindows1252Bytes) {
    MessageTable table;
    load_default_messages(table);
    EXPECT_EQ(table.message(10), "\x47\x72\xF6\xDF\x65");  // Größe
    EXPECT_EQ(table.message(14), " leer 2");               // leading space kept
    for (int k = 0; k < kMessageCount; ++k) EXPECT_FALSE(table.message(k).empty()) << k;
    EXPECT_EQ(table.message(200), "");
    EXPECT_EQ(table.message(-1), "");
}

TEST(LoadCatalog, LineEndsAllLoadTheSameTexts) {
    TestFolder dir;
    for (const char* end : {"\r\n", "\n", "\r"}) {
        dir.write("cat", catalog_text("Catalog", end, 200));
        MessageTable table;
        ASSERT_TRUE(load_catalog(table, dir.file("cat")));
        EXPECT_EQ(table.message(0), "text 0");
        EXPECT_EQ(table.message(123), "text 123");
        EXPECT_EQ(table.message(199), "text 199");
    }
}

TEST(LoadCatalog, LastLineWithoutLineEndAndShortFiles) {
    TestFolder dir;
    std::string text = catalog_text("Catalog", "\r\n", 200);
    text.resize(text.size() - 2);  // 201 lines, no line end after the last
    dir.write("full", text);
    MessageTable table;
    load_catalog(table, dir.file("full"));
    EXPECT_EQ(table.message(199), "text 199");

    dir.write("short", catalog_text("Catalog", "\n", 3) + "\n\nafter blank");
    load_catalog(table, dir.file("short"));
    EXPECT_EQ(table.message(2), "text 2");
    EXPECT_EQ(table.message(3), "");
    EXPECT_EQ(table.message(5), "after blank");
    EXPECT_EQ(table.message(6), "");
    EXPECT_EQ(table.message(199), "");
}

TEST(LoadCatalog, MixedEndsNulBytesAndRawBytes) {
    TestFolder dir;
    dir.write("mixed", std::string("Catalog\r\na\rb\nc\r\nd\0e\n\xE4\xF6\xFC \n", 25));
    MessageTable table;
    load_catalog(table, dir.file("mixed"));
    const char* expected[] = {"a", "b", "c", "d", "e", "\xE4\xF6\xFC "};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(table.message(k), expected[k]) << k;
}

TEST(LoadCatalog, WrongFirstLineFillsNothing) {
    TestFolder dir;
    for (const char* first : {"catalog", "Catalog ", "CATALOG", "", "[Catalog]"}) {
        dir.write("bad", catalog_text(first, "\r\n", 200));
        MessageTable table;
        load_default_messages(table);
        ASSERT_TRUE(load_catalog(table, dir.file("bad")));
        for (int k = 0; k < kMessageCount; ++k) EXPECT_EQ(table.message(k), "") << first << k;
    }
}

TEST(LoadMessagesForLanguage, PicksTheCatalogOnlyWhenItExists) {
    TestFolder dir;
    dir.write("Common.catalog_xx", catalog_text("Catalog", "\r\n", 200));
    MessageTable table;
    load_messages_for_language(table, dir.path(), "xx");
    EXPECT_EQ(table.message(29), "text 29");

    MessageTable fallback;
    load_messages_for_language(fallback, dir.path(), "yy");
    EXPECT_EQ(fallback.message(29), "Marlox");
    MessageTable no_code;
    load_messages_for_language(no_code, dir.path(), "");
    EXPECT_EQ(no_code.message(10), "\x47\x72\xF6\xDF\x65");
}

TEST(EnglishCatalog, ShipsAllTextsInTheSameOrder) {
    MessageTable table;
    ASSERT_TRUE(load_catalog(table, std::string(MARLOX_SOURCE_DIR) + "/data/Common.catalog_en"));
    EXPECT_EQ(table.message(42), "Error");
    EXPECT_EQ(table.message(199), "Properties");
    // Texts that are blank-padded or joined by others keep their spaces.
    EXPECT_EQ(table.message(57).front(), ' ');
    EXPECT_EQ(table.message(68), " of ");
    int empty = 0;
    for (int k = 0; k < kMessageCount; ++k) empty += table.message(k).empty();
    EXPECT_EQ(empty, 0);
}
