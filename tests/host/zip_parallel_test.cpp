#include <gtest/gtest.h>

#include "zip/zip.h"
#include "zip_test_support.h"

namespace {

struct Outcome {
    std::vector<int> results;
    std::vector<long> progress;
};

int record(void* context, long done) {
    static_cast<Outcome*>(context)->progress.push_back(done);
    return 0;
}

// Packs `names` below `base` into `archive` in one batch, announced ahead, with `threads`; a
// folder entry goes in after the first two.
Outcome pack(const std::string& archive, const std::string& base,
             const std::vector<std::string>& names, int threads) {
    Outcome run;
    ZipEngine z;
    zip_set_threads(z, threads);
    zip_set_progress(z, record, &run);
    EXPECT_EQ(zip_create(z, archive), kZipOk);
    zip_begin_batch(z);
    std::vector<std::string> sources;
    for (const std::string& name : names) sources.push_back(zip_source_path(base, name));
    sources.insert(sources.begin() + 3, base + "announced but never added");
    EXPECT_EQ(zip_add_ahead(z, sources), kZipOk);
    for (size_t i = 0; i < names.size(); ++i) {
        if (i == 2) run.results.push_back(zip_add_folder_entry(z, "entry/", 0x3267, 0x6000, 0x10));
        run.results.push_back(zip_add(z, base, names[i]));
    }
    EXPECT_EQ(zip_end_batch(z), kZipOk);
    return run;
}

// Other threads deflating ahead change nothing: the same results, progress calls and bytes as
// one thread, with files large and small, empty, missing in the middle, added twice, a folder, a
// stored folder entry and a name outside ASCII.
TEST(ZipParallel, PackingAheadWritesTheOneThreadBytes) {
    TestFolder f;
    make_sources(f);
    f.write(u8"src/Grüße.txt", sample_bytes(300000, 7));
    const std::vector<std::string> names = {
        "text.txt", "sub/deep/bin.dat", "empty.txt",     "vanished.txt",
        "sub",      "Grüße.txt",        "sub/small.txt", "text.txt"};
    const Outcome one = pack(f.file("one.zip"), f.file("src/"), names, 1);
    std::vector<int> expected(names.size() + 1, kZipOk);
    expected[4] = kZipBadHeader;
    EXPECT_EQ(one.results, expected);
    EXPECT_FALSE(one.progress.empty());
    for (int threads : {2, 3}) {
        const Outcome many = pack(f.file("many.zip"), f.file("src/"), names, threads);
        EXPECT_EQ(many.results, one.results) << threads;
        EXPECT_EQ(many.progress, one.progress) << threads;
        EXPECT_TRUE(f.read("many.zip") == f.read("one.zip")) << threads;
    }
    // A folder added through zip_add is deflated without data, which Info-ZIP does not test.
    EXPECT_EQ(run_in(f.path(), "unzip -tqq many.zip -x sub"), 0);
}

// a.zip: 40 deflated members in three folders, the data of member 21 damaged in the middle,
// then a name given twice, an empty, a stored and a folder member, and a file "clash" before a
// member that wants a folder of that name.
void make_mixed_archive(const TestFolder& f) {
    python_in(f, R"(
import warnings
warnings.simplefilter('ignore')
data = lambda i: (('line %d of member %d\n' % (i, i)) * (1 + i * 137)).encode()
with zipfile.ZipFile('a.zip', 'w', zipfile.ZIP_DEFLATED) as z:
    for i in range(40):
        z.writestr('d%d/m%02d.txt' % (i % 3, i), data(i))
    z.writestr('dup.txt', b'first')
    z.writestr('empty.txt', b'')
    z.writestr('stored.txt', b'kept as it is', zipfile.ZIP_STORED)
    z.writestr('folder/', b'')
    z.writestr('dup.txt', b'second and last')
    z.writestr('clash', b'a file')
    z.writestr('clash/inside.txt', b'wants a folder')
info = zipfile.ZipFile('a.zip').getinfo('d2/m20.txt')
with open('a.zip', 'r+b') as f:
    f.seek(info.header_offset + 30 + len(info.filename) + info.compress_size // 2)
    f.write(b'\xff' * 8)
)");
}

Outcome extract(const std::string& archive, const std::string& target, int threads) {
    Outcome run;
    ZipEngine z;
    zip_set_threads(z, threads);
    EXPECT_EQ(zip_open(z, archive), kZipOk);
    std::filesystem::create_directories(target);
    EXPECT_EQ(zip_extract_all(z, target, run.results), kZipOk);
    return run;
}

// Every member extracted by several threads as by one: the same files and results, a damaged
// member in the middle failing alone, a name given twice ending with its later member, and a
// file standing where a later member needs its folder.
TEST(ZipParallel, ExtractingAllAndCopyingMembersWithThreadsGiveTheOneThreadResults) {
    TestFolder f;
    make_mixed_archive(f);
    const Outcome one = extract(f.file("a.zip"), f.file("one"), 1);
    const Outcome many = extract(f.file("a.zip"), f.file("many"), 3);
    ASSERT_EQ(one.results.size(), 47u);
    std::vector<int> expected(47, kZipOk);
    expected[20] = kZipDamaged;
    EXPECT_EQ(one.results, expected);
    EXPECT_EQ(many.results, one.results);
    const std::set<std::string> files = tree(f.file("one"));
    EXPECT_EQ(tree(f.file("many")), files);
    EXPECT_EQ(files.count("d2/m20.txt"), 0u);
    EXPECT_EQ(f.read("many/dup.txt"), "second and last");
    for (const std::string& name : files)  // a folder reads as ""
        EXPECT_EQ(f.read("many/" + name), f.read("one/" + name)) << name;

    // Members copied into a new archive with other threads deflating them ahead: the same
    // results, progress calls and bytes as one thread; the damaged member fails alone.
    std::vector<Outcome> runs;
    for (int threads : {1, 3}) {
        Outcome run;
        ZipEngine from, to;
        zip_set_threads(to, threads);
        zip_set_progress(to, record, &run);
        ASSERT_EQ(zip_open(from, f.file("a.zip")), kZipOk);
        ASSERT_EQ(zip_create(to, f.file("copy" + std::to_string(threads) + ".zip")), kZipOk);
        zip_begin_batch(to);
        const std::vector<int> members = {1, 2, 21, 40, 41, 42, 43, 45, 46, 47};
        EXPECT_EQ(zip_add_ahead_members(to, from, members), kZipOk);
        for (int m : members)
            run.results.push_back(
                zip_add_member_of(to, from, m, "m" + std::to_string(m), "", 0x3267, 0x6000, 0x20));
        EXPECT_EQ(zip_end_batch(to), kZipOk);
        zip_close(to);
        runs.push_back(run);
    }
    expected.assign(10, kZipOk);
    expected[2] = kZipDamaged;
    EXPECT_EQ(runs[0].results, expected);
    EXPECT_EQ(runs[1].results, runs[0].results);
    EXPECT_FALSE(runs[0].progress.empty());
    EXPECT_EQ(runs[1].progress, runs[0].progress);
    EXPECT_TRUE(f.read("copy3.zip") == f.read("copy1.zip"));
    EXPECT_EQ(run_in(f.path(), "unzip -tqq copy3.zip"), 0);
}

}  // namespace
