// The few things the portable code needs from the operating system.
//
// Paths are Windows-1252 byte strings. Portable code writes them the Windows way, with "\"
// separators; the POSIX implementation maps "\" to "/" before it touches the file system,
// so the host build sees the same folder structure that Windows would, and names its files in
// UTF-8 as Linux programs do (a name read back that the code page cannot hold shows "?").
// The few calls in `unicode` take UTF-8 paths instead, for names the code page cannot hold.
//
// Attribute words use the Windows bits; times are FILETIME values (100-nanosecond steps since
// 1601-01-01). Nothing here shows a message.
#ifndef MARLOX_RUNTIME_OS_H
#define MARLOX_RUNTIME_OS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace os {

constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrNormal = 0x80;
// A link or junction (a reparse point): walks and deletions never pass through one.
constexpr uint32_t kAttrReparsePoint = 0x400;
constexpr uint32_t kNoAttributes = 0xFFFFFFFFu;  // what `attributes` returns for a missing path

// ---- files -------------------------------------------------------------------------------

struct File;  // an open file; opaque

enum class OpenMode {
    kRead,       // existing file, reading only, others may read and write
    kReadWrite,  // existing file, reading and writing; fails on a read-only file
    kCreate,     // create or truncate, reading and writing
};

// Opens `path`; null on failure.
File* open_file(const std::string& path, OpenMode mode);
// Reads up to `size` bytes at the current position; returns the count read (0 at the end of
// the file) or -1 on an error.
int64_t read_file(File* f, void* buffer, size_t size);
// Writes `size` bytes at the current position; true only when all of them were written.
bool write_file(File* f, const void* buffer, size_t size);
bool seek_file(File* f, int64_t position);
int64_t tell_file(File* f);
// Size in bytes, -1 on an error.
int64_t file_size(File* f);
// Cuts the file at the current position.
bool truncate_file(File* f);
bool flush_file(File* f);
// Sets the last-write time (UTC) of a file open for writing; the writes before it do not
// change it afterwards.
bool set_file_time(File* f, uint64_t filetime);
// Closes and frees `f`; false when the system reports that what was written could not be
// kept. A null `f` is ignored.
bool close_file(File* f);

// `path` as the system's own calls take it, for libraries that open files themselves: itself
// on Windows, with "/" for "\" natively.
std::string native_path(const std::string& path);

// Reads a whole file; false when it cannot be opened or read.
bool read_whole_file(const std::string& path, std::string& out);

// ---- attributes and times ----------------------------------------------------------------

// The attribute word of `path`, or kNoAttributes when it does not exist.
uint32_t attributes(const std::string& path);
bool set_attributes(const std::string& path, uint32_t attributes);
// The size in bytes of the file at `path`; -1 when it is a folder or does not exist.
int64_t file_size(const std::string& path);

// Last-write time of an existing file or folder, UTC; false when it cannot be read.
bool last_write_time(const std::string& path, uint64_t& filetime);
// Sets only the last-write time of an existing file opened for writing (sharing read and
// write); false when the file cannot be opened that way or the time cannot be set.
bool set_last_write_time(const std::string& path, uint64_t filetime);

// Conversions between UTC and local file times with the machine's current time-zone rules.
bool utc_to_local(uint64_t utc, uint64_t& local);
bool local_to_utc(uint64_t local, uint64_t& utc);

struct SystemTime {
    int year, month, day_of_week, day, hour, minute, second, milliseconds;
};
// The calendar parts of a file time (no time-zone shift) and back. False out of range.
bool file_time_to_system_time(uint64_t filetime, SystemTime& out);
bool system_time_to_file_time(const SystemTime& in, uint64_t& filetime);
// The current local wall-clock time.
SystemTime local_now();

// ---- folders and whole files -------------------------------------------------------------

// Creates one folder; true when it was created or already exists as a folder.
bool create_folder(const std::string& path);
// Creates one folder; true only when this call created it (another process may race for it).
bool create_new_folder(const std::string& path);
// The attribute word of `path` itself, without following a link: a link has kAttrReparsePoint
// and the folder bit of what it points to. kNoAttributes when nothing is there.
uint32_t own_attributes(const std::string& path);
// Removes an empty folder, or a link to a folder (never what it points to).
bool remove_folder(const std::string& path);
bool delete_file(const std::string& path);
// Copies `from` over `to`; with `fail_if_exists`, an existing `to` makes it fail.
bool copy_file(const std::string& from, const std::string& to, bool fail_if_exists);
bool move_file(const std::string& from, const std::string& to);
// Whether two paths name the same existing file, however they are spelled.
bool same_file(const std::string& a, const std::string& b);
// Renames `from` to `to`, putting it in the place of an existing file `to` in one step; on
// failure both stay as they were.
bool replace_file(const std::string& from, const std::string& to);
// The zone marker of `path` (the stream that tells where a download came from); false when it
// has none or the file system keeps no streams.
bool read_zone_marker(const std::string& path, std::string& marker);
// Gives the file `path` the zone marker `marker`, a read-only file too; false when it cannot.
bool write_zone_marker(const std::string& path, const std::string& marker);

struct FolderEntry {
    std::string name;     // the bare name, never "." or ".."
    uint32_t attributes;  // the Windows bits; a link has kAttrReparsePoint, not what it points to
};
// The entries of `folder` in the order the file system gives them; false when it cannot be read.
bool list_folder(const std::string& folder, std::vector<FolderEntry>& out);

// Free bytes on the volume holding `path`; -1 when unknown.
int64_t free_space(const std::string& path);

// The user's temporary folder with one trailing separator.
std::string temp_folder();
// The full path of the running program and its folder (with trailing separator).
std::string program_path();
std::string program_folder();

// ---- texts -------------------------------------------------------------------------------

// Between the program's 8-bit texts and wide ones: the ANSI code page on Windows, Windows-1252
// natively. A character the other side lacks becomes "?".
std::wstring to_wide(const std::string& text);
std::string from_wide(const std::wstring& text);

// Between the program's 8-bit texts and UTF-8, as to_wide and from_wide. `utf8_to_ansi` takes
// a byte that is not part of valid UTF-8 for a character the code page lacks.
std::string to_utf8(const std::string& text);
std::string utf8_to_ansi(const std::string& utf8);
// Whether `text` is well-formed UTF-8.
bool is_utf8(const std::string& text);
// A wide text in UTF-8 (a lone surrogate becomes U+FFFD).
std::string utf8_from_wide(const std::wstring& wide);

// ---- Unicode paths -----------------------------------------------------------------------

// The calls extraction needs, for paths in UTF-8 (the wide calls on Windows); each behaves as
// its namesake above.
namespace unicode {
File* open_file(const std::string& path, OpenMode mode);
uint32_t attributes(const std::string& path);
bool create_folder(const std::string& path);
bool delete_file(const std::string& path);
bool replace_file(const std::string& from, const std::string& to);
bool set_last_write_time(const std::string& path, uint64_t filetime);
}  // namespace unicode

// ---- libraries ---------------------------------------------------------------------------

// The calling convention of the callbacks and entry points of Windows libraries: stdcall on
// 32-bit Windows, the platform's own elsewhere.
#if defined(_WIN32) && !defined(_WIN64)
#define MARLOX_STDCALL __stdcall
#else
#define MARLOX_STDCALL
#endif

struct Library;  // opaque
Library* load_library(const std::string& name);
void* find_symbol(Library* library, const char* name);
void free_library(Library* library);

// ---- fault injection for tests -----------------------------------------------------------

// After `bytes` more bytes have been written through write_file, every further write fails
// (a full disk); a negative value turns the fault off. Tests only.
void fail_writes_after(int64_t bytes);

#ifndef _WIN32
// Zone markers on the host, whose file systems keep no streams: while `on`, they are kept in
// memory by path, and a read-only file refuses one. Tests only.
void emulate_zone_markers(bool on);
#endif

}  // namespace os

#endif
