// Finding the end of the directory: the end record, the ZIP64 end record through its locator,
// and the length of a prefix before the archive.
#define MARLOX_ZIP_INTERNAL
#include <algorithm>

#include "zip/zip_internal.h"

namespace {

constexpr size_t kScanBlock = 1 << 16;

// The position of the end record: the last place, at or before 22 bytes from the end of the
// file, where its signature starts. Reads backwards in blocks, each overlapping the one after
// it by 3 bytes so that no signature is missed at a block edge; -1 when there is none.
int64_t find_end_record(ZipState& s) {
    if (s.file_size < static_cast<int64_t>(kEndSize)) return -1;
    std::vector<unsigned char> block(kScanBlock + 3);
    int64_t top = s.file_size - static_cast<int64_t>(kEndSize);  // highest start to examine
    while (top >= 0) {
        int64_t low = std::max<int64_t>(0, top - static_cast<int64_t>(kScanBlock) + 1);
        size_t length = static_cast<size_t>(top - low) + 4;
        if (read_at(s, low, block.data(), length) != length) return -1;
        for (int64_t p = top; p >= low; --p) {
            const unsigned char* b = block.data() + (p - low);
            if (b[0] == 0x50 && b[1] == 0x4B && b[2] == 0x05 && b[3] == 0x06) return p;
        }
        top = low - 1;
    }
    return -1;
}

// Takes the counts, size and offset of the directory from the ZIP64 end record when a locator
// lies right before the end record at `at`. The record is looked for where the locator says and,
// for an archive behind a prefix, right before the locator. Returns where the directory ends:
// the start of the ZIP64 end record, or `at` without one.
int64_t read_zip64_end(ZipState& s, int64_t at) {
    const int64_t locator = at - static_cast<int64_t>(kZip64LocatorSize);
    unsigned char b[kZip64EndSize];
    uint64_t stated = 0;
    if (locator < 0 || read_at(s, locator, b, kZip64LocatorSize) != kZip64LocatorSize ||
        !parse_zip64_locator(b, stated))
        return at;
    const int64_t before_locator = locator - static_cast<int64_t>(kZip64EndSize);
    for (int64_t record : {static_cast<int64_t>(stated), before_locator}) {
        if (record >= 0 && record < locator &&
            read_at(s, record, b, kZip64EndSize) == kZip64EndSize && parse_zip64_end(b, s.end)) {
            s.zip64_end = true;
            return record;
        }
    }
    return at;
}

bool central_signature_at(ZipState& s, int64_t position) {
    unsigned char b[4];
    return read_at(s, position, b, 4) == 4 && b[0] == 0x50 && b[1] == 0x4B && b[2] == 0x01 &&
           b[3] == 0x02;
}

}  // namespace

bool read_end(ZipState& s) {
    const int64_t at = find_end_record(s);
    unsigned char b[kEndSize];
    if (at < 0 || read_at(s, at, b, kEndSize) != kEndSize) return false;
    s.end = parse_end(b);
    s.end.comment_length = 0;
    const int64_t directory_end = read_zip64_end(s, at);
    // An archive behind a prefix whose offsets count from its own start: its directory ends
    // where the end record (or the ZIP64 end record) begins.
    const int64_t offset = static_cast<int64_t>(s.end.directory_offset);
    const int64_t real = directory_end - static_cast<int64_t>(s.end.directory_size);
    if (s.end.directory_size > 0 && real > offset && !central_signature_at(s, offset) &&
        central_signature_at(s, real))
        s.bias = real - offset;
    return true;
}
