// The file-time helpers against the Win32 calls they stand for, in a time zone east of UTC.
#include <gtest/gtest.h>
#include <windows.h>

#include "runtime/file_meta.h"
#include "runtime/os.h"

namespace {

std::string temp_file(const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

FILETIME utc_filetime(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

void set_write_time(const std::string& path, const FILETIME& ft) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
}

FILETIME write_time(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

uint64_t as_number(const FILETIME& ft) {
    return (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

class FileTimesEastOfUtc : public ::testing::Test {
  protected:
    void SetUp() override {
        TIME_ZONE_INFORMATION tz;
        GetTimeZoneInformation(&tz);
        ASSERT_EQ(tz.Bias, -60) << "the test runs one hour east of UTC (TZ=CET-1)";
        // One file per test process: the tests of this fixture run in parallel.
        path_ =
            temp_file(("marlox-time-" + std::to_string(GetCurrentProcessId()) + ".txt").c_str());
        HANDLE h = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
    }
    void TearDown() override { DeleteFileA(path_.c_str()); }

    std::string path_;
};

}  // namespace

TEST_F(FileTimesEastOfUtc, PackingAgreesWithFileTimeToDosDateTime) {
    const FILETIME moments[] = {
        utc_filetime(2005, 4, 22, 10, 0, 1), utc_filetime(1999, 12, 31, 23, 30, 58),
        utc_filetime(2024, 2, 29, 0, 0, 0), utc_filetime(2015, 7, 1, 12, 34, 56)};
    for (const FILETIME& ft : moments) {
        set_write_time(path_, ft);
        FILETIME local;
        WORD date = 0, time = 0;
        FileTimeToLocalFileTime(&ft, &local);
        FileTimeToDosDateTime(&local, &date, &time);
        const DosDateTime ours = file_time_to_dos(path_);
        EXPECT_EQ(ours.date, date);
        EXPECT_EQ(ours.time, time);
    }
    set_write_time(path_, moments[0]);
    EXPECT_EQ(file_time_to_dos(path_).time, (11 << 11) | 0);  // 10:00:01 UTC is 11:00:00 local
}

TEST_F(FileTimesEastOfUtc, SetFileDateGoesBackThroughLocalTime) {
    const LocalDate date = make_local_date(2005, 4, 22, 11, 0, 0);
    SYSTEMTIME st = {2005, 4, 5, 22, 11, 0, 0, 0};
    FILETIME local, utc;
    SystemTimeToFileTime(&st, &local);
    LocalFileTimeToFileTime(&local, &utc);
    EXPECT_EQ(local_date_to_file_time(date), as_number(utc));

    set_file_date(path_, date);
    EXPECT_EQ(as_number(write_time(path_)), as_number(utc_filetime(2005, 4, 22, 10, 0, 0)));

    // Packing and unpacking again shifts nothing.
    EXPECT_EQ(dos_to_local_date(file_time_to_dos(path_)), date);
}

TEST_F(FileTimesEastOfUtc, FileOpenWithoutWriteSharingKeepsItsTime) {
    const FILETIME before = utc_filetime(2001, 1, 1, 0, 0, 0);
    set_write_time(path_, before);
    HANDLE h = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    set_file_date(path_, make_local_date(2010, 5, 5, 5, 5, 0));
    CloseHandle(h);
    EXPECT_EQ(as_number(write_time(path_)), as_number(before));
}
