#include <gtest/gtest.h>

#include "system/associations.h"
#include "system/viewer_texts.h"
#include "zip_test_support.h"

TEST(ViewerTexts, EveryLineEndBecomesOneCrAndTheHistoryIsFollowedByTheLicense) {
    TestFolder folder;
    folder.write("hlp_en", std::string("crlf\r\nlf\ncr\rnul\0last", 21));
    EXPECT_EQ(help_text(folder.path(), "en"), "crlf\rlf\rcr\rnul\rlast\r");
    folder.write("hlp_de", "\r\n\r\nthird\r\n");
    EXPECT_EQ(help_text(folder.path(), "de"), "\r\rthird\r");
    folder.write("hlp_", "");
    EXPECT_EQ(help_text(folder.path(), ""), "");
    // The history is followed by the license; what is missing is named.
    EXPECT_EQ(history_text(folder.path(), "en"),
              "History-Text not found\r\r\rUnRar-Licence.txt not found");
    folder.write("historie_en", "1.1.6\nfirst\n");
    folder.write("license.txt", "License\r\n\r\nterms");
    EXPECT_EQ(history_text(folder.path(), "en"),
              "1.1.6\rfirst\r\r-------- UNRar-License --------\r\rLicense\r\rterms\r");
    folder.write("historie_", "none");
    EXPECT_EQ(history_text(folder.path(), "").substr(0, 6), "none\r\r");
}

// GetVersion results of real systems. Windows 10's first build, 10240 (0x2800), has a zero low
// byte: a test of bits 16 to 23 would take it for Windows 98.
TEST(RegistryLayout, BitThirtyOneTellsTheFamily) {
    EXPECT_EQ(registry_layout_of(0xC3B60004u), RegistryLayout::k9x);  // Windows 95
    EXPECT_EQ(registry_layout_of(0xC0000A04u), RegistryLayout::k9x);  // Windows 98
    EXPECT_EQ(registry_layout_of(0x05650004u), RegistryLayout::kNt);  // Windows NT 4.0
    EXPECT_EQ(registry_layout_of(0x0A280105u), RegistryLayout::kNt);  // Windows XP
    EXPECT_EQ(registry_layout_of(0x1DB10106u), RegistryLayout::kNt);  // Windows 7
    EXPECT_EQ(registry_layout_of(0x28000A00u), RegistryLayout::kNt);  // Windows 10 build 10240
    EXPECT_EQ(registry_layout_of(0x47BA0A00u), RegistryLayout::kNt);  // Windows 10 build 18362
}
