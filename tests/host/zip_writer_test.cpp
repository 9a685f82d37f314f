#include <gtest/gtest.h>
#include <zlib.h>

#include "runtime/file_meta.h"
#include "runtime/os.h"
#include "zip/zip.h"
#include "zip_test_support.h"

namespace {

uint32_t crc_of(const std::string& data) {
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// Raw inflate with zlib itself, independent of the engine's reader.
std::string inflate_raw(const std::string& packed, size_t size) {
    std::string out(size, '\0');
    z_stream zs{};
    EXPECT_EQ(inflateInit2(&zs, -MAX_WBITS), Z_OK);
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    zs.avail_in = static_cast<uInt>(packed.size());
    zs.next_out = reinterpret_cast<Bytef*>(&out[0]);
    zs.avail_out = static_cast<uInt>(size);
    EXPECT_EQ(inflate(&zs, Z_FINISH), Z_STREAM_END);
    inflateEnd(&zs);
    return out;
}

// Makes an archive at `archive` from the names below `base`; the results of zip_add.
std::vector<int> write_archive(const std::string& archive, const std::string& base,
                               const std::vector<std::string>& names, bool batch) {
    ZipEngine z;
    EXPECT_EQ(zip_create(z, archive), kZipOk);
    if (batch) zip_begin_batch(z);
    std::vector<int> results;
    for (const std::string& name : names) results.push_back(zip_add(z, base, name));
    if (batch) {
        EXPECT_EQ(zip_end_batch(z), kZipOk);
    }
    zip_close(z);
    return results;
}

TEST(ZipWriter, OneMemberArchiveLayout) {
    TestFolder f;
    std::filesystem::create_directory(f.file("src"));
    f.write("src/hello.txt", "hello");
    DosDateTime stamp = file_time_to_dos(f.file("src/hello.txt"));
    ASSERT_EQ(write_archive(f.file("a.zip"), f.file("src"), {"hello.txt"}, false),
              std::vector<int>{kZipOk});
    const std::string b = f.read("a.zip");
    const uint32_t packed = le(b, 18, 4);
    ASSERT_EQ(b.size(), 30 + 9 + packed + 46 + 9 + 22);
    struct Field {
        const char* what;
        size_t at;
        int width;
        uint32_t value;
    };
    const size_t c = 39 + packed;  // the central header
    const size_t e = c + 55;       // the end record
    const Field fields[] = {
        {"local signature", 0, 4, 0x04034B50},
        {"local version", 4, 2, 14},
        {"local flags", 6, 2, 2},
        {"local method", 8, 2, 8},
        {"local time", 10, 2, stamp.time},
        {"local date", 12, 2, stamp.date},
        {"local CRC", 14, 4, crc_of("hello")},
        {"local unpacked", 22, 4, 5},
        {"local name length", 26, 2, 9},
        {"local extra", 28, 2, 0},
        {"central signature", c, 4, 0x02014B50},
        {"made by", c + 4, 2, 14},
        {"central needed", c + 6, 2, 0},
        {"central flags", c + 8, 2, 2},
        {"central method", c + 10, 2, 8},
        {"central time", c + 12, 2, stamp.time},
        {"central date", c + 14, 2, stamp.date},
        {"central CRC", c + 16, 4, crc_of("hello")},
        {"central packed", c + 20, 4, packed},
        {"central unpacked", c + 24, 4, 5},
        {"central name length", c + 28, 2, 9},
        {"central extra", c + 30, 2, 0},
        {"comment length", c + 32, 2, 0},
        {"disk start", c + 34, 2, 0},
        {"internal attributes", c + 36, 2, 0},
        {"external attributes", c + 38, 4, 0x20},
        {"local header offset", c + 42, 4, 0},
        {"end signature", e, 4, 0x06054B50},
        {"disk", e + 4, 2, 0},
        {"directory disk", e + 6, 2, 0},
        {"entries on disk", e + 8, 2, 1},
        {"entries", e + 10, 2, 1},
        {"directory size", e + 12, 4, 55},
        {"directory offset", e + 16, 4, static_cast<uint32_t>(c)},
        {"archive comment", e + 20, 2, 0},
    };
    for (const Field& field : fields)
        EXPECT_EQ(le(b, field.at, field.width), field.value) << field.what;
    EXPECT_NE(stamp.date, 0);
    EXPECT_EQ(b.substr(30, 9), "hello.txt");
    EXPECT_EQ(b.substr(c + 46, 9), "hello.txt");
    EXPECT_EQ(inflate_raw(b.substr(39, packed), 5), "hello");
}

TEST(ZipWriter, SecondMemberGoesWhereTheDirectoryWas) {
    TestFolder f;
    std::filesystem::create_directory(f.file("src"));
    f.write("src/hello.txt", "hello");
    f.write("src/two.txt", "second member");
    ZipEngine z;
    ASSERT_EQ(zip_create(z, f.file("a.zip")), kZipOk);
    ASSERT_EQ(zip_add(z, f.file("src/"), "hello.txt"), kZipOk);
    const size_t first_directory = le(f.read("a.zip"), f.read("a.zip").size() - 6, 4);
    ASSERT_EQ(zip_add(z, f.file("src"), "two.txt"), kZipOk);
    zip_close(z);
    const std::string b = f.read("a.zip");
    EXPECT_EQ(le(b, first_directory, 4), 0x04034B50u);
    EXPECT_EQ(b.substr(first_directory + 30, 7), "two.txt");
    const size_t c = le(b, b.size() - 6, 4);
    EXPECT_EQ(b.substr(c + 46, 9), "hello.txt");
    EXPECT_EQ(le(b, c + 55 + 42, 4), first_directory);
    EXPECT_EQ(b.substr(c + 55 + 46, 7), "two.txt");
    EXPECT_EQ(le(b, b.size() - 12, 2), 2u);
    EXPECT_EQ(le(b, b.size() - 10, 4), 55u + 53u);
    EXPECT_EQ(output_of(f.path(), "zipinfo -1 a.zip"), "hello.txt\ntwo.txt\n");
}

TEST(ZipWriter, FoldersEmptyFilesAndMissingSources) {
    TestFolder f;
    std::filesystem::create_directories(f.file("src/folder"));
    f.write("src/empty.txt", "");
    ZipEngine z;
    ASSERT_EQ(zip_create(z, f.file("a.zip")), kZipOk);
    zip_close(z);
    EXPECT_EQ(f.read("a.zip"), "");  // nothing is written before the first addition

    ASSERT_EQ(zip_create(z, f.file("a.zip")), kZipOk);
    ASSERT_EQ(zip_add(z, f.file("src"), "folder"), kZipOk);
    ASSERT_EQ(zip_add(z, f.file("src"), "empty.txt"), kZipOk);
    const std::string before = f.read("a.zip");
    EXPECT_EQ(zip_add(z, f.file("src"), "missing.txt"), kZipBadHeader);
    EXPECT_EQ(f.read("a.zip"), before);
    zip_close(z);
    EXPECT_EQ(f.read("a.zip"), before);

    const std::string& b = before;
    const size_t c = le(b, b.size() - 6, 4);
    // The folder: method 8 and no data, no date, the folder bit.
    EXPECT_EQ(b.substr(30, 6), "folder");
    for (size_t at : {size_t{8}, c + 10}) EXPECT_EQ(le(b, at, 2), 8u);
    for (size_t at :
         {size_t{10}, size_t{14}, size_t{18}, size_t{22}, c + 12, c + 16, c + 20, c + 24})
        EXPECT_EQ(le(b, at, 4), 0u) << at;
    EXPECT_EQ(le(b, c + 38, 4), 0x10u);
    // The empty file: the 2-byte empty deflate stream, CRC 0.
    const size_t e = 36;
    EXPECT_EQ(b.substr(e + 30, 9), "empty.txt");
    EXPECT_EQ((std::vector<uint32_t>{le(b, e + 14, 4), le(b, e + 18, 4), le(b, e + 22, 4)}),
              (std::vector<uint32_t>{0, 2, 0}));
    EXPECT_EQ(le(b, c + 52 + 42, 4), e);
}

TEST(ZipWriter, PeersAcceptWhatWeWriteAndBatchesWriteTheSameBytes) {
    TestFolder f;
    std::filesystem::create_directories(f.file("src/sub/deep"));
    f.write("src/text.txt", sample_bytes(200000, 1));
    f.write("src/sub/deep/bin.dat", sample_bytes(70001, 2));
    f.write("src/empty.txt", "");
    std::string noise(300000, '\0');
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    f.write("src/noise.bin", noise);
    const std::vector<std::string> names = {"text.txt", "sub/deep/bin.dat", "empty.txt",
                                            "noise.bin"};
    const std::vector<int> ok(names.size(), kZipOk);
    ASSERT_EQ(write_archive(f.file("one-by-one.zip"), f.file("src"), names, false), ok);
    ASSERT_EQ(write_archive(f.file("batch.zip"), f.file("src"), names, true), ok);
    EXPECT_EQ(f.read("batch.zip"), f.read("one-by-one.zip"));

    EXPECT_EQ(run_in(f.path(), "unzip -t batch.zip"), 0);
    EXPECT_EQ(run_in(f.path(), "7zz t batch.zip"), 0);
    EXPECT_EQ(
        output_of(f.path(),
                  "python3 -c \"import zipfile; print(zipfile.ZipFile('batch.zip').testzip())\""),
        "None\n");
    ASSERT_EQ(run_in(f.path(), "unzip -q batch.zip -d out"), 0);
    for (const std::string& name : names)
        EXPECT_EQ(f.read("out/" + name), f.read("src/" + name)) << name;
}

TEST(ZipWriter, AddingToAPeerArchive) {
    TestFolder f;
    f.write("text.txt", sample_bytes(50000, 4));
    f.write("new.txt", "added later");
    // A long archive comment: the file is never shortened, its rest stays behind the new end.
    ASSERT_EQ(run_in(f.path(), "zip -q -9 a.zip text.txt"), 0);
    ASSERT_EQ(python_in(f, "with zipfile.ZipFile('a.zip', 'a') as z: z.comment = b'c' * 3000\n"),
              0);
    const std::string before = f.read("a.zip");
    ZipEngine z;
    ASSERT_EQ(zip_open(z, f.file("a.zip")), kZipOk);
    ASSERT_EQ(zip_add(z, f.path(), "new.txt"), kZipOk);
    zip_close(z);
    const std::string after = f.read("a.zip");
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(after.size() - 1000), std::string(1000, 'c'));
    EXPECT_EQ(run_in(f.path(), "unzip -t a.zip"), 0);

    ASSERT_EQ(zip_open(z, f.file("a.zip")), kZipOk);
    EXPECT_EQ(zip_first(z), "text.txt");
    EXPECT_EQ(zip_next(z), "new.txt");
    EXPECT_EQ(zip_next(z), "");
    std::filesystem::create_directory(f.file("out"));
    for (int i = 1; i <= 2; ++i) EXPECT_EQ(zip_extract(z, f.file("out"), i), kZipOk);
    EXPECT_EQ(f.read("out/text.txt"), f.read("text.txt"));
    EXPECT_EQ(f.read("out/new.txt"), "added later");
}

int stop_big_ones(void*, long done) { return done > 100000 ? 1 : 0; }

// Inside a batch a failed addition costs only its own member, and reading ends the batch.
TEST(ZipWriter, BatchSurvivesFailedAdditionsAndEndsBeforeReading) {
    TestFolder f;
    f.write("a.txt", "first");
    f.write("big.bin", sample_bytes(300000, 6));
    f.write("b.txt", "second");
    ASSERT_EQ(write_archive(f.file("plain.zip"), f.path(), {"a.txt", "b.txt"}, false),
              (std::vector<int>{kZipOk, kZipOk}));
    ZipEngine z;
    zip_set_progress(z, stop_big_ones, nullptr);
    ASSERT_EQ(zip_create(z, f.file("a.zip")), kZipOk);
    ASSERT_EQ(zip_begin_batch(z), kZipOk);
    EXPECT_EQ(zip_add(z, f.path(), "a.txt"), kZipOk);
    EXPECT_EQ(zip_add(z, f.path(), "missing.txt"), kZipBadHeader);
    EXPECT_EQ(zip_add(z, f.path(), "big.bin"), kZipStopped);
    EXPECT_EQ(zip_add(z, f.path(), "b.txt"), kZipOk);
    EXPECT_EQ(zip_count(z), 2);
    EXPECT_EQ(zip_first(z), "a.txt");
    EXPECT_EQ(zip_next(z), "b.txt");
    EXPECT_EQ(zip_end_batch(z), kZipOk);
    zip_close(z);
    EXPECT_EQ(f.read("a.zip"), f.read("plain.zip"));
}

int stop_at_once(void*, long) { return 1; }

// A write that fails anywhere during an addition (a full disk), or a stop asked for by the
// progress callback, leaves the archive exactly as it was.
TEST(ZipWriter, FailedAdditionLeavesTheArchiveAsBefore) {
    TestFolder f;
    f.write("big.bin", sample_bytes(400000, 5));
    f.write("small.txt", "small");
    ASSERT_EQ(run_in(f.path(), "zip -q a.zip small.txt && cp a.zip peer.zip"), 0);
    struct Case {
        const char* archive;  // "" for a new one
        bool batch;
    } cases[] = {{"", false}, {"", true}, {"peer.zip", false}, {"peer.zip", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.archive) + (c.batch ? " in a batch" : ""));
        for (int64_t budget :
             {0, 10, 29, 40, 1000, 65536, 65537, 200000, 240000, 260000, 270000, 300000, 400000}) {
            SCOPED_TRACE(budget);
            f.write("a.zip", *c.archive ? f.read(c.archive) : std::string());
            const std::string before = f.read("a.zip");
            ZipEngine z;
            if (*c.archive)
                ASSERT_EQ(zip_open(z, f.file("a.zip")), kZipOk);
            else
                ASSERT_EQ(zip_create(z, f.file("a.zip")), kZipOk);
            if (c.batch) zip_begin_batch(z);
            os::fail_writes_after(budget);
            int added = zip_add(z, f.path(), "big.bin");
            int ended = zip_end_batch(z);
            os::fail_writes_after(-1);
            zip_close(z);
            if (added == kZipOk && ended == kZipOk) {
                EXPECT_EQ(run_in(f.path(), "unzip -t a.zip"), 0);
            } else {
                EXPECT_EQ(std::max(added, ended), kZipCannotWrite);
                EXPECT_EQ(f.read("a.zip"), before);
            }
        }
    }
    ZipEngine z;
    ASSERT_EQ(zip_open(z, f.file("peer.zip")), kZipOk);
    const std::string before = f.read("peer.zip");
    zip_set_progress(z, stop_at_once, nullptr);
    EXPECT_EQ(zip_add(z, f.path(), "big.bin"), kZipStopped);
    zip_close(z);
    EXPECT_EQ(f.read("peer.zip"), before);
}

TEST(ZipWriter, RefusesArchivesItCannotExtend) {
    TestFolder f;
    f.write("new.txt", "new");
    // A stub glued before an archive: its offsets count from after the stub.
    ASSERT_EQ(
        run_in(f.path(), "zip -q inner.zip new.txt && (printf stub; cat inner.zip) > prefixed.zip"),
        0);
    // An end record whose entry counts are all ones points to ZIP64 records.
    ASSERT_EQ(python_in(f,
                        "with zipfile.ZipFile('many.zip', 'w') as z: z.writestr('a', b'a')\n"
                        "b = bytearray(open('many.zip', 'rb').read())\n"
                        "b[-14:-10] = b'\\xff' * 4\n"
                        "open('many.zip', 'wb').write(b)\n"),
              0);
    for (const char* name : {"prefixed.zip", "many.zip"}) {
        SCOPED_TRACE(name);
        const std::string before = f.read(name);
        ZipEngine z;
        ASSERT_EQ(zip_open(z, f.file(name)), kZipOk);
        EXPECT_EQ(zip_add(z, f.path(), "new.txt"), kZipUnsupported);
        zip_close(z);
        EXPECT_EQ(f.read(name), before);
    }
    ZipEngine z;
    EXPECT_EQ(zip_add(z, f.path(), "new.txt"), kZipNoMember);
    EXPECT_EQ(zip_create(z, f.file("no/such/folder.zip")), kZipBadHeader);
}

}  // namespace
