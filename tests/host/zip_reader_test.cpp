#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "zip/zip.h"
#include "zip_test_support.h"

namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// The names of a walk with zip_first and zip_next.
std::vector<std::string> walk(ZipEngine& z) {
    std::vector<std::string> out;
    for (std::string name = zip_first(z); !name.empty(); name = zip_next(z)) out.push_back(name);
    return out;
}

// Python's view of every member: name, CRC, unpacked and packed size, external attributes.
std::vector<std::string> python_listing(const TestFolder& f, const std::string& archive) {
    f.write(
        "list.py",
        "import zipfile, sys\n"
        "for i in zipfile.ZipFile(sys.argv[1]).infolist():\n"
        "    print(f'{i.filename} {i.CRC} {i.file_size} {i.compress_size} {i.external_attr}')\n");
    return lines(output_of(f.path(), "python3 list.py " + archive));
}

std::vector<std::string> engine_listing(ZipEngine& z) {
    std::vector<std::string> out;
    ZipMemberInfo info;
    for (std::string name = zip_first(z); !name.empty(); name = zip_next(z)) {
        EXPECT_EQ(zip_member_info(z, info), kZipOk);
        out.push_back(name + " " + std::to_string(info.crc) + " " + std::to_string(info.unpacked) +
                      " " + std::to_string(info.packed) + " " + std::to_string(info.attributes));
    }
    return out;
}

// The files the peers pack: text, a half-random binary in a sub-folder, a tiny and an empty file.
void make_sources(const TestFolder& f) {
    std::filesystem::create_directories(f.file("src/sub/deep"));
    f.write("src/text.txt", sample_bytes(100000, 1));
    f.write("src/sub/deep/bin.dat", sample_bytes(70001, 2));
    f.write("src/small.txt", "hi");
    f.write("src/empty.txt", "");
}

TEST(ZipReader, ListsAndExtractsWhatPeersWrite) {
    const char* python_writer =
        "python3 -c \"import zipfile, os\n"
        "with zipfile.ZipFile('../a.zip', 'w') as z:\n"
        "    for root, dirs, files in os.walk('.'):\n"
        "        for n in sorted(files):\n"
        "            p = os.path.join(root, n)[2:]\n"
        "            z.write(p, p, zipfile.ZIP_DEFLATED if n != 'small.txt' else "
        "zipfile.ZIP_STORED)\"";
    struct Case {
        const char* peer;
        std::string command;
    } cases[] = {
        {"zip stored", "zip -q -r -0 ../a.zip ."},
        {"zip deflated", "zip -q -r -9 ../a.zip ."},
        {"zip with comment", "zip -q -r ../a.zip . && echo 'PK a comment' | zip -q -z ../a.zip"},
        {"zip streamed, data descriptors", "zip -q -r -fz- - . | cat > ../a.zip"},
        {"7-Zip", "7zz a -tzip ../a.zip ."},
        {"python", python_writer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.peer);
        TestFolder f;
        make_sources(f);
        ASSERT_EQ(run_in(f.file("src"), c.command), 0);
        ZipEngine z;
        ASSERT_EQ(zip_open(z, f.file("a.zip")), kZipOk);
        std::vector<std::string> names = lines(output_of(f.path(), "zipinfo -1 a.zip"));
        EXPECT_EQ(zip_count(z), static_cast<int>(names.size()));
        EXPECT_EQ(walk(z), names);
        EXPECT_EQ(engine_listing(z), python_listing(f, "a.zip"));

        std::filesystem::create_directory(f.file("out"));
        for (int i = 1; i <= zip_count(z); ++i) EXPECT_EQ(zip_extract(z, f.file("out"), i), kZipOk);
        zip_close(z);
        for (const char* name : {"text.txt", "sub/deep/bin.dat", "small.txt"})
            EXPECT_EQ(f.read(std::string("out/") + name), f.read(std::string("src/") + name))
                << name;
        // An empty member gives an empty file when it is deflated; a stored one writes nothing.
        bool empty_is_stored =
            output_of(f.path(), "zipinfo a.zip empty.txt").find("stor") != std::string::npos;
        EXPECT_EQ(std::filesystem::exists(f.file("out/empty.txt")), !empty_is_stored);
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
        {"encryption flag, central", "patch(a, 8, '<H', 1)", kZipUnsupported, false},
        {"encryption flag, local", "patch(a, 6, '<H', 1, local=True)", kZipUnsupported, false},
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
    for (size_t i = 0; i < std::size(cases); ++i) {
        std::string a = "'" + std::to_string(i) + ".zip'";
        script += "a = " + a + "\nmake(a, text)\n" + cases[i].script + "\n";
    }
    ASSERT_EQ(python_in(f, script), 0);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.layout);
        std::string out = f.file("out" + std::to_string(i));
        std::filesystem::create_directory(out);
        ZipEngine z;
        ASSERT_EQ(zip_open(z, f.file(std::to_string(i) + ".zip")), kZipOk);
        EXPECT_EQ(zip_extract(z, out, 1), c.result);
        EXPECT_EQ(tree(out),
                  c.folders_made ? std::set<std::string>{"m/"} : std::set<std::string>{});
    }
}

// Names that try to leave the target: each lands at the safe place shown, and nothing appears
// outside the target.
TEST(ZipReader, HostileNamesStayInsideTheTarget) {
    struct Case {
        const char* name;
        const char* lands_at;
    } cases[] = {
        {"../../up.txt", "up.txt"},
        {"..\\..\\back.txt", "back.txt"},
        {"dir/../../e.txt", "dir/e.txt"},
        {"/abs/y.txt", "abs/y.txt"},
        {"C:\\win\\z.txt", "win/z.txt"},
        {"C:/cdrive.txt", "cdrive.txt"},
        {"\\\\server\\share\\w.txt", "w.txt"},
        {"s/stream.txt:hidden", "s/stream.txt_hidden"},
        {"CON", "_CON"},
        {"dev/aux.txt", "dev/_aux.txt"},
        {"trail. . ", "trail"},
        {"./d/./f.txt", "d/f.txt"},
    };
    TestFolder f;
    std::string script = "with zipfile.ZipFile('a.zip', 'w', zipfile.ZIP_DEFLATED) as z:\n";
    for (const Case& c : cases) {
        std::string name = c.name;
        std::string escaped;
        for (char ch : name) escaped += ch == '\\' ? std::string("\\\\") : std::string(1, ch);
        script += "    z.writestr(zipfile.ZipInfo('" + escaped + "'), b'" + escaped + "')\n";
    }
    ASSERT_EQ(python_in(f, script), 0);
    std::filesystem::create_directories(f.file("sandbox/target"));
    ZipEngine z;
    ASSERT_EQ(zip_open(z, f.file("a.zip")), kZipOk);
    ASSERT_EQ(zip_count(z), static_cast<int>(std::size(cases)));
    for (int i = 1; i <= zip_count(z); ++i)
        EXPECT_EQ(zip_extract(z, f.file("sandbox/target"), i), kZipOk);
    zip_close(z);

    std::set<std::string> expected = {"target/"};
    for (const Case& c : cases) {
        std::string at = std::string("target/") + c.lands_at;
        expected.insert(at);
        for (size_t p = at.find('/', 7); p != std::string::npos; p = at.find('/', p + 1))
            expected.insert(at.substr(0, p + 1));
        EXPECT_EQ(f.read("sandbox/" + at), c.name);
    }
    EXPECT_EQ(tree(f.file("sandbox")), expected);
}

TEST(ZipReader, FolderRulesForSlashAndBackslashNames) {
    TestFolder f;
    ASSERT_EQ(python_in(f,
                        "with zipfile.ZipFile('a.zip', 'w') as z:\n"
                        "    z.writestr('a/b/c.txt', b'')\n"
                        "    z.writestr('x/y/', b'')\n"
                        "    z.writestr('dir\\\\file.txt', b'in dir')\n"
                        "    z.writestr('p\\\\q\\\\r.txt', b'needs p')\n"),
              0);
    std::filesystem::create_directories(f.file("t1"));
    std::filesystem::create_directories(f.file("t2/p"));
    ZipEngine z;
    ASSERT_EQ(zip_open(z, f.file("a.zip")), kZipOk);
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(zip_extract(z, f.file("t1"), i), kZipOk);
        EXPECT_EQ(zip_extract(z, f.file("t2"), i), kZipOk);
    }
    // A stored empty member creates its folders and no file; "p\q" is entered only when p exists.
    EXPECT_EQ(tree(f.file("t1")),
              (std::set<std::string>{"a/", "a/b/", "x/", "x/y/", "dir/", "dir/file.txt", "r.txt"}));
    EXPECT_EQ(tree(f.file("t2")),
              (std::set<std::string>{"a/", "a/b/", "x/", "x/y/", "dir/", "dir/file.txt", "p/",
                                     "p/q/", "p/q/r.txt"}));
    EXPECT_EQ(zip_extract(z, f.file("missing"), 3), kZipNoTarget);
    EXPECT_FALSE(std::filesystem::exists(f.file("missing")));
}

// One open archive must give every member exactly what a fresh open gives it, in order, after
// a damaged member, after a good member whose deflate stream ends before its packed size, and
// after members that made the folders a later "\\" name needs.
TEST(ZipReader, EachMemberExtractsAsAfterAFreshOpen) {
    TestFolder f;
    ASSERT_EQ(python_in(f,
                        "import zlib\n"
                        "def raw(data, slack=b''):\n"
                        "    c = zlib.compressobj(9, zlib.DEFLATED, -15)\n"
                        "    return c.compress(data) + c.flush() + slack\n"
                        "def archive(path, members):\n"
                        "    out, directory = b'', b''\n"
                        "    for name, data, packed in members:\n"
                        "        name = name.encode()\n"
                        "        crc = zlib.crc32(data)\n"
                        "        head = struct.pack('<HHHHHIII', 20, 0, 8, 0, 0x3267, crc,\n"
                        "                           len(packed), len(data))\n"
                        "        directory += b'PK\\x01\\x02' + struct.pack('<H', 20) + head + "
                        "struct.pack('<HHHHHII', len(name), 0, 0, 0, 0, 0x20, len(out)) + name\n"
                        "        out += b'PK\\x03\\x04' + head + struct.pack('<HH', len(name), 0)"
                        " + name + packed\n"
                        "    end = struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, len(members),\n"
                        "                      len(members), len(directory), len(out), 0)\n"
                        "    open(path, 'wb').write(out + directory + end)\n"
                        "one = b'first member ' * 300\n"
                        "two = bytes(range(256)) * 50\n"
                        "bad = bytearray(raw(two)); bad[40:48] = b'\\xff' * 8\n"
                        "archive('damaged.zip', [('one.txt', one, raw(one)),\n"
                        "    ('bad.bin', two, bytes(bad)), ('two.bin', two, raw(two))])\n"
                        "archive('slack.zip', [('one.txt', one, raw(one, b'\\0' * 9)),\n"
                        "    ('two.bin', two, raw(two))])\n"
                        "archive('folders.zip', [('a\\\\b\\\\c.txt', one, raw(one)),\n"
                        "    ('a/x.txt', two, raw(two)), ('a\\\\b\\\\d.txt', one, "
                        "raw(one))])\n"),
              0);
    ASSERT_EQ(run_in(f.path(), "unzip -tqq slack.zip"), 0);
    for (const char* name : {"damaged.zip", "slack.zip", "folders.zip"}) {
        SCOPED_TRACE(name);
        const std::string one_open = f.file(std::string(name) + ".one");
        const std::string fresh = f.file(std::string(name) + ".fresh");
        std::filesystem::create_directories(one_open);
        std::filesystem::create_directories(fresh);
        ZipEngine z;
        ASSERT_EQ(zip_open(z, f.file(name)), kZipOk);
        std::vector<int> results;
        for (int i = 1; i <= zip_count(z); ++i) results.push_back(zip_extract(z, one_open, i));
        zip_close(z);
        std::vector<int> fresh_results;
        for (int i = 1; i <= 3; ++i) {
            ZipEngine again;
            ASSERT_EQ(zip_open(again, f.file(name)), kZipOk);
            if (i <= zip_count(again)) fresh_results.push_back(zip_extract(again, fresh, i));
        }
        EXPECT_EQ(results, fresh_results);
        EXPECT_EQ(tree(one_open), tree(fresh));
        for (const std::string& file : tree(fresh)) {
            if (file.back() == '/') continue;
            EXPECT_TRUE(f.read(std::string(name) + ".one/" + file) ==
                        f.read(std::string(name) + ".fresh/" + file))
                << file;
        }
    }
    EXPECT_EQ(tree(f.file("damaged.zip.one")), (std::set<std::string>{"one.txt", "two.bin"}));
    EXPECT_EQ(tree(f.file("slack.zip.one")), (std::set<std::string>{"one.txt", "two.bin"}));
    // The first member lands in the target (no "a" yet), the third in a\b once "a" exists.
    EXPECT_EQ(tree(f.file("folders.zip.one")),
              (std::set<std::string>{"c.txt", "a/", "a/x.txt", "a/b/", "a/b/d.txt"}));
}

TEST(ZipReader, DatesAreUnpackedWithAllYearBitsAndNoSeconds) {
    TestFolder f;
    ASSERT_EQ(python_in(f,
                        "with zipfile.ZipFile('a.zip', 'w') as z:\n"
                        "    z.writestr(zipfile.ZipInfo('new', (2015, 6, 7, 23, 59, 58)), b'1')\n"
                        "    z.writestr(zipfile.ZipInfo('zero', (1980, 1, 1, 0, 0, 0)), b'2')\n"
                        "b = bytearray(open('a.zip', 'rb').read())\n"
                        "at = b.rfind(b'PK\\x01\\x02')\n"
                        "b[at + 12:at + 16] = bytes(4)\n"
                        "open('a.zip', 'wb').write(b)\n"),
              0);
    ZipEngine z;
    ASSERT_EQ(zip_open(z, f.file("a.zip")), kZipOk);
    ZipMemberInfo info;
    ASSERT_EQ(zip_goto(z, 1), "new");
    zip_member_info(z, info);
    EXPECT_EQ(
        (std::vector<int>{info.year, info.month, info.day, info.hour, info.minute, info.second}),
        (std::vector<int>{2015, 6, 7, 23, 59, 0}));
    ASSERT_EQ(zip_goto(z, 2), "zero");
    zip_member_info(z, info);
    EXPECT_EQ((std::vector<int>{info.year, info.month, info.day, info.hour, info.minute}),
              (std::vector<int>{1980, 0, 0, 0, 0}));
}

TEST(ZipReader, WalkGotoAndCountAgree) {
    TestFolder f;
    ASSERT_EQ(
        python_in(f,
                  "with zipfile.ZipFile('a.zip', 'w') as z:\n"
                  "    for i in range(300): z.writestr(f'n{i:03}.txt' + 'x' * (i % 50), str(i))\n"),
        0);
    ZipEngine z;
    ASSERT_EQ(zip_open(z, f.file("a.zip")), kZipOk);
    std::vector<std::string> names = walk(z);
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
        EXPECT_EQ(zip_extract(z, f.path(), 0), kZipNoMember);
    }
    EXPECT_EQ(zip_extract(z, f.path(), 301), kZipNoMember);
}

// Where the end record is looked for: the last signature at or before 22 bytes from the end,
// also when it lies near the edges of the blocks the scan reads.
TEST(ZipReader, EndRecordScanFindsTheLastSignature) {
    TestFolder f;
    ASSERT_EQ(python_in(f, "zipfile.ZipFile('one.zip', 'w').writestr('m', b'member')\n"), 0);
    const std::string archive = f.read("one.zip");
    const std::string fake("PK\x05\x06", 4);  // an end record whose directory is elsewhere
    const size_t tail = 70000;
    struct Case {
        const char* where;
        size_t from_end;  // where the fake signature starts, counted back from the end
        int count;        // 0 when the fake is taken, 1 when the real record is
    } cases[] = {
        {"22 from the end", 22, 0},
        {"21 from the end", 21, 1},
        {"at the first block edge", 22 + 65535, 0},
        {"just past it", 22 + 65536, 0},
        {"just before it", 22 + 65534, 0},
        {"three bytes over", 22 + 65537, 0},
        {"deep in the comment", 69000, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        std::string bytes = archive;
        put_le(bytes, bytes.size() - 2, tail, 2);
        bytes += std::string(tail, 'c');
        bytes.replace(bytes.size() - c.from_end, 4, fake);
        f.write("a.zip", bytes);
        ZipEngine z;
        ASSERT_EQ(zip_open(z, f.file("a.zip")), kZipOk);
        EXPECT_EQ(zip_count(z), c.count);
    }
    f.write("short.zip", std::string("junkPK\x05\x06", 8) + std::string(18, '\0'));
    f.write("tiny.zip", std::string("PK\x05\x06", 4) + std::string(17, '\0'));
    ZipEngine z;
    EXPECT_EQ(zip_open(z, f.file("short.zip")), kZipOk);
    EXPECT_EQ(zip_open(z, f.file("tiny.zip")), kZipBadHeader);
    f.write("sig-in-last-21.zip",
            std::string(30, 'x') + std::string("PK\x05\x06", 4) + std::string(17, '\0'));
    EXPECT_EQ(zip_open(z, f.file("sig-in-last-21.zip")), kZipBadHeader);
    EXPECT_EQ(zip_open(z, f.file("does-not-exist.zip")), kZipBadHeader);
    EXPECT_EQ(zip_count(z), 0);
}

TEST(ZipReader, EmptyArchiveOpensWithNoMembers) {
    TestFolder f;
    f.write("empty.zip", std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    ZipEngine z;
    ASSERT_EQ(zip_open(z, f.file("empty.zip")), kZipOk);
    EXPECT_EQ(zip_count(z), 0);
    EXPECT_EQ(zip_first(z), "");
    EXPECT_EQ(zip_extract(z, f.path(), 1), kZipNoMember);
}

TEST(ZipReader, ArchivesBehindAPrefixAndTruncatedArchives) {
    TestFolder f;
    make_sources(f);
    ASSERT_EQ(run_in(f.file("src"),
                     "zip -q -r ../plain.zip . && (printf 'MZ stub%.0s' $(seq 50); "
                     "cat ../plain.zip) > ../stub.zip"),
              0);
    ASSERT_EQ(python_in(f,
                        "open('py.zip', 'wb').write(b'#!/bin/sh\\nexit 0\\n' * 9)\n"
                        "with zipfile.ZipFile('py.zip', 'a') as z:\n"
                        "    z.writestr('a/inner.txt', b'behind a prefix')\n"),
              0);
    for (const char* name : {"stub.zip", "py.zip"}) {
        SCOPED_TRACE(name);
        ZipEngine z;
        ASSERT_EQ(zip_open(z, f.file(name)), kZipOk);
        EXPECT_EQ(walk(z), lines(output_of(f.path(), std::string("zipinfo -1 ") + name)));
        std::string out = f.file(std::string(name) + ".out");
        std::filesystem::create_directory(out);
        for (int i = 1; i <= zip_count(z); ++i) EXPECT_EQ(zip_extract(z, out, i), kZipOk);
    }
    EXPECT_EQ(f.read("stub.zip.out/sub/deep/bin.dat"), f.read("src/sub/deep/bin.dat"));
    EXPECT_EQ(f.read("py.zip.out/a/inner.txt"), "behind a prefix");

    // Cut in the middle of the data: no end record is left.
    std::string whole = f.read("plain.zip");
    f.write("cut.zip", whole.substr(0, whole.size() / 2));
    ZipEngine z;
    EXPECT_EQ(zip_open(z, f.file("cut.zip")), kZipBadHeader);
    // The directory and end record kept, the data of the last member cut away.
    std::string hollow = whole;
    size_t directory = le(whole, whole.size() - 6, 4);
    hollow.erase(directory - 20000, 20000);
    put_le(hollow, hollow.size() - 6, static_cast<uint32_t>(directory - 20000), 4);
    f.write("hollow.zip", hollow);
    ASSERT_EQ(zip_open(z, f.file("hollow.zip")), kZipOk);
    std::filesystem::create_directory(f.file("h"));
    int short_reads = 0;
    for (int i = 1; i <= zip_count(z); ++i)
        short_reads += zip_extract(z, f.file("h"), i) == kZipShortRead;
    EXPECT_GE(short_reads, 1);
}

TEST(ZipReader, BadDataNeverReplacesAnExistingFile) {
    TestFolder f;
    ASSERT_EQ(python_in(f,
                        "with zipfile.ZipFile('a.zip', 'w', zipfile.ZIP_DEFLATED) as z:\n"
                        "    z.writestr('good.txt', b'new content ' * 100)\n"
                        "    z.writestr('bad.txt', b'new content ' * 100)\n"
                        "b = bytearray(open('a.zip', 'rb').read())\n"
                        "at = b.rfind(b'PK\\x01\\x02')\n"
                        "b[at + 16] ^= 0xFF\n"
                        "open('a.zip', 'wb').write(b)\n"),
              0);
    std::filesystem::create_directories(f.file("out/folder.txt"));
    f.write("out/good.txt", "old good");
    f.write("out/bad.txt", "precious");
    ZipEngine z;
    ASSERT_EQ(zip_open(z, f.file("a.zip")), kZipOk);
    EXPECT_EQ(zip_extract(z, f.file("out"), 1), kZipOk);
    EXPECT_EQ(zip_extract(z, f.file("out"), 2), kZipDamaged);
    std::string fresh;
    for (int i = 0; i < 100; ++i) fresh += "new content ";
    EXPECT_EQ(f.read("out/good.txt"), fresh);
    EXPECT_EQ(f.read("out/bad.txt"), "precious");
    EXPECT_EQ(tree(f.file("out")), (std::set<std::string>{"good.txt", "bad.txt", "folder.txt/"}));

    // A member whose output name is taken by a folder cannot be written.
    f.write("b.py", "import zipfile\nzipfile.ZipFile('b.zip', 'w').writestr('folder.txt', b'x')\n");
    ASSERT_EQ(run_in(f.path(), "python3 b.py"), 0);
    ASSERT_EQ(zip_open(z, f.file("b.zip")), kZipOk);
    EXPECT_EQ(zip_extract(z, f.file("out"), 1), kZipCannotWrite);
}

struct Stopper {
    long stop_after;
    std::vector<long> seen;
};

int record_progress(void* context, long done) {
    auto* s = static_cast<Stopper*>(context);
    s->seen.push_back(done);
    return done > s->stop_after ? 1 : 0;
}

TEST(ZipReader, ProgressReportsBytesAndCanStop) {
    TestFolder f;
    f.write("big.bin", sample_bytes(300000, 3));
    ASSERT_EQ(run_in(f.path(), "zip -q -9 a.zip big.bin"), 0);
    std::filesystem::create_directory(f.file("out"));
    ZipEngine z;
    Stopper all{1L << 30, {}};
    zip_set_progress(z, record_progress, &all);
    ASSERT_EQ(zip_open(z, f.file("a.zip")), kZipOk);
    EXPECT_EQ(zip_extract(z, f.file("out"), 1), kZipOk);
    ASSERT_GE(all.seen.size(), 2u);
    EXPECT_TRUE(std::is_sorted(all.seen.begin(), all.seen.end()));
    EXPECT_EQ(all.seen.back(), 300000);

    std::filesystem::remove(f.file("out/big.bin"));
    Stopper early{1000, {}};
    zip_set_progress(z, record_progress, &early);
    EXPECT_EQ(zip_extract(z, f.file("out"), 1), kZipStopped);
    EXPECT_EQ(tree(f.file("out")), std::set<std::string>{});
}

}  // namespace
