#include "formats/zip_backend.h"

#include "archive/extraction.h"
#include "archive/listing.h"
#include "files/opening.h"

ZipBackend::ZipBackend() {
    extension = "zip";
    can_add = true;
    can_delete = true;
    can_encipher = true;
    can_select = true;
    can_match = true;
    can_setup = true;
    has_properties = true;
    announces_copying = true;
}

void ZipBackend::list(ArchiveContext& ctx) { list_zip_archive(ctx); }

void ZipBackend::extract_all(ArchiveContext& ctx, const ExtractChoices& choices) {
    extract_all_zip(ctx, choices);
}

void ZipBackend::extract_chosen(ArchiveContext& ctx, const ExtractChoices& choices) {
    extract_chosen_zip(ctx, choices);
}

bool ZipBackend::extract_everything(ArchiveContext& ctx, const std::string& folder) {
    return extract_zip_everything(ctx, folder);
}

void ZipBackend::open_member(ArchiveContext& ctx, const OpenRequest& request) {
    open_zip_member(ctx, request);
}
