#include <gtest/gtest.h>

#include "zip/zip.h"
#include "zip_test_support.h"

namespace {

// The names of a walk with zip_first and zip_next.
std::vector<std::string> walk(ZipEngine& z) {
    std::vector<std::string> out;
    for (std::string name = zip_first(z); !name.empty(); name = zip_next(z)) out.push_back(name);
    return out;
}

TEST(ZipReader, ListsAndExtractsWhatPeersWrite) {
    std::vector<Peer> peers(std::begin(kPeers), std::end(kPeers));
    peers.push_back({"zip stored", "zip -q -r -0 ../a.zip ."});
    peers.push_back(
        {"zip with comment", "zip -q -r ../a.zip . && echo 'PK c' | zip -q -z ../a.zip"});
    peers.push_back({"zip streamed, data descriptors", "zip -q -r -fz- - . | cat > ../a.zip"});
    for (const Peer& peer : peers) {
        SCOPED_TRACE(peer.name);
        TestFolder f;
        make_sources(f, &peer);
        ZipEngine z;
        ASSERT_EQ(zip_open(z, f.file("a.zip")), kZipOk);
        const std::vector<std::string> names = output_of(f.path(), "zipinfo -1 a.zip");
        EXPECT_EQ(walk(z), names);
        EXPECT_EQ(engine_listing(f.file("a.zip")), python_listing(f.file("a.zip")));
        zip_close(z);
        EXPECT_EQ(extract_all(f.file("a.zip"), f.file("out")),
                  std::vector<int>(names.size(), kZipOk));
        for (const char* name : {"text.txt", "sub/deep/bin.dat", "sub/small.txt"})
            EXPECT_EQ(f.read(std::string("out/") + name), f.read(std::string("src/") + name));
        // An empty member gives an empty file, stored (as Info-ZIP stores it) or deflated.
        EXPECT_TRUE(std::filesystem::is_regular_file(f.file("out/empty.txt")));
    }
}

// One archive, built by Python and then patched, per odd layout: what extracting member 1
// returns and what it leaves in the target.
TEST(ZipReader, RefusesOrRejectsOddMembersWritingNothing) {
    struct Case {
        const char* layout;
        const char* script;  // makes the archive `a`: a deflated m/x.txt unless it says otherwise
        int result;
        bool folders_made;  // damage found in the data shows after the folders were made
    } cases[] = {
        {"bzip2, method 12", "make(a, text, zipfile.ZIP_BZIP2)", kZipUnsupported, false},
        {"lzma, method 14", "make(a, text, zipfile.ZIP_LZMA)", kZipUnsupported, false},
        {"central and local methods differ", "patch(a, 10, '<H', 0)", kZipUnsupported, false},
        {"encryption flag, central", "patch(a, 8, '<H', 1)", kZipBadPassword, false},
        {"encryption flag, local", "patch(a, 6, '<H', 1, local=True)", kZipBadPassword, false},
        {"Unix symbolic link", "patch(a, 4, '<H', 0x314); patch(a, 38, '<I', 0o120777 << 16)",
         kZipUnsupported, false},
        {"ZIP64 packed size", "patch(a, 20, '<I', 0xFFFFFFFF)", kZipUnsupported, false},
        {"ZIP64 unpacked size", "patch(a, 24, '<I', 0xFFFFFFFF)", kZipUnsupported, false},
        {"ZIP64 header offset", "patch(a, 42, '<I', 0xFFFFFFFF)", kZipUnsupported, false},
        {"stored sizes differ", "make(a, text, zipfile.ZIP_STORED); patch(a, 24, '<I', 10)",
         kZipDamaged, false},
        {"wrong CRC", "patch(a, 16, '<I', 1234)", kZipDamaged, true},
        {"unpacked size too small", "patch(a, 24, '<I', 100)", kZipDamaged, true},
        {"unpacked size claims 2 GB", "patch(a, 24, '<I', 0x7FFFFFF0)", kZipDamaged, true},
        {"damaged deflate data",
         "make(a, bytes(range(256)) * 40); patch(a, 60, '<I', 0xFFFFFFFF, local=True)", kZipDamaged,
         true},
        {"packed size beyond the file", "patch(a, 20, '<I', 0x7FFFFFF0)", kZipShortRead, false},
        {"local header offset wrong", "patch(a, 42, '<I', 7)", kZipBadHeader, false},
    };
    TestFolder f;
    std::string script =
        "def make(path, data, method=zipfile.ZIP_DEFLATED):\n"
        "    i = zipfile.ZipInfo('m/x.txt', (2020, 1, 2, 3, 4, 6))\n"
        "    i.compress_type = method\n"
        "    with zipfile.ZipFile(path, 'w') as z: z.writestr(i, data)\n"
        "def patch(path, offset, fmt, value, local=False):\n"
        "    b = bytearray(open(path, 'rb').read())\n"
        "    at = 0 if local else b.rfind(b'PK\\x01\\x02')\n"
        "    struct.pack_into(fmt, b, at + offset, value)\n"
        "    open(path, 'wb').write(b)\n"
        "text = b'some text that deflates well ' * 200\n";
    for (size_t i = 0; i < std::size(cases); ++i)
        script += "a = '" + std::to_string(i) + ".zip'\nmake(a, text)\n" + cases[i].script + "\n";
    python_in(f, script);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].layout);
        const std::string out = f.file("out" + std::to_string(i));
        EXPECT_EQ(extract_all(f.file(std::to_string(i) + ".zip"), out),
                  std::vector<int>{cases[i].result});
        EXPECT_EQ(tree(out),
                  cases[i].folders_made ? std::set<std::string>{"m/"} : std::set<std::string>{});
    }
}

// Names in Unicode: the UTF-8 flag (Python), a Unicode Path field that belongs to the header's
// name (and one that does not), the UTF-8 bytes of a Unix archiver (Info-ZIP). Each shows in
// Windows-1252 with "?" for what it lacks and lands under its own name (UTF-8 on the host).
TEST(ZipReader, UnicodeNamesShowInTheCodePageAndExtractUnderTheirOwnNames) {
    TestFolder f;
    python_in(f, R"(import zlib
def field(crc_of, own):
    u = own.encode()
    return struct.pack('<HHBI', 0x7075, 5 + len(u), 1, zlib.crc32(crc_of.encode())) + u
with zipfile.ZipFile('py.zip', 'w') as z:
    z.writestr('Gr\u00fc\u00dfe.txt', 'gruss')
    z.writestr('\u041f\u0440\u0438/\u041c\u0438\u0440.txt', 'mir')
    for name, crc_of, own in (('Cafe.txt', 'Cafe.txt', 'Caf\u00e9.txt'),
                              ('keep.txt', 'other', 'wrong.txt')):
        i = zipfile.ZipInfo(name)
        i.extra = field(crc_of, own)
        z.writestr(i, name)
os.mkdir('src')
open('src/Stra\u00dfe.txt', 'w').write('strasse')
)");
    shell(f.file("src"), "LC_ALL=C.UTF-8 zip -q ../zip.zip *");
    const std::string gruss = u8"Grüße.txt", mir = u8"При/Мир.txt";
    const struct {
        const char* archive;
        std::vector<std::string> shown, own, folders;
    } cases[] = {
        {"py.zip",
         {"Grüße.txt", "?\?\?/?\?\?.txt", "Café.txt", "keep.txt"},
         {gruss, mir, u8"Café.txt", "keep.txt"},
         {u8"При/"}},
        {"zip.zip", {"Straße.txt"}, {u8"Straße.txt"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.archive);
        ZipEngine z;
        ASSERT_EQ(zip_open(z, f.file(c.archive)), kZipOk);
        EXPECT_EQ(walk(z), c.shown);
        for (size_t i = 0; i < c.own.size(); ++i) {
            zip_goto(z, static_cast<int>(i) + 1);
            EXPECT_EQ(zip_real_name(z), c.own[i]);
        }
        zip_close(z);
        const std::string out = f.file(std::string("out-") + c.archive);
        EXPECT_EQ(extract_all(f.file(c.archive), out), std::vector<int>(c.own.size(), kZipOk));
        std::set<std::string> landed(c.own.begin(), c.own.end());
        landed.insert(c.folders.begin(), c.folders.end());
        EXPECT_EQ(tree(out), landed);
    }
    EXPECT_EQ(f.read("out-py.zip/" + mir), "mir");
    EXPECT_EQ(f.read(u8"out-zip.zip/Straße.txt"), "strasse");
}

// Names that try to leave the target: each lands at the safe place shown, and nothing appears
// outside the target.
TEST(ZipReader, HostileNamesStayInsideTheTargetAndFoldersFollowTheirRules) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"../../up.txt", "up.txt"}, {"..\\..\\back.txt", "back.txt"},
        {"dir/../../e.txt", "dir/e.txt"}, {"/abs/y.txt", "abs/y.txt"},
        {"C:\\win\\z.txt", "win/z.txt"}, {"C:/cdrive.txt", "cdrive.txt"},
        {"\\\\server\\share\\w.txt", "w.txt"}, {"s/stream.txt:hidden", "s/stream.txt_hidden"},
        {"CON", "_CON"}, {"dev/aux.txt", "dev/_aux.txt"}, {"trail. . ", "trail"},
        {"./d/./f.txt", "d/f.txt"}};
    // clang-format on
    TestFolder f;
    std::vector<TestMember> members;
    for (const auto& [name, lands_at] : cases) members.push_back({name, name});
    f.write("a.zip", stored_zip(members));
    EXPECT_EQ(extract_all(f.file("a.zip"), f.file("sandbox/target")),
              std::vector<int>(std::size(cases), kZipOk));
    std::set<std::string> expected = {"target/"};
    for (const auto& [name, lands_at] : cases) {
        const std::string at = "target/" + lands_at;
        expected.insert(at);
        for (size_t p = at.find('/', 7); p != std::string::npos; p = at.find('/', p + 1))
            expected.insert(at.substr(0, p + 1));
        EXPECT_EQ(f.read("sandbox/" + at), name);
    }
    EXPECT_EQ(tree(f.file("sandbox")), expected);

    // A name splits into folders at "/"; a piece written with "\" is entered only when all but
    // its last folder exist at that moment. A file whose name a folder has is not written.
    f.write("folders.zip", stored_zip({{"a/b/c.txt", ""},
                                       {"x/y/", ""},
                                       {"dir\\file.txt", "in dir"},
                                       {"p\\q\\r.txt", "needs p"}}));
    std::filesystem::create_directories(f.file("t1/r.txt"));
    std::filesystem::create_directories(f.file("t2/p"));
    ZipEngine z;
    ASSERT_EQ(zip_open(z, f.file("folders.zip")), kZipOk);
    std::vector<int> t1_results, t2_results;
    for (int i = 1; i <= 4; ++i) {
        t1_results.push_back(zip_extract(z, f.file("t1"), i));
        t2_results.push_back(zip_extract(z, f.file("t2"), i));
    }
    EXPECT_EQ(t1_results, (std::vector<int>{kZipOk, kZipOk, kZipOk, kZipCannotWrite}));
    EXPECT_EQ(t2_results, std::vector<int>(4, kZipOk));
    // A stored empty member creates its folders and an empty file.
    const std::set<std::string> common = {"a/",   "a/b/", "a/b/c.txt",   "x/",
                                          "x/y/", "dir/", "dir/file.txt"};
    std::set<std::string> t1 = common, t2 = common;
    t1.insert("r.txt/");
    t2.insert({"p/", "p/q/", "p/q/r.txt"});
    EXPECT_EQ(tree(f.file("t1")), t1);
    EXPECT_EQ(tree(f.file("t2")), t2);
    EXPECT_EQ(zip_extract(z, f.file("missing"), 3), kZipNoTarget);
    EXPECT_FALSE(std::filesystem::exists(f.file("missing")));
}

// `name` holding `data`, deflated by zlib (its stream without the 2-byte header and 4-byte
// checksum around it); `slack` bytes follow the end of the stream.
TestMember deflated(const std::string& name, const std::string& data, size_t slack = 0) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string z(size, '\0');
    EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(&z[0]), &size,
                        reinterpret_cast<const Bytef*>(data.data()), data.size(), 9),
              Z_OK);
    return {name, data, 2005, 3, 7, 12, 30, z.substr(2, size - 6) + std::string(slack, '\0')};
}

// One open archive must give every member exactly what a fresh open gives it, in order, after
// a damaged member (which never replaces the file of its name), after a good member whose
// deflate stream ends before its packed size, and after members that made the folders a later
// "\\" name needs.
TEST(ZipReader, EachMemberExtractsAsAfterAFreshOpen) {
    TestFolder f;
    const std::string one(std::string(3000, 'o') + "first member"), two = sample_bytes(12800, 4);
    TestMember bad = deflated("bad.bin", two);
    bad.deflated.replace(40, 8, std::string(8, '\xFF'));
    f.write("damaged.zip", stored_zip({deflated("one.txt", one), bad, deflated("two.bin", two)}));
    f.write("slack.zip", stored_zip({deflated("one.txt", one, 9), deflated("two.bin", two)}));
    f.write("folders.zip", stored_zip({deflated("a\\b\\c.txt", one), deflated("a/x.txt", two),
                                       deflated("a\\b\\d.txt", one)}));
    shell(f.path(), "unzip -tqq slack.zip");
    for (const std::string target : {"damaged.zip.one", "damaged.zip.fresh"})
        f.write(target + "/bad.bin", "precious");
    for (const std::string name : {"damaged.zip", "slack.zip", "folders.zip"}) {
        SCOPED_TRACE(name);
        const std::vector<int> results = extract_all(f.file(name), f.file(name + ".one"));
        std::vector<int> fresh_results;
        std::filesystem::create_directories(f.file(name + ".fresh"));
        ZipEngine z;
        ASSERT_EQ(zip_open(z, f.file(name)), kZipOk);
        for (int i = 1, count = zip_count(z); i <= count; ++i) {
            ZipEngine again;
            ASSERT_EQ(zip_open(again, f.file(name)), kZipOk);
            fresh_results.push_back(zip_extract(again, f.file(name + ".fresh"), i));
        }
        EXPECT_EQ(results, fresh_results);
        EXPECT_EQ(tree(f.file(name + ".one")), tree(f.file(name + ".fresh")));
        for (const std::string& file : tree(f.file(name + ".fresh")))
            EXPECT_TRUE(f.read(name + ".one/" + file) == f.read(name + ".fresh/" + file)) << file;
    }
    EXPECT_EQ(tree(f.file("damaged.zip.one")),
              (std::set<std::string>{"one.txt", "bad.bin", "two.bin"}));
    EXPECT_EQ(f.read("damaged.zip.one/bad.bin"), "precious");
    EXPECT_EQ(f.read("slack.zip.one/two.bin"), two);
    // The first member lands in the target (no "a" yet), the third in a\b once "a" exists.
    EXPECT_EQ(tree(f.file("folders.zip.one")),
              (std::set<std::string>{"c.txt", "a/", "a/x.txt", "a/b/", "a/b/d.txt"}));
}

TEST(ZipReader, WalkGotoCountAndDates) {
    std::vector<TestMember> members;
    for (int i = 0; i < 300; ++i)
        members.push_back({"n" + std::to_string(1000 + i) + std::string(i % 50, 'x'), "m"});
    members[0] = {"new", "1", 2107, 6, 7, 23, 59};
    members[1] = {"zero", "2", 1980, 0, 0, 0, 0};
    TestFolder f;
    f.write("a.zip", stored_zip(members));
    ZipEngine z;
    ASSERT_EQ(zip_open(z, f.file("a.zip")), kZipOk);
    const std::vector<std::string> names = walk(z);
    ASSERT_EQ(names.size(), 300u);
    EXPECT_EQ(zip_count(z), 300);
    for (int i : {300, 1, 150, 151, 2})
        EXPECT_EQ(zip_goto(z, i), names[static_cast<size_t>(i - 1)]);
    EXPECT_EQ(zip_next(z), names[2]);
    ZipMemberInfo info;
    for (int i : {0, -1, 301}) {
        EXPECT_EQ(zip_goto(z, i), "");
        EXPECT_EQ(zip_member_info(z, info), kZipNoMember);
        EXPECT_EQ(zip_next(z), "");
        EXPECT_EQ(zip_extract(z, f.path(), i), kZipNoMember);
    }
    // Every year bit counts; a zero date stays zero.
    for (int i : {1, 2}) {
        zip_goto(z, i);
        zip_member_info(z, info);
        const TestMember& m = members[static_cast<size_t>(i - 1)];
        EXPECT_EQ((std::vector<int>{info.year, info.month, info.day, info.hour, info.minute}),
                  (std::vector<int>{m.year, m.month, m.day, m.hour, m.minute}));
    }
}

TEST(ZipReader, ArchivesBehindAPrefixTruncatedArchivesAndTheEndRecordScan) {
    TestFolder f;
    make_sources(f);
    shell(f.file("src"),
          "zip -q -r ../plain.zip . && (printf 'MZ stub%.0s' $(seq 50); "
          "cat ../plain.zip) > ../stub.zip");
    python_in(f,
              "open('py.zip', 'wb').write(b'#!/bin/sh\\nexit 0\\n' * 9)\n"
              "with zipfile.ZipFile('py.zip', 'a') as z:\n"
              "    z.writestr('a/inner.txt', b'behind a prefix')\n");
    for (const std::string name : {"stub.zip", "py.zip"}) {
        SCOPED_TRACE(name);
        ZipEngine z;
        ASSERT_EQ(zip_open(z, f.file(name)), kZipOk);
        EXPECT_EQ(walk(z), output_of(f.path(), "zipinfo -1 " + name));
        zip_close(z);
        for (int result : extract_all(f.file(name), f.file(name + ".out")))
            EXPECT_EQ(result, kZipOk);
    }
    EXPECT_EQ(f.read("stub.zip.out/sub/deep/bin.dat"), f.read("src/sub/deep/bin.dat"));
    EXPECT_EQ(f.read("py.zip.out/a/inner.txt"), "behind a prefix");

    // Cut in the middle of the data: no end record is left.
    const std::string whole = f.read("plain.zip");
    f.write("cut.zip", whole.substr(0, whole.size() / 2));
    ZipEngine z;
    EXPECT_EQ(zip_open(z, f.file("cut.zip")), kZipBadHeader);
    // The directory and end record kept, the data of the last member cut away.
    std::string hollow = whole;
    const size_t directory = le(whole, whole.size() - 6, 4);
    hollow.erase(directory - 20000, 20000);
    f.write("hollow.zip", hollow.replace(hollow.size() - 6, 4, fields("4", {directory - 20000})));
    const std::vector<int> results = extract_all(f.file("hollow.zip"), f.file("h"));
    EXPECT_GE(std::count(results.begin(), results.end(), kZipShortRead), 1);

    // Where the end record is looked for: the last signature at or before 22 bytes from the end,
    // also when it lies near the edges of the blocks the scan reads.
    const std::string fake("PK\x05\x06", 4);  // an end record whose directory is elsewhere
    const size_t tail = 70000;
    std::string archive = stored_zip({{"m", "member"}});
    archive.replace(archive.size() - 2, 2, fields("2", {tail}));
    archive += std::string(tail, 'c');
    const std::pair<size_t, int> cases[] = {
        // Where the fake signature starts, counted back from the end; the count then read (0
        // when the fake is taken, 1 when the real record is).
        {22, 0},         {21, 1},         {22 + 65535, 0}, {22 + 65536, 0},
        {22 + 65534, 0}, {22 + 65537, 0}, {69000, 0},
    };
    for (const auto& [from_end, count] : cases) {
        SCOPED_TRACE(from_end);
        std::string bytes = archive;
        f.write("a.zip", bytes.replace(bytes.size() - from_end, 4, fake));
        ASSERT_EQ(zip_open(z, f.file("a.zip")), kZipOk);
        EXPECT_EQ(zip_count(z), count);
    }
    f.write("empty.zip", fake + std::string(18, '\0'));
    f.write("short.zip", "junk" + fake + std::string(18, '\0'));
    f.write("tiny.zip", fake + std::string(17, '\0'));
    f.write("in-last-21.zip", std::string(30, 'x') + fake + std::string(17, '\0'));
    ASSERT_EQ(zip_open(z, f.file("empty.zip")), kZipOk);
    EXPECT_EQ(zip_count(z), 0);
    EXPECT_EQ(zip_first(z), "");
    EXPECT_EQ(zip_extract(z, f.path(), 1), kZipNoMember);
    EXPECT_EQ(zip_open(z, f.file("short.zip")), kZipOk);
    EXPECT_EQ(zip_open(z, f.file("tiny.zip")), kZipBadHeader);
    EXPECT_EQ(zip_open(z, f.file("in-last-21.zip")), kZipBadHeader);
    EXPECT_EQ(zip_open(z, f.file("does-not-exist.zip")), kZipBadHeader);
    EXPECT_EQ(zip_count(z), 0);
}

// The bytes done at each progress call; the call after `stop_after` asks to stop.
struct Stopper {
    long stop_after;
    std::vector<long> seen;
    static int record(void* context, long done) {
        static_cast<Stopper*>(context)->seen.push_back(done);
        return done > static_cast<Stopper*>(context)->stop_after ? 1 : 0;
    }
};

TEST(ZipReader, ProgressReportsBytesAndCanStop) {
    TestFolder f;
    f.write("big.bin", sample_bytes(300000, 3));
    shell(f.path(), "zip -q -9 a.zip big.bin");
    std::filesystem::create_directory(f.file("out"));
    ZipEngine z;
    Stopper all{1L << 30, {}};
    zip_set_progress(z, Stopper::record, &all);
    ASSERT_EQ(zip_open(z, f.file("a.zip")), kZipOk);
    EXPECT_EQ(zip_extract(z, f.file("out"), 1), kZipOk);
    ASSERT_GE(all.seen.size(), 2u);
    EXPECT_TRUE(std::is_sorted(all.seen.begin(), all.seen.end()));
    EXPECT_EQ(all.seen.back(), 300000);

    std::filesystem::remove(f.file("out/big.bin"));
    Stopper early{1000, {}};
    zip_set_progress(z, Stopper::record, &early);
    EXPECT_EQ(zip_extract(z, f.file("out"), 1), kZipStopped);
    EXPECT_EQ(tree(f.file("out")), std::set<std::string>{});
}

}  // namespace
