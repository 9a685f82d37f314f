#include "formats/cab.h"

#include <algorithm>
#include <cstring>

#include "archive/extraction.h"
#include "archive/listing.h"
#include "runtime/file_meta.h"
#include "runtime/member_path.h"
#include "runtime/paths.h"

namespace {

constexpr int kListingPass = 2;
constexpr int kExtractionPass = 1;

// What one pass over a cabinet needs in its callback, handed over as the pass's context.
struct CabPass {
    CabPass(ArchiveContext& context, int pass_mode) : ctx(context), mode(pass_mode) {}

    ArchiveContext& ctx;
    int mode;
    // Extraction only:
    std::string destination;
    const std::set<std::string>* names = nullptr;  // null: every member
    bool ask = false;
    MemberPlacement placement{true};
    int step = 1;
    int progress = 0;
    bool failed = false;
    // The member on its way out: where it goes, where the library writes it, its stamp.
    std::string path, work;
    DosDateTime stamp;
};

unsigned member_in_cabinet(CabPass& pass, setupapi::FileInCabinetInfo& info) {
    const std::string name = info.NameInCabinet ? info.NameInCabinet : "";
    if (pass.mode == kListingPass) {
        pass.ctx.listing.member_names.push_back(name);
        pass.ctx.view.add_row({std::string(), name, format_size(info.FileSize), "N/A",
                               right_align(std::to_string(info.DosDate), 15), "N/A"});
        return setupapi::kSkip;
    }
    if (pass.names && !pass.names->count(name)) return setupapi::kSkip;
    const std::string path = pass.placement.place(pass.destination, name);
    if (path.empty() || !may_overwrite(pass.ctx, path, name, pass.ask)) return setupapi::kSkip;
    const bool exists = os::attributes(path) != os::kNoAttributes;
    const std::string work = exists ? unused_path(path + ".~mlx") : path;
    if (work.empty() || work.size() >= setupapi::kMaxPath) {
        pass.failed = true;
        return setupapi::kSkip;
    }
    std::memcpy(info.FullTargetName, work.c_str(), work.size() + 1);
    pass.path = path;
    pass.work = work;
    pass.stamp.date = info.DosDate;
    pass.stamp.time = info.DosTime;
    return setupapi::kDoIt;
}

unsigned member_extracted(CabPass& pass, const setupapi::FilePaths& paths) {
    if (paths.Win32Error != 0) {
        pass.failed = true;
        if (pass.work != pass.path) os::delete_file(pass.work);
        return paths.Win32Error;
    }
    if (pass.work != pass.path) os::replace_file(pass.work, pass.path);
    set_file_date(pass.path, dos_to_local_date(pass.stamp));
    pass.progress += pass.step;
    pass.ctx.state.progress = pass.progress;
    pass.ctx.view.set_progress(pass.progress);
    return 0;
}

// `cab_callback`: the library's notifications during a pass.
unsigned MARLOX_STDCALL cab_callback(void* context, unsigned notification, uintptr_t first,
                                     uintptr_t) {
    CabPass& pass = *static_cast<CabPass*>(context);
    if (notification == setupapi::kFileInCabinet)
        return member_in_cabinet(pass, *reinterpret_cast<setupapi::FileInCabinetInfo*>(first));
    if (notification == setupapi::kFileExtracted && pass.mode == kExtractionPass)
        return member_extracted(pass, *reinterpret_cast<const setupapi::FilePaths*>(first));
    return 0;
}

void run_pass(CabPass& pass, const std::string& archive) {
    const CabLibrary* cab = pass.ctx.program.cab;
    if (!cab || !cab->available()) {
        pass.failed = true;
        return;
    }
    // A file that is no cabinet, or a damaged one, ends the pass with FALSE.
    if (!cab->iterate_cabinet(archive.c_str(), 0, cab_callback, &pass)) pass.failed = true;
}

}  // namespace

void bind_cab_library(CabLibrary& cab, Prompter& prompter, const MessageTable& messages,
                      const char* library_name) {
    cab.library = os::load_library(library_name);
    if (!cab.library) {
        prompter.show(messages.message(42), messages.message(43), BoxIcon::kError);
        return;
    }
    cab.iterate_cabinet = reinterpret_cast<setupapi::IterateCabinet>(
        os::find_symbol(cab.library, "SetupIterateCabinetA"));
}

void release_cab_library(CabLibrary& cab) {
    os::free_library(cab.library);
    cab = CabLibrary{};
}

void list_cab_archive(ArchiveContext& ctx) {
    begin_listing(ctx);
    CabPass pass(ctx, kListingPass);
    run_pass(pass, ctx.state.archive_path);
    finish_listing(ctx);
}

bool extract_cab(ArchiveContext& ctx, const std::string& archive, const std::string& destination,
                 const std::set<std::string>& names, bool ask) {
    CabPass pass(ctx, kExtractionPass);
    pass.destination = as_folder(destination);
    pass.names = names.empty() ? nullptr : &names;
    pass.ask = ask;
    // Nothing to extract still moves in steps of 1, never by a division by 0.
    const int members = names.empty() ? ctx.view.row_count() : static_cast<int>(names.size());
    pass.step = std::max(1, 100 / std::max(1, members));
    run_pass(pass, archive);
    ctx.state.progress = 0;
    ctx.view.set_progress(0);
    return !pass.failed;
}

void extract_cab_all(ArchiveContext& ctx, const ExtractChoices& choices) {
    if (choices.target_folder.empty()) return;
    extract_cab(ctx, ctx.state.archive_path, choices.target_folder, {},
                choices.ask_before_overwriting);
}

void extract_cab_selected(ArchiveContext& ctx, const ExtractChoices& choices) {
    std::set<std::string> names;
    for (int row = 0; row < ctx.view.row_count(); ++row) {
        if (ctx.view.row_selected(row)) names.insert(ctx.view.row_text(row, 1));
    }
    if (choices.target_folder.empty() || names.empty()) return;
    extract_cab(ctx, ctx.state.archive_path, choices.target_folder, names,
                choices.ask_before_overwriting);
}

bool extract_cab_everything(ArchiveContext& ctx, const std::string& folder) {
    return extract_cab(ctx, ctx.state.archive_path, folder, {}, false);
}
