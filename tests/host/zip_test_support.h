// What the host tests share: a fresh folder per test, running the peer programs, the files they
// pack, and reading back the archives they and we make. Texts compile to Windows-1252 bytes, as
// the program's do; u8"..." texts are UTF-8.
#ifndef MARLOX_TESTS_HOST_ZIP_TEST_SUPPORT_H
#define MARLOX_TESTS_HOST_ZIP_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive_bytes.h"
#include "zip/zip.h"

// A fresh, empty folder for one test, removed again when the test ends. Without one the test
// stops at once: it never works in whatever folder an empty path would name.
class TestFolder {
  public:
    TestFolder() {
        path_ = std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/marlox-test-XXXXXX";
        if (!mkdtemp(path_.data())) throw std::runtime_error("no test folder: " + path_);
    }
    ~TestFolder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    // The folder with a trailing "/".
    std::string path() const { return path_ + "/"; }
    std::string file(const std::string& name) const { return path() + name; }
    // Writes f/`name`, making the folders it lies in first.
    void write(const std::string& name, const std::string& bytes) const {
        std::filesystem::create_directories(std::filesystem::path(file(name)).parent_path());
        std::ofstream(file(name), std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) const {
        std::ostringstream out;
        out << std::ifstream(file(name), std::ios::binary).rdbuf();
        return out.str();
    }

  private:
    std::string path_;
};

// Runs a shell command in `folder`; its exit status.
inline int run_in(const std::string& folder, const std::string& command) {
    return std::system(("cd '" + folder + "' && (" + command + ") >/dev/null 2>&1").c_str());
}

// Runs a shell command in `folder`; the lines it printed on standard output.
inline std::vector<std::string> output_of(const std::string& folder, const std::string& command) {
    std::string out;
    if (FILE* p = popen(("cd '" + folder + "' && " + command + " 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
        pclose(p);
    }
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Runs a shell command in `folder` that must succeed.
inline void shell(const std::string& folder, const std::string& command) {
    ASSERT_EQ(run_in(folder, command), 0) << command;
}

// Runs a Python script in `folder` that must succeed (zipfile, struct, sys and os are imported).
inline void python_in(const TestFolder& folder, const std::string& script) {
    folder.write("script.py", "import zipfile, struct, sys, os\n" + script);
    shell(folder.path(), "python3 script.py");
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
    std::string out;
    for (unsigned char c : bytes) out += {"0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 15]};
    return out;
}

// The members of `archive` as Python reads them: the name's bytes as stored, then the content
// in hex, in archive order.
inline std::vector<std::string> python_members(const std::string& archive) {
    return output_of(
        "/",
        "python3 -c \"import zipfile, sys\nz = zipfile.ZipFile(sys.argv[1])\n"
        "for i in z.infolist():\n"
        "    n = i.filename.encode('utf-8' if i.flag_bits & 0x800 else 'cp437')\n"
        "    sys.stdout.buffer.write(n + b' ' + z.read(i).hex().encode() + b'\\n')\" '" +
            archive + "'");
}

// Each member's name, CRC, unpacked and packed size and external attributes as the engine reads
// `archive`, and as Python reads them.
inline std::vector<std::string> engine_listing(const std::string& archive) {
    std::vector<std::string> out;
    ZipEngine z;
    EXPECT_EQ(zip_open(z, archive), kZipOk);
    ZipMemberInfo i;
    for (std::string name = zip_first(z); !name.empty(); name = zip_next(z)) {
        EXPECT_EQ(zip_member_info(z, i), kZipOk);
        out.push_back(name + " " + std::to_string(i.crc) + " " + std::to_string(i.unpacked) + " " +
                      std::to_string(i.packed) + " " + std::to_string(i.attributes));
    }
    return out;
}
inline std::vector<std::string> python_listing(const std::string& archive) {
    return output_of(
        "/",
        "python3 -c \"import zipfile, sys\nfor i in zipfile.ZipFile(sys.argv[1]).infolist():\n"
        "    print(i.filename, i.CRC, i.file_size, i.compress_size, i.external_attr)\" '" +
            archive + "'");
}

// Extracts every member of `archive` into `target` with `password` (none when empty); the results.
inline std::vector<int> extract_all(const std::string& archive, const std::string& target,
                                    const std::string& password = "") {
    std::filesystem::create_directories(target);
    std::vector<int> results;
    ZipEngine z;
    EXPECT_EQ(zip_open(z, archive), kZipOk);
    zip_set_password(z, password);
    for (int i = 1; i <= zip_count(z); ++i) results.push_back(zip_extract(z, target, i));
    zip_close(z);
    return results;
}

// Info-ZIP, 7-Zip and Python all find `archive` sound.
inline void expect_peers_accept(const std::string& archive) {
    for (const char* test : {"unzip -tqq", "7zz t",
                             "python3 -c \"import zipfile, sys; "
                             "sys.exit(zipfile.ZipFile(sys.argv[1]).testzip() is not None)\""})
        EXPECT_EQ(run_in("/", std::string(test) + " '" + archive + "'"), 0) << test << archive;
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
// 2005-03-07 12:30; with a peer, packed by it into f/a.zip.
inline void make_sources(const TestFolder& f, const Peer* peer = nullptr) {
    f.write("src/text.txt", sample_bytes(100000, 1));
    f.write("src/sub/deep/bin.dat", sample_bytes(70001, 2));
    f.write("src/sub/small.txt", "hi");
    f.write("src/empty.txt", "");
    shell(f.path(), "find src -type f | xargs touch -d '2005-03-07 12:30'");
    if (peer) shell(f.file("src"), peer->command);
}

#endif
