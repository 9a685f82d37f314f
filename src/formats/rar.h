// RAR archives, read through the UnRAR library (formats/rar_library.h). Names travel as wide
// texts both ways, so names and paths outside ASCII arrive as the user sees them; a member's name
// is shown in the ANSI code page, with "?" for a character the code page lacks, and its row
// carries its own name in UTF-8 (kOwnNameColumn, ListingState::own_names), by which the row finds
// its member; the extract command writes such a file under its own name (see extract).
//
// Every listing and extraction opens the archive, works through it in one pass and closes it;
// no archive handle lives between commands.
//
// Passwords: an archive whose members, or whose headers too, are encrypted asks for its password
// when the library first needs it (for encrypted headers already to list it), once per archive:
// the answer is kept for every later listing, extraction and opening of that archive, until
// another archive is read. A wrong password writes nothing for its member, says so (message 190
// under title 42) and asks again, where the pass resumes at that member; Cancel stops the pass.
//
// Volumes: a pass goes from one volume into the next where the library finds it, beside the
// current one under the name the volume set gives it. A volume that is not there ends the pass
// and is named in an error box (message 55, an empty line, the volume's path, under title 42);
// the member that needed it is not extracted and leaves no file.
#ifndef MARLOX_FORMATS_RAR_H
#define MARLOX_FORMATS_RAR_H

#include <string>

#include "formats/rar_library.h"
#include "state/archive_backend.h"

// What an extraction came to: success, or the first stage that failed (0 opening, 1 reading a
// header, 2 processing a member, 3 closing) with the library's code and, for stage 2, the
// member's name; and the name of the member extracted last in the code page, with "_" for each
// "?" that stands for a character the code page lacks: the name its file has, unless it took its
// own name.
struct RarResult {
    bool ok = true;
    int stage = 0;
    int code = 0;
    std::string name;
    std::string file_name = std::string();
};

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
    // that member of the archive, not the first of its name), and opens it; a character of its
    // name that the code page lacks is "_" in the file's name.
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
    // reference whose member cannot be had, a volume that is missing) is pushed to
    // ctx.not_extracted and the next member is extracted all the same; only a header the
    // library cannot read, or a password question the user cancels, ends the extraction. A
    // member whose password was wrong is extracted again once the user gave another. The result
    // tells the first failure.
    //
    // With `real_names` (extracting and converting), a file whose name holds characters the code
    // page lacks gets its own name, as the archive has it (written through the OS layer's UTF-8
    // calls), so a conversion cannot pack it anew and refuses, as for every format; otherwise,
    // for opening, where the program must start the file by a name in the code page, they become
    // "_" like "?". A file whose path the code page cannot hold is not a source for later
    // references: they read its member from the archive again.
    RarResult extract(ArchiveContext& ctx, const std::string& archive,
                      const std::string& destination, int member, bool ask,
                      bool real_names = false);

  private:
    // The questions of a pass over `archive`, with the password kept for it (none for an
    // archive other than the last one read).
    RarQuestions questions_for(ArchiveContext& ctx, const std::string& archive);

    RarLibrary library_;
    std::string password_;
    std::string password_archive_;
};

#endif
