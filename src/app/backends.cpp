#include "app/backends.h"

#include "archive/extraction.h"
#include "formats/cab.h"
#include "formats/rar.h"
#include "formats/zip_backend.h"

void register_formats(ArchiveFormats& formats, Prompter& prompter, const MessageTable& messages) {
    formats.add<ZipBackend>();
    formats.add<CabBackend>().bind(prompter, messages);
    formats.add<RarBackend>().bind(prompter, messages, "UnRAR.dll");
}

void run_extraction(ArchiveBackend& backend, ArchiveContext& ctx, const ExtractChoices& choices) {
    ctx.not_extracted.clear();
    if (choices.mode == 1) {
        backend.extract_all(ctx, choices);
    } else {
        ExtractChoices chosen = choices;
        if (choices.mode != 3) chosen.pattern.clear();
        backend.extract_chosen(ctx, chosen);
    }
    report_not_extracted(ctx);
}
