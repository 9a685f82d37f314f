#include "runtime/paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "zip_test_support.h"

// A link inside a tree being removed goes without what it points to (an archive can hold a link
// to "..", which would otherwise reach the user's files).
TEST(Paths, RemovingATreeNeverFollowsALink) {
    TestFolder f;
    std::filesystem::create_directories(f.file("work/sub"));
    std::filesystem::create_directories(f.file("outside"));
    f.write("outside/precious.txt", "keep");
    f.write("work/sub/a.txt", "a");
    std::filesystem::create_directory_symlink(f.file("outside"), f.file("work/sub/up"));
    std::filesystem::create_symlink(f.file("outside/precious.txt"), f.file("work/file-link"));
    remove_tree(f.file("work"));
    EXPECT_FALSE(std::filesystem::exists(f.file("work")));
    EXPECT_EQ(f.read("outside/precious.txt"), "keep");
}

// A folder and a name join with one separator, whether or not the folder ends in one.
TEST(Paths, JoiningAndTrimmingFolders) {
    const struct {
        const char *folder, *joined, *trimmed;
    } cases[] = {
        {"C:\\Daten", "C:\\Daten\\a.txt", "C:\\Daten"},
        {"C:\\Daten\\", "C:\\Daten\\a.txt", "C:\\Daten"},
        {"/tmp/x/", "/tmp/x/a.txt", "/tmp/x"},
        {"", "a.txt", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(join_path(c.folder, "a.txt"), c.joined) << c.folder;
        EXPECT_EQ(without_separator(c.folder), c.trimmed) << c.folder;
    }
}
