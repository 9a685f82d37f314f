#include "app/commands.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/command_line.h"
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

namespace {

std::vector<std::string> all_arguments(const std::string& full) {
    CommandLine line(full);
    std::vector<std::string> out;
    for (std::string a = line.next(); !a.empty(); a = line.next()) out.push_back(a);
    EXPECT_EQ(line.next(), "");  // stays exhausted
    return out;
}

}  // namespace

TEST(CommandLine, SplitsAtSpacesAndGroupsQuotedArguments) {
    using V = std::vector<std::string>;
    EXPECT_EQ(all_arguments("marlox.exe"), V{});
    EXPECT_EQ(all_arguments("\"C:\\Program Files\\marlox.exe\""), V{});
    EXPECT_EQ(all_arguments("marlox.exe a.zip"), V{"a.zip"});
    EXPECT_EQ(all_arguments("\"C:\\P F\\marlox.exe\" \"C:\\My Files\\a b.zip\""),
              V{"C:\\My Files\\a b.zip"});
    EXPECT_EQ(all_arguments("m.exe   a.txt  \"b c.txt\"   d"), V({"a.txt", "b c.txt", "d"}));
    EXPECT_EQ(all_arguments("m.exe \"unclosed arg"), V{"unclosed arg"});
    EXPECT_EQ(all_arguments("m.exe a.txt "), V{"a.txt"});
}
