#include "app/backends.h"

#include "archive/extraction.h"
#include "archive/listing.h"

namespace {

const ArchiveBackend kBackends[] = {
    {ArchiveKind::kZip, list_zip_archive, extract_all_zip, extract_chosen_zip, extract_chosen_zip,
     /*can_add=*/true, /*can_delete=*/true, /*can_encipher=*/true, /*can_select=*/true,
     /*can_match=*/true, /*can_setup=*/true, /*has_properties=*/true},
};

}  // namespace

const ArchiveBackend* backend_for(ArchiveKind kind) {
    for (const ArchiveBackend& backend : kBackends) {
        if (backend.kind == kind) return &backend;
    }
    return nullptr;
}

void run_extraction(const ArchiveBackend& backend, ArchiveContext& ctx,
                    const ExtractChoices& choices) {
    if (choices.mode == 1) {
        backend.extract_all(ctx, choices);
    } else if (choices.mode == 3 && !choices.pattern.empty()) {
        backend.extract_matching(ctx, choices);
    } else {
        ExtractChoices selected = choices;
        selected.pattern.clear();
        backend.extract_selected(ctx, selected);
    }
}
