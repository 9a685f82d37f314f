#include "state/settings_file.h"

#include <climits>
#include <map>

#include "runtime/file_meta.h"
#include "runtime/os.h"

namespace {

int parse_integer(const std::string& value) {
    size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
    long long n = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        n = n * 10 + (value[i] - '0');
        if (n > INT_MAX) n = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) n = -n;
    if (n > INT_MAX) n = INT_MAX;
    return static_cast<int>(n);
}

void append_line(std::string& out, const std::string& key, const std::string& value) {
    out += key;
    out += " = ";
    out += value;
    out += "\r\n";
}

}  // namespace

ConfigReader ConfigReader::from_file(const std::string& path) {
    std::string text;
    if (!os::read_whole_file(path, text)) text.clear();
    return ConfigReader(std::move(text));
}

bool ConfigReader::scan(
    const std::function<bool(const std::string&, size_t, size_t)>& visit) const {
    size_t pos = 0;
    while (pos < text_.size()) {
        size_t end = text_.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text_.size();
        size_t start = text_.find_first_not_of(' ', pos);
        pos = end + 1;
        if (start == std::string::npos || start >= end) continue;
        if (text_[start] == '[') return false;
        if (text_[start] == ';') continue;
        const size_t equals = text_.find('=', start);
        if (equals == std::string::npos || equals >= end) continue;
        size_t key_end = equals;
        while (key_end > start && text_[key_end - 1] == ' ') --key_end;
        size_t value_start = equals + 1;
        while (value_start < end && text_[value_start] == ' ') ++value_start;
        if (visit(lower_case(text_.substr(start, key_end - start)), value_start, end)) return true;
    }
    return false;
}

bool ConfigReader::find(const std::string& key, std::string& value) const {
    const std::string wanted = lower_case(key);
    return scan([&](const std::string& found, size_t from, size_t to) {
        if (found != wanted) return false;
        value = text_.substr(from, to - from);
        return true;
    });
}

std::vector<std::string> ConfigReader::numbered(int last) const {
    // One pass over the file, whatever `last` says: the keys that are present decide the cost.
    std::map<int, std::string> found;
    scan([&](const std::string& key, size_t from, size_t to) {
        // The key must be the decimal text of its number: "7", not "07" or "+7".
        const bool decimal = !key.empty() && key.size() <= 10 &&
                             key.find_first_not_of("0123456789") == std::string::npos &&
                             (key == "0" || key[0] != '0');
        const long long number = decimal ? std::stoll(key) : -1;
        if (decimal && number <= last)
            found.emplace(static_cast<int>(number), text_.substr(from, to - from));
        return false;
    });
    std::vector<std::string> out;
    for (const auto& entry : found) out.push_back(entry.second);
    return out;
}

std::string ConfigReader::text(const std::string& key, const std::string& fallback) const {
    std::string value;
    return find(key, value) ? value : fallback;
}

int ConfigReader::integer(const std::string& key, int fallback) const {
    std::string value;
    return find(key, value) ? parse_integer(value) : fallback;
}

std::string format_config(const ConfigValues& v) {
    std::string out;
    append_line(out, "zip", std::to_string(v.zip));
    append_line(out, "rar", std::to_string(v.rar));
    append_line(out, "cab", std::to_string(v.cab));
    append_line(out, "safe", std::to_string(v.safe));
    append_line(out, "pos", std::to_string(v.pos));
    append_line(out, "size", std::to_string(v.size));
    if (v.pos == 1) {
        append_line(out, "winx", std::to_string(v.winx));
        append_line(out, "winy", std::to_string(v.winy));
    }
    if (v.size == 1) {
        append_line(out, "sizex", std::to_string(v.sizex));
        append_line(out, "sizey", std::to_string(v.sizey));
    }
    append_line(out, "sort", std::to_string(v.sort));
    append_line(out, "language", v.language);
    append_line(out, "count", std::to_string(v.viewers.size()));
    for (size_t k = 0; k < v.viewers.size(); ++k) append_line(out, std::to_string(k), v.viewers[k]);
    return out;
}

bool write_config(const std::string& path, const ConfigValues& values) {
    const std::string text = format_config(values);
    // The new text goes into a file beside the old one, which it replaces only when complete: a
    // full disk or a crash on the way leaves the old file as it was.
    const std::string work = path + ".new";
    os::File* f = os::open_file(work, os::OpenMode::kCreate);
    if (!f) return false;
    bool ok = os::write_file(f, text.data(), text.size());
    ok = os::flush_file(f) && ok;
    ok = os::close_file(f) && ok;
    if (ok && os::replace_file(work, path)) return true;
    os::delete_file(work);
    return false;
}

Settings load_settings(const std::string& path, const std::string& default_language) {
    const ConfigReader file = ConfigReader::from_file(path);
    Settings s;
    s.language = file.text("language", default_language);
    const int count = file.integer("count", 0);
    s.safe = file.integer("safe", 1);
    s.pos = file.integer("pos", 0);
    s.size = file.integer("size", 0);
    if (s.pos == 1) {
        s.winx = file.integer("winx", 100);
        s.winy = file.integer("winy", 100);
        if (s.winx < 0 || s.winy < 0) s.winx = 150, s.winy = 100;
    }
    if (s.size == 1) {
        s.sizex = file.integer("sizex", 640);
        s.sizey = file.integer("sizey", 400);
        if (s.sizex == 0) s.sizex = 640, s.sizey = 400;
    }
    s.sort = file.integer("sort", 0);
    // Keys "0" up to and including `count`: the last is normally absent. Empty entries are never
    // shown, and entries beyond the fifth are ignored.
    if (count >= 1) {
        for (const std::string& viewer : file.numbered(count)) {
            if (static_cast<int>(s.viewers.size()) == kMaxViewers) break;
            if (!viewer.empty()) s.viewers.push_back(viewer);
        }
    }
    return s;
}

bool save_settings_at_exit(const std::string& path, const Settings& settings,
                           const WindowGeometry& window) {
    const ConfigReader file = ConfigReader::from_file(path);
    ConfigValues v;
    v.zip = file.integer("zip", 0);
    v.rar = file.integer("rar", 0);
    v.cab = file.integer("cab", 0);
    v.safe = file.integer("safe", 1);
    v.pos = file.integer("pos", 0);
    v.size = file.integer("size", 0);
    v.winx = window.x;
    v.winy = window.y;
    v.sizex = window.width;
    v.sizey = window.height;
    v.sort = settings.sort;
    v.language = settings.language;
    // The program never keeps more than five viewers; a damaged count writes no more than that.
    const int count = file.integer("count", 0);
    for (int k = 0; k < count && k < kMaxViewers; ++k)
        v.viewers.push_back(file.text(std::to_string(k), ""));
    return write_config(path, v);
}
