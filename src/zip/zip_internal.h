// The ZIP engine's records and state, shared by the reader and the writer only.
#ifndef MARLOX_ZIP_ZIP_INTERNAL_H
#define MARLOX_ZIP_ZIP_INTERNAL_H

#ifndef MARLOX_ZIP_INTERNAL
#error "zip_internal.h belongs to the ZIP engine; include zip/zip.h instead"
#endif

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/member_path.h"
#include "runtime/os.h"
#include "zip/zip.h"
#include "zip/zip_crypt.h"

constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kEndSignature = 0x06054B50;
constexpr size_t kLocalSize = 30;
constexpr size_t kCentralSize = 46;
constexpr size_t kEndSize = 22;
constexpr uint32_t kZip64Marker = 0xFFFFFFFFu;
constexpr uint16_t kUtf8Flag = 0x800;  // general purpose bit 11: the name is UTF-8
constexpr uint16_t kZip64CountMarker = 0xFFFF;
constexpr uint32_t kZip64EndSignature = 0x06064B50;
constexpr uint32_t kZip64LocatorSignature = 0x07064B50;
constexpr size_t kZip64EndSize = 56;
constexpr size_t kZip64LocatorSize = 20;
constexpr uint16_t kZip64Version = 45;  // version needed to extract a member with ZIP64 fields

// End-of-central-directory record, 22 bytes, with the counts, size and offset of the ZIP64 end
// record when the archive has one. Written back, a value too large for its field is the marker
// (all ones), and the ZIP64 end record and its locator go before it.
struct ZipEndRecord {
    uint32_t signature = 0;
    uint16_t disk = 0;
    uint16_t directory_disk = 0;
    uint64_t entries_on_disk = 0;
    uint64_t entries = 0;
    uint64_t directory_size = 0;
    uint64_t directory_offset = 0;
    uint16_t comment_length = 0;
};

// Central directory header, 46 fixed bytes; the name, extra field and comment follow it.
struct ZipCentralHeader {
    uint32_t signature = 0;
    uint16_t version_made_by = 0;
    uint16_t version_needed = 0;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t time = 0;
    uint16_t date = 0;
    uint32_t crc = 0;
    uint64_t packed = 0;
    uint64_t unpacked = 0;
    uint16_t name_length = 0;
    uint16_t extra_length = 0;
    uint16_t comment_length = 0;
    uint16_t disk_start = 0;
    uint16_t internal_attributes = 0;
    uint32_t external_attributes = 0;
    uint64_t local_offset = 0;
    bool zip64_missing = false;  // a field holds the marker but no ZIP64 extra field its value
};

// Local file header, 30 fixed bytes; the name and extra field follow it.
struct ZipLocalHeader {
    uint32_t signature = 0;
    uint16_t version_needed = 0;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t time = 0;
    uint16_t date = 0;
    uint32_t crc = 0;
    uint64_t packed = 0;
    uint64_t unpacked = 0;
    uint16_t name_length = 0;
    uint16_t extra_length = 0;
    bool zip64 = false;  // written with both sizes as markers and the ZIP64 extra field
};

ZipEndRecord parse_end(const unsigned char* p);
ZipCentralHeader parse_central(const unsigned char* p);
ZipLocalHeader parse_local(const unsigned char* p);
// Writes the fixed part of a record. In a central header a size or offset of 4 GiB or more is
// written as the marker, its value going to the ZIP64 extra field; so are both sizes of a local
// header marked zip64.
void append_end(std::string& out, const ZipEndRecord& r);
void append_central(std::string& out, const ZipCentralHeader& h);
void append_local(std::string& out, const ZipLocalHeader& h);

// The member's own name in UTF-8 when its header carries one: the header's `name` when `flags`
// have the UTF-8 flag; else the name of a Unicode Path field (0x7075, version 1) in `extra`
// whose CRC-32 is that of `name`; else `name` when a Unix archiver made it (`made_by`: they
// write the bytes of UTF-8 names without the flag). Empty without one, or when it is not
// well-formed UTF-8: then the header's bytes are the name, in the code page.
std::string unicode_name(uint16_t flags, uint16_t made_by, const std::string& name,
                         const std::string& extra);
// The extra field a member named `name` (the header's bytes) gets for its UTF-8 name `utf8`: a
// Unicode Path field, or nothing when the name is ASCII and the same in both.
std::string unicode_path_field(const std::string& name, const std::string& utf8);

// ---- ZIP64 -------------------------------------------------------------------------------

// The offset of the ZIP64 end record that the 20-byte locator at `p` names; false when `p` holds
// no locator.
bool parse_zip64_locator(const unsigned char* p, uint64_t& end_offset);
// Takes the counts, directory size and offset from the 56-byte ZIP64 end record at `p`; false,
// with `r` unchanged, when `p` holds no such record.
bool parse_zip64_end(const unsigned char* p, ZipEndRecord& r);
// Whether `r` needs the ZIP64 end record: 65,535 members or more, or a directory size or
// offset of 4 GiB or more.
bool needs_zip64_end(const ZipEndRecord& r);
// The ZIP64 end record and its locator for `r`, the record written at `position`.
void append_zip64_end(std::string& out, const ZipEndRecord& r, uint64_t position);

// Replaces the central header's marked fields by their values from the ZIP64 extra field (tag
// 1) in the `length` bytes of extra fields at `extra`, in the field's order: unpacked size,
// packed size, local header offset. A marked field the extra field lacks sets zip64_missing.
void apply_zip64_extra(ZipCentralHeader& h, const unsigned char* extra, size_t length);
// The ZIP64 extra field a central header needs: the values of its fields of 4 GiB or more, in
// that order; empty when none is.
std::string central_zip64_extra(const ZipCentralHeader& h);
// The ZIP64 extra field of a local header: both sizes, always.
std::string local_zip64_extra(const ZipLocalHeader& h);

// An update in progress. Bytes meant for the old tail of the file (from `start`, the old
// directory start, up to `old_end`, the old file size) are kept in `head` and reach the disk in
// one write at the very end; bytes beyond the old end go to the disk at once. Until that last
// write the old archive is intact on disk, and cutting the file back to `old_end` undoes
// everything.
struct ZipUpdate {
    bool active = false;
    int64_t start = 0;
    int64_t old_end = 0;
    int64_t position = 0;  // where the next byte goes
    int64_t disk_end = 0;  // end of the bytes written beyond old_end
    std::string head;      // the new bytes of [start, old_end)
    ZipEndRecord old_record;
    size_t old_directory_size = 0;
};

// A window of the archive file kept in memory.
struct ZipReadCache {
    std::vector<unsigned char> bytes;
    int64_t start = 0;
    size_t length = 0;
};

// zlib streams kept from one member to the next (reset instead of set up again).
struct ZipInflater;
struct ZipDeflater;
struct ZipAhead;
struct ZipStreamFree {
    void operator()(ZipInflater* stream) const;
    void operator()(ZipDeflater* stream) const;
    void operator()(ZipAhead* ahead) const;  // stops its threads first
};

// zlib's deflate stream and the buffers of one thread.
struct ZipDeflateWork {
    std::unique_ptr<ZipDeflater, ZipStreamFree> deflater;
    std::vector<unsigned char> in;
    std::vector<unsigned char> out;
};

struct ZipState {
    os::File* file = nullptr;
    std::string path;  // of the open archive, for other threads' own handles on it
    int64_t file_size = 0;
    ZipEndRecord end;
    bool zip64_end = false;  // the counts, size and offset came from a ZIP64 end record
    int64_t bias = 0;  // bytes before the archive when its offsets are counted from its own start

    // Where the central headers found so far start; `headers_done` once the walk met the end.
    std::vector<int64_t> headers;
    int64_t next_header = 0;
    bool headers_done = false;

    ZipCentralHeader current;
    std::string current_name;  // as shown: in the ANSI code page
    std::string current_real;  // the member's own name in UTF-8
    bool has_current = false;
    size_t current_index = 0;  // index into `headers`, or kNoIndex
    static constexpr size_t kNoIndex = static_cast<size_t>(-1);

    ZipReadCache walk_cache;  // for the directory walk
    ZipReadCache data_cache;  // for local headers and member data
    std::unique_ptr<ZipInflater, ZipStreamFree> inflater;
    ZipDeflateWork deflate_work;
    std::vector<unsigned char> in_buffer;
    std::vector<unsigned char> out_buffer;
    MemberPlacement placement{false, true};  // ZIP names in UTF-8: folders split at "/" only

    // The writer's copy of the directory: loaded on the first addition, grown by each one.
    std::string directory;
    bool directory_loaded = false;
    bool batch = false;
    ZipUpdate update;
    std::unique_ptr<ZipAhead, ZipStreamFree> ahead;  // files deflated ahead for the batch
    int threads = 0;                                 // 0: one per core

    ZipProgress progress = nullptr;
    void* progress_context = nullptr;

    bool date_files = false;  // extracted files take their member's date before they close
    std::string password;     // tried on encrypted members; empty: none
    ZipDecryption crypt;      // the member being read
};

// Finds and reads the end record (and the ZIP64 end record) of the open file, and the bias of
// an archive behind a prefix; false when the file holds no end record.
bool read_end(ZipState& s);
// Reads up to `size` bytes at `position`; the count read.
size_t read_at(ZipState& s, int64_t position, void* buffer, size_t size);
// Forgets the directory walk and the read caches (after the file changed).
void forget_walk(ZipState& s);
// Ends a batch before a reading operation.
void settle_batch(ZipState& s);
// Calls the progress callback; true when it asks to stop.
bool progress_says_stop(ZipState& s, uint64_t done);

// Writes the data of the member with headers `h` and `l` that starts at `data` to the file `path`
// (UTF-8), as zip_extract_file does.
int write_data(ZipState& s, const ZipCentralHeader& h, const ZipLocalHeader& l, int64_t data,
               const std::string& path);

// Checks what this engine can read of the member with central header `h` and, when `target` is
// given, that the target folder exists; reads its local header into `l`, sets up its decryption
// and gives where its data starts. kZipOk or the reason it cannot be read (see zip_extract).
int locate_data(ZipState& s, const ZipCentralHeader& h, const std::string* target,
                ZipLocalHeader& l, int64_t& data);

// The data of a member being added, read in order.
class ZipSource {
  public:
    virtual ~ZipSource() = default;
    // Fills `buffer` with the next `size` bytes: kZipOk, or why it cannot (kZipShortRead when
    // the data ends early).
    virtual int read(unsigned char* buffer, size_t size) = 0;
    // After the last piece: kZipOk when the data read checked out, or why it did not.
    virtual int finish() { return kZipOk; }
};

// A file read from its start.
class ZipFileSource : public ZipSource {
  public:
    explicit ZipFileSource(os::File* file) : file_(file) {}
    int read(unsigned char* buffer, size_t size) override {
        return os::read_file(file_, buffer, size) == static_cast<int64_t>(size) ? kZipOk
                                                                                : kZipShortRead;
    }

  private:
    os::File* file_;
};

// A file already deflated by another thread: what zip_add_file reads of it, and its data.
struct ZipPacked {
    uint32_t attributes = 0;
    uint64_t size = 0;
    uint16_t date = 0;
    uint16_t time = 0;
    uint32_t crc = 0;
    std::vector<unsigned char> data;  // the raw deflate stream
};

// Deflates `size` bytes of `source` at level 9, read in pieces of 64 KiB, as every member is
// deflated; gives the output to `sink` (false: it could not be written, kZipCannotWrite) and,
// between pieces, the bytes read so far to `stop` (true: kZipStopped). Sets `crc` and `packed`.
int deflate_pieces(ZipDeflateWork& w, ZipSource& source, uint64_t size,
                   const std::function<bool(const unsigned char*, size_t)>& sink,
                   const std::function<bool(uint64_t)>& stop, uint32_t& crc, uint64_t& packed);

// The threads zip_add_ahead and zip_extract_all use: zip_set_threads's, or one per core.
int thread_count(const ZipState& s);

// A member of another archive to deflate ahead for zip_add_member_of: its central header,
// whether it is stored, and where its data starts; announced by its key.
struct ZipAheadMember {
    ZipCentralHeader h;
    bool stored = false;
    int64_t data = 0;
};
std::string member_key(int member);
// Reads member `m` of the archive open in `w` (not encrypted) as zip_add_member_of does and
// deflates it into `p`; kZipOk when its data checked out.
int pack_member(ZipState& w, const ZipAheadMember& m, ZipDeflateWork& work, ZipPacked& p);

// Takes the result for `path` when another thread deflated it ahead; false when the caller
// deflates it itself (not announced, too large, or the other thread could not read it).
bool take_ahead(ZipState& s, const std::string& path, ZipPacked& packed);

// What a member being added is made of: `size` bytes of `source` deflated at level 9 (or
// `packed`, deflated already), or no data at all without either (a folder); stored as a folder
// entry (method 0, flags 0) when `stored_entry`; the local DOS stamp `date` and `time`.
struct ZipAddition {
    const ZipPacked* packed = nullptr;
    ZipSource* source = nullptr;
    uint64_t size = 0;
    bool stored_entry = false;
    uint16_t date = 0;
    uint16_t time = 0;
};

// Adds the member `a` as `name`, with the UTF-8 name `unicode` (empty: `name` in the code page)
// and the external `attributes`, as zip_add_file describes; the results are zip_add's.
int add_member(ZipState& s, const ZipAddition& a, const std::string& name,
               const std::string& unicode, uint32_t attributes);

#endif
