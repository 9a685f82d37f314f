#include "runtime/member_path.h"

#include <cstring>
#include <vector>

#include "runtime/file_meta.h"
#include "runtime/os.h"

namespace {

bool is_device_name(const std::string& piece) {
    // Windows opens the device for "nul", "nul.txt" and "nul .txt" alike.
    std::string base = lower_case(piece.substr(0, piece.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    if (base == "con" || base == "prn" || base == "aux" || base == "nul" || base == "conin$" ||
        base == "conout$")
        return true;
    return base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

// One folder or file name made safe; empty when nothing of it may be used.
std::string safe_piece(std::string piece) {
    for (char& c : piece) {
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("<>:\"|?*", c)) c = '_';
    }
    // Windows drops trailing dots and spaces, so "..." and ". ." would mean the parent or the
    // folder itself.
    while (!piece.empty() && (piece.back() == '.' || piece.back() == ' ')) piece.pop_back();
    if (is_device_name(piece)) piece.insert(0, "_");
    return piece;
}

// The usable pieces of `text` split at `separators`.
std::vector<std::string> safe_pieces(const std::string& text, const char* separators) {
    std::vector<std::string> out;
    size_t from = 0;
    while (from <= text.size()) {
        size_t to = text.find_first_of(separators, from);
        if (to == std::string::npos) to = text.size();
        std::string piece = safe_piece(text.substr(from, to - from));
        if (!piece.empty()) out.push_back(piece);
        from = to + 1;
    }
    return out;
}

}  // namespace

bool MemberPlacement::is_folder(const std::string& path) const {
    const uint32_t a = unicode_ ? os::unicode::attributes(path) : os::attributes(path);
    return a != os::kNoAttributes && (a & os::kAttrDirectory);
}

bool MemberPlacement::make_folder(const std::string& path) const {
    return unicode_ ? os::unicode::create_folder(path) : os::create_folder(path);
}

// Splits `name` into its folder part and its file part, without a leading drive.
static void split_name(const std::string& name, std::string& folder_part, std::string& file_part) {
    std::string rest = name;
    if (rest.size() >= 2 && rest[1] == ':') rest.erase(0, 2);  // a drive letter
    const size_t split = rest.find_last_of("/\\");
    folder_part = split == std::string::npos ? std::string() : rest.substr(0, split);
    file_part = split == std::string::npos ? rest : rest.substr(split + 1);
}

std::string MemberPlacement::place(const std::string& target, const std::string& name) {
    std::string folder_part, file_part;
    split_name(name, folder_part, file_part);
    const std::string file = safe_piece(file_part);
    if (target_ != target || folders_.size() > 10000) {
        target_ = target;
        folders_.clear();
    }
    const auto found = folders_.find(folder_part);
    if (found != folders_.end()) return file.empty() ? std::string() : found->second + "\\" + file;
    bool reached = false;
    const std::string here = walk(target, folder_part, true, reached);
    // Only a place that was reached in full is remembered: a folder that is missing now may be
    // made by a later member ("a/x.txt" before "a\b\d.txt"), and then the name goes there.
    if (reached) folders_[folder_part] = here;
    return file.empty() ? std::string() : here + "\\" + file;
}

std::string MemberPlacement::predict(const std::string& target, const std::string& name) const {
    std::string folder_part, file_part;
    split_name(name, folder_part, file_part);
    const std::string file = safe_piece(file_part);
    bool reached = false;
    const std::string here = walk(target, folder_part, false, reached);
    return file.empty() ? std::string() : here + "\\" + file;
}

// The folder `folder_part` leads to below `target`, creating it when `create` says so;
// `reached` tells whether every piece was entered.
std::string MemberPlacement::walk(const std::string& target, const std::string& folder_part,
                                  bool create, bool& reached) const {
    std::string here = target;
    while (!here.empty() && (here.back() == '\\' || here.back() == '/')) here.pop_back();
    bool all_entered = true;
    const char* outer = backslash_ ? "/\\" : "/";
    size_t from = 0;
    while (from <= folder_part.size()) {
        size_t to = folder_part.find_first_of(outer, from);
        if (to == std::string::npos) to = folder_part.size();
        const std::vector<std::string> steps =
            safe_pieces(folder_part.substr(from, to - from), "\\");
        from = to + 1;
        if (steps.empty()) continue;
        std::string path = here;
        bool parents_exist = true;
        for (size_t i = 0; i < steps.size(); ++i) {
            path += "\\" + steps[i];
            if (i + 1 < steps.size() && !is_folder(path)) parents_exist = false;
        }
        if (parents_exist && (!create || make_folder(path))) {
            here = path;
        } else {
            all_entered = false;
        }
    }
    reached = all_entered;
    return here;
}
