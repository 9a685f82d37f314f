// The parts of the OS layer that are the same on every system.
#include "runtime/os.h"
#include "runtime/os_internal.h"

namespace os {
namespace {

int64_t g_write_budget = -1;

constexpr uint32_t kReplacement = 0xFFFD;

// The character whose UTF-8 form starts at `text[at]`, and its length in `length`; kReplacement
// and length 1 for a byte that starts no well-formed character.
uint32_t decode_utf8(const std::string& text, size_t at, size_t& length) {
    const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    length = 1;
    if (lead < 0x80) return lead;
    const size_t more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : 0;
    if (more == 0 || lead > 0xF4 || at + more >= text.size()) return kReplacement;
    uint32_t code = lead & (0x3Fu >> more);
    for (size_t k = 1; k <= more; ++k) {
        if ((byte(at + k) & 0xC0) != 0x80) return kReplacement;
        code = (code << 6) | (byte(at + k) & 0x3Fu);
    }
    static const uint32_t kLeast[4] = {0, 0x80, 0x800, 0x10000};
    if (code < kLeast[more] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return kReplacement;
    length = more + 1;
    return code;
}

}  // namespace

std::wstring wide_from_utf8(const std::string& utf8) {
    std::wstring out;
    for (size_t at = 0, length = 0; at < utf8.size(); at += length) {
        const uint32_t code = decode_utf8(utf8, at, length);
        if (sizeof(wchar_t) == 2 && code > 0xFFFF) {
            out.push_back(static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<wchar_t>(code));
        }
    }
    return out;
}

std::string utf8_from_wide(const std::wstring& wide) {
    std::string out;
    for (size_t i = 0; i < wide.size(); ++i) {
        uint32_t code = static_cast<uint32_t>(wide[i]);
        const bool pair = sizeof(wchar_t) == 2 && code >= 0xD800 && code <= 0xDBFF &&
                          i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF;
        if (pair) code = 0x10000 + ((code - 0xD800) << 10) + (wide[++i] - 0xDC00u);
        if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) code = kReplacement;
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
            continue;
        }
        const int more = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
        out.push_back(static_cast<char>(((0xFF00u >> (more + 1)) & 0xFF) | (code >> (6 * more))));
        for (int k = more - 1; k >= 0; --k)
            out.push_back(static_cast<char>(0x80 | ((code >> (6 * k)) & 0x3F)));
    }
    return out;
}

std::string to_utf8(const std::string& text) { return utf8_from_wide(to_wide(text)); }

std::string utf8_to_ansi(const std::string& utf8) { return from_wide(wide_from_utf8(utf8)); }

bool is_utf8(const std::string& text) {
    for (size_t at = 0, length = 0; at < text.size(); at += length) {
        if (decode_utf8(text, at, length) == kReplacement && length == 1) return false;
    }
    return true;
}

bool write_allowed(size_t size) {
    if (g_write_budget < 0) return true;
    if (static_cast<int64_t>(size) > g_write_budget) {
        g_write_budget = 0;
        return false;
    }
    g_write_budget -= static_cast<int64_t>(size);
    return true;
}

void fail_writes_after(int64_t bytes) { g_write_budget = bytes; }

bool read_whole_file(const std::string& path, std::string& out) {
    File* f = open_file(path, OpenMode::kRead);
    if (!f) return false;
    out.clear();
    char buffer[65536];
    int64_t n;
    while ((n = read_file(f, buffer, sizeof buffer)) > 0)
        out.append(buffer, static_cast<size_t>(n));
    close_file(f);
    return n == 0;
}

}  // namespace os
