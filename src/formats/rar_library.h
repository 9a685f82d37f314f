// The UnRAR library ("UnRAR.dll" on Windows, libunrar natively), bound at start-up by name, and
// one pass over an archive through it. The records are the library's published ones (its
// dll.hpp); both are zeroed before every use, since newer versions of the library read fields
// that older ones left reserved.
#ifndef MARLOX_FORMATS_RAR_LIBRARY_H
#define MARLOX_FORMATS_RAR_LIBRARY_H

#include <cstdint>
#include <string>

#include "runtime/os.h"
#include "runtime/prompt.h"
#include "state/messages.h"

// The library's records, in its published layout: packed to the byte (version 5 to 9 records
// keep every field of version 4 in place; the newer fields sit in what used to be reserved).
namespace unrar {

constexpr int kEndArchive = 10;       // ERAR_END_ARCHIVE
constexpr int kBadData = 12;          // ERAR_BAD_DATA
constexpr int kOpenError = 15;        // ERAR_EOPEN
constexpr int kCreateError = 16;      // ERAR_ECREATE
constexpr int kMissingPassword = 22;  // ERAR_MISSING_PASSWORD
constexpr int kReferenceError = 23;   // ERAR_EREFERENCE
constexpr int kBadPassword = 24;      // ERAR_BAD_PASSWORD
constexpr unsigned kOpenList = 0;
constexpr unsigned kOpenExtract = 1;
constexpr int kSkip = 0;
constexpr int kExtract = 2;
constexpr unsigned kDirectory = 0x20;  // RHDF_DIRECTORY
// RedirType: what a member stands for instead of data of its own.
constexpr unsigned kNoRedirect = 0;  // FSREDIR_NONE
constexpr unsigned kHardLink = 4;    // FSREDIR_HARDLINK
constexpr unsigned kFileCopy = 5;    // FSREDIR_FILECOPY

// The callback's messages (UCM_CHANGEVOLUMEW, UCM_NEEDPASSWORDW) and the volume question.
constexpr unsigned kChangeVolumeW = 3;
constexpr unsigned kNeedPasswordW = 4;
constexpr intptr_t kVolumeAsk = 0;  // RAR_VOL_ASK: the next volume is not there

using Callback = int(MARLOX_STDCALL*)(unsigned msg, intptr_t user, intptr_t p1, intptr_t p2);

#pragma pack(push, 1)
struct OpenArchiveDataEx {
    char* ArcName;
    wchar_t* ArcNameW;
    unsigned OpenMode;
    unsigned OpenResult;
    char* CmtBuf;
    unsigned CmtBufSize;
    unsigned CmtSize;
    unsigned CmtState;
    unsigned Flags;
    Callback callback;
    intptr_t UserData;
    unsigned OpFlags;
    wchar_t* CmtBufW;
    unsigned Reserved[25];
};

struct HeaderDataEx {
    char ArcName[1024];
    wchar_t ArcNameW[1024];
    char FileName[1024];
    wchar_t FileNameW[1024];
    unsigned Flags;
    unsigned PackSize;
    unsigned PackSizeHigh;
    unsigned UnpSize;
    unsigned UnpSizeHigh;
    unsigned HostOS;
    unsigned FileCRC;
    unsigned FileTime;  // DOS stamp: date in the high word, time in the low
    unsigned UnpVer;
    unsigned Method;
    unsigned FileAttr;
    char* CmtBuf;
    unsigned CmtBufSize;
    unsigned CmtSize;
    unsigned CmtState;
    unsigned DictSize;
    unsigned HashType;
    char Hash[32];
    unsigned RedirType;
    wchar_t* RedirName;
    unsigned RedirNameSize;
    unsigned DirTarget;
    unsigned MtimeLow, MtimeHigh, CtimeLow, CtimeHigh, AtimeLow, AtimeHigh;
    unsigned Reserved[988];
};
#pragma pack(pop)

}  // namespace unrar

// The binding: the library and its entry points; `available` once all are found and the
// library's version is one whose records these are.
struct RarLibrary {
    os::Library* library = nullptr;
    int(MARLOX_STDCALL* get_dll_version)() = nullptr;
    void*(MARLOX_STDCALL* open_archive_ex)(unrar::OpenArchiveDataEx*) = nullptr;
    int(MARLOX_STDCALL* close_archive)(void*) = nullptr;
    int(MARLOX_STDCALL* read_header_ex)(void*, unrar::HeaderDataEx*) = nullptr;
    int(MARLOX_STDCALL* process_file)(void*, int, char*, char*) = nullptr;
    void(MARLOX_STDCALL* set_callback)(void*, unrar::Callback, intptr_t) = nullptr;
    void(MARLOX_STDCALL* set_password)(void*, char*) = nullptr;
    int(MARLOX_STDCALL* process_file_w)(void*, int, wchar_t*, wchar_t*) = nullptr;

    bool available() const { return library != nullptr; }
};

// `bind_rar_library`: loads `library_name` and looks its entry points up (RARGetDllVersion,
// RAROpenArchiveEx, RARCloseArchive, RARReadHeaderEx, RARProcessFile, RARSetCallback,
// RARSetPassword, then RARProcessFileW). Every library since version 4 of these records is
// taken. When it cannot be had, an error box (message 44 under title 42) says so once and the
// program goes on without RAR archives. True when bound.
bool bind_rar_library(RarLibrary& rar, Prompter& prompter, const MessageTable& messages,
                      const std::string& library_name);
void release_rar_library(RarLibrary& rar);

// What the library asks during a pass, answered for the user, and what came of it. A password
// is asked for (title message 191, message 192, a secret field) only when `password` is empty,
// and the answer is kept there; volumes are taken where the library looks for them, beside the
// current one.
struct RarQuestions {
    Prompter& prompter;
    const MessageTable& messages;
    std::string& password;
    bool cancelled = false;       // the user gave no password
    std::wstring missing_volume;  // the volume the library needed and did not find
};

// One archive opened for a pass, with `questions` answering the library; closed when it goes.
class RarArchive {
  public:
    RarArchive(const RarLibrary& rar, const std::string& path, unsigned mode,
               RarQuestions& questions);
    ~RarArchive() { close(); }
    RarArchive(const RarArchive&) = delete;
    RarArchive& operator=(const RarArchive&) = delete;

    bool is_open() const { return handle_ != nullptr; }
    int open_result() const { return open_result_; }

    // The next header into `header` (zeroed first, with room for the name a reference or a
    // link stands for); the library's result, 0 for a header.
    int next(unrar::HeaderDataEx& header);
    int skip() { return rar_.process_file(handle_, unrar::kSkip, nullptr, nullptr); }
    // Extracts the current member into `file`, with `folder` as the library's destination.
    int extract_to(const std::string& folder, const std::string& file);
    int close();

  private:
    const RarLibrary& rar_;
    std::wstring wide_path_;
    std::string path_;
    void* handle_ = nullptr;
    int open_result_ = 0;
    wchar_t redirect_[1024];
};

// The member's name as the user sees it: the wide name in the ANSI code page.
std::string rar_member_name(const unrar::HeaderDataEx& header);
// The member's own name, in UTF-8.
std::string rar_own_name(const unrar::HeaderDataEx& header);

#endif
