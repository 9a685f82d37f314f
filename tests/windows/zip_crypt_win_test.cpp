// Encrypted ZIP members through the system's cryptography (CNG): the archives the peers encrypt
// (make_matrix_fixtures.sh) read as with the host's library.
#include "dialog_driver.h"

namespace {

TEST(ZipCryptWin, PeerArchivesReadWithTheSystemsCryptography) {
    WorkFolder work;
    for (const char* archive : {"crypt-zip", "crypt-aes128", "crypt-aes256"}) {
        SCOPED_TRACE(archive);
        const std::string out = work.path() + archive + "\\";
        ASSERT_TRUE(CreateDirectoryA(out.c_str(), nullptr));
        ZipEngine z;
        ASSERT_EQ(zip_open(z, kMatrix + archive + ".zip"), kZipOk);
        zip_set_password(z, "Secret");
        EXPECT_EQ(zip_extract(z, out, 1), kZipBadPassword);
        zip_set_password(z, "secret");
        for (int member = 1; member <= 2; ++member) EXPECT_EQ(zip_extract(z, out, member), kZipOk);
        zip_close(z);
        for (const char* name : {"n.txt", "r.bin"})
            EXPECT_EQ(read_bytes(out + name), read_bytes(kMatrix + "crypt\\" + name)) << name;
    }
}

}  // namespace
