#include "state/temp_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <set>
#include <thread>
#include <vector>

#include "runtime/os.h"
#include "zip_test_support.h"

// Only what it tracked goes at exit, and links put in place of what it tracked are never followed.
TEST(TempFiles, RemovesOnlyWhatItTrackedAndNeverFollowsALinkPutInItsPlace) {
    TestFolder dir;
    dir.write("users.txt", "mine");
    TempFiles temp;
    const std::string work = temp.create_private_folder(dir.path(), "Marlox_");
    ASSERT_FALSE(work.empty());
    EXPECT_EQ(work.back(), '\\');
    ASSERT_TRUE(os::create_folder(work + "sub"));
    dir.write(work.substr(dir.path().size(), work.size() - dir.path().size() - 1) + "/sub/x", "1");
    dir.write("DEC_a.zip", "tracked");
    temp.track_file(dir.file("DEC_a.zip"));
    temp.track_file(dir.file("gone-already"));

    const std::string second = temp.create_private_folder(dir.path(), "Marlox_");
    temp.remove_all();
    EXPECT_EQ(os::attributes(work), os::kNoAttributes);
    EXPECT_EQ(os::attributes(second), os::kNoAttributes);
    EXPECT_EQ(os::attributes(dir.file("DEC_a.zip")), os::kNoAttributes);
    EXPECT_EQ(dir.read("users.txt"), "mine");

    // A private folder or a tracked file replaced by a link while the program runs goes at exit
    // as a link: what the link points to stays as it was.
    dir.write("users/precious.txt", "keep");
    dir.write("users/locked.txt", "read-only");
    ASSERT_TRUE(os::set_attributes(dir.file("users/locked.txt"), os::kAttrReadOnly));
    std::string replaced = temp.create_private_folder(dir.path(), "m_");
    replaced.pop_back();
    std::filesystem::remove(os::native_path(replaced));
    std::filesystem::create_directory_symlink(dir.file("users"), os::native_path(replaced));
    std::filesystem::create_symlink(dir.file("users/locked.txt"), dir.file("DEC_a.zip"));
    temp.track_file(dir.file("DEC_a.zip"));

    temp.remove_all();
    EXPECT_FALSE(
        std::filesystem::exists(std::filesystem::symlink_status(os::native_path(replaced))));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir.file("DEC_a.zip"))));
    EXPECT_EQ(dir.read("users/precious.txt"), "keep");
    EXPECT_EQ(os::attributes(dir.file("users/locked.txt")), os::kAttrReadOnly);
}

// Two programs making their folders at once in one parent never get the same one: each would
// remove the other's at exit. One that removes its folder while another is making one does not
// make the other fail: the name it just gave up is free again, not a parent that takes no folders.
TEST(TempFiles, ProgramsRacingForFoldersEachGetTheirOwnAndNeverFail) {
    TestFolder dir;
    TempFiles first, second;
    std::vector<std::string> made[2];
    auto make = [&dir](TempFiles& temp, std::vector<std::string>& out) {
        for (int i = 0; i < 200; ++i) out.push_back(temp.create_private_folder(dir.path(), "m_"));
    };
    std::thread other(make, std::ref(first), std::ref(made[0]));
    make(second, made[1]);
    other.join();
    std::set<std::string> distinct(made[0].begin(), made[0].end());
    distinct.insert(made[1].begin(), made[1].end());
    EXPECT_EQ(distinct.size(), 400u);
    EXPECT_EQ(distinct.count(std::string()), 0u);

    std::atomic<bool> done{false};
    std::thread remover([&] {
        TempFiles temp;
        while (!done) {
            temp.create_private_folder(dir.path(), "m_");
            temp.remove_all();
        }
    });
    int failures = 0;
    for (int i = 0; i < 2000; ++i) {
        TempFiles temp;
        failures += temp.create_private_folder(dir.path(), "m_").empty();
        temp.remove_all();
    }
    done = true;
    remover.join();
    EXPECT_EQ(failures, 0);
}
