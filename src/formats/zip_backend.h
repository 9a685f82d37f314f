// The ZIP format's entry: the listing (archive/listing.h), the extraction (archive/extraction.h)
// and the opening (files/opening.h) of ZIP archives, the one format that may be written.
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
    void open_member(ArchiveContext& ctx, const OpenRequest& request) override;
};

#endif
