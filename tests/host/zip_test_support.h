// What the host tests of archives share: running the peer programs, the files they pack, and
// reading back the archives they and we make.
#ifndef MARLOX_TESTS_HOST_ZIP_TEST_SUPPORT_H
#define MARLOX_TESTS_HOST_ZIP_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "archive_bytes.h"
#include "test_folder.h"

// Runs a shell command in `folder`; its exit status.
inline int run_in(const std::string& folder, const std::string& command) {
    return std::system(("cd '" + folder + "' && (" + command + ") >/dev/null 2>&1").c_str());
}

// Runs a shell command in `folder`; what it printed on standard output.
inline std::string output_of(const std::string& folder, const std::string& command) {
    std::string out;
    if (FILE* p = popen(("cd '" + folder + "' && " + command + " 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
        pclose(p);
    }
    return out;
}

// Runs a Python script in `folder` (zipfile, struct, sys and os are imported); its exit status.
inline int python_in(const TestFolder& folder, const std::string& script) {
    folder.write("script.py", "import zipfile, struct, sys, os\n" + script);
    return run_in(folder.path(), "python3 script.py");
}

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// Every file and folder below `root`, relative, with "/" separators; folders end in "/".
inline std::set<std::string> tree(const std::string& root) {
    std::set<std::string> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
        std::string name = std::filesystem::relative(e.path(), root).generic_string();
        out.insert(e.is_directory() ? name + "/" : name);
    }
    return out;
}

inline uint32_t le(const std::string& bytes, size_t at, int width) {
    uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(bytes.at(at + static_cast<size_t>(i)));
    return v;
}

// Some bytes that deflate well and some that do not, the same in every run.
inline std::string sample_bytes(size_t size, uint32_t seed) {
    std::string out(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        out[i] = (i / 512) % 2 ? static_cast<char>(x >> 24) : static_cast<char>('a' + i % 7);
    }
    return out;
}

inline std::string hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

// The members of `archive` as Python reads them: the name's bytes as stored, then the content
// in hex, in archive order.
inline std::vector<std::string> python_members(const std::string& archive) {
    return lines(
        output_of("/",
                  "python3 -c \"import zipfile, sys\nz = zipfile.ZipFile(sys.argv[1])\n"
                  "for i in z.infolist():\n"
                  "    n = i.filename.encode('utf-8' if i.flag_bits & 0x800 else 'cp437')\n"
                  "    sys.stdout.buffer.write(n + b' ' + z.read(i).hex().encode() + b'\\n')\" '" +
                      archive + "'"));
}

// Info-ZIP, 7-Zip and Python all find `archive` sound.
inline void expect_peers_accept(const std::string& archive) {
    EXPECT_EQ(run_in("/", "unzip -tqq '" + archive + "'"), 0) << archive;
    EXPECT_EQ(run_in("/", "7zz t '" + archive + "'"), 0) << archive;
    EXPECT_EQ(run_in("/",
                     "python3 -c \"import zipfile, sys; "
                     "sys.exit(zipfile.ZipFile(sys.argv[1]).testzip() is not None)\" '" +
                         archive + "'"),
              0)
        << archive;
}

// The peers that write the archives, each run in f/src to make f/a.zip.
struct Peer {
    const char* name;
    const char* command;
};
constexpr Peer kPeers[] = {
    {"Info-ZIP", "zip -q -r -9 ../a.zip ."},
    {"7-Zip", "7zz a -tzip ../a.zip . >/dev/null"},
    {"Python", "python3 -c \"import shutil; shutil.make_archive('../a', 'zip', '.')\""},
};

// f/src with text, a half-random binary in a sub-folder, a tiny and an empty file, all dated
// 2005-03-07 12:30.
inline void make_sources(const TestFolder& f) {
    std::filesystem::create_directories(f.file("src/sub/deep"));
    f.write("src/text.txt", sample_bytes(100000, 1));
    f.write("src/sub/deep/bin.dat", sample_bytes(70001, 2));
    f.write("src/sub/small.txt", "hi");
    f.write("src/empty.txt", "");
    ASSERT_EQ(run_in(f.path(), "find src -type f | xargs touch -d '2005-03-07 12:30'"), 0);
}

// The sources, packed by `peer` into f/a.zip.
inline void make_peer_archive(const TestFolder& f, const Peer& peer) {
    make_sources(f);
    ASSERT_EQ(run_in(f.file("src"), peer.command), 0);
}

#endif
