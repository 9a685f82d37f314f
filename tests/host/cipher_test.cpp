// Protecting archives: the cipher against published vectors, the whole-file transform,
// protecting and opening in place, and every failure leaving the archive as it was.
#include "protect/cipher.h"

#include <gtest/gtest.h>

#include "archive_test_support.h"
#include "runtime/os.h"

namespace {

std::string ciphered(std::string data, const std::string& password) {
    cipher_buffer(reinterpret_cast<unsigned char*>(&data[0]), data.size(), password);
    return data;
}

TEST(Cipher, Rc4AgreesWithPublishedVectorsOverBuffersAndWholeFiles) {
    EXPECT_EQ(hex(ciphered("Plaintext", "Key")), "bbf316e8d940af0ad3");
    EXPECT_EQ(hex(ciphered("pedia", "Wiki")), "1021bf0420");
    EXPECT_EQ(hex(ciphered("Attack at dawn!!", "Secret")), "45a01f645fc35b383552544b9bf598b3");
    // A Windows-1252 password ("Größe") takes its bytes as 0 to 255, as Python's RC4 does; only
    // the first 256 password bytes count.
    EXPECT_EQ(hex(ciphered("Attack at dawn", "Größe")), "8647234140357a72aee04b41252f");
    const std::string long_password(300, 'k');
    EXPECT_EQ(ciphered("data", long_password), ciphered("data", long_password.substr(0, 256)));

    // A whole file, read in many pieces, as one buffer.
    TestFolder f;
    f.write("plain.bin", sample_bytes(100000, 7));
    ASSERT_TRUE(cipher_file(f.file("plain.bin"), "Secret", f.file("ours.bin")));
    EXPECT_TRUE(f.read("ours.bin") == ciphered(f.read("plain.bin"), "Secret"));
    f.write("empty.bin", "");
    EXPECT_TRUE(cipher_file(f.file("empty.bin"), "x", f.file("empty.out")));
    EXPECT_EQ(f.read("empty.out"), "");
}

// Whatever write fails, the archive keeps every byte, and files of the user's named after the
// old work files stay as they were.
TEST(Cipher, EveryFailureLeavesTheArchiveAsItWas) {
    TestFolder f;
    shell(f.path(), "head -c 300000 /dev/urandom > r.bin && zip -q -0 a.zip r.bin");
    f.write("CRYPT_a.zip", "the user's");
    const std::string plain = f.read("a.zip");
    ArchiveFixture a;
    a.list(f.file("a.zip"));
    for (int64_t budget : {0, 1000, 65536, 299999}) {
        SCOPED_TRACE(budget);
        os::fail_writes_after(budget);
        const bool protected_ok = encipher_archive(a.ctx, "k");
        os::fail_writes_after(-1);
        EXPECT_FALSE(protected_ok);
        EXPECT_TRUE(f.read("a.zip") == plain);
    }
    ASSERT_TRUE(encipher_archive(a.ctx, "k"));
    const std::string protected_bytes = f.read("a.zip");
    os::fail_writes_after(5000);
    EXPECT_EQ(decipher_attempt(a.ctx, "k"), PasswordAnswer::kUnreadable);
    os::fail_writes_after(-1);
    EXPECT_TRUE(f.read("a.zip") == protected_bytes);
    EXPECT_EQ(f.read("CRYPT_a.zip"), "the user's");
    EXPECT_EQ(tree(f.path()), (std::set<std::string>{"a.zip", "CRYPT_a.zip", "r.bin"}));
    a.state.open_archive(f.file("missing.zip"));
    EXPECT_FALSE(encipher_archive(a.ctx, "k"));
}

// A folder that takes no new files beside a writable archive (made here with the immutable mark,
// which holds for root too): the right password opens the archive, and Yes at exit protects it
// again. A write that fails before the archive is overwritten leaves it as it was.
TEST(Cipher, AFolderThatTakesNoNewFilesStillOpensAndProtectsTheArchive) {
    TestFolder f;
    shell(f.path(), "mkdir box && echo hi > b.txt && zip -q box/a.zip b.txt");
    const std::string plain = f.read("box/a.zip");
    ArchiveFixture a;
    a.list(f.file("box/a.zip"));
    ASSERT_TRUE(encipher_archive(a.ctx, "pw"));
    const std::string protected_bytes = f.read("box/a.zip");
    if (run_in(f.path(), "chattr +i box 2>/dev/null") != 0)
        GTEST_SKIP() << "this file system has no immutable folders";
    struct Unlock {
        std::string folder;
        ~Unlock() { run_in(folder, "chattr -i box"); }
    } unlock{f.path()};
    ASSERT_NE(run_in(f.path(), "touch box/probe 2>/dev/null"), 0);

    os::fail_writes_after(static_cast<int64_t>(plain.size()) + 10);
    a.view.passwords = {"pw"};
    a.list(f.file("box/a.zip"));
    os::fail_writes_after(-1);
    EXPECT_EQ(a.view.password_answers, std::vector<PasswordAnswer>{PasswordAnswer::kUnreadable});
    EXPECT_TRUE(f.read("box/a.zip") == protected_bytes);

    a.view.passwords = {"pw"};
    a.list(f.file("box/a.zip"));
    EXPECT_EQ(a.view.password_answers.back(), PasswordAnswer::kRight);
    EXPECT_TRUE(f.read("box/a.zip") == plain);
    EXPECT_EQ(a.view.names(), std::vector<std::string>{"b.txt"});
    protect_again_at_exit(a.ctx);  // Yes
    EXPECT_EQ(a.prompter.boxes.size(), 1u);
    EXPECT_TRUE(f.read("box/a.zip") == protected_bytes);
    EXPECT_EQ(tree(f.file("box")), std::set<std::string>{"a.zip"});
}

TEST(Cipher, CancellingKeepsTheFileThePasswordBelongsToItsArchiveAndStrengthCounts) {
    TestFolder f;
    shell(f.path(), "echo hi > b.txt && zip -q a.zip b.txt && cp a.zip other.zip");
    ArchiveFixture a;
    a.list(f.file("a.zip"));
    ASSERT_TRUE(encipher_archive(a.ctx, "pw"));
    const std::string protected_bytes = f.read("a.zip");
    // Cancelled after a wrong password: the file as it was, and no archive open.
    a.view.passwords = {"nope"};
    a.list(f.file("a.zip"));
    EXPECT_TRUE(f.read("a.zip") == protected_bytes);
    EXPECT_EQ(a.state.archive_path(), "");
    EXPECT_TRUE(a.view.rows.empty());
    EXPECT_EQ(a.view.title, RecordingView::kProgramTitle);
    a.view.passwords = {"pw"};
    a.list(f.file("a.zip"));
    EXPECT_EQ(stored_password_for_open_archive(a.ctx), "pw");
    EXPECT_EQ(tree(f.path()), (std::set<std::string>{"a.zip", "b.txt", "other.zip"}));
    a.list(f.file("other.zip"));
    EXPECT_EQ(stored_password_for_open_archive(a.ctx), "");
    protect_again_at_exit(a.ctx);
    EXPECT_TRUE(a.prompter.boxes.empty());
    // A file of one byte is never taken as protected.
    f.write("one.zip", "x");
    a.state.open_archive(f.file("one.zip"));
    EXPECT_TRUE(check_enciphered(a.ctx));

    EXPECT_EQ(password_strength(""), 0);
    EXPECT_EQ(password_strength("abcdefgh"), 40);
    EXPECT_EQ(password_strength("ab1c2d3!!"), 5 * 9 + 5 * 4);
    EXPECT_GE(password_strength(std::string(20, 'x')), 100);
}

// A ZIP behind a 4 KB stub is no protected archive: it lists like the plain one, without a
// password. A file whose stray end record agrees with no directory still is one, as
// is an archive protected here.
TEST(Cipher, ArchiveBehindAStubIsNoProtectedArchive) {
    TestFolder f;
    make_sources(f, &kPeers[0]);
    const std::string stub = ciphered(std::string(4096, 'x'), "stub");
    f.write("stub.zip", stub + f.read("a.zip"));
    f.write("junk.zip", stub + fields("4422442", {0x06054b50, 0, 1, 1, 46, 0, 0}));
    ArchiveFixture a;
    a.list(f.file("a.zip"));
    const std::vector<std::string> plain = a.view.names();
    ASSERT_EQ(plain.size(), 6u);
    a.list(f.file("stub.zip"));
    EXPECT_EQ(a.view.names(), plain);
    EXPECT_TRUE(a.view.password_answers.empty());

    a.view.passwords = {"wrong"};
    a.list(f.file("junk.zip"));
    EXPECT_TRUE(a.view.rows.empty());
    a.list(f.file("a.zip"));
    ASSERT_TRUE(encipher_archive(a.ctx, "pw"));
    a.view.passwords = {"pw"};
    a.list(f.file("a.zip"));
    EXPECT_EQ(a.view.password_answers,
              (std::vector<PasswordAnswer>{PasswordAnswer::kWrong, PasswordAnswer::kRight}));
    EXPECT_EQ(a.view.names(), plain);
}

}  // namespace
