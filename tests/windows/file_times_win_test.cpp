// The file-time helpers against the Win32 calls they stand for, in a time zone east of UTC.
#include "dialog_driver.h"
#include "runtime/file_meta.h"

namespace {

uint64_t utc_filetime(int year, int month, int day, int hour, int minute, int second) {
    const auto w = [](int v) { return static_cast<WORD>(v); };
    const SYSTEMTIME st = {w(year), w(month), 0, w(day), w(hour), w(minute), w(second), 0};
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    return (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME as_filetime(uint64_t value) {
    return {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

void set_write_time(const std::string& path, uint64_t value) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const FILETIME ft = as_filetime(value);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
}

uint64_t write_time(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

// Packing agrees with FileTimeToDosDateTime of the local time; a date is set back through local
// time, and not at all on a file another handle holds without write sharing.
TEST(FileTimesEastOfUtc, PackAndSetThroughLocalTimeAsWin32Does) {
    TIME_ZONE_INFORMATION tz;
    GetTimeZoneInformation(&tz);
    ASSERT_EQ(tz.Bias, -60) << "the test runs one hour east of UTC (TZ=CET-1)";
    WorkFolder work;
    const std::string path = work.path() + "a.txt";
    ASSERT_TRUE(write_bytes(path, "x"));
    for (const uint64_t moment :
         {utc_filetime(2005, 4, 22, 10, 0, 1), utc_filetime(1999, 12, 31, 23, 30, 58),
          utc_filetime(2024, 2, 29, 0, 0, 0)}) {
        set_write_time(path, moment);
        const FILETIME utc = as_filetime(moment);
        FILETIME local;
        WORD date = 0, time = 0;
        FileTimeToLocalFileTime(&utc, &local);
        FileTimeToDosDateTime(&local, &date, &time);
        EXPECT_EQ(file_time_to_dos(path).date, date);
        EXPECT_EQ(file_time_to_dos(path).time, time);
    }
    set_write_time(path, utc_filetime(2005, 4, 22, 10, 0, 1));
    EXPECT_EQ(file_time_to_dos(path).time, (11 << 11) | 0);  // 11:00:00 local, odd second lost

    const LocalDate date = make_local_date(2005, 4, 22, 11, 0, 0);
    EXPECT_EQ(local_date_to_file_time(date), utc_filetime(2005, 4, 22, 10, 0, 0));
    set_file_date(path, date);
    EXPECT_EQ(write_time(path), utc_filetime(2005, 4, 22, 10, 0, 0));
    EXPECT_EQ(dos_to_local_date(file_time_to_dos(path)), date);

    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    set_file_date(path, make_local_date(2010, 5, 5, 5, 5, 0));
    CloseHandle(h);
    EXPECT_EQ(write_time(path), utc_filetime(2005, 4, 22, 10, 0, 0));
}

}  // namespace
