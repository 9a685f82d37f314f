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
    f.write(
        "src/Gr\xC3\xBC\xC3\x9F"
        "e.txt",
        sample_bytes(300000, 7));
    const std::vector<std::string> names = {"text.txt",
                                            "sub/deep/bin.dat",
                                            "empty.txt",
                                            "vanished.txt",
                                            "sub",
                                            "Gr\xFC\xDF"
                                            "e.txt",
                                            "sub/small.txt",
                                            "text.txt"};
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
TEST(ZipParallel, ExtractingAllWithThreadsGivesTheOneThreadFiles) {
    TestFolder f;
    ASSERT_EQ(python_in(f, R"(
import warnings
warnings.simplefilter('ignore')
data = lambda i: (('line %d of member %d\n' % (i, i)) * (1 + i * 37)).encode()
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
)"),
              0);
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
    for (const std::string& name : files) {
        if (name.back() != '/') {
            EXPECT_EQ(f.read("many/" + name), f.read("one/" + name)) << name;
        }
    }
}

}  // namespace
