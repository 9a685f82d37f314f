// Archives written byte by byte, for both test tiers: ZIP archives (names, duplicates and odd
// cases, contents and dates exact) and stored RAR 4 archives, which no RAR tool writes any more.
// Members ending in "/" (ZIP) or "\\" (RAR) are folder entries.
#ifndef MARLOX_TESTS_COMMON_ARCHIVE_BYTES_H
#define MARLOX_TESTS_COMMON_ARCHIVE_BYTES_H

#include <zlib.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

struct TestMember {
    std::string name;
    std::string data;
    int year = 2005, month = 3, day = 7, hour = 12, minute = 30;
    std::string deflated = "";  // when given, the member is deflated (method 8): its bytes
};

// `values` as little-endian fields, the width in bytes of each given by a digit of `widths`.
inline std::string fields(const char* widths, std::initializer_list<uint64_t> values) {
    std::string out;
    for (uint64_t value : values) {
        for (int i = 0; i < *widths - '0'; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
        ++widths;
    }
    return out;
}

inline uint32_t crc_of(const std::string& data) {
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// The bytes of a ZIP archive holding `members`, stored (method 0) unless they say otherwise.
inline std::string stored_zip(const std::vector<TestMember>& members) {
    std::string out, directory;
    for (const TestMember& m : members) {
        const uint32_t time = (m.hour << 11) | (m.minute << 5);
        const uint32_t date = m.day == 0 ? 0 : ((m.year - 1980) << 9) | (m.month << 5) | m.day;
        const std::string& body = m.deflated.empty() ? m.data : m.deflated;
        const std::string common =
            fields("22244422", {m.deflated.empty() ? 0u : 8u, time, date, crc_of(m.data),
                                body.size(), m.data.size(), m.name.size(), 0});
        directory += fields("4222", {0x02014b50, 20, 10, 0}) + common +
                     fields("22244", {0, 0, 0, m.name.back() == '/' ? 0x10u : 0x20u, out.size()}) +
                     m.name;
        out += fields("422", {0x04034b50, 10, 0}) + common + m.name + body;
    }
    return out + directory +
           fields("4422442",
                  {0x06054b50, 0, members.size(), members.size(), directory.size(), out.size(), 0});
}

// A RAR 4 block: the low 16 bits of the CRC-32 of everything after the CRC field, then that.
inline std::string rar4_block(const std::string& body) {
    return fields("2", {crc_of(body) & 0xFFFF}) + body;
}

// A RAR 4 archive of `members`, stored (method 0x30), written by a Windows host.
inline std::string stored_rar4(const std::vector<TestMember>& members) {
    std::string archive("Rar!\x1A\x07\x00", 7);                     // marker block
    archive += rar4_block("\x73" + fields("2224", {0, 13, 0, 0}));  // main header
    for (const TestMember& m : members) {
        const bool folder = m.name.back() == '\\';
        const std::string name = folder ? m.name.substr(0, m.name.size() - 1) : m.name;
        const uint32_t time = (static_cast<uint32_t>(m.year - 1980) << 25) | (m.month << 21) |
                              (m.day << 16) | (m.hour << 11) | (m.minute << 5);
        // Flags: a data area follows, E0 a folder; host 2: Windows; 0x1D: version 2.9 to extract.
        archive +=
            rar4_block("\x74" +
                       fields("22441441124", {folder ? 0x80E0u : 0x8000u, 32 + name.size(),
                                              m.data.size(), m.data.size(), 2, crc_of(m.data), time,
                                              0x1D, 0x30, name.size(), folder ? 0x10u : 0x20u}) +
                       name) +
            m.data;
    }
    return archive + rar4_block("\x7B" + fields("22", {0x4000, 7}));
}

#endif
