#include "app/commands.h"

#include <gtest/gtest.h>

#include "formats/zip_backend.h"

TEST(Commands, AvailabilityFollowsTheArchiveAndTheOperationAndViewersShowTheirFileNames) {
    CommandState nothing;
    EXPECT_FALSE(command_enabled(kCmdContextRemove, nothing));

    const ZipBackend zip_format;
    CommandState zip;
    zip.archive = &zip_format;
    for (int command :
         {kButtonRemove, kCmdContextAdd, kCmdEncipher, kCmdProperties, kCmdRename, kButtonMail})
        EXPECT_TRUE(command_enabled(command, zip)) << command;
    // Setup only when the archive holds setup programs.
    EXPECT_FALSE(command_enabled(kButtonSetup, zip));
    zip.setup_candidates = true;
    EXPECT_TRUE(command_enabled(kCmdSetup, zip));

    // Nothing while an operation runs, not even quitting.
    zip.busy = true;
    EXPECT_FALSE(command_enabled(kCmdExtract, zip));
    EXPECT_FALSE(command_enabled(kButtonQuit, zip));

    // A viewer's menu item is named by the file name part of its path.
    EXPECT_EQ(viewer_menu_name("C:\\Programme\\Tools\\view.exe"), "view.exe");
    EXPECT_EQ(viewer_menu_name("notepad.exe"), "notepad.exe");
    EXPECT_EQ(viewer_menu_name("D:/bin/less"), "less");
}
