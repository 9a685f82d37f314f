// A command-line front end to the ZIP engine for the benchmark in zip_bench.sh.
//   marlox_zip_tool l ARCHIVE          lists every member (name, sizes, date) on standard output
//   marlox_zip_tool x ARCHIVE FOLDER   extracts every member into FOLDER
//   marlox_zip_tool c ARCHIVE FOLDER   packs the files below FOLDER into a new archive
// Both use one thread per core; MARLOX_ZIP_THREADS=N sets another count (1: none besides main).
// Exit status 0 when every step succeeded, 1 otherwise.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/os.h"
#include "zip/zip.h"

namespace {

int list(ZipEngine& z) {
    ZipMemberInfo info;
    for (std::string name = zip_first(z); !name.empty(); name = zip_next(z)) {
        zip_member_info(z, info);
        std::printf("%10ld %10ld %04d-%02d-%02d %02d:%02d %s\n", static_cast<long>(info.unpacked),
                    static_cast<long>(info.packed), info.year, info.month, info.day, info.hour,
                    info.minute, name.c_str());
    }
    return 0;
}

int extract(ZipEngine& z, const std::string& folder) {
    std::vector<int> results;
    if (zip_extract_all(z, folder, results) != kZipOk) return 1;
    for (int result : results) {
        if (result != kZipOk) return 1;
    }
    return 0;
}

// Adds the files below `root` breadth-first, named with "/" separators below the root; their
// sources are announced first, so that other threads deflate them ahead.
int pack(ZipEngine& z, const std::string& root) {
    std::vector<std::string> names, sources;
    std::vector<std::string> folders{""};
    for (size_t i = 0; i < folders.size(); ++i) {
        std::vector<os::FolderEntry> entries;
        if (!os::list_folder(root + "/" + folders[i], entries)) return 1;
        for (const os::FolderEntry& e : entries) {
            std::string name = folders[i] + e.name;
            if (e.attributes & os::kAttrDirectory) {
                folders.push_back(name + "/");
            } else {
                names.push_back(name);
                sources.push_back(zip_source_path(root, name));
            }
        }
    }
    int failed = 0;
    zip_begin_batch(z);
    zip_add_ahead(z, sources);
    for (const std::string& name : names) failed += zip_add(z, root, name) != kZipOk;
    failed += zip_end_batch(z) != kZipOk;
    return failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: marlox_zip_tool l|x|c ARCHIVE [FOLDER]\n");
        return 2;
    }
    const std::string command = argv[1];
    ZipEngine z;
    if (const char* threads = std::getenv("MARLOX_ZIP_THREADS"))
        zip_set_threads(z, std::atoi(threads));
    if (command == "c" && argc == 4) {
        if (zip_create(z, argv[2]) != kZipOk) return 1;
        int result = pack(z, argv[3]);
        zip_close(z);
        return result;
    }
    if (zip_open(z, argv[2]) != kZipOk) return 1;
    if (command == "l") return list(z);
    if (command == "x" && argc == 4) return extract(z, argv[3]);
    return 2;
}
