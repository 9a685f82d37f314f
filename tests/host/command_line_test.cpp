#include "app/command_line.h"

#include <gtest/gtest.h>

#include <vector>

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
