#include "runtime/file_meta.h"

#include <cstdio>

#include "runtime/os.h"

namespace {

bool is_leap_year(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
int64_t days_since_1970(int64_t year, int month, int day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t year_of_era = year - era * 400;
    const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t day_of_era =
        year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

bool matches_alternative(const std::string& name, const std::string& alt) {
    size_t pos = 0;
    bool star_pending = false;
    for (size_t i = 0; i < alt.size(); ++i) {
        const char c = alt[i];
        if (c == '*') {
            if (i + 1 == alt.size()) return true;
            star_pending = true;
        } else if (c == '?') {
            if (pos >= name.size()) return false;
            ++pos;
        } else {
            if (star_pending) {
                star_pending = false;
                pos = name.find(c, pos + 1);
                if (pos == std::string::npos) return false;
            }
            if (pos >= name.size() || name[pos] != c) return false;
            ++pos;
        }
    }
    return pos == name.size();
}

}  // namespace

LocalDate make_local_date(int year, int month, int day, int hour, int minute, int second) {
    if (year <= 0 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 59)
        return kNoDate;
    if (day == 31 && (month == 4 || month == 6 || month == 9 || month == 11)) return kNoDate;
    if (month == 2 && (day > 29 || (day == 29 && !is_leap_year(year)))) return kNoDate;
    const int64_t seconds =
        days_since_1970(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    if (seconds < 0 || seconds > INT32_MAX) return kNoDate;
    return static_cast<LocalDate>(seconds);
}

LocalDate dos_to_local_date(DosDateTime stamp) {
    return make_local_date(1980 + (stamp.date >> 9), (stamp.date >> 5) & 15, stamp.date & 31,
                           (stamp.time >> 11) & 31, (stamp.time >> 5) & 63, 0);
}

std::string two_digits(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

DosDateTime make_dos_stamp(int year, int month, int day, int hour, int minute, int second) {
    DosDateTime stamp;
    stamp.date = static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
    stamp.time = static_cast<uint16_t>((hour << 11) | (minute << 5) | (second / 2));
    return stamp;
}

DosDateTime file_time_to_dos(const std::string& path) {
    DosDateTime stamp;
    uint64_t utc, local;
    os::SystemTime parts;
    if (!os::last_write_time(path, utc) || !os::utc_to_local(utc, local) ||
        !os::file_time_to_system_time(local, parts) || parts.year < 1980 || parts.year > 2107)
        return stamp;
    return make_dos_stamp(parts.year, parts.month, parts.day, parts.hour, parts.minute,
                          parts.second);
}

uint64_t local_date_to_file_time(LocalDate value) {
    // The date is wall-clock time read as UTC: 1970 as a FILETIME, plus the seconds.
    const uint64_t local = 116444736000000000ULL + static_cast<uint64_t>(value) * 10000000ULL;
    uint64_t utc = local;
    os::local_to_utc(local, utc);
    return utc;
}

void set_file_date(const std::string& path, LocalDate value, bool unicode) {
    if (value == kNoDate) return;
    const uint64_t time = local_date_to_file_time(value);
    if (unicode) {
        os::unicode::set_last_write_time(path, time);
    } else {
        os::set_last_write_time(path, time);
    }
}

uint32_t get_file_attributes(const std::string& path) { return os::attributes(path); }

int set_file_attributes(const std::string& path, uint32_t attributes) {
    return os::set_attributes(path, attributes) ? 1 : 0;
}

int match_wildcard(const std::string& name, const std::string& pattern, int ignore_case) {
    const std::string n = ignore_case == 1 ? lower_case(name) : name;
    const std::string p = ignore_case == 1 ? lower_case(pattern) : pattern;
    if (p.empty()) return 0;
    size_t start = 0;
    for (;;) {
        const size_t bar = p.find('|', start);
        const std::string alt =
            p.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        if (matches_alternative(n, alt)) return 1;
        if (bar == std::string::npos) return 0;
        start = bar + 1;
    }
}

std::string lower_case(const std::string& text) {
    std::string out = text;
    for (char& ch : out) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 0x41 && c <= 0x5A) || (c >= 0xC0 && c <= 0xDF)) ch = static_cast<char>(c + 0x20);
    }
    return out;
}
