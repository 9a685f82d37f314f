// Reading ZIP archives: the end-record scan, the directory walk and extraction.
#define MARLOX_ZIP_INTERNAL
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "runtime/file_meta.h"
#include "runtime/paths.h"
#include "zip/zip_internal.h"

struct ZipInflater {
    z_stream zs{};
    bool ready = false;
};

void ZipStreamFree::operator()(ZipInflater* stream) const {
    if (stream->ready) inflateEnd(&stream->zs);
    delete stream;
}

namespace {

constexpr size_t kWalkBlock = 1 << 16;
constexpr size_t kDataBlock = 1 << 18;
constexpr size_t kChunk = 1 << 16;

// Reads through `cache`, which holds up to `block` bytes of the file; a read larger than that
// goes straight to the file.
size_t cached_read(ZipState& s, ZipReadCache& cache, size_t block, int64_t position, void* buffer,
                   size_t size) {
    if (size > block) return read_at(s, position, buffer, size);
    int64_t end = position + static_cast<int64_t>(size);
    if (position < cache.start || end > cache.start + static_cast<int64_t>(cache.length)) {
        // No more than the file holds: small archives get small caches.
        int64_t rest = std::max<int64_t>(s.file_size - position, static_cast<int64_t>(size));
        size_t want = static_cast<size_t>(std::min<int64_t>(rest, static_cast<int64_t>(block)));
        if (cache.bytes.size() < want) cache.bytes.resize(want);
        cache.start = position;
        cache.length = read_at(s, position, cache.bytes.data(), want);
    }
    size_t offset = static_cast<size_t>(position - cache.start);
    size_t n = std::min(size, cache.length - std::min(offset, cache.length));
    if (n > 0) std::memcpy(buffer, cache.bytes.data() + offset, n);
    return n;
}

size_t walk_read(ZipState& s, int64_t position, void* buffer, size_t size) {
    return cached_read(s, s.walk_cache, kWalkBlock, position, buffer, size);
}

size_t data_read(ZipState& s, int64_t position, void* buffer, size_t size) {
    return cached_read(s, s.data_cache, kDataBlock, position, buffer, size);
}

// Finds the start of central header `index` (from 0); false when the directory ends earlier.
bool find_header(ZipState& s, size_t index) {
    while (s.headers.size() <= index && !s.headers_done) {
        unsigned char b[kCentralSize];
        if (walk_read(s, s.next_header, b, kCentralSize) != kCentralSize) {
            s.headers_done = true;
            break;
        }
        ZipCentralHeader h = parse_central(b);
        if (h.signature != kCentralSignature) {
            s.headers_done = true;
            break;
        }
        s.headers.push_back(s.next_header);
        s.next_header +=
            static_cast<int64_t>(kCentralSize) + h.name_length + h.extra_length + h.comment_length;
    }
    return index < s.headers.size();
}

void clear_current(ZipState& s) {
    s.current = ZipCentralHeader();
    s.current_name.clear();
    s.current_real.clear();
    s.has_current = false;
    s.current_index = ZipState::kNoIndex;
}

// Makes header `index` current, with its own name and the name it shows in the code page; its
// name is empty when the directory ends earlier.
std::string make_current(ZipState& s, size_t index) {
    clear_current(s);
    if (!find_header(s, index)) return std::string();
    unsigned char b[kCentralSize];
    walk_read(s, s.headers[index], b, kCentralSize);
    s.current = parse_central(b);
    // The name is read into the string the member before left, whose room it mostly fits.
    const int64_t name_at = s.headers[index] + static_cast<int64_t>(kCentralSize);
    s.current_name.resize(s.current.name_length);
    s.current_name.resize(walk_read(s, name_at, &s.current_name[0], s.current_name.size()));
    std::string extra(s.current.extra_length, '\0');
    if (s.current_name.size() == s.current.name_length)
        extra.resize(walk_read(s, name_at + s.current.name_length, &extra[0], extra.size()));
    else
        extra.clear();
    apply_zip64_extra(s.current, reinterpret_cast<const unsigned char*>(extra.data()),
                      extra.size());
    const std::string utf8 =
        unicode_name(s.current.flags, s.current.version_made_by, s.current_name, extra);
    const std::string& own = utf8.empty() ? s.current_name : utf8;
    if (std::all_of(own.begin(), own.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        // ASCII: the same bytes in UTF-8 and in the code page.
        s.current_real = own;
        s.current_name = own;
    } else {
        s.current_real = utf8.empty() ? os::to_utf8(s.current_name) : utf8;
        if (!utf8.empty()) s.current_name = os::utf8_to_ansi(utf8);
    }
    s.has_current = true;
    s.current_index = index;
    return s.current_name;
}

struct Output {
    os::File* file = nullptr;
    uint32_t crc = 0;
    uint64_t written = 0;
};

// Copies the data of a stored member.
int copy_stored(ZipState& s, int64_t position, uint64_t size, Output& out) {
    std::vector<unsigned char>& buffer = s.in_buffer;
    buffer.resize(static_cast<size_t>(std::min<uint64_t>(size, kChunk)));
    while (out.written < size) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(size - out.written, kChunk));
        if (data_read(s, position, buffer.data(), n) != n) return kZipShortRead;
        decipher(s.crypt, buffer.data(), n);
        position += static_cast<int64_t>(n);
        if (!os::write_file(out.file, buffer.data(), n)) return kZipCannotWrite;
        out.crc = static_cast<uint32_t>(crc32(out.crc, buffer.data(), static_cast<uInt>(n)));
        out.written += n;
        if (progress_says_stop(s, out.written)) return kZipStopped;
    }
    return kZipOk;
}

// Inflates a deflated member; never writes more than `unpacked` bytes.
int inflate_member(ZipState& s, int64_t position, uint64_t packed, uint64_t unpacked, Output& out) {
    if (!s.inflater) {
        std::unique_ptr<ZipInflater, ZipStreamFree> fresh(new ZipInflater);
        if (inflateInit2(&fresh->zs, -MAX_WBITS) != Z_OK) return kZipNoMemory;
        fresh->ready = true;
        s.inflater = std::move(fresh);
    } else if (inflateReset(&s.inflater->zs) != Z_OK) {
        return kZipNoMemory;
    }
    z_stream& zs = s.inflater->zs;
    // inflateReset keeps the input pointer: after a member that failed, or whose stream ended
    // before its packed size, it would still point at that member's bytes, in a buffer that
    // may be gone. Every member starts from its own data.
    zs.next_in = nullptr;
    zs.avail_in = 0;
    std::vector<unsigned char>& in = s.in_buffer;
    std::vector<unsigned char>& buffer = s.out_buffer;
    // Output room for one more byte than declared, to see a member that runs past its size.
    const size_t room = static_cast<size_t>(std::min<uint64_t>(unpacked + 1, kChunk));
    in.resize(std::max<size_t>(in.size(), static_cast<size_t>(std::min<uint64_t>(packed, kChunk))));
    buffer.resize(std::max(buffer.size(), room));
    uint64_t left = packed;
    int result = kZipOk;
    for (;;) {
        if (zs.avail_in == 0 && left > 0) {
            size_t n = static_cast<size_t>(std::min<uint64_t>(left, kChunk));
            if (data_read(s, position, in.data(), n) != n) {
                result = kZipShortRead;
                break;
            }
            decipher(s.crypt, in.data(), n);
            position += static_cast<int64_t>(n);
            left -= n;
            zs.next_in = in.data();
            zs.avail_in = static_cast<uInt>(n);
        }
        zs.next_out = buffer.data();
        zs.avail_out = static_cast<uInt>(room);
        int z = inflate(&zs, Z_NO_FLUSH);
        size_t got = room - zs.avail_out;
        bool stuck = z == Z_BUF_ERROR && got == 0 && zs.avail_in > 0;
        if ((z != Z_OK && z != Z_STREAM_END && z != Z_BUF_ERROR) || stuck) {
            result = kZipDamaged;
            break;
        }
        if (got > unpacked - out.written) {
            result = kZipDamaged;
            break;
        }
        if (got > 0) {
            if (!os::write_file(out.file, buffer.data(), got)) {
                result = kZipCannotWrite;
                break;
            }
            out.crc = static_cast<uint32_t>(crc32(out.crc, buffer.data(), static_cast<uInt>(got)));
            out.written += got;
            if (progress_says_stop(s, out.written)) {
                result = kZipStopped;
                break;
            }
        }
        if (z == Z_STREAM_END) break;
        if (got == 0 && zs.avail_in == 0 && left == 0) break;  // the data ended early
    }
    return result;
}

}  // namespace

size_t read_at(ZipState& s, int64_t position, void* buffer, size_t size) {
    if (!s.file || position < 0 || !os::seek_file(s.file, position)) return 0;
    int64_t n = os::read_file(s.file, buffer, size);
    return n > 0 ? static_cast<size_t>(n) : 0;
}

void forget_walk(ZipState& s) {
    s.headers.clear();
    s.headers_done = false;
    s.next_header = static_cast<int64_t>(s.end.directory_offset) + s.bias;
    s.walk_cache.length = 0;
    s.data_cache.length = 0;
    s.current_index = ZipState::kNoIndex;
}

bool progress_says_stop(ZipState& s, uint64_t done) {
    if (!s.progress) return false;
    long value = done > static_cast<uint64_t>(LONG_MAX) ? LONG_MAX : static_cast<long>(done);
    return s.progress(s.progress_context, value) == 1;
}

ZipEngine::ZipEngine() : state_(new ZipState) {}

ZipEngine::~ZipEngine() { zip_close(*this); }

int zip_open(ZipEngine& z, const std::string& path) {
    zip_close(z);
    ZipState& s = z.state();
    s.file = os::open_file(path, os::OpenMode::kReadWrite);
    if (!s.file) return kZipBadHeader;
    s.path = path;
    s.file_size = os::file_size(s.file);
    if (!read_end(s)) {
        os::close_file(s.file);
        s.file = nullptr;
        return kZipBadHeader;
    }
    forget_walk(s);
    clear_current(s);
    return kZipOk;
}

bool zip_is_open(const ZipEngine& z) { return z.state().file != nullptr; }

bool zip_declares_no_members(ZipEngine& z) {
    const ZipState& s = z.state();
    return s.file && s.end.entries == 0 && s.end.directory_size == 0;
}

bool zip_directory_consistent(ZipEngine& z) {
    ZipState& s = z.state();
    if (!s.file || s.end.entries == 0) return false;
    settle_batch(s);
    find_header(s, static_cast<size_t>(INT_MAX));
    const int64_t start = static_cast<int64_t>(s.end.directory_offset) + s.bias;
    return s.headers.size() == s.end.entries &&
           static_cast<uint64_t>(s.next_header - start) == s.end.directory_size;
}

void zip_close(ZipEngine& z) {
    ZipState& s = z.state();
    if (!s.file) return;
    settle_batch(s);
    os::close_file(s.file);
    ZipProgress progress = s.progress;
    void* context = s.progress_context;
    const int threads = s.threads;
    s = ZipState();
    s.progress = progress;
    s.progress_context = context;
    s.threads = threads;
}

int zip_count(ZipEngine& z) {
    ZipState& s = z.state();
    if (!s.file) return 0;
    settle_batch(s);
    find_header(s, static_cast<size_t>(INT_MAX));
    return static_cast<int>(s.headers.size());
}

std::string zip_first(ZipEngine& z) {
    ZipState& s = z.state();
    settle_batch(s);
    if (!s.file) return std::string();
    return make_current(s, 0);
}

std::string zip_next(ZipEngine& z) {
    ZipState& s = z.state();
    settle_batch(s);
    if (!s.file || s.current_index == ZipState::kNoIndex) {
        clear_current(s);
        return std::string();
    }
    return make_current(s, s.current_index + 1);
}

std::string zip_goto(ZipEngine& z, int member) {
    ZipState& s = z.state();
    settle_batch(s);
    if (!s.file || member < 1) {
        clear_current(s);
        return std::string();
    }
    return make_current(s, static_cast<size_t>(member - 1));
}

std::string zip_real_name(const ZipEngine& z) { return z.state().current_real; }

int zip_member_info(ZipEngine& z, ZipMemberInfo& info) {
    const ZipState& s = z.state();
    const ZipCentralHeader& h = s.current;
    info.unpacked = h.unpacked;
    info.packed = h.packed;
    info.crc = h.crc;
    info.attributes = h.external_attributes;
    info.year = static_cast<int16_t>(1980 + (h.date >> 9));
    info.month = static_cast<int16_t>((h.date >> 5) & 15);
    info.day = static_cast<int16_t>(h.date & 31);
    info.hour = static_cast<int16_t>((h.time >> 11) & 31);
    info.minute = static_cast<int16_t>((h.time >> 5) & 63);
    info.second = 0;
    return s.has_current ? kZipOk : kZipNoMember;
}

namespace {

// A symbolic link stored by a Unix archiver: its data is the path it points to, not a file's.
bool is_symbolic_link(const ZipCentralHeader& h) {
    constexpr uint16_t kUnix = 3;
    constexpr uint32_t kTypeMask = 0170000, kLink = 0120000;
    return (h.version_made_by >> 8) == kUnix &&
           ((h.external_attributes >> 16) & kTypeMask) == kLink;
}

}  // namespace

int locate_data(ZipState& s, const ZipCentralHeader& h, const std::string* target,
                ZipLocalHeader& l, int64_t& data) {
    if (h.zip64_missing || h.local_offset > static_cast<uint64_t>(INT64_MAX / 2))
        return kZipUnsupported;
    int64_t local = static_cast<int64_t>(h.local_offset) + s.bias;
    unsigned char b[kLocalSize];
    if (data_read(s, local, b, kLocalSize) != kLocalSize) return kZipBadHeader;
    l = parse_local(b);
    if (l.signature != kLocalSignature) return kZipBadHeader;
    if (target && os::attributes(*target) == os::kNoAttributes) return kZipNoTarget;
    // The local header's method decides how the data reads; one the central header contradicts
    // is not trusted either way.
    bool encrypted = ((h.flags | l.flags) & 1) != 0;
    bool known_methods =
        (l.method == 0 || l.method == 8 || (encrypted && l.method == kAesMethod)) &&
        h.method == l.method;
    if (!known_methods || is_symbolic_link(h)) return kZipUnsupported;
    data = local + static_cast<int64_t>(kLocalSize) + l.name_length + l.extra_length;
    if (data > s.file_size || h.packed > static_cast<uint64_t>(s.file_size - data))
        return kZipShortRead;
    int result = start_decryption(s, h, l, data);  // moves `data` past a cipher's header
    if (result == kZipOk && l.method == 0 && s.crypt.payload != h.unpacked) result = kZipDamaged;
    return result;
}

namespace {

// Gives `file` the member's date, to the minute, read as local time.
void date_file(os::File* file, const ZipCentralHeader& h) {
    const LocalDate date = make_local_date(1980 + (h.date >> 9), (h.date >> 5) & 15, h.date & 31,
                                           (h.time >> 11) & 31, (h.time >> 5) & 63, 0);
    if (date != kNoDate) os::set_file_time(file, local_date_to_file_time(date));
}

}  // namespace

// An existing file is replaced only by data that checked out: the data goes to a temporary name
// beside it first.
int write_data(ZipState& s, const ZipCentralHeader& h, const ZipLocalHeader& l, int64_t data,
               const std::string& path) {
    uint32_t existing = os::unicode::attributes(path);
    if (existing != os::kNoAttributes && (existing & os::kAttrDirectory)) return kZipCannotWrite;
    std::string work = existing == os::kNoAttributes ? path : unused_path(path + ".~mlx", true);
    Output out;
    out.file = work.empty() ? nullptr : os::unicode::open_file(work, os::OpenMode::kCreate);
    if (!out.file) return kZipCannotWrite;
    rewind_decryption(s.crypt);
    int result = l.method == 0 ? copy_stored(s, data, s.crypt.payload, out)
                               : inflate_member(s, data, s.crypt.payload, h.unpacked, out);
    const bool crc_right = out.crc == h.crc || !s.crypt.crc_kept;  // AE-2 keeps no CRC
    if (result == kZipOk && (out.written != h.unpacked || !crc_right)) result = kZipDamaged;
    result = end_decryption(s, result);
    if (result == kZipOk && s.date_files) date_file(out.file, h);
    os::close_file(out.file);
    if (result == kZipOk && work != path && !os::unicode::replace_file(work, path))
        result = kZipCannotWrite;
    if (result != kZipOk) os::unicode::delete_file(work);
    return result;
}

void zip_set_progress(ZipEngine& z, ZipProgress callback, void* context) {
    ZipState& s = z.state();
    s.progress = callback;
    s.progress_context = context;
}
