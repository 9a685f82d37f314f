// Archives written byte by byte, for both test tiers: stored ZIP archives (names, duplicates
// and odd cases, contents and dates exact) and stored RAR 4 archives, which no RAR tool writes
// any more. Members ending in "/" (ZIP) or flagged as folders (RAR) are folder entries.
#ifndef MARLOX_TESTS_COMMON_ARCHIVE_BYTES_H
#define MARLOX_TESTS_COMMON_ARCHIVE_BYTES_H

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

struct TestMember {
    std::string name;
    std::string data;
    int year = 2005, month = 3, day = 7, hour = 12, minute = 30;
};

inline void put16(std::string& out, unsigned value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

inline void put32(std::string& out, uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// The bytes of a ZIP archive holding `members` stored (method 0).
inline std::string stored_zip(const std::vector<TestMember>& members) {
    std::string out, directory;
    for (const TestMember& m : members) {
        const uint32_t crc = static_cast<uint32_t>(crc32(
            0, reinterpret_cast<const Bytef*>(m.data.data()), static_cast<uInt>(m.data.size())));
        const unsigned time = (m.hour << 11) | (m.minute << 5);
        const unsigned date = m.day == 0 ? 0 : ((m.year - 1980) << 9) | (m.month << 5) | m.day;
        const uint32_t offset = static_cast<uint32_t>(out.size());
        const uint32_t size = static_cast<uint32_t>(m.data.size());
        put32(out, 0x04034b50);
        put16(out, 10), put16(out, 0), put16(out, 0), put16(out, time), put16(out, date);
        put32(out, crc), put32(out, size), put32(out, size);
        put16(out, static_cast<unsigned>(m.name.size())), put16(out, 0);
        out += m.name + m.data;
        put32(directory, 0x02014b50);
        put16(directory, 20), put16(directory, 10), put16(directory, 0), put16(directory, 0);
        put16(directory, time), put16(directory, date);
        put32(directory, crc), put32(directory, size), put32(directory, size);
        put16(directory, static_cast<unsigned>(m.name.size()));
        put16(directory, 0), put16(directory, 0), put16(directory, 0), put16(directory, 0);
        put32(directory, m.name.back() == '/' ? 0x10 : 0x20);
        put32(directory, offset);
        directory += m.name;
    }
    const uint32_t start = static_cast<uint32_t>(out.size());
    out += directory;
    put32(out, 0x06054b50);
    put16(out, 0), put16(out, 0);
    put16(out, static_cast<unsigned>(members.size())),
        put16(out, static_cast<unsigned>(members.size()));
    put32(out, static_cast<uint32_t>(directory.size())), put32(out, start);
    put16(out, 0);
    return out;
}

// A RAR 4 block: the low 16 bits of the CRC-32 of everything after the CRC field, then that.
inline std::string rar4_block(const std::string& body) {
    const uLong crc =
        crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    std::string block;
    put16(block, static_cast<unsigned>(crc & 0xFFFF));
    return block + body;
}

// A RAR 4 archive of `members`, stored (method 0x30), written by a Windows host; a name ending
// in "\\" is a folder entry.
inline std::string stored_rar4(const std::vector<TestMember>& members) {
    std::string archive("Rar!\x1A\x07\x00", 7);  // marker block
    std::string main_header("\x73");
    put16(main_header, 0), put16(main_header, 13);  // flags, header size
    put16(main_header, 0), put32(main_header, 0);   // reserved
    archive += rar4_block(main_header);
    for (const TestMember& m : members) {
        const bool folder = !m.name.empty() && m.name.back() == '\\';
        const std::string name = folder ? m.name.substr(0, m.name.size() - 1) : m.name;
        const uint32_t size = static_cast<uint32_t>(m.data.size());
        std::string header("\x74");
        put16(header, folder ? 0x80E0 : 0x8000);  // a data area follows; E0: a folder
        put16(header, static_cast<unsigned>(32 + name.size()));
        put32(header, size), put32(header, size);  // packed, unpacked
        header.push_back('\x02');                  // host: Windows
        put32(header, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(m.data.data()),
                                                  static_cast<uInt>(size))));
        put32(header, (static_cast<uint32_t>(m.year - 1980) << 25) | (m.month << 21) |
                          (m.day << 16) | (m.hour << 11) | (m.minute << 5));
        header.push_back('\x1D');  // version 2.9 to extract
        header.push_back('\x30');  // stored
        put16(header, static_cast<unsigned>(name.size()));
        put32(header, folder ? 0x10 : 0x20);
        archive += rar4_block(header + name) + m.data;
    }
    std::string end_header("\x7B");
    put16(end_header, 0x4000), put16(end_header, 7);
    return archive + rar4_block(end_header);
}

#endif
