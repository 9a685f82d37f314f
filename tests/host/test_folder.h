// A fresh, empty folder for one test, removed again when the test ends.
#ifndef MARLOX_TESTS_HOST_TEST_FOLDER_H
#define MARLOX_TESTS_HOST_TEST_FOLDER_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

class TestFolder {
  public:
    TestFolder() {
        std::string pattern =
            std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/marlox-test-XXXXXX";
        // Without a folder of its own a test would work, and clean up, in the root folder.
        if (!mkdtemp(pattern.data())) {
            std::perror(pattern.c_str());
            std::abort();
        }
        path_ = pattern;
    }
    ~TestFolder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    // The folder with a trailing "/".
    std::string path() const { return path_ + "/"; }
    std::string file(const std::string& name) const { return path() + name; }

    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

  private:
    std::string path_;
};

#endif
