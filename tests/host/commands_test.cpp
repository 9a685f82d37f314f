#include "app/commands.h"

#include <gtest/gtest.h>

TEST(Commands, ViewerMenuNamesAreTheFileNamePart) {
    EXPECT_EQ(viewer_menu_name("C:\\Programme\\Tools\\view.exe"), "view.exe");
    EXPECT_EQ(viewer_menu_name("notepad.exe"), "notepad.exe");
    EXPECT_EQ(viewer_menu_name("D:/bin/less"), "less");
}
