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
    EXPECT_EQ(zip_end_batch(z), kZipOk);  // without a batch, nothing to end
    zip_close(z);
    return results;
}

// Every byte of an archive of a folder (method 8 without data or date, the folder bit), an empty
// file (the 2-byte empty deflate stream) and a text; a missing source adds nothing. The peers
// check where further members go, below.
TEST(ZipWriter, ArchiveLayoutAndUnicodePathFields) {
    TestFolder f;
    std::filesystem::create_directory(f.file("folder"));
    f.write("empty.txt", "");
    f.write("hello.txt", "hello");
    ASSERT_EQ(
        write_archive(f.file("a.zip"), f.path(), {"folder", "empty.txt", "hello.txt", "no"}, false),
        (std::vector<int>{kZipOk, kZipOk, kZipOk, kZipBadHeader}));
    const std::string b = f.read("a.zip");
    EXPECT_EQ(hex(b.substr(36 + 30 + 9, 2)), "0300");
    std::string local, central;
    for (const std::string name : {"folder", "empty.txt", "hello.txt"}) {
        const bool file = name != "folder";
        const DosDateTime stamp = file ? file_time_to_dos(f.file(name)) : DosDateTime{};
        const std::string content = file ? f.read(name) : "";
        const size_t at = local.size(), packed = le(b, at + 18, 4);
        const std::string common =
            fields("222244422", {2, 8, stamp.time, stamp.date, crc_of(content), packed,
                                 content.size(), name.size(), 0});
        local += fields("42", {0x04034B50, 14}) + common + name +
                 b.substr(at + 30 + name.size(), packed);
        central += fields("422", {0x02014B50, 14, 0}) + common +
                   fields("22244", {0, 0, 0, file ? 0x20u : 0x10u, at}) + name;
    }
    EXPECT_EQ(hex(b),
              hex(local + central +
                  fields("42222442", {0x06054B50, 0, 0, 3, 3, central.size(), local.size(), 0})));

    // A name outside ASCII keeps its Windows-1252 bytes and gets a Unicode Path field, the same
    // in both headers, by which Info-ZIP and 7-Zip show it; the engine reads its own name back.
    const std::string name = "Grüße.txt", utf8 = u8"Grüße.txt";
    f.write(utf8, "gruss");  // the host's file system names files in UTF-8
    ASSERT_EQ(write_archive(f.file("u.zip"), f.path(), {name}, false), std::vector<int>{kZipOk});
    const std::string u = f.read("u.zip");
    const std::string field = fields("2214", {0x7075, 5 + utf8.size(), 1, crc_of(name)}) + utf8;
    EXPECT_EQ(le(u, 28, 2), field.size());
    EXPECT_EQ(hex(u.substr(30, name.size() + field.size())), hex(name + field));
    EXPECT_EQ(hex(u.substr(u.rfind(name), name.size() + field.size())), hex(name + field));
    EXPECT_EQ(output_of(f.path(), "LC_ALL=C.UTF-8 unzip -Z1 u.zip"),
              std::vector<std::string>{utf8});
    EXPECT_EQ(output_of(f.path(), "7zz l -slt u.zip | sed -n 's/^Path = //p'"),
              (std::vector<std::string>{"u.zip", utf8}));
    expect_peers_accept(f.file("u.zip"));
    ZipEngine z;
    ASSERT_EQ(zip_open(z, f.file("u.zip")), kZipOk);
    EXPECT_EQ(zip_first(z), name);
    EXPECT_EQ(zip_real_name(z), utf8);
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
    shell(f.path(), "unzip -q batch.zip -d out");
    for (const std::string& name : names)
        EXPECT_EQ(f.read("out/" + name), f.read("src/" + name)) << name;
}

TEST(ZipWriter, AddingToAPeerArchive) {
    TestFolder f;
    f.write("text.txt", sample_bytes(50000, 4));
    f.write("new.txt", "added later");
    // A long archive comment: the file is never shortened, its rest stays behind the new end.
    shell(f.path(), "zip -q -9 a.zip text.txt");
    python_in(f, "with zipfile.ZipFile('a.zip', 'a') as z: z.comment = b'c' * 3000\n");
    const std::string before = f.read("a.zip");
    ZipEngine z;
    ASSERT_EQ(zip_open(z, f.file("a.zip")), kZipOk);
    ASSERT_EQ(zip_add(z, f.path(), "new.txt"), kZipOk);
    zip_close(z);
    const std::string after = f.read("a.zip");
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(after.size() - 1000), std::string(1000, 'c'));
    expect_peers_accept(f.file("a.zip"));
    EXPECT_EQ(python_members(f.file("a.zip")),
              (std::vector<std::string>{"text.txt " + hex(f.read("text.txt")),
                                        "new.txt " + hex("added later")}));
}

// Inside a batch a failed addition costs only its own member, and reading ends the batch.
TEST(ZipWriter, BatchSurvivesFailedAdditionsAndArchivesThatCannotGrowAreRefused) {
    TestFolder f;
    f.write("a.txt", "first");
    f.write("big.bin", sample_bytes(300000, 6));
    f.write("b.txt", "second");
    ASSERT_EQ(write_archive(f.file("plain.zip"), f.path(), {"a.txt", "b.txt"}, false),
              (std::vector<int>{kZipOk, kZipOk}));
    ZipEngine z;
    zip_set_progress(
        z, [](void*, long done) { return done > 100000 ? 1 : 0; }, nullptr);
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

    // Archives it cannot extend are refused and kept as they were: a stub glued before an
    // archive, whose offsets count from after the stub; an end record whose entry counts are all
    // ones, without the ZIP64 records they point to. Nothing open, or no folder: refused too.
    const std::string inner = stored_zip({{"a", "a"}});
    f.write("prefixed.zip", "stub" + inner);
    f.write("many.zip", std::string(inner).replace(inner.size() - 14, 4, std::string(4, '\xFF')));
    for (const std::string name : {"prefixed.zip", "many.zip"}) {
        SCOPED_TRACE(name);
        const std::string before = f.read(name);
        ASSERT_EQ(zip_open(z, f.file(name)), kZipOk);
        EXPECT_EQ(zip_add(z, f.path(), "a.txt"), kZipUnsupported);
        zip_close(z);
        EXPECT_EQ(f.read(name), before);
    }
    EXPECT_EQ(zip_add(z, f.path(), "a.txt"), kZipNoMember);
    EXPECT_EQ(zip_create(z, f.file("no/such/folder.zip")), kZipBadHeader);
}

// A write that fails anywhere during an addition (a full disk), or a stop asked for by the
// progress callback, leaves the archive exactly as it was.
TEST(ZipWriter, FailedAdditionLeavesTheArchiveAsBefore) {
    TestFolder f;
    f.write("big.bin", sample_bytes(400000, 5));
    f.write("small.txt", "small");
    shell(f.path(), "zip -q a.zip small.txt && cp a.zip peer.zip");
    for (int c = 0; c < 4; ++c) {
        const char* archive = c < 2 ? "" : "peer.zip";  // "" for a new one
        const bool batch = c % 2;
        SCOPED_TRACE(std::string(archive) + (batch ? " in a batch" : ""));
        for (int64_t budget :
             {0, 10, 29, 40, 1000, 65536, 65537, 200000, 240000, 260000, 270000, 300000, 400000}) {
            SCOPED_TRACE(budget);
            f.write("a.zip", *archive ? f.read(archive) : std::string());
            const std::string before = f.read("a.zip");
            ZipEngine z;
            if (*archive)
                ASSERT_EQ(zip_open(z, f.file("a.zip")), kZipOk);
            else
                ASSERT_EQ(zip_create(z, f.file("a.zip")), kZipOk);
            if (batch) zip_begin_batch(z);
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
    zip_set_progress(
        z, [](void*, long) { return 1; }, nullptr);
    EXPECT_EQ(zip_add(z, f.path(), "big.bin"), kZipStopped);
    zip_close(z);
    EXPECT_EQ(f.read("peer.zip"), before);
}

}  // namespace
