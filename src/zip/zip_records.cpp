// Little-endian reading and writing of the three ZIP records (PKWARE APPNOTE sections 4.3.7,
// 4.3.12 and 4.3.16), the ZIP64 end record and its locator (4.3.14, 4.3.15), and of the extra
// fields the engine knows.
#define MARLOX_ZIP_INTERNAL
#include <zlib.h>

#include <algorithm>

#include "zip/zip_internal.h"

namespace {

uint16_t le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void put16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

uint64_t le64(const unsigned char* p) {
    return static_cast<uint64_t>(le32(p)) | static_cast<uint64_t>(le32(p + 4)) << 32;
}

void put32(std::string& out, uint32_t v) {
    put16(out, static_cast<uint16_t>(v & 0xFFFF));
    put16(out, static_cast<uint16_t>(v >> 16));
}

void put64(std::string& out, uint64_t v) {
    put32(out, static_cast<uint32_t>(v & 0xFFFFFFFFu));
    put32(out, static_cast<uint32_t>(v >> 32));
}

// A value for a 32-bit field: itself, or the marker when it does not fit below it.
uint32_t field32(uint64_t v) { return v >= kZip64Marker ? kZip64Marker : static_cast<uint32_t>(v); }

uint16_t field16(uint64_t v) {
    return v >= kZip64CountMarker ? kZip64CountMarker : static_cast<uint16_t>(v);
}

constexpr uint16_t kZip64Tag = 1;

}  // namespace

ZipEndRecord parse_end(const unsigned char* p) {
    ZipEndRecord r;
    r.signature = le32(p);
    r.disk = le16(p + 4);
    r.directory_disk = le16(p + 6);
    r.entries_on_disk = le16(p + 8);
    r.entries = le16(p + 10);
    r.directory_size = le32(p + 12);
    r.directory_offset = le32(p + 16);
    r.comment_length = le16(p + 20);
    return r;
}

ZipCentralHeader parse_central(const unsigned char* p) {
    ZipCentralHeader h;
    h.signature = le32(p);
    h.version_made_by = le16(p + 4);
    h.version_needed = le16(p + 6);
    h.flags = le16(p + 8);
    h.method = le16(p + 10);
    h.time = le16(p + 12);
    h.date = le16(p + 14);
    h.crc = le32(p + 16);
    h.packed = le32(p + 20);
    h.unpacked = le32(p + 24);
    h.name_length = le16(p + 28);
    h.extra_length = le16(p + 30);
    h.comment_length = le16(p + 32);
    h.disk_start = le16(p + 34);
    h.internal_attributes = le16(p + 36);
    h.external_attributes = le32(p + 38);
    h.local_offset = le32(p + 42);
    return h;
}

ZipLocalHeader parse_local(const unsigned char* p) {
    ZipLocalHeader h;
    h.signature = le32(p);
    h.version_needed = le16(p + 4);
    h.flags = le16(p + 6);
    h.method = le16(p + 8);
    h.time = le16(p + 10);
    h.date = le16(p + 12);
    h.crc = le32(p + 14);
    h.packed = le32(p + 18);
    h.unpacked = le32(p + 22);
    h.name_length = le16(p + 26);
    h.extra_length = le16(p + 28);
    return h;
}

void append_end(std::string& out, const ZipEndRecord& r) {
    put32(out, r.signature);
    put16(out, r.disk);
    put16(out, r.directory_disk);
    put16(out, field16(r.entries_on_disk));
    put16(out, field16(r.entries));
    put32(out, field32(r.directory_size));
    put32(out, field32(r.directory_offset));
    put16(out, r.comment_length);
}

void append_central(std::string& out, const ZipCentralHeader& h) {
    put32(out, h.signature);
    put16(out, h.version_made_by);
    put16(out, h.version_needed);
    put16(out, h.flags);
    put16(out, h.method);
    put16(out, h.time);
    put16(out, h.date);
    put32(out, h.crc);
    put32(out, field32(h.packed));
    put32(out, field32(h.unpacked));
    put16(out, h.name_length);
    put16(out, h.extra_length);
    put16(out, h.comment_length);
    put16(out, h.disk_start);
    put16(out, h.internal_attributes);
    put32(out, h.external_attributes);
    put32(out, field32(h.local_offset));
}

void append_local(std::string& out, const ZipLocalHeader& h) {
    put32(out, h.signature);
    put16(out, h.version_needed);
    put16(out, h.flags);
    put16(out, h.method);
    put16(out, h.time);
    put16(out, h.date);
    put32(out, h.crc);
    put32(out, h.zip64 ? kZip64Marker : field32(h.packed));
    put32(out, h.zip64 ? kZip64Marker : field32(h.unpacked));
    put16(out, h.name_length);
    put16(out, h.extra_length);
}

namespace {

constexpr uint16_t kUnicodePathTag = 0x7075;

uint32_t crc_of(const std::string& bytes) {
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// The UTF-8 name of a Unicode Path field in `extra` that belongs to `name`; false without one.
bool find_unicode_path(const std::string& extra, const std::string& name, std::string& utf8) {
    const auto* p = reinterpret_cast<const unsigned char*>(extra.data());
    for (size_t at = 0; at + 4 <= extra.size();) {
        const uint16_t tag = le16(p + at), size = le16(p + at + 2);
        at += 4;
        if (size > extra.size() - at) return false;
        if (tag == kUnicodePathTag && size >= 5 && p[at] == 1 && le32(p + at + 1) == crc_of(name)) {
            utf8 = extra.substr(at + 5, size - 5u);
            return true;
        }
        at += size;
    }
    return false;
}

}  // namespace

std::string unicode_name(uint16_t flags, uint16_t made_by, const std::string& name,
                         const std::string& extra) {
    constexpr int kUnix = 3;
    if (flags & kUtf8Flag) return os::is_utf8(name) ? name : std::string();
    std::string utf8;
    if (find_unicode_path(extra, name, utf8)) return os::is_utf8(utf8) ? utf8 : std::string();
    return (made_by >> 8) == kUnix && os::is_utf8(name) ? name : std::string();
}

std::string unicode_path_field(const std::string& name, const std::string& utf8) {
    const bool ascii = std::all_of(name.begin(), name.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii && utf8 == name) return std::string();
    std::string out;
    put16(out, kUnicodePathTag);
    put16(out, static_cast<uint16_t>(5 + utf8.size()));
    out.push_back(1);
    put32(out, crc_of(name));
    return out + utf8;
}

bool parse_zip64_locator(const unsigned char* p, uint64_t& end_offset) {
    if (le32(p) != kZip64LocatorSignature) return false;
    end_offset = le64(p + 8);
    return true;
}

bool parse_zip64_end(const unsigned char* p, ZipEndRecord& r) {
    if (le32(p) != kZip64EndSignature) return false;
    r.entries_on_disk = le64(p + 24);
    r.entries = le64(p + 32);
    r.directory_size = le64(p + 40);
    r.directory_offset = le64(p + 48);
    return true;
}

bool needs_zip64_end(const ZipEndRecord& r) {
    return r.entries >= kZip64CountMarker || r.entries_on_disk >= kZip64CountMarker ||
           r.directory_size >= kZip64Marker || r.directory_offset >= kZip64Marker;
}

void append_zip64_end(std::string& out, const ZipEndRecord& r, uint64_t position) {
    put32(out, kZip64EndSignature);
    put64(out, kZip64EndSize - 12);  // the size of the rest of the record
    put16(out, kZip64Version);
    put16(out, kZip64Version);
    put32(out, 0);  // this disk
    put32(out, 0);  // the directory's disk
    put64(out, r.entries_on_disk);
    put64(out, r.entries);
    put64(out, r.directory_size);
    put64(out, r.directory_offset);
    put32(out, kZip64LocatorSignature);
    put32(out, 0);  // the disk of the ZIP64 end record
    put64(out, position);
    put32(out, 1);  // disks in all
}

void apply_zip64_extra(ZipCentralHeader& h, const unsigned char* extra, size_t length) {
    uint64_t* marked[3] = {h.unpacked == kZip64Marker ? &h.unpacked : nullptr,
                           h.packed == kZip64Marker ? &h.packed : nullptr,
                           h.local_offset == kZip64Marker ? &h.local_offset : nullptr};
    size_t field_at = length, field_size = 0;
    for (size_t at = 0; at + 4 <= length;) {
        const size_t size = le16(extra + at + 2);
        if (le16(extra + at) == kZip64Tag) {
            field_at = at + 4;
            field_size = std::min(size, length - field_at);
            break;
        }
        at += 4 + size;
    }
    size_t read = 0;
    for (uint64_t* value : marked) {
        if (!value) continue;
        if (read + 8 > field_size) {
            h.zip64_missing = true;
            return;
        }
        *value = le64(extra + field_at + read);
        read += 8;
    }
}

std::string central_zip64_extra(const ZipCentralHeader& h) {
    std::string values;
    for (uint64_t v : {h.unpacked, h.packed, h.local_offset}) {
        if (v >= kZip64Marker) put64(values, v);
    }
    if (values.empty()) return values;
    std::string out;
    put16(out, kZip64Tag);
    put16(out, static_cast<uint16_t>(values.size()));
    return out + values;
}

std::string local_zip64_extra(const ZipLocalHeader& h) {
    std::string out;
    put16(out, kZip64Tag);
    put16(out, 16);
    put64(out, h.unpacked);
    put64(out, h.packed);
    return out;
}
