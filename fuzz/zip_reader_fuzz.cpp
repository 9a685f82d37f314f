// libFuzzer target for the ZIP reader: opens the input as an archive, counts, walks, reads the
// member information and extracts every member into a scratch folder. Any crash or sanitizer
// report is a failure, and so is a file that appears outside the extraction folder.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "runtime/os.h"
#include "zip/zip.h"

namespace fs = std::filesystem;

namespace {

fs::path g_root;  // holds the archive and the extraction folder, nothing else

int stop_sometimes(void* context, long bytes_done) {
    return bytes_done > *static_cast<long*>(context) ? 1 : 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_root = fs::temp_directory_path() / ("marlox-zip-fuzz-" + std::to_string(getpid()));
    fs::remove_all(g_root);
    fs::create_directories(g_root / "out");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string archive = (g_root / "input.zip").string();
    const std::string out = (g_root / "out").string();
    if (FILE* f = std::fopen(archive.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    ZipEngine z;
    long limit = static_cast<long>(size % 4096);
    if (size % 3 == 0) zip_set_progress(z, stop_sometimes, &limit);
    if (zip_open(z, archive) == kZipOk) {
        int count = zip_count(z);
        ZipMemberInfo info;
        int walked = 0;
        for (std::string name = zip_first(z); !name.empty() && walked < 1000; name = zip_next(z)) {
            zip_member_info(z, info);
            ++walked;
        }
        for (int i = 1; i <= count && i <= 64; ++i) zip_extract(z, out, i);
        zip_goto(z, count + 1);
        zip_extract(z, out, 0);
        zip_first(z);
        zip_extract(z, out + "\\missing", 0);
        zip_close(z);
    }
    for (const auto& entry : fs::directory_iterator(g_root)) {
        if (entry.path().filename() != "input.zip" && entry.path().filename() != "out") {
            std::fprintf(stderr, "written outside the target: %s\n", entry.path().c_str());
            std::abort();
        }
    }
    fs::remove_all(g_root / "out");
    fs::create_directories(g_root / "out");
    return 0;
}
