#include <gtest/gtest.h>

#include "zip/zip.h"
#include "zip_test_support.h"

namespace {

// The regular files below `root`, relative.
std::set<std::string> files_below(const std::string& root) {
    std::set<std::string> out;
    for (const std::string& name : tree(root))
        if (name.back() != '/') out.insert(name);
    return out;
}

// extract_all's results for the members that are files with data. (An empty member has no data
// a wrong password could fail on: one wrong password in 256 passes the traditional cipher's check
// byte and then rightly gives the empty file.)
std::vector<int> extract_files(const std::string& archive, const std::string& target,
                               const std::string& password) {
    const std::vector<int> all = extract_all(archive, target, password);
    const std::vector<std::string> names = output_of("/", "zipinfo -1 '" + archive + "'");
    std::vector<int> results;
    for (size_t i = 0; i < all.size() && i < names.size(); ++i)
        if (names[i].back() != '/' && names[i] != "empty.txt") results.push_back(all[i]);
    return results;
}

// Each way the peers encrypt, over the same files: with the right password every file arrives
// byte-identical; without one, with a wrong one, or with one byte of text.txt's data changed,
// the member writes nothing and an existing file of its name stays as it was.
TEST(ZipCrypt, PeerArchivesOfEveryMethod) {
    struct Case {
        const char* method;
        const char* command;  // run in f/src, makes ../a.zip
        const char* patch;    // a Python script that changes a.zip
    } cases[] = {
        {"traditional, check byte from the time", "zip -q -r -P secret ../a.zip .", ""},
        {"traditional, check byte from the CRC", "7zz a -tzip -psecret -mem=ZipCrypto ../a.zip .",
         ""},
        {"AES-128, AE-2", "7zz a -tzip -psecret -mem=AES128 ../a.zip .", ""},
        {"AES-192, AE-2", "7zz a -tzip -psecret -mem=AES192 ../a.zip .", ""},
        {"AES-256, AE-2", "7zz a -tzip -psecret -mem=AES256 ../a.zip .", ""},
        {"AES-256, stored", "7zz a -tzip -psecret -mem=AES256 -mx0 ../a.zip .", ""},
        // AE-1 keeps the CRC-32, which is checked as well.
        {"AES-256, AE-1", "7zz a -tzip -psecret -mem=AES256 ../a.zip .",
         "import zlib\n"
         "b = bytearray(open('a.zip', 'rb').read().replace(b'\\x01\\x99\\x07\\x00\\x02\\x00AE',\n"
         "                                                 b'\\x01\\x99\\x07\\x00\\x01\\x00AE'))\n"
         "z = zipfile.ZipFile('a.zip'); at = z.start_dir\n"
         "for i in z.infolist():\n"
         "    crc = 0 if i.is_dir() else zlib.crc32(open('src/' + i.filename, 'rb').read())\n"
         "    struct.pack_into('<I', b, at + 16, crc)\n"
         "    struct.pack_into('<I', b, i.header_offset + 14, crc)\n"
         "    at += 46 + sum(struct.unpack_from('<3H', b, at + 28))\n"
         "open('a.zip', 'wb').write(b)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        TestFolder f;
        make_sources(f);
        shell(f.file("src"), c.command);
        python_in(f, std::string(c.patch) +
                         "z = zipfile.ZipFile('a.zip'); i = z.getinfo('text.txt')\n"
                         "b = bytearray(open('a.zip', 'rb').read())\n"
                         "n, e = struct.unpack_from('<2H', b, i.header_offset + 26)\n"
                         "b[i.header_offset + 30 + n + e + i.compress_size // 2] ^= 1\n"
                         "open('damaged.zip', 'wb').write(b)\n");
        const std::vector<int> refused(3, kZipBadPassword);
        EXPECT_EQ(extract_files(f.file("a.zip"), f.file("none"), ""), refused);
        EXPECT_EQ(extract_files(f.file("a.zip"), f.file("wrong"), "Secret"), refused);
        EXPECT_EQ(files_below(f.file("none")), std::set<std::string>{});
        std::set<std::string> wrong = files_below(f.file("wrong"));
        wrong.erase("empty.txt");
        EXPECT_EQ(wrong, std::set<std::string>{});

        EXPECT_EQ(extract_files(f.file("a.zip"), f.file("out"), "secret"),
                  std::vector<int>(3, kZipOk));
        EXPECT_EQ(files_below(f.file("out")), files_below(f.file("src")));
        for (const std::string& name : files_below(f.file("src")))
            EXPECT_EQ(f.read("out/" + name), f.read("src/" + name)) << name;

        std::filesystem::create_directory(f.file("damaged"));
        f.write("damaged/text.txt", "mine");
        std::vector<int> results =
            extract_files(f.file("damaged.zip"), f.file("damaged"), "secret");
        EXPECT_EQ(std::count(results.begin(), results.end(), kZipBadPassword), 1);
        EXPECT_EQ(f.read("damaged/text.txt"), "mine");
        EXPECT_EQ(f.read("damaged/empty.txt"), "");
    }
}

}  // namespace
