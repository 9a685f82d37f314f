#include "runtime/paths.h"

#include <algorithm>
#include <vector>

#include "runtime/file_meta.h"
#include "runtime/os.h"

bool is_separator(char c) { return c == '\\' || c == '/'; }

size_t file_name_start(const std::string& path) {
    const size_t split = path.find_last_of("\\/");
    return split == std::string::npos ? 0 : split + 1;
}

std::string file_name_of(const std::string& path) { return path.substr(file_name_start(path)); }

std::string folder_of(const std::string& path) { return path.substr(0, file_name_start(path)); }

std::string extension_of(const std::string& path) {
    const std::string name = file_name_of(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string as_folder(const std::string& folder) {
    if (folder.empty() || is_separator(folder.back())) return folder;
    return folder + "\\";
}

std::string without_separator(const std::string& folder) {
    return !folder.empty() && is_separator(folder.back()) ? folder.substr(0, folder.size() - 1)
                                                          : folder;
}

std::string join_path(const std::string& folder, const std::string& name) {
    return as_folder(folder) + name;
}

std::string unused_path(const std::string& base, bool unicode) {
    for (int n = 1; n < 10000; ++n) {
        const std::string candidate = base + std::to_string(n);
        const uint32_t a = unicode ? os::unicode::attributes(candidate) : os::attributes(candidate);
        if (a == os::kNoAttributes) return candidate;
    }
    return std::string();
}

bool same_path(const std::string& a, const std::string& b) {
    if (os::same_file(a, b)) return true;
    // Two files that both exist and are not one stay apart, even where only case parts them.
    if (os::attributes(a) != os::kNoAttributes && os::attributes(b) != os::kNoAttributes)
        return false;
    std::string first = lower_case(a), second = lower_case(b);
    for (std::string* path : {&first, &second}) std::replace(path->begin(), path->end(), '/', '\\');
    return first == second;
}

int64_t file_size_of(const std::string& path, bool unicode) {
    os::File* file = unicode ? os::unicode::open_file(path, os::OpenMode::kRead)
                             : os::open_file(path, os::OpenMode::kRead);
    const int64_t size = file ? os::file_size(file) : -1;
    os::close_file(file);
    return size;
}

void remove_tree(const std::string& folder) {
    const std::string base = as_folder(folder);
    const std::string self = without_separator(base);
    // Each step looks at the path itself, never through a link: a link (the folder itself
    // replaced by one meanwhile, or any entry) goes, never what it points to.
    const uint32_t own = os::own_attributes(self);
    if (own == os::kNoAttributes) return;
    if (own & os::kAttrReparsePoint) {
        if (!(own & os::kAttrDirectory) || !os::remove_folder(self)) os::delete_file(self);
        return;
    }
    if (!(own & os::kAttrDirectory)) return;
    std::vector<os::FolderEntry> entries;
    if (os::list_folder(base, entries)) {
        for (const os::FolderEntry& entry : entries) {
            const std::string path = base + entry.name;
            if (entry.attributes & (os::kAttrReparsePoint | os::kAttrDirectory)) {
                remove_tree(path);
            } else {
                os::set_attributes(path, os::kAttrNormal);
                os::delete_file(path);
            }
        }
    }
    os::remove_folder(self);
}
