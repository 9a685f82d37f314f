// The host build's code page: Windows-1252 between the program's 8-bit texts and wide ones.
#include "runtime/os.h"

namespace os {
namespace {

// Windows-1252 bytes 0x80 to 0x9F; 0 where the code page has no character.
const wchar_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                 0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::wstring to_wide(const std::string& text) {
    std::wstring out;
    for (unsigned char c : text) {
        const wchar_t high = c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : 0;
        out += c >= 0x80 && c < 0xA0 ? (high ? high : L'?') : static_cast<wchar_t>(c);
    }
    return out;
}

std::string from_wide(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        char byte = '?';
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            byte = static_cast<char>(c);
        } else {
            for (int i = 0; i < 32; ++i) {
                if (kCp1252High[i] == c && c != 0) byte = static_cast<char>(0x80 + i);
            }
        }
        out += byte;
    }
    return out;
}

}  // namespace os
