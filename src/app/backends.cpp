#include "app/backends.h"

#include "archive/extraction.h"
#include "archive/listing.h"
#include "files/opening.h"
#include "formats/cab.h"
#include "formats/rar.h"

namespace {

const ArchiveBackend kBackends[] = {
    {ArchiveKind::kZip, list_zip_archive, extract_all_zip, extract_chosen_zip, extract_chosen_zip,
     extract_zip_everything, open_zip_member,
     /*can_add=*/true, /*can_delete=*/true, /*can_encipher=*/true, /*can_select=*/true,
     /*can_match=*/true, /*can_setup=*/true, /*has_properties=*/true},
    {ArchiveKind::kRar, list_rar_archive, extract_rar_all, extract_rar_chosen, extract_rar_chosen,
     extract_rar_everything, open_rar_member,
     /*can_add=*/false, /*can_delete=*/false, /*can_encipher=*/false, /*can_select=*/false,
     /*can_match=*/false, /*can_setup=*/false, /*has_properties=*/true},
    {ArchiveKind::kCab, list_cab_archive, extract_cab_all, extract_cab_selected,
     extract_cab_selected, extract_cab_everything, open_cab_member,
     /*can_add=*/false, /*can_delete=*/false, /*can_encipher=*/false, /*can_select=*/true,
     /*can_match=*/false, /*can_setup=*/false, /*has_properties=*/false},
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
    ctx.not_extracted.clear();
    if (choices.mode == 1) {
        backend.extract_all(ctx, choices);
    } else if (choices.mode == 3 && !choices.pattern.empty()) {
        backend.extract_matching(ctx, choices);
    } else {
        ExtractChoices selected = choices;
        selected.pattern.clear();
        backend.extract_selected(ctx, selected);
    }
    report_not_extracted(ctx);
}
