// The ZIP engine: reads and writes ZIP archives over raw deflate.
//
// One ZipEngine holds one open archive at a time: the archive file, its end record in memory,
// the current member of a walk, the directory kept for the writer and the progress callback.
// The caller owns the engine (the application object owns one; tests make their own), and every
// operation takes it first. The engine shows no messages and sets no file dates: callers take
// the member's date from zip_member_info and set it themselves.
//
// The format is PKWARE's APPNOTE: local headers with the member data, then the central
// directory, then the 22-byte end record. Each member has its own name, in UTF-8, and the name
// it shows, in the ANSI code page, with "?" for each character the code page cannot hold. The
// own name is, where it is well-formed UTF-8: the header's name when the UTF-8 flag (general
// purpose bit 11) is set; else the name of a Unicode Path extra field (0x7075) whose CRC-32
// matches the header's name; else the header's name when a Unix archiver made the member (they
// write UTF-8 names without the flag). Otherwise it is the header's bytes taken as they are in
// the code page. "/" and "\" both separate folders
// when a member is extracted, under its own name. The writer stores names in the code page's
// bytes as given; a name outside ASCII also gets a Unicode Path field with its UTF-8 form in
// both headers.
//
// ZIP64: sizes, offsets and counts are 64-bit throughout. A header field or end record field
// set to all ones takes its value from the ZIP64 extra field (tag 1) or the ZIP64 end record
// (found through its locator right before the end record), as other archivers write them also
// where the values would fit. The writer puts ZIP64 fields only where a value does not fit:
// 65,535 members or more, a size or an offset of 4 GiB or more.
//
// Result codes. Every operation that returns an int returns one of these:
//
//   0 kZipOk          success.
//   1 kZipBadHeader   zip_open: the file cannot be opened for reading and writing, or holds no
//                     end record. zip_extract: the member's local header signature is wrong.
//                     zip_create: the file cannot be created. zip_add: the source is missing
//                     or cannot be opened.
//   2 kZipNoMemory    memory could not be had, zlib failed to initialise, or the system's
//                     cryptography failed while an encrypted member was read.
//   3 kZipUnsupported the member or archive uses what this engine does not handle: a method
//                     other than 0 (stored) and 8 (deflated) (under AES: the method its extra
//                     field names), central and local headers that name different methods, an
//                     AES member without a valid extra field 0x9901, a Unix symbolic link, ZIP64
//                     markers (sizes, offsets or counts set to all ones) without the ZIP64
//                     extra field or end record that holds their values, or an archive whose
//                     offsets are counted from after a prefix (zip_add only). Nothing is
//                     written, not even the member's folders.
//   4 kZipNoTarget    zip_extract: the target folder does not exist. Nothing is created.
//   5 kZipShortRead   fewer bytes could be read than the headers promise: a truncated archive
//                     or a source file that shrank while it was added.
//   6 kZipDamaged     zip_extract: the member's data is damaged: inflate failed, the data ended
//                     before or ran past the declared unpacked size, a stored member's two sizes
//                     differ, or the CRC-32 of the result is not the one in the central header.
//                     No file is left for the member; an existing file of that name is kept.
//   7 kZipCannotWrite zip_extract: the output file cannot be created or written (an existing
//                     file of that name is kept). zip_add / zip_end_batch: the archive could
//                     not be written (a full disk); the archive is put back as it was before.
//   8 kZipStopped     the progress callback returned 1. zip_extract leaves no file for the
//                     member; zip_add leaves the archive as it was before.
//   9 kZipNoMember    no archive is open, or there is no such member (a member number beyond
//                     the directory, or no current member for zip_extract with number 0).
//  10 kZipTooLarge    zip_add: the member would outgrow the format (a name, or its UTF-8
//                     form, of more than 65,500 bytes, or deflated data past 4 GiB behind a local
//                     header written without the ZIP64 field); nothing is added.
//  11 kZipBadPassword zip_extract: the member is encrypted and no password is set, or the
//                     password is wrong: the cipher's check value (the traditional header's
//                     last byte, the AES verifier) does not match, or the data deciphered with
//                     it did not check out (CRC-32, size, deflate stream or AES authentication
//                     code: a wrong password and damaged data cannot be told apart there).
//                     Nothing is written: no folders when the check value failed, no file and no
//                     change to an existing file of that name in either case.
//
// Encrypted members (flag bit 0 in either header) are read with the password of
// zip_set_password: the traditional PKWARE cipher, and WinZip AES (method 99 with the extra
// field 0x9901: AE-1 and AE-2, keys of 128, 192 and 256 bits; PBKDF2-HMAC-SHA1 over 1,000
// rounds, AES in counter mode, a 10-byte HMAC-SHA1 authentication code). An AE-2 member's CRC
// field is not checked (it holds none); its authentication code stands for it. Both ciphers
// take the password's bytes as they are.
//
// Costs. Walking (zip_first, zip_next), zip_goto and zip_count remember where each central
// header starts, so walking a directory, going to every member in turn or extracting every
// member is linear in the member count. Extraction streams: memory use does not depend on a
// member's size, and declared sizes are never trusted for an allocation.
//
// Adding many files: each zip_add writes the new member over the old central directory and
// then writes the directory again behind it, so that the file on disk is a complete archive
// when zip_add returns. For m files that rewrites a growing directory m times. A caller that
// adds many files brackets them with zip_begin_batch and zip_end_batch: inside a batch, zip_add
// writes only the member's data and keeps the directory in memory, and zip_end_batch writes the
// directory and end record once. The bytes on disk after the batch are the same as after the
// same zip_add calls without a batch. During a batch the old archive stays intact on disk (its
// directory and end record are overwritten only by the last write of zip_end_batch, and new
// data goes behind its old end): whatever fails, the archive is either the old one or, once
// zip_end_batch succeeded, the new one; a crash leaves the old one followed by unfinished data.
#ifndef MARLOX_ZIP_ZIP_H
#define MARLOX_ZIP_ZIP_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

constexpr int kZipOk = 0;
constexpr int kZipBadHeader = 1;
constexpr int kZipNoMemory = 2;
constexpr int kZipUnsupported = 3;
constexpr int kZipNoTarget = 4;
constexpr int kZipShortRead = 5;
constexpr int kZipDamaged = 6;
constexpr int kZipCannotWrite = 7;
constexpr int kZipStopped = 8;
constexpr int kZipNoMember = 9;
constexpr int kZipTooLarge = 10;
constexpr int kZipBadPassword = 11;

// What zip_member_info reports about the current member, from its central header. The date
// and time are the member's DOS stamp unpacked field by field (all seven year bits plus 1980),
// without any validity check: a zero date word gives year 1980, month 0, day 0. The two-second
// field is not used; second is always 0. The sizes are the true ones, also those of 4 GiB and
// more that a ZIP64 extra field holds.
struct ZipMemberInfo {
    uint64_t unpacked = 0;
    uint64_t packed = 0;
    uint32_t crc = 0;
    uint32_t attributes = 0;  // external attributes: the Windows bits for archives made on Windows
    int16_t year = 0;
    int16_t month = 0;
    int16_t day = 0;
    int16_t hour = 0;
    int16_t minute = 0;
    int16_t second = 0;
};

// Called with the bytes done so far between pieces of (de)compression: bytes written out when
// extracting, bytes of the source consumed when adding. Returning 1 stops the current member
// (result kZipStopped); any other value goes on. The callback must not call the engine.
using ZipProgress = int (*)(void* context, long bytes_done);

struct ZipState;  // the engine's internals, private to src/zip

class ZipEngine {
  public:
    ZipEngine();
    ~ZipEngine();  // closes the archive as zip_close does
    ZipEngine(const ZipEngine&) = delete;
    ZipEngine& operator=(const ZipEngine&) = delete;

    ZipState& state() { return *state_; }
    const ZipState& state() const { return *state_; }

  private:
    std::unique_ptr<ZipState> state_;
};

// ---- reading ---------------------------------------------------------------------------

// Opens the archive at `path` for reading and updating. Any archive open before is closed
// first. The file must exist and be writable (a read-only file fails). The end record is the
// last occurrence of its signature at or before 22 bytes from the end of the file; its comment
// length is taken as 0 from then on. When the directory is not where the end record says but
// right before the end record (an archive with a prefix, such as a self-extracting stub), every
// offset is counted from the archive's real start. With a ZIP64 end record the directory's
// counts, size and offset are its own, and the directory ends where that record starts.
// Returns kZipOk, or kZipBadHeader with nothing open.
int zip_open(ZipEngine& z, const std::string& path);

// Whether an archive is open (after zip_open or zip_create, until zip_close).
bool zip_is_open(const ZipEngine& z);

// Whether the open archive's end record lists no members and no directory at all: an archive
// made empty, as opposed to one whose directory cannot be read. False when nothing is open.
bool zip_declares_no_members(ZipEngine& z);

// Whether the open archive's directory agrees with its end record: as many central headers as
// the end record counts (at least one) follow each other from where the directory starts and
// fill exactly the directory size it gives. A file that merely holds the end record's signature
// somewhere fails this. False when nothing is open.
bool zip_directory_consistent(ZipEngine& z);

// Closes the archive: ends an open batch as zip_end_batch does, closes the file and forgets the
// end record and the current member. Does nothing when nothing is open. The progress callback
// stays installed.
void zip_close(ZipEngine& z);

// The number of consecutive central headers found from the start of the directory (the count
// in the end record is not consulted); 0 when nothing is open or the directory start points
// elsewhere. Does not change the current member.
int zip_count(ZipEngine& z);

// Makes the first member current and returns the name it shows; the empty string (and no current
// member) when the directory is empty or nothing is open.
std::string zip_first(ZipEngine& z);

// Makes the member after the current one current and returns the name it shows; the empty string at
// the end of the directory, after which there is no current member.
std::string zip_next(ZipEngine& z);

// Makes member `member` (counted from 1) current and returns the name it shows; the empty string,
// with no current member, when the directory ends earlier or `member` is below 1.
std::string zip_goto(ZipEngine& z, int member);

// The current member's own name in UTF-8; empty without a current member.
std::string zip_real_name(const ZipEngine& z);

// Fills `info` from the current member's central header. Without a current member, fills the
// values of an all-zero header and returns kZipNoMember; otherwise kZipOk.
int zip_member_info(ZipEngine& z, ZipMemberInfo& info);

// Extracts member `member` (counted from 1; 0 = the current member) into the folder `target`,
// which must exist. A member number makes that member current, as zip_goto does.
//
// The member's own name (zip_real_name) is confined to the target, and the file is made
// through the OS layer's Unicode calls, so it gets its real name: "/" and "\" both split it; empty,
// "." and ".." pieces and a leading drive or root ("C:", "/", "\\server\") are dropped; in each
// remaining piece a ":", a control character or one of <>"|?* becomes "_", trailing dots and spaces
// are cut, and a device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, also with an extension) gets a
// leading "_". So "../../x.txt" lands as target\x.txt. The folder part (up to the last separator)
// is then split at "/": each piece is created as a folder and entered. A piece written with "\" is
// one folder path, entered only when all but its last folder already exist; a piece that cannot be
// entered leaves the file in the folder reached so far. A name whose file part is empty (a
// folder member such as "x/y/") creates its folders and no file.
//
// A member of unpacked size 0, stored or deflated, gives an empty file, unless its attributes
// carry the folder bit (0x10): then it is a folder member, also when its name does not end in a
// separator (zip_add stores folders so). The data is
// checked before it replaces anything: it goes to a temporary file beside an existing file of the
// same name, which is replaced only when the size and CRC-32 match the central header; an output
// file that did not exist before is removed on failure.
//
// Returns kZipOk, or kZipNoMember, kZipBadHeader, kZipUnsupported, kZipNoTarget, kZipShortRead,
// kZipDamaged, kZipCannotWrite, kZipStopped, kZipNoMemory, kZipBadPassword (see the list of codes
// above).
int zip_extract(ZipEngine& z, const std::string& target, int member);

// Extracts the data of member `member` (counted from 1) into the file `path`, whatever the
// member's name says: no folders are made and the name is not looked at. A member without data
// gives an empty file. An existing file at `path` is replaced only by data that checked out, as
// with zip_extract. The member becomes current.
// Returns kZipOk, or kZipNoMember, kZipBadHeader, kZipUnsupported, kZipShortRead, kZipDamaged,
// kZipCannotWrite, kZipStopped, kZipNoMemory, kZipBadPassword.
int zip_extract_file(ZipEngine& z, int member, const std::string& path);

// Sets the password tried on every encrypted member of the open archive; the empty string for
// none. zip_open and zip_close forget it.
void zip_set_password(ZipEngine& z, const std::string& password);

// With `on`, every file zip_extract, zip_extract_all and zip_extract_file write from now on takes
// its member's date (to the minute, read as local time) before it is closed; folders keep theirs.
// zip_open and zip_close switch it off.
void zip_set_file_dates(ZipEngine& z, bool on);

// Installs `callback` (null for none) and the `context` it receives. It stays installed across
// zip_open and zip_close.
void zip_set_progress(ZipEngine& z, ZipProgress callback, void* context);

// ---- writing ---------------------------------------------------------------------------

// Closes any open archive, then creates the file at `path` (an existing file is truncated to 0
// bytes) and leaves it open as an empty archive. Nothing more is written until the first
// zip_add: a new archive closed without any addition is an empty file of 0 bytes.
// Returns kZipOk, or kZipBadHeader when the file cannot be created (nothing is open then).
int zip_create(ZipEngine& z, const std::string& path);

// Adds the file or folder `name` to the open archive. The source is `name` itself when it is
// absolute ("\..." or "X:..."), otherwise `base` followed by `name` (with a "\" between them
// when `base` does not end in one); the member name is `name` byte for byte.
//
// A file is compressed with raw deflate at level 9; a folder becomes a member without data. The
// member is written where the central directory started, and the directory follows it with the new
// member's central header last, then the end record. Local header: version 14, flags 2, method 8
// (also for folders), the source's last-write time as a local DOS stamp (0 for a folder), CRC-32,
// sizes (0 for a folder), no extra field for a name of ASCII characters, else a Unicode Path field
// (0x7075: version 1, the CRC-32 of `name`, the UTF-8 name). Central header: version made by 14,
// version needed 0, the same flags, method, stamp, CRC, sizes and Unicode Path field, no comment,
// external attributes = the source's Windows attribute bits (0x10 for a folder). ZIP64 only where
// needed: a source whose size, or what deflate may make of it, reaches 4 GiB gets local version 45,
// both sizes as markers and a ZIP64 extra field with both, before any other; a central header whose
// size or offset reaches 4 GiB gets version needed 45, the marker and a ZIP64 extra field with
// those values; 65,535 members or a directory size or offset of 4 GiB or more get the ZIP64 end
// record and its locator before the end record, whose fields that do not fit are markers. The file
// is never shortened: when the old archive ended with a comment longer than the bytes added, its
// rest stays behind the new end record.
//
// The new member becomes the current member. Outside a batch the archive on disk is complete
// and valid when zip_add returns; inside one, see zip_begin_batch. On any failure the archive
// is left as it was before the call (inside a batch: with the batch's earlier members still
// pending).
// Returns kZipOk, or kZipNoMember (nothing open), kZipBadHeader (source missing or unreadable),
// kZipNoMemory, kZipUnsupported (unresolved ZIP64 markers or a prefix), kZipShortRead (the
// old directory or the source could not be read in full), kZipStopped, kZipCannotWrite,
// kZipTooLarge.
int zip_add(ZipEngine& z, const std::string& base, const std::string& name);

// Adds the file or folder at `path` under the member name `name`, as zip_add does for its source;
// the name need not be a path of the source at all. `unicode`, when given, is the member's own
// name in UTF-8 for the Unicode Path field (a member kept with the name it had; `name` is then
// the name it shows); a field that would not fit gives kZipTooLarge. Same results as zip_add.
int zip_add_file(ZipEngine& z, const std::string& path, const std::string& name,
                 const std::string& unicode = std::string());

// Adds a folder entry without data as other archivers write one: `name` byte for byte, method 0
// (stored), flags 0, CRC and sizes 0, the local DOS `date` and `time`, external attributes
// `attributes`, the UTF-8 name `unicode` as zip_add_file takes it; otherwise as zip_add. Same
// results as zip_add.
int zip_add_folder_entry(ZipEngine& z, const std::string& name, uint16_t date, uint16_t time,
                         uint32_t attributes, const std::string& unicode = std::string());

// Adds member `member` (counted from 1) of the archive open in `from` to the archive open in
// `to`, another engine, as zip_add_file adds a file holding that member's data: the data is read
// as zip_extract_file reads it and deflated at level 9 into `to` piece by piece, with no file in
// between, so the bytes written are those zip_add_file writes for such a file. `name` and
// `unicode` are as for zip_add_file; the local DOS `date` and `time` and the external
// `attributes` stand for what zip_add_file takes from the file. The data must check out as
// zip_extract_file checks it (its size and CRC-32, the cipher's check values), otherwise nothing
// is added: `to` is left as after a failed zip_add. The member becomes current in `from`, the
// new member in `to`; the progress callback of `to` gets the bytes of the member's data read.
// Returns kZipOk, or kZipNoMember (nothing open in either engine, or no such member), or a
// failure zip_extract_file or zip_add would give for it.
int zip_add_member_of(ZipEngine& to, ZipEngine& from, int member, const std::string& name,
                      const std::string& unicode, uint16_t date, uint16_t time,
                      uint32_t attributes);

// Starts a batch of additions (see "Adding many files" above). Until zip_end_batch, zip_add
// writes member data only; the new directory and end record reach the disk in zip_end_batch.
// A reading operation (zip_count, a walk, zip_goto, zip_extract) ends the batch first, as
// zip_end_batch does; call zip_end_batch yourself to learn its result.
// Returns kZipOk, or kZipNoMember when nothing is open. A batch already open stays open.
int zip_begin_batch(ZipEngine& z);

// Ends the batch: writes the directory and the end record, flushes the archive and returns
// kZipOk. When that fails the archive is put back as it was before the batch and the result is
// kZipCannotWrite. Without an open batch it does nothing and returns kZipOk.
int zip_end_batch(ZipEngine& z);

// ---- using more than one core ----------------------------------------------------------

// Sets how many threads zip_add_ahead and zip_extract_all use besides the caller's: 0 (the
// default) for one per core the system reports, 1 or less for none, so that they do what the
// calls of one member at a time do in the caller's thread. It stays set across zip_open and
// zip_close.
void zip_set_threads(ZipEngine& z, int threads);

// The source path zip_add takes for `base` and `name`.
std::string zip_source_path(const std::string& base, const std::string& name);

// Announces, inside a batch, the sources (as zip_add_file's `path`, or zip_source_path of
// zip_add's `base` and `name`) that the next zip_add and zip_add_file calls add, in their order.
// Other threads then read and deflate them ahead into memory: files up to 32 MiB, with about
// 64 MiB of deflated data held at most. A zip_add of an announced source writes what was made
// ahead for it (sources announced before it and never added are forgotten); one that was not
// announced, is larger, or could not be read ahead is deflated in the caller's thread. Each call
// has the same result, the same progress calls and the same bytes in the archive as without the
// announcement (deflate gives the same stream for the same bytes), except that a source is read
// when a thread gets to it, which may be before its call. The announcement ends with the batch,
// as does a new one. Does nothing with fewer than two threads or outside a batch.
// Returns kZipOk, or kZipNoMember when nothing is open.
int zip_add_ahead(ZipEngine& z, const std::vector<std::string>& paths);

// As zip_add_ahead, for the zip_add_member_of calls that add `members` (numbers counted from 1)
// of the archive open in `from` to the batch of `to`, in their order: other threads, each with
// its own handle on that archive, inflate and deflate them ahead (members up to 32 MiB; encrypted
// ones are left to zip_add_member_of). Walks `from` to find them. Returns kZipOk, or
// kZipNoMember when either engine has nothing open.
int zip_add_ahead_members(ZipEngine& to, ZipEngine& from, const std::vector<int>& members);

// Extracts every member into `target` as zip_extract(z, target, i) does for i = 1 to zip_count in
// turn, member i's result going to results[i - 1]: the same folders, files and results. With
// more than one thread, the calling thread walks the members in order, checks each and makes its
// folders, and other threads, each with its own handle on the archive, inflate and write the
// files. A member whose file could clash with one being written (the same file, or a file where
// it needs a folder) waits for those; encrypted members are extracted by the calling thread.
// The progress callback is called in the calling thread only: while it extracts a member itself
// as zip_extract does, and with a member's unpacked size once another thread wrote it. When it
// returns 1 that member, if unfinished, and every member not yet started gives kZipStopped.
// Afterwards there is no current member. Returns kZipOk, or kZipNoMember (and no results) when
// nothing is open.
int zip_extract_all(ZipEngine& z, const std::string& target, std::vector<int>& results);

#endif
