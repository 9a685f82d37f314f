// The ZIP format's entry: the listing (archive/listing.h) and the extraction
// (archive/extraction.h) of ZIP archives, the one format that may be written, and the opening of
// their members and setup programs.
#ifndef MARLOX_FORMATS_ZIP_BACKEND_H
#define MARLOX_FORMATS_ZIP_BACKEND_H

#include "state/archive_backend.h"

class ZipBackend : public ArchiveBackend {
  public:
    ZipBackend();
    void list(ArchiveContext& ctx) override;
    void extract_all(ArchiveContext& ctx, const ExtractChoices& choices) override;
    void extract_chosen(ArchiveContext& ctx, const ExtractChoices& choices) override;
    bool extract_everything(ArchiveContext& ctx, const std::string& folder) override;
    // `open_zip_member`: with setup candidates in the archive, asks first (title message 65,
    // message 66, Yes/No, question icon) whether to unpack everything and run the setup
    // program: Yes extracts every member and starts the chosen setup program or else the last
    // candidate; No extracts and opens the chosen setup program or else the member alone.
    void open_member(ArchiveContext& ctx, const OpenRequest& request) override;
};

// `run_setup`: asks the setup question for the open ZIP archive; Yes unpacks every member
// without overwrite questions and starts the last setup candidate; No starts nothing.
void run_setup(ArchiveContext& ctx);

#endif
