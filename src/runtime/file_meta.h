// Date, time, attribute, wildcard and case rules shared by every archive back-end.
#ifndef MARLOX_RUNTIME_FILE_META_H
#define MARLOX_RUNTIME_FILE_META_H

#include <cstdint>
#include <string>

// The MS-DOS packed stamp that ZIP, RAR and CAB headers carry, in local wall-clock time.
// Date: bits 15-9 year - 1980, 8-5 month, 4-0 day. Time: bits 15-11 hour, 10-5 minute,
// 4-0 seconds / 2.
struct DosDateTime {
    uint16_t date = 0;
    uint16_t time = 0;
};

// Seconds since 1970-01-01 00:00:00 counted in local wall-clock time: its calendar parts come
// from a UTC breakdown, so no time-zone shift ever applies to it. -1 means "no valid date".
using LocalDate = int32_t;
constexpr LocalDate kNoDate = -1;

// The wall-clock moment given by its parts, or -1 when the parts name no real date or time
// (31 April, 29 February of a common year, minute 60, year 0), or the moment lies before
// 1970 or beyond the 32-bit range.
LocalDate make_local_date(int year, int month, int day, int hour, int minute, int second);

// Packs calendar parts (year 1980 to 2107) into a DOS stamp; an odd second loses its last second.
DosDateTime make_dos_stamp(int year, int month, int day, int hour, int minute, int second);

// Unpacks a DOS stamp: all seven year bits, seconds always 0. The all-zero stamp gives -1.
LocalDate dos_to_local_date(DosDateTime stamp);

// A calendar or clock part written with at least two digits: 7 gives "07", 2024 stays "2024".
std::string two_digits(int value);

// The DOS stamp of the last-write time of an existing file, in local time; an odd second
// loses its last second. Date 0 and time 0 when the time cannot be read or packed.
DosDateTime file_time_to_dos(const std::string& path);

// The UTC FILETIME of a local wall-clock date, converted with the machine's time-zone rules.
uint64_t local_date_to_file_time(LocalDate value);

// Sets only the last-write time of an existing file. Reports nothing: a file that cannot be
// opened for writing, and the date -1, leave the file as it was.
void set_file_date(const std::string& path, LocalDate value, bool unicode = false);

// The Windows attribute word; 0xFFFFFFFF (all bits, the folder bit included) when the path
// does not exist, so test for that before testing the folder bit.
uint32_t get_file_attributes(const std::string& path);
// Non-zero on success; 0 on failure, changing nothing.
int set_file_attributes(const std::string& path, uint32_t attributes);

// 1 when `name` matches `pattern`, else 0. The pattern holds alternatives separated by "|",
// each matched against the whole name: "*" at the end of an alternative matches the rest,
// another "*" matches at least one character up to the first occurrence of the character
// after it (no backtracking), "?" matches exactly one character. With `ignore_case` 1 both
// sides go through lower_case first. The empty pattern matches nothing.
int match_wildcard(const std::string& name, const std::string& pattern, int ignore_case);

// The lower-casing rule for every case-insensitive comparison of Windows-1252 names:
// bytes 0x41-0x5A and 0xC0-0xDF are raised by 0x20, all others stay.
std::string lower_case(const std::string& text);

#endif
