#include "system/viewer_texts.h"

#include <gtest/gtest.h>

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
