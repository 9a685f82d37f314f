#include <gtest/gtest.h>

#include "archive/deleting.h"
#include "archive_test_support.h"
#include "zip/zip.h"

namespace {

// ZIP64 fields where nothing needed them: Python's local ones (force_zip64), central ones and a
// ZIP64 end record (its limits lowered to 0), the plain end record's fields as markers, and all
// that behind a 4 KB stub. Four members m0.txt to m3.txt, the files of those names in f/src.
void make_needless_zip64(const TestFolder& f) {
    python_in(
        f,
        "os.mkdir('src')\n"
        "for i in range(4): open('src/m%d.txt' % i, 'wb').write(b'member %d ' % i * (1000 + i))\n"
        "def make(path, lower=False):\n"
        "    if lower: zipfile.ZIP64_LIMIT = zipfile.ZIP_FILECOUNT_LIMIT = 0\n"
        "    with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as z:\n"
        "        for i in range(4):\n"
        "            with z.open('m%d.txt' % i, 'w', force_zip64=True) as w:\n"
        "                w.write(open('src/m%d.txt' % i, 'rb').read())\n"
        "make('local.zip')\n"
        "make('central.zip', True)\n"
        "b = bytearray(open('central.zip', 'rb').read())\n"
        "struct.pack_into('<HHII', b, len(b) - 14, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF)\n"
        "open('markers.zip', 'wb').write(b)\n"
        "open('stub.zip', 'wb').write(b'MZ' * 2048 + b)\n");
}

// Each of those lists as Python lists it and extracts in full; deleting a member of one keeps
// the others.
TEST(Zip64, ReadsZip64FieldsWhereverPeersPutThem) {
    TestFolder f;
    make_needless_zip64(f);
    for (const std::string name : {"local.zip", "central.zip", "markers.zip", "stub.zip"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(engine_listing(f.file(name)), python_listing(f.file("central.zip")));
        EXPECT_EQ(extract_all(f.file(name), f.file(name + ".out")), std::vector<int>(4, kZipOk));
        for (const char* m : {"m0.txt", "m1.txt", "m2.txt", "m3.txt"})
            EXPECT_EQ(f.read(name + ".out/" + m), f.read(std::string("src/") + m));
    }
    ArchiveFixture a;
    a.list(f.file("markers.zip"));
    a.view.select("m1.txt");
    delete_selected_members(a.ctx);
    EXPECT_EQ(a.view.names(), (std::vector<std::string>{"m0.txt", "m2.txt", "m3.txt"}));
    expect_peers_accept(f.file("markers.zip"));
    EXPECT_EQ(python_members(f.file("markers.zip")).back(), "m3.txt " + hex(f.read("src/m3.txt")));
}

// 70,000 members: one source added under every name gives an archive the peers accept; the
// engine counts, finds and extracts its last member, and goes on adding to it. An archive of
// Python's with as many members reads the same.
TEST(Zip64, SeventyThousandMembers) {
    TestFolder f;
    f.write("src.txt", "one source, many names");
    ZipEngine z;
    ASSERT_EQ(zip_create(z, f.file("a.zip")), kZipOk);
    zip_begin_batch(z);
    for (int i = 1; i <= 70000; ++i)
        ASSERT_EQ(zip_add_file(z, f.file("src.txt"), "d/m" + std::to_string(i)), kZipOk);
    ASSERT_EQ(zip_end_batch(z), kZipOk);
    ASSERT_EQ(zip_add_file(z, f.file("src.txt"), "last"), kZipOk);
    zip_close(z);
    expect_peers_accept(f.file("a.zip"));
    EXPECT_EQ(output_of(f.path(), "zipinfo -1 a.zip | wc -l"), std::vector<std::string>{"70001"});
    python_in(f,
              "with zipfile.ZipFile('py.zip', 'w') as z:\n"
              "    for i in range(1, 70001): z.writestr('d/m%d' % i, b'p%d' % i)\n");
    for (const std::string name : {"a.zip", "py.zip"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(zip_open(z, f.file(name)), kZipOk);
        EXPECT_EQ(zip_count(z), name == "a.zip" ? 70001 : 70000);
        EXPECT_EQ(zip_goto(z, 69999), "d/m69999");
        std::filesystem::create_directory(f.file(name + ".out"));
        EXPECT_EQ(zip_extract(z, f.file(name + ".out"), 69999), kZipOk);
        zip_close(z);
    }
    EXPECT_EQ(f.read("a.zip.out/d/m69999"), f.read("src.txt"));
    EXPECT_EQ(f.read("py.zip.out/d/m69999"), "p69999");
    ArchiveFixture a;
    a.list(f.file("py.zip"));
    EXPECT_EQ(a.view.rows.size(), 70000u);
    EXPECT_EQ(a.view.status[0], "70000" + a.message(57));
}

}  // namespace

// An archive of one member, `size` zero bytes stored with ZIP64 fields, its data a hole in a
// sparse file (a peer would take minutes to write and check it).
void write_sparse_zip64(const std::string& path, uint64_t size) {
    const uint32_t block = crc_of(std::string(1 << 24, '\0'));
    uLong crc = 0;
    for (uint64_t n = 0; n < size >> 24; ++n) crc = crc32_combine(crc, block, 1 << 24);
    crc = crc32_combine(crc, crc_of(std::string(size & 0xFFFFFF, '\0')), size & 0xFFFFFF);
    const std::string name = "big.bin", extra = fields("2288", {1, 16, size, size});
    const std::string common =
        fields("22244422", {0, 0, 0x21, crc, 0xFFFFFFFF, 0xFFFFFFFF, name.size(), extra.size()});
    const std::string local = fields("422", {0x04034b50, 45, 0}) + common + name + extra;
    const std::string central = fields("4222", {0x02014b50, 45, 45, 0}) + common +
                                fields("22244", {0, 0, 0, 0x20, 0}) + name + extra;
    const uint64_t directory = local.size() + size, zip64_end = directory + central.size();
    std::ofstream(path, std::ios::binary) << local;
    std::filesystem::resize_file(path, directory);
    std::ofstream(path, std::ios::binary | std::ios::app)
        << central
        << fields("4822448888", {0x06064b50, 44, 45, 45, 0, 0, 1, 1, central.size(), directory})
        << fields("4484", {0x07064b50, 0, zip64_end, 1})
        << fields("4422442", {0x06054b50, 0, 1, 1, central.size(), 0xFFFFFFFF, 0});
}

// A member over 4 GiB: the engine lists its true size, as Python does, and extracts it; a member
// added behind it (at an offset over 4 GiB) reads back everywhere.
TEST(Zip64, MemberOverFourGiB) {
    TestFolder f;
    const uint64_t size = (uint64_t{1} << 32) + 1000;
    write_sparse_zip64(f.file("a.zip"), size);
    EXPECT_EQ(python_listing(f.file("a.zip")), engine_listing(f.file("a.zip")));
    f.write("new.txt", "behind the big one");
    ZipEngine z;
    ASSERT_EQ(zip_open(z, f.file("a.zip")), kZipOk);
    ZipMemberInfo info;
    EXPECT_EQ(zip_goto(z, 1), "big.bin");
    zip_member_info(z, info);
    EXPECT_EQ(info.unpacked, size);
    std::filesystem::create_directory(f.file("out"));
    EXPECT_EQ(zip_extract(z, f.file("out"), 1), kZipOk);
    EXPECT_EQ(std::filesystem::file_size(f.file("out/big.bin")), size);
    std::filesystem::remove(f.file("out/big.bin"));
    ASSERT_EQ(zip_add(z, f.path(), "new.txt"), kZipOk);
    EXPECT_EQ(zip_extract(z, f.file("out"), 2), kZipOk);
    zip_close(z);
    EXPECT_EQ(f.read("out/new.txt"), "behind the big one");
    EXPECT_EQ(python_listing(f.file("a.zip")), engine_listing(f.file("a.zip")));
    for (const char* test : {"unzip -tqq", "7zz t"})
        EXPECT_EQ(run_in(f.path(), std::string(test) + " a.zip new.txt"), 0) << test;
}
