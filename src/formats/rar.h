// RAR archives, read through the UnRAR library ("UnRAR.dll" on Windows, libunrar natively),
// bound at start-up by name. The records are the library's published ones (its dll.hpp); both
// are zeroed before every use, since newer versions of the library read fields that older ones
// left reserved. Names travel as wide texts both ways, so names and paths outside ASCII arrive
// as the user sees them; a member's name is shown in the ANSI code page.
//
// Every listing and extraction opens the archive, works through it in one pass and closes it;
// no archive handle lives between commands.
#ifndef MARLOX_FORMATS_RAR_H
#define MARLOX_FORMATS_RAR_H

#include <cstdint>
#include <string>

#include "runtime/os.h"
#include "runtime/prompt.h"
#include "state/archive_backend.h"
#include "state/messages.h"

// The library's records, in its published layout: packed to the byte (version 5 to 9 records
// keep every field of version 4 in place; the newer fields sit in what used to be reserved).
namespace unrar {

constexpr int kEndArchive = 10;      // ERAR_END_ARCHIVE
constexpr int kBadData = 12;         // ERAR_BAD_DATA
constexpr int kCreateError = 16;     // ERAR_ECREATE
constexpr int kReferenceError = 23;  // ERAR_EREFERENCE
constexpr unsigned kOpenList = 0;
constexpr unsigned kOpenExtract = 1;
constexpr int kSkip = 0;
constexpr int kExtract = 2;
constexpr unsigned kDirectory = 0x20;  // RHDF_DIRECTORY
// RedirType: what a member stands for instead of data of its own.
constexpr unsigned kNoRedirect = 0;  // FSREDIR_NONE
constexpr unsigned kHardLink = 4;    // FSREDIR_HARDLINK
constexpr unsigned kFileCopy = 5;    // FSREDIR_FILECOPY

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

// What an extraction came to: success, or the first stage that failed (0 opening, 1 reading a
// header, 2 processing a member, 3 closing) with the library's code and, for stage 2, the
// member's name.
struct RarResult {
    bool ok = true;
    int stage = 0;
    int code = 0;
    std::string name;
};

// `bind_rar_library`: loads `library_name` and looks its entry points up (RARGetDllVersion,
// RAROpenArchiveEx, RARCloseArchive, RARReadHeaderEx, RARProcessFile, RARSetCallback,
// RARSetPassword, then RARProcessFileW). Every library since version 4 of these records is
// taken. When it cannot be had, an error box (message 44 under title 42) says so once and the
// program goes on without RAR archives. True when bound.
bool bind_rar_library(RarLibrary& rar, Prompter& prompter, const MessageTable& messages,
                      const std::string& library_name);
void release_rar_library(RarLibrary& rar);

constexpr int kEveryRarMember = -1;

// The RAR format: its entry, with the library it bound at start-up. An unbound format lists and
// extracts nothing.
class RarBackend : public ArchiveBackend {
  public:
    RarBackend();
    ~RarBackend() override;
    RarBackend(const RarBackend&) = delete;
    RarBackend& operator=(const RarBackend&) = delete;

    // Binds the library (bind_rar_library).
    bool bind(Prompter& prompter, const MessageTable& messages, const std::string& library_name);

    // `list_rar_archive`: lists ctx.state.archive_path() (see listing.h for the contract).
    // Columns 2 to 5: unpacked and packed size, the date as dd/mm/yyyy, the rate. An archive
    // that cannot be opened lists no rows, without a message; a damaged one keeps the rows read
    // before the damage.
    void list(ArchiveContext& ctx) override;
    // Every member, asking as the dialog chose.
    void extract_all(ArchiveContext& ctx, const ExtractChoices& choices) override;
    // The selected rows and the pattern are not offered, and only say so (message 74 under
    // title 73).
    void extract_chosen(ArchiveContext& ctx, const ExtractChoices& choices) override;
    bool extract_everything(ArchiveContext& ctx, const std::string& folder) override;
    // `open_rar_member`: extracts the row's member alone (its entry in the member-name list:
    // that member of the archive, not the first of its name), and opens it.
    void open_member(ArchiveContext& ctx, const OpenRequest& request) override;

    // Extracts member number `member` (from 0, in archive order, as the member-name list numbers
    // them) or, with kEveryRarMember, every member into `destination`. Names are confined to the
    // destination as ZIP names are, with "\" and "/" both splitting folders. With `ask`, an
    // existing file of at least 1 byte is replaced only after a Yes to the overwrite question;
    // an existing file is replaced only by data that extracted without error.
    //
    // The library gets the destination as its folder and writes each file under a work name
    // there, so nothing it resolves leaves the destination. A member stored as a reference to an
    // earlier member or as a hard link to one becomes a copy of that member's data: of the file
    // this extraction wrote for it, or else read from the archive again; no link is ever made,
    // and no file outside the destination is read. A symbolic link or junction is not made.
    //
    // A member that is not extracted (a link, damaged data, a file that cannot be written, a
    // reference whose member cannot be had) is pushed to ctx.not_extracted and the next member
    // is extracted all the same; only a header the library cannot read ends the extraction. The
    // result tells the first failure.
    RarResult extract(ArchiveContext& ctx, const std::string& archive,
                      const std::string& destination, int member, bool ask) const;

  private:
    RarLibrary library_;
};

#endif
