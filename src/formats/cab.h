// Cabinet archives, read through the system's setup library: SetupIterateCabinetA walks a
// cabinet and calls back once per member; the answer decides whether the member is extracted,
// and to which file. The library is bound at start-up by name.
//
// What the program adds to the library: a name marked as UTF-8 (attribute 0x80) is shown in
// the ANSI code page and extracted under its own name (the library writes to a work file whose
// path the code page holds, which then takes the member's name through the OS layer's Unicode
// calls), a member's folders are made before it is extracted (Wine's library does
// not make them), its name is confined to the target as ZIP names are, every member is written
// to a work file beside its place and replaces an existing file only when it arrived whole and
// without an error, and the member gets its date afterwards.
#ifndef MARLOX_FORMATS_CAB_H
#define MARLOX_FORMATS_CAB_H

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "runtime/os.h"
#include "runtime/prompt.h"
#include "state/archive_backend.h"
#include "state/messages.h"

// The records the library hands to the callback, in their published layout (ANSI variants).
namespace setupapi {

constexpr unsigned kFileInCabinet = 0x11;  // SPFILENOTIFY_FILEINCABINET
constexpr unsigned kFileExtracted = 0x13;  // SPFILENOTIFY_FILEEXTRACTED
constexpr unsigned kDoIt = 1;              // FILEOP_DOIT
constexpr unsigned kSkip = 2;              // FILEOP_SKIP
constexpr size_t kMaxPath = 260;

struct FileInCabinetInfo {
    const char* NameInCabinet;
    uint32_t FileSize;
    uint32_t Win32Error;
    uint16_t DosDate;
    uint16_t DosTime;
    uint16_t DosAttribs;
    char FullTargetName[kMaxPath];
};

struct FilePaths {
    const char* Target;
    const char* Source;
    unsigned Win32Error;
    uint32_t Flags;
};

using Callback = unsigned(MARLOX_STDCALL*)(void* context, unsigned notification, uintptr_t first,
                                           uintptr_t second);
using IterateCabinet = int(MARLOX_STDCALL*)(const char* cabinet, uint32_t reserved,
                                            Callback callback, void* context);

}  // namespace setupapi

struct CabLibrary {
    os::Library* library = nullptr;
    setupapi::IterateCabinet iterate_cabinet = nullptr;  // null: no cabinet support

    bool available() const { return iterate_cabinet != nullptr; }
};

// `bind_cab_library`: loads the library and looks the function up. A library that cannot be
// loaded gets an error box (message 43 under title 42) and the program carries on without
// cabinets; a library without the function gives no box and no cabinets either.
void bind_cab_library(CabLibrary& cab, Prompter& prompter, const MessageTable& messages,
                      const char* library_name = "SetupAPI.dll");
void release_cab_library(CabLibrary& cab);

// The cabinet format: its entry, with the library it bound at start-up and the files this run
// extracted from cabinets to open them.
class CabBackend : public ArchiveBackend {
  public:
    CabBackend();
    ~CabBackend() override;
    CabBackend(const CabBackend&) = delete;
    CabBackend& operator=(const CabBackend&) = delete;

    // Binds the library (bind_cab_library).
    void bind(Prompter& prompter, const MessageTable& messages,
              const char* library_name = "SetupAPI.dll");

    // `list_cab_archive`: lists ctx.state.archive_path() (see listing.h). Columns 2 to 5: the
    // size, "N/A", the raw DOS date word right-aligned in 15 characters, "N/A"; no totals. A
    // file that is no cabinet lists fewer rows or none, without a message.
    void list(ArchiveContext& ctx) override;
    // Every member, or the selected rows.
    void extract_all(ArchiveContext& ctx, const ExtractChoices& choices) override;
    void extract_chosen(ArchiveContext& ctx, const ExtractChoices& choices) override;
    bool extract_everything(ArchiveContext& ctx, const std::string& folder) override;
    // `open_cab_member`: extracts the member, or takes the file this run already extracted from
    // the same cabinet (the same path, size and last-write time) for it, and opens it.
    void open_member(ArchiveContext& ctx, const OpenRequest& request) override;

    // Extracts the members whose own names (UTF-8, as in the rows' column kOwnNameColumn) are in
    // `names` (exactly, each once; every member when `names` is empty) into `destination`, in one
    // pass and one more after each member that ends a pass. With `ask`, an existing file of at
    // least 1 byte is replaced only after a Yes to the overwrite question. A member that cannot be
    // extracted or put in place is named in ctx.not_extracted, and the members after it still
    // follow. The progress bar moves by 100 / rows (at least 1) per member extracted and is back at
    // 0 afterwards. False when a member or the cabinet failed.
    bool extract(ArchiveContext& ctx, const std::string& archive, const std::string& destination,
                 const std::set<std::string>& names, bool ask) const;

  private:
    CabLibrary library_;
    // By archive (its path, size and last-write time) and member name.
    std::map<std::string, std::string> opened_;
};

#endif
