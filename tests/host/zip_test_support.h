// Helpers shared by the ZIP engine tests: running the peer programs and reading the bytes of
// the archives they and we make.
#ifndef MARLOX_TESTS_HOST_ZIP_TEST_SUPPORT_H
#define MARLOX_TESTS_HOST_ZIP_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

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

// Runs a Python script in `folder` (zipfile is imported); its exit status.
inline int python_in(const TestFolder& folder, const std::string& script) {
    folder.write("script.py", "import zipfile, struct, sys, os\n" + script);
    return run_in(folder.path(), "python3 script.py");
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

inline void put_le(std::string& bytes, size_t at, uint32_t value, int width) {
    for (int i = 0; i < width; ++i)
        bytes.at(at + static_cast<size_t>(i)) = static_cast<char>(value >> (8 * i));
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

#endif
