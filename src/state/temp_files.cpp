#include "state/temp_files.h"

#include <algorithm>

#include "runtime/os.h"
#include "runtime/paths.h"

namespace {

std::string without_trailing_separator(std::string path) {
    while (path.size() > 1 && is_separator(path.back())) path.pop_back();
    return path;
}

}  // namespace

void TempFiles::track_file(const std::string& path) {
    if (std::find(files_.begin(), files_.end(), path) == files_.end()) files_.push_back(path);
}

void TempFiles::track_folder(const std::string& path) {
    const std::string folder = without_trailing_separator(path);
    if (std::find(folders_.begin(), folders_.end(), folder) == folders_.end())
        folders_.push_back(folder);
}

void TempFiles::forget_folder_of(const std::string& path) {
    const std::string inner = without_trailing_separator(path);
    folders_.erase(std::remove_if(folders_.begin(), folders_.end(),
                                  [&](const std::string& folder) {
                                      return inner == folder ||
                                             inner.compare(0, folder.size() + 1,
                                                           as_folder(folder)) == 0;
                                  }),
                   folders_.end());
}

std::string TempFiles::create_private_folder(const std::string& parent, const std::string& prefix) {
    // A name that exists is another's: the next one is tried. A name that is free yet was not
    // made may have been given up by its holder just now, so it is tried again; a parent that
    // refuses it every time takes no new folders.
    int refused = 0;
    for (int n = 1; n < 10000 && refused < 100;) {
        const std::string path = join_path(parent, prefix + std::to_string(n));
        if (os::create_new_folder(path)) {
            track_folder(path);
            return as_folder(path);
        }
        if (os::attributes(path) == os::kNoAttributes) {
            ++refused;
        } else {
            ++n;
        }
    }
    return std::string();
}

void TempFiles::remove_all() {
    // A file or folder replaced by a link meanwhile goes as a link: what it points to stays.
    for (const std::string& f : files_) {
        const uint32_t a = os::own_attributes(f);
        if (a == os::kNoAttributes) continue;
        if (!(a & os::kAttrReparsePoint)) os::set_attributes(f, os::kAttrNormal);
        os::delete_file(f);
    }
    for (const std::string& d : folders_) remove_tree(d);
    files_.clear();
    folders_.clear();
}
