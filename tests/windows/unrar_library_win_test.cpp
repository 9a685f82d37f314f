// The UnRAR.dll the build makes from UnRAR's source: it loads from beside the program, reports
// its API version, and lists and tests a stored RAR 4.x archive written here byte by byte.
#include <gtest/gtest.h>
#include <windows.h>
#include <zlib.h>

#include <cstdint>
#include <string>

#include "test_archives.h"

namespace {

// The records and entry points of UnRAR's dll.hpp that this test uses (API version 8; later
// versions keep these offsets). The DLL fills fields it knows, so the records are zeroed.
#pragma pack(push, 1)
struct RarOpenArchiveDataEx {
    char* ArcName;
    wchar_t* ArcNameW;
    unsigned int OpenMode;
    unsigned int OpenResult;
    char* CmtBuf;
    unsigned int CmtBufSize;
    unsigned int CmtSize;
    unsigned int CmtState;
    unsigned int Flags;
    void* Callback;
    LPARAM UserData;
    unsigned int OpFlags;
    wchar_t* CmtBufW;
    unsigned int Reserved[25];
};

struct RarHeaderDataEx {
    char ArcName[1024];
    wchar_t ArcNameW[1024];
    char FileName[1024];
    wchar_t FileNameW[1024];
    unsigned int Flags;
    unsigned int PackSize;
    unsigned int PackSizeHigh;
    unsigned int UnpSize;
    unsigned int UnpSizeHigh;
    unsigned int HostOS;
    unsigned int FileCRC;
    unsigned int FileTime;
    unsigned int UnpVer;
    unsigned int Method;
    unsigned int FileAttr;
    char* CmtBuf;
    unsigned int CmtBufSize;
    unsigned int CmtSize;
    unsigned int CmtState;
    unsigned int DictSize;
    unsigned int HashType;
    char Hash[32];
    unsigned int RedirType;
    wchar_t* RedirName;
    unsigned int RedirNameSize;
    unsigned int DirTarget;
    unsigned int MtimeLow;
    unsigned int MtimeHigh;
    unsigned int CtimeLow;
    unsigned int CtimeHigh;
    unsigned int AtimeLow;
    unsigned int AtimeHigh;
    unsigned int Reserved[988];
};
#pragma pack(pop)

using GetDllVersionFn = int(PASCAL*)();
using OpenArchiveExFn = HANDLE(PASCAL*)(RarOpenArchiveDataEx*);
using ReadHeaderExFn = int(PASCAL*)(HANDLE, RarHeaderDataEx*);
using ProcessFileFn = int(PASCAL*)(HANDLE, int, char*, char*);
using CloseArchiveFn = int(PASCAL*)(HANDLE);

constexpr unsigned kOpenExtract = 1;  // RAR_OM_EXTRACT (a listing only skips members)
constexpr int kTest = 1;              // RAR_TEST
constexpr int kEndArchive = 10;       // ERAR_END_ARCHIVE

// A RAR 4.x block: the low 16 bits of the CRC-32 of everything after the CRC field, then that.
std::string rar4_block(const std::string& body) {
    const uLong crc =
        crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    std::string block;
    put16(block, static_cast<unsigned>(crc & 0xFFFF));
    return block + body;
}

// A RAR 4.x archive holding one file, stored (method 0x30), written by a Windows host.
std::string stored_rar4(const std::string& name, const std::string& data) {
    std::string archive("Rar!\x1A\x07\x00", 7);  // marker block

    std::string main_header;
    main_header.push_back('\x73');
    put16(main_header, 0), put16(main_header, 13);  // flags, header size
    put16(main_header, 0), put32(main_header, 0);   // reserved
    archive += rar4_block(main_header);

    const uint32_t size = static_cast<uint32_t>(data.size());
    std::string file_header;
    file_header.push_back('\x74');
    put16(file_header, 0x8000);  // a data area follows; 64 KB dictionary
    put16(file_header, static_cast<unsigned>(32 + name.size()));
    put32(file_header, size), put32(file_header, size);  // packed, unpacked
    file_header.push_back('\x02');                       // host: Windows
    put32(file_header, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()),
                                                   static_cast<uInt>(data.size()))));
    // Modified 2005-03-07 12:30, as a DOS date and time.
    put32(file_header, (25u << 25) | (3u << 21) | (7u << 16) | (12u << 11) | (30u << 5));
    file_header.push_back('\x1D');  // version 2.9 to extract
    file_header.push_back('\x30');  // stored
    put16(file_header, static_cast<unsigned>(name.size()));
    put32(file_header, FILE_ATTRIBUTE_ARCHIVE);
    archive += rar4_block(file_header + name) + data;

    std::string end_header;
    end_header.push_back('\x7B');
    put16(end_header, 0x4000), put16(end_header, 7);
    return archive + rar4_block(end_header);
}

std::string folder_of_this_program() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string program(path, length);
    return program.substr(0, program.find_last_of('\\') + 1);
}

template <typename Function>
Function entry(HMODULE library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

TEST(UnrarLibrary, ListsAndTestsAStoredRar4Member) {
    const std::string dll = folder_of_this_program() + "UnRAR.dll";
    HMODULE library = LoadLibraryA(dll.c_str());
    ASSERT_NE(library, nullptr) << dll << ": error " << GetLastError();
    const auto get_version = entry<GetDllVersionFn>(library, "RARGetDllVersion");
    const auto open_archive = entry<OpenArchiveExFn>(library, "RAROpenArchiveEx");
    const auto read_header = entry<ReadHeaderExFn>(library, "RARReadHeaderEx");
    const auto process_file = entry<ProcessFileFn>(library, "RARProcessFile");
    const auto close_archive = entry<CloseArchiveFn>(library, "RARCloseArchive");
    ASSERT_TRUE(get_version && open_archive && read_header && process_file && close_archive);
    EXPECT_GE(get_version(), 4);

    WorkFolder work;
    const std::string data = "Stored in a RAR archive.\r\n";
    std::string path = work.path() + "one.rar";
    ASSERT_TRUE(write_bytes(path, stored_rar4("notes.txt", data)));

    RarOpenArchiveDataEx open = {};
    open.ArcName = &path[0];
    open.OpenMode = kOpenExtract;
    HANDLE archive = open_archive(&open);
    ASSERT_NE(archive, nullptr) << "open result " << open.OpenResult;

    RarHeaderDataEx header = {};
    ASSERT_EQ(read_header(archive, &header), 0);
    EXPECT_STREQ(header.FileName, "notes.txt");
    EXPECT_EQ(header.UnpSize, data.size());
    EXPECT_EQ(header.PackSize, data.size());
    // Testing unpacks the member and checks its CRC-32.
    EXPECT_EQ(process_file(archive, kTest, nullptr, nullptr), 0);
    header = {};
    EXPECT_EQ(read_header(archive, &header), kEndArchive);
    EXPECT_EQ(close_archive(archive), 0);
    FreeLibrary(library);
}
