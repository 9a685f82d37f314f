#include "state/temp_files.h"

#include <gtest/gtest.h>

#include "runtime/os.h"
#include "test_folder.h"

TEST(TempFiles, RemovesOnlyWhatItTracked) {
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

    // A second folder never reuses an existing name.
    const std::string second = temp.create_private_folder(dir.path(), "Marlox_");
    EXPECT_NE(second, work);

    temp.remove_all();
    EXPECT_EQ(os::attributes(work), os::kNoAttributes);
    EXPECT_EQ(os::attributes(second), os::kNoAttributes);
    EXPECT_EQ(os::attributes(dir.file("DEC_a.zip")), os::kNoAttributes);
    EXPECT_EQ(dir.read("users.txt"), "mine");
}
