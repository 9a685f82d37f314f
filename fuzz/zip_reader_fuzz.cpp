// libFuzzer target for the ZIP reader: opens the input as an archive, counts, walks, reads the
// member information and extracts every member (with the password "secret") into a scratch folder,
// then extracts each member again after an open of its own. Any crash or sanitizer report is a
// failure, and so is a file that appears outside the extraction folders, or a member that comes out
// differently in one open than after a fresh one (what happened to the members before must not
// matter).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "runtime/os.h"
#include "zip/zip.h"

namespace fs = std::filesystem;

namespace {

fs::path g_root;  // holds the archive and the two extraction folders, nothing else
constexpr int kMembers = 64;

int stop_sometimes(void* context, long bytes_done) {
    return bytes_done > *static_cast<long*>(context) ? 1 : 0;
}

// Every file and folder below `root` with the content of each file.
std::map<std::string, std::string> contents(const fs::path& root) {
    std::map<std::string, std::string> out;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string& content = out[fs::relative(entry.path(), root).string()];
        if (!entry.is_regular_file()) continue;
        std::string bytes;
        os::read_whole_file(entry.path().string(), bytes);
        content = "=" + bytes;
    }
    return out;
}

void fresh_folder(const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_root = fs::temp_directory_path() / ("marlox-zip-fuzz-" + std::to_string(getpid()));
    fs::remove_all(g_root);
    fs::create_directories(g_root);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string archive = (g_root / "input.zip").string();
    const std::string one = (g_root / "one").string();
    const std::string fresh = (g_root / "fresh").string();
    fresh_folder(one);
    fresh_folder(fresh);
    if (FILE* f = std::fopen(archive.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    long limit = static_cast<long>(size % 4096);
    const bool stopping = size % 3 == 0;
    ZipEngine z;
    if (stopping) zip_set_progress(z, stop_sometimes, &limit);
    int count = 0;
    std::vector<int> results;
    if (zip_open(z, archive) == kZipOk) {
        zip_set_password(z, "secret");
        count = zip_count(z);
        ZipMemberInfo info;
        int walked = 0;
        for (std::string name = zip_first(z); !name.empty() && walked < 1000; name = zip_next(z)) {
            zip_member_info(z, info);
            ++walked;
        }
        for (int i = 1; i <= count && i <= kMembers; ++i) results.push_back(zip_extract(z, one, i));
        zip_goto(z, count + 1);
        zip_extract(z, one + "\\missing", 0);
        zip_close(z);
    }
    std::vector<int> fresh_results;
    for (int i = 1; i <= count && i <= kMembers; ++i) {
        ZipEngine again;
        if (stopping) zip_set_progress(again, stop_sometimes, &limit);
        if (zip_open(again, archive) != kZipOk) continue;
        zip_set_password(again, "secret");
        fresh_results.push_back(zip_extract(again, fresh, i));
    }
    for (const auto& entry : fs::directory_iterator(g_root)) {
        const fs::path name = entry.path().filename();
        if (name != "input.zip" && name != "one" && name != "fresh") {
            std::fprintf(stderr, "written outside the target: %s\n", entry.path().c_str());
            std::abort();
        }
    }
    if (results != fresh_results || contents(one) != contents(fresh)) {
        std::fprintf(stderr, "a member came out differently in one open than after a fresh one\n");
        std::abort();
    }
    return 0;
}
