#include "formats/zip_backend.h"

#include "archive/extraction.h"
#include "archive/listing.h"
#include "files/opening.h"

namespace {

// Extracts member number `member` of the ZIP archive into `folder`; the file it wrote, or
// empty when the extraction failed.
std::string extract_one(ArchiveContext& ctx, int member, const std::string& folder) {
    if (zip_open(ctx.zip, ctx.state.archive_path()) != kZipOk) return std::string();
    const std::string name = zip_goto(ctx.zip, member);
    PasswordedExtraction extraction(ctx);
    const bool extracted = !name.empty() && extraction.extract(folder, member) == kZipOk;
    zip_close(ctx.zip);
    return extracted ? clean_place(folder, name, false) : std::string();
}

// The member number of `name` (the first of that name, from 1); 0 when there is none.
int member_number(const ArchiveContext& ctx, const std::string& name) {
    const std::vector<std::string>& names = ctx.listing.member_names;
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) return static_cast<int>(i) + 1;
    }
    return 0;
}

bool asks_for_setup(ArchiveContext& ctx) {
    return ctx.prompter.ask(ctx.messages.message(65), ctx.messages.message(66), BoxIcon::kQuestion);
}

// Unpacks every member into a private folder and starts `setup_program` from there.
void unpack_and_run(ArchiveContext& ctx, const std::string& setup_program,
                    const std::string& viewer) {
    const std::string folder = opening_folder(ctx);
    if (folder.empty()) return;
    ExtractChoices choices;
    choices.target_folder = folder;
    choices.ask_before_overwriting = false;  // a new folder of the program's own
    extract_all_zip(ctx, choices);
    launch_written(ctx, folder, clean_place(folder, setup_program, false), viewer);
}

}  // namespace

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
    const std::vector<std::string>& candidates = ctx.listing.setup_candidates;
    if (!candidates.empty() && asks_for_setup(ctx)) {
        const std::string& program =
            request.setup_program.empty() ? candidates.back() : request.setup_program;
        unpack_and_run(ctx, program, request.viewer);
        return;
    }
    // A row's member is its entry; a setup program is the first member of its name.
    const bool row = request.setup_program.empty();
    const int member = row ? (member_at(ctx, request.entry).empty() ? 0 : request.entry + 1)
                           : member_number(ctx, request.setup_program);
    const std::string folder = member ? opening_folder(ctx) : std::string();
    if (folder.empty()) return;
    launch_written(ctx, folder, extract_one(ctx, member, folder), request.viewer);
}

void run_setup(ArchiveContext& ctx) {
    const std::vector<std::string>& candidates = ctx.listing.setup_candidates;
    if (candidates.empty() || !asks_for_setup(ctx)) return;
    unpack_and_run(ctx, candidates.back(), std::string());
}
