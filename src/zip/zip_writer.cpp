// Writing ZIP archives: a new member goes where the central directory started, and the
// directory, grown by the member's header, and the end record follow it.
//
// Safety: every update keeps the old archive intact on disk until its very last write. Bytes
// that belong where the old directory and end record lie are held in memory (they are at most
// as many as the old directory and end record have), bytes beyond the old end of the file are
// written at once; when everything else has gone well, the held bytes are written in one piece
// and the file is flushed. Any failure before that is undone by cutting the file back to its
// old length; a failure of that last write puts the old bytes back.
#define MARLOX_ZIP_INTERNAL
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "runtime/file_meta.h"
#include "runtime/paths.h"
#include "zip/zip_internal.h"

struct ZipDeflater {
    z_stream zs{};
    bool ready = false;
};

void ZipStreamFree::operator()(ZipDeflater* stream) const {
    if (stream->ready) deflateEnd(&stream->zs);
    delete stream;
}

namespace {

constexpr size_t kChunk = 1 << 16;
constexpr uint16_t kVersion = 14;
constexpr uint16_t kFlags = 2;  // deflate option bits "maximum compression"
constexpr uint16_t kDeflated = 8;

// Whether a member of `size` bytes gets the ZIP64 extra field in its local header, which is
// written before its packed size is known: when the size, or what deflate may make of it (at
// most a thousandth more, and a few bytes), reaches 4 GiB.
bool needs_zip64_local(uint64_t size) { return size + size / 1000 + 1024 >= kZip64Marker; }

int load_directory(ZipState& s) {
    if (s.directory_loaded) return kZipOk;
    const ZipEndRecord& e = s.end;
    // Markers in an end record without the ZIP64 end record they point to leave the directory
    // unknown.
    if (s.bias != 0 || (!s.zip64_end && needs_zip64_end(e))) return kZipUnsupported;
    const uint64_t file_size = static_cast<uint64_t>(s.file_size);
    if (e.directory_offset > file_size || e.directory_size > file_size - e.directory_offset)
        return kZipShortRead;
    const int64_t start = static_cast<int64_t>(e.directory_offset);
    if (e.directory_size > static_cast<uint64_t>(SIZE_MAX / 2)) return kZipNoMemory;
    try {
        s.directory.resize(static_cast<size_t>(e.directory_size));
    } catch (const std::bad_alloc&) {
        return kZipNoMemory;
    }
    if (read_at(s, start, &s.directory[0], s.directory.size()) != s.directory.size()) {
        s.directory.clear();
        return kZipShortRead;
    }
    s.directory_loaded = true;
    return kZipOk;
}

void begin_update(ZipState& s) {
    ZipUpdate& u = s.update;
    if (u.active) return;
    u.active = true;
    u.start = static_cast<int64_t>(s.end.directory_offset);
    u.old_end = s.file_size;
    u.position = u.start;
    u.disk_end = u.old_end;
    u.head.clear();
    u.old_record = s.end;
    u.old_directory_size = s.directory.size();
}

// Puts `size` bytes at `at`: into the held bytes below the old end, to the disk beyond it.
bool put_bytes(ZipState& s, int64_t at, const void* data, size_t size) {
    ZipUpdate& u = s.update;
    const auto* p = static_cast<const char*>(data);
    if (at < u.old_end) {
        size_t held = static_cast<size_t>(std::min<int64_t>(size, u.old_end - at));
        size_t offset = static_cast<size_t>(at - u.start);
        if (u.head.size() < offset + held) u.head.resize(offset + held);
        std::memcpy(&u.head[offset], p, held);
        at += static_cast<int64_t>(held);
        p += held;
        size -= held;
    }
    if (size == 0) return true;
    if (!os::seek_file(s.file, at) || !os::write_file(s.file, p, size)) return false;
    u.disk_end = std::max(u.disk_end, at + static_cast<int64_t>(size));
    return true;
}

bool append_bytes(ZipState& s, const void* data, size_t size) {
    if (!put_bytes(s, s.update.position, data, size)) return false;
    s.update.position += static_cast<int64_t>(size);
    return true;
}

// Gives the file back its old length and the engine its old directory and end record.
void abort_update(ZipState& s) {
    ZipUpdate& u = s.update;
    if (u.disk_end > u.old_end && os::seek_file(s.file, u.old_end)) os::truncate_file(s.file);
    s.end = u.old_record;
    s.directory.resize(u.old_directory_size);
    u = ZipUpdate();
    forget_walk(s);
}

int commit_update(ZipState& s) {
    ZipUpdate& u = s.update;
    std::string record;
    if (needs_zip64_end(s.end))
        append_zip64_end(record, s.end, s.end.directory_offset + s.end.directory_size);
    append_end(record, s.end);
    if (!append_bytes(s, s.directory.data(), s.directory.size()) ||
        !append_bytes(s, record.data(), record.size())) {
        abort_update(s);
        return kZipCannotWrite;
    }
    // Bytes of an addition that failed inside a batch may lie beyond the new end.
    int64_t end = std::max(u.position, u.old_end);
    if (u.disk_end > end && !(os::seek_file(s.file, end) && os::truncate_file(s.file))) {
        abort_update(s);
        return kZipCannotWrite;
    }
    std::string old(u.head.size(), '\0');
    if (!u.head.empty() && read_at(s, u.start, &old[0], old.size()) != old.size()) {
        abort_update(s);
        return kZipShortRead;
    }
    bool written = u.head.empty() || (os::seek_file(s.file, u.start) &&
                                      os::write_file(s.file, u.head.data(), u.head.size()));
    if (!written || !os::flush_file(s.file)) {
        if (!old.empty() && os::seek_file(s.file, u.start))
            os::write_file(s.file, old.data(), old.size());
        abort_update(s);
        return kZipCannotWrite;
    }
    s.file_size = end;
    u = ZipUpdate();
    forget_walk(s);
    return kZipOk;
}

}  // namespace

int deflate_pieces(ZipDeflateWork& w, ZipSource& source, uint64_t size,
                   const std::function<bool(const unsigned char*, size_t)>& sink,
                   const std::function<bool(uint64_t)>& stop, uint32_t& crc, uint64_t& packed) {
    if (!w.deflater) {
        std::unique_ptr<ZipDeflater, ZipStreamFree> fresh(new ZipDeflater);
        if (deflateInit2(&fresh->zs, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            return kZipNoMemory;
        fresh->ready = true;
        w.deflater = std::move(fresh);
    } else if (deflateReset(&w.deflater->zs) != Z_OK) {
        return kZipNoMemory;
    }
    z_stream& zs = w.deflater->zs;
    std::vector<unsigned char>& in = w.in;
    std::vector<unsigned char>& out = w.out;
    in.resize(kChunk);
    out.resize(kChunk);
    uint64_t done = 0;
    packed = 0;
    crc = 0;
    int result = kZipOk;
    bool finishing = false;
    while (result == kZipOk) {
        if (!finishing && done < size) {
            size_t n = static_cast<size_t>(std::min<uint64_t>(size - done, kChunk));
            result = source.read(in.data(), n);
            if (result != kZipOk) break;
            crc = static_cast<uint32_t>(crc32(crc, in.data(), static_cast<uInt>(n)));
            done += n;
            zs.next_in = in.data();
            zs.avail_in = static_cast<uInt>(n);
        }
        finishing = done == size;
        int z;
        do {
            zs.next_out = out.data();
            zs.avail_out = static_cast<uInt>(kChunk);
            z = deflate(&zs, finishing ? Z_FINISH : Z_NO_FLUSH);
            size_t have = kChunk - zs.avail_out;
            packed += have;
            if (have > 0 && !sink(out.data(), have)) result = kZipCannotWrite;
        } while (result == kZipOk && zs.avail_out == 0 && z != Z_STREAM_END);
        if (z == Z_STREAM_END) break;
        if (z != Z_OK && z != Z_BUF_ERROR) result = kZipNoMemory;
        if (result == kZipOk && stop(done)) result = kZipStopped;
    }
    return result == kZipOk ? source.finish() : result;
}

namespace {

// Deflates `size` bytes of `source` behind the local header; fills in CRC and sizes.
int deflate_source(ZipState& s, ZipSource& source, uint64_t size, ZipLocalHeader& l) {
    int result = deflate_pieces(
        s.deflate_work, source, size,
        [&s](const unsigned char* data, size_t n) { return append_bytes(s, data, n); },
        [&s](uint64_t done) { return progress_says_stop(s, done); }, l.crc, l.packed);
    if (result == kZipOk && !l.zip64 && l.packed >= kZip64Marker) result = kZipTooLarge;
    l.unpacked = size;
    return result;
}

// Writes the data another thread deflated, giving the progress callback the bytes of the
// source between pieces as deflate_source does.
int write_packed(ZipState& s, const ZipPacked& p, ZipLocalHeader& l) {
    for (uint64_t done = kChunk; done < p.size; done += kChunk) {
        if (progress_says_stop(s, done)) return kZipStopped;
    }
    l.crc = p.crc;
    l.packed = p.data.size();
    l.unpacked = p.size;
    if (!l.zip64 && l.packed >= kZip64Marker) return kZipTooLarge;
    return append_bytes(s, p.data.data(), p.data.size()) ? kZipOk : kZipCannotWrite;
}

// Writes one member's local header, name, extra field and data; kZipOk or the failure.
int write_member(ZipState& s, const ZipAddition& a, const std::string& name,
                 const std::string& unicode_extra, ZipLocalHeader& l) {
    const bool data = a.source || a.packed;
    l.zip64 = data && needs_zip64_local(a.size);
    l.signature = kLocalSignature;
    l.version_needed = l.zip64 ? kZip64Version : kVersion;
    l.flags = a.stored_entry ? 0 : kFlags;
    l.method = a.stored_entry ? 0 : kDeflated;
    l.date = a.date;
    l.time = a.time;
    l.name_length = static_cast<uint16_t>(name.size());
    // The ZIP64 field comes first: the header is written again with its final sizes.
    const std::string extra = (l.zip64 ? local_zip64_extra(l) : std::string()) + unicode_extra;
    l.extra_length = static_cast<uint16_t>(extra.size());
    int64_t at = s.update.position;
    std::string header;
    append_local(header, l);
    header += name + extra;
    int result = append_bytes(s, header.data(), header.size()) ? kZipOk : kZipCannotWrite;
    if (result == kZipOk && data) {
        result = a.packed ? write_packed(s, *a.packed, l) : deflate_source(s, *a.source, a.size, l);
        header.clear();
        append_local(header, l);
        if (l.zip64) header += name + local_zip64_extra(l);
        if (result == kZipOk && !put_bytes(s, at, header.data(), header.size()))
            result = kZipCannotWrite;
    }
    return result;
}

}  // namespace

void settle_batch(ZipState& s) {
    s.ahead.reset();
    s.batch = false;
    if (s.update.active) commit_update(s);
}

int zip_create(ZipEngine& z, const std::string& path) {
    zip_close(z);
    ZipState& s = z.state();
    s.file = os::open_file(path, os::OpenMode::kCreate);
    if (!s.file) return kZipBadHeader;
    s.path = path;
    s.end.signature = kEndSignature;
    s.directory_loaded = true;
    forget_walk(s);
    return kZipOk;
}

std::string zip_source_path(const std::string& base, const std::string& name) {
    bool absolute = (!name.empty() && (name[0] == '\\' || name[0] == '/')) ||
                    (name.size() >= 2 && name[1] == ':');
    return absolute ? name : join_path(base, name);
}

int zip_add(ZipEngine& z, const std::string& base, const std::string& name) {
    return zip_add_file(z, zip_source_path(base, name), name);
}

int add_member(ZipState& s, const ZipAddition& a, const std::string& name,
               const std::string& unicode, uint32_t attributes) {
    const std::string real = unicode.empty() ? os::to_utf8(name) : unicode;
    const std::string unicode_extra = unicode_path_field(name, real);
    if (unicode_extra.size() + 28 > 0xFFFF) return kZipTooLarge;  // room for a ZIP64 field
    int result = load_directory(s);
    if (result != kZipOk) return result;

    begin_update(s);
    ZipUpdate& u = s.update;
    int64_t mark = u.position;
    size_t head_mark = u.head.size();
    ZipLocalHeader l;
    result = write_member(s, a, name, unicode_extra, l);
    if (result != kZipOk) {
        if (s.directory.size() == u.old_directory_size) {
            abort_update(s);
        } else {  // keep the batch's earlier members
            u.position = mark;
            u.head.resize(
                std::min(head_mark, static_cast<size_t>(std::max<int64_t>(0, mark - u.start))));
        }
        return result;
    }

    ZipCentralHeader h;
    h.signature = kCentralSignature;
    h.version_made_by = kVersion;
    h.version_needed = 0;
    h.flags = l.flags;
    h.method = l.method;
    h.time = l.time;
    h.date = l.date;
    h.crc = l.crc;
    h.packed = l.packed;
    h.unpacked = l.unpacked;
    h.name_length = l.name_length;
    h.external_attributes = attributes;
    h.local_offset = static_cast<uint64_t>(mark);
    const std::string zip64_extra = central_zip64_extra(h);
    if (!zip64_extra.empty()) h.version_needed = kZip64Version;
    const std::string extra = zip64_extra + unicode_extra;
    h.extra_length = static_cast<uint16_t>(extra.size());
    append_central(s.directory, h);
    s.directory += name + extra;
    s.end.directory_offset = static_cast<uint64_t>(u.position);
    ++s.end.entries_on_disk;
    ++s.end.entries;
    s.end.directory_size = s.directory.size();

    result = s.batch ? kZipOk : commit_update(s);
    s.current = h;
    s.current_name = name;
    s.current_real = real;
    s.has_current = result == kZipOk;
    s.current_index = ZipState::kNoIndex;
    if (result != kZipOk) s.current = ZipCentralHeader();
    return result;
}

int zip_add_file(ZipEngine& z, const std::string& path, const std::string& name,
                 const std::string& unicode) {
    ZipState& s = z.state();
    if (!s.file) return kZipNoMember;
    if (name.size() > 0xFFFF) return kZipTooLarge;
    uint32_t attributes = os::attributes(path);
    if (attributes == os::kNoAttributes) return kZipBadHeader;
    ZipAddition a;
    if (attributes & os::kAttrDirectory) return add_member(s, a, name, unicode, attributes);
    ZipPacked packed;
    if (take_ahead(s, path, packed)) {
        a.packed = &packed;
        a.size = packed.size;
        a.date = packed.date;
        a.time = packed.time;
        return add_member(s, a, name, unicode, packed.attributes);
    }
    os::File* file = os::open_file(path, os::OpenMode::kRead);
    const int64_t size = file ? os::file_size(file) : -1;
    int result = kZipBadHeader;
    if (size >= 0) {
        ZipFileSource source(file);
        const DosDateTime stamp = file_time_to_dos(path);
        a.source = &source;
        a.size = static_cast<uint64_t>(size);
        a.date = stamp.date;
        a.time = stamp.time;
        result = add_member(s, a, name, unicode, attributes);
    }
    os::close_file(file);
    return result;
}

int zip_add_folder_entry(ZipEngine& z, const std::string& name, uint16_t date, uint16_t time,
                         uint32_t attributes, const std::string& unicode) {
    ZipState& s = z.state();
    if (!s.file) return kZipNoMember;
    if (name.size() > 0xFFFF) return kZipTooLarge;
    ZipAddition a;
    a.stored_entry = true;
    a.date = date;
    a.time = time;
    return add_member(s, a, name, unicode, attributes);
}

int zip_begin_batch(ZipEngine& z) {
    ZipState& s = z.state();
    if (!s.file) return kZipNoMember;
    s.batch = true;
    return kZipOk;
}

int zip_end_batch(ZipEngine& z) {
    ZipState& s = z.state();
    s.ahead.reset();
    s.batch = false;
    return s.update.active ? commit_update(s) : kZipOk;
}
