#include <gtest/gtest.h>
#include "runtime/file_meta.h"
#include "runtime/os.h"
#include "zip/zip.h"
#include "zip_test_support.h"

namespace {

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

// Every byte of a one-member archive; the peers check where further members go, below.
TEST(ZipWriter, ArchiveLayout) {
    TestFolder f;
    f.write("hello.txt", "hello");
    const DosDateTime stamp = file_time_to_dos(f.file("hello.txt"));
    EXPECT_NE(stamp.date, 0);
    ASSERT_EQ(write_archive(f.file("a.zip"), f.path(), {"hello.txt"}, false),
              std::vector<int>{kZipOk});
    const std::string b = f.read("a.zip");
    const uint32_t packed = le(b, 18, 4);
    const std::string common =
        fields("222244422", {2, 8, stamp.time, stamp.date, crc_of("hello"), packed, 5, 9, 0});
    EXPECT_EQ(hex(b), hex(fields("42", {0x04034B50, 14}) + common + "hello.txt" +
                          b.substr(39, packed) + fields("422", {0x02014B50, 14, 0}) + common +
                          fields("22244", {0, 0, 0, 0x20, 0}) + "hello.txt" +
                          fields("42222442", {0x06054B50, 0, 0, 1, 1, 55, 39 + packed, 0})));
}

TEST(ZipWriter, FoldersEmptyFilesAndMissingSources) {
    TestFolder f;
    std::filesystem::create_directories(f.file("src/folder"));
    f.write("src/empty.txt", "");
    ZipEngine z;
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
    // The folder: method 8 and no data, no date; the folder bit. The empty file: the 2-byte
    // empty deflate stream, CRC 0.
    const std::string folder = fields("22244422", {8, 0, 0, 0, 0, 0, 6, 0});
    EXPECT_EQ(b.substr(8, 22) + b.substr(30, 6), folder + "folder");
    EXPECT_EQ(b.substr(c + 10, 22), folder);
    EXPECT_EQ(le(b, c + 38, 4), 0x10u);
    EXPECT_EQ(b.substr(36 + 14, 12) + b.substr(36 + 30, 9), fields("444", {0, 2, 0}) + "empty.txt");
    EXPECT_EQ(le(b, c + 52 + 42, 4), 36u);
}

TEST(ZipWriter, PeersAcceptWhatWeWriteAndBatchesWriteTheSameBytes) {
    TestFolder f;
    make_sources(f);
    std::string noise(300000, '\0');
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    f.write("src/noise.bin", noise);
    const std::vector<std::string> names = {"text.txt", "sub/deep/bin.dat", "sub/small.txt",
                                            "empty.txt", "noise.bin"};
    const std::vector<int> ok(names.size(), kZipOk);
    ASSERT_EQ(write_archive(f.file("one-by-one.zip"), f.file("src"), names, false), ok);
    ASSERT_EQ(write_archive(f.file("batch.zip"), f.file("src"), names, true), ok);
    EXPECT_EQ(f.read("batch.zip"), f.read("one-by-one.zip"));

    expect_peers_accept(f.file("batch.zip"));
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
    expect_peers_accept(f.file("a.zip"));
    EXPECT_EQ(output_of(f.path(), "zipinfo -1 a.zip"),
              (std::vector<std::string>{"text.txt", "new.txt"}));
    ASSERT_EQ(run_in(f.path(), "unzip -q a.zip -d out"), 0);
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
    // A stub glued before an archive, whose offsets count from after the stub; an end record
    // whose entry counts are all ones, which points to ZIP64 records.
    const std::string inner = stored_zip({{"a", "a"}});
    f.write("prefixed.zip", "stub" + inner);
    f.write("many.zip", std::string(inner).replace(inner.size() - 14, 4, std::string(4, '\xFF')));
    for (const std::string name : {"prefixed.zip", "many.zip"}) {
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
