#include "formats/cab.h"

#include <algorithm>
#include <cstring>

#include "archive/extraction.h"
#include "archive/listing.h"
#include "files/opening.h"
#include "runtime/file_meta.h"
#include "runtime/member_path.h"
#include "runtime/paths.h"

namespace {

constexpr int kListingPass = 2;
constexpr int kExtractionPass = 1;
constexpr uint16_t kNameIsUtf8 = 0x80;  // _A_NAME_IS_UTF

// A member's own name in UTF-8: its bytes when the member's attributes mark them as UTF-8 (and
// they are), otherwise its bytes in the code page.
std::string own_name(const setupapi::FileInCabinetInfo& info) {
    const std::string name = info.NameInCabinet ? info.NameInCabinet : "";
    return (info.DosAttribs & kNameIsUtf8) && os::is_utf8(name) ? name : os::to_utf8(name);
}

// The member on its way out: where it goes (UTF-8), the work file the library writes it to
// first (in the code page), its size and stamp, and whether the library has finished it.
struct Outgoing {
    int place = -1;  // its place among the members of the cabinet, from 0
    std::string name, path, work;
    uint32_t size = 0;
    DosDateTime stamp;
    bool finished = false;
};

// What one pass over a cabinet needs in its callback, handed over as the pass's context.
struct CabPass {
    CabPass(ArchiveContext& context, const CabLibrary& cab_library, int pass_mode)
        : ctx(context), library(cab_library), mode(pass_mode) {}

    ArchiveContext& ctx;
    const CabLibrary& library;
    int mode;
    // Extraction only:
    std::string destination;                       // in the code page
    const std::set<std::string>* names = nullptr;  // own names; null: every member
    bool ask = false;
    MemberPlacement placement{true, true};
    int step = 1;
    int progress = 0;
    bool failed = false;
    std::set<int> settled;  // members dealt with, by place, so a later pass passes them over
    int place = -1;         // the place of the member the library announced last
    bool outgoing = false;  // `out` is on its way
    Outgoing out;
};

void settle(CabPass& pass, int place) {
    pass.settled.insert(place);
    pass.outgoing = false;
}

// The member on its way could not be extracted: its work file goes, its name is reported.
void give_up(CabPass& pass) {
    os::delete_file(pass.out.work);
    pass.ctx.not_extracted.push_back(pass.out.name);
    pass.failed = true;
    settle(pass, pass.out.place);
}

// The finished member takes its place; a file that cannot be replaced stays as it was.
void put_in_place(CabPass& pass) {
    if (!os::unicode::replace_file(os::to_utf8(pass.out.work), pass.out.path)) {
        give_up(pass);
        return;
    }
    set_file_date(pass.out.path, dos_to_local_date(pass.out.stamp), true);
    pass.progress += pass.step;
    pass.ctx.state.progress = pass.progress;
    pass.ctx.view.set_progress(pass.progress);
    settle(pass, pass.out.place);
}

// Setup libraries tell that a member is done before they report what went wrong in it, so a
// finished member is put in place only when the library goes on to the next one, or ends the
// pass without an error.
unsigned member_in_cabinet(CabPass& pass, setupapi::FileInCabinetInfo& info) {
    const std::string own = own_name(info);
    const std::string name = os::utf8_to_ansi(own);
    if (pass.mode == kListingPass) {
        pass.ctx.listing.member_names.push_back(name);
        pass.ctx.listing.own_names.push_back(own);
        pass.ctx.view.add_row({std::string(), name, format_size(info.FileSize), "N/A",
                               right_align(std::to_string(info.DosDate), 15), "N/A", own});
        return setupapi::kSkip;
    }
    if (pass.outgoing && pass.out.finished) put_in_place(pass);
    const int place = ++pass.place;
    if (pass.settled.count(place) || (pass.names && !pass.names->count(own)))
        return setupapi::kSkip;
    const std::string path = pass.placement.place(os::to_utf8(pass.destination), own);
    if (path.empty() || !may_overwrite_unicode(pass.ctx, path, name, pass.ask)) {
        settle(pass, place);
        return setupapi::kSkip;
    }
    // The library writes through a path in the code page: beside the member's place when the
    // code page holds that path, otherwise in the destination itself.
    const std::string ansi = os::utf8_to_ansi(path);
    const std::string work =
        unused_path(os::to_utf8(ansi) == path ? ansi + ".~mlx" : pass.destination + "~mlx");
    pass.out = Outgoing{
        place, name, path, work, info.FileSize, DosDateTime{info.DosDate, info.DosTime}, false};
    pass.outgoing = true;
    if (pass.out.work.empty() || pass.out.work.size() >= setupapi::kMaxPath) {
        give_up(pass);
        return setupapi::kSkip;
    }
    std::memcpy(info.FullTargetName, pass.out.work.c_str(), pass.out.work.size() + 1);
    return setupapi::kDoIt;
}

// Only a member that arrived whole and without an error goes on; the rest of the cabinet
// still follows.
unsigned member_extracted(CabPass& pass, const setupapi::FilePaths& paths) {
    if (!pass.outgoing) return 0;
    if (paths.Win32Error != 0 || file_size_of(pass.out.work) != pass.out.size) {
        give_up(pass);
        return 0;
    }
    pass.out.finished = true;
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

// One pass; false when the library ended it with an error (a file that is no cabinet, a
// damaged one, a member that failed).
bool run_pass(CabPass& pass, const std::string& archive) {
    pass.place = -1;
    return pass.library.available() &&
           pass.library.iterate_cabinet(archive.c_str(), 0, cab_callback, &pass) != 0;
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

CabBackend::CabBackend() {
    extension = "cab";
    can_select = true;
    backslash_splits_names = true;
    announces_copying = true;
}

CabBackend::~CabBackend() { release_cab_library(library_); }

void CabBackend::bind(Prompter& prompter, const MessageTable& messages, const char* library_name) {
    bind_cab_library(library_, prompter, messages, library_name);
}

void CabBackend::list(ArchiveContext& ctx) {
    begin_listing(ctx);
    CabPass pass(ctx, library_, kListingPass);
    run_pass(pass, ctx.state.archive_path());
    finish_listing(ctx);
}

bool CabBackend::extract(ArchiveContext& ctx, const std::string& archive,
                         const std::string& destination, const std::set<std::string>& names,
                         bool ask) const {
    CabPass pass(ctx, library_, kExtractionPass);
    pass.destination = as_folder(destination);
    pass.names = names.empty() ? nullptr : &names;
    pass.ask = ask;
    // Nothing to extract still moves in steps of 1, never by a division by 0.
    const int members = names.empty() ? ctx.view.row_count() : static_cast<int>(names.size());
    pass.step = std::max(1, 100 / std::max(1, members));
    // A pass that ends with an error gives up the member on its way and starts again after the
    // members it dealt with, so the members behind a damaged one still arrive; a pass that
    // fails without dealing with a member (no cabinet, a damaged header) ends it all.
    for (;;) {
        const size_t settled = pass.settled.size();
        const bool whole = run_pass(pass, archive);
        if (pass.outgoing) {
            if (whole && pass.out.finished) {
                put_in_place(pass);
            } else {
                give_up(pass);
            }
        }
        if (whole) break;
        pass.failed = true;
        if (pass.settled.size() == settled) break;
    }
    ctx.state.progress = 0;
    ctx.view.set_progress(0);
    return !pass.failed;
}

void CabBackend::extract_all(ArchiveContext& ctx, const ExtractChoices& choices) {
    if (choices.target_folder.empty()) return;
    extract(ctx, ctx.state.archive_path(), choices.target_folder, {},
            choices.ask_before_overwriting);
}

void CabBackend::extract_chosen(ArchiveContext& ctx, const ExtractChoices& choices) {
    std::set<std::string> names;
    for (int row = 0; row < ctx.view.row_count(); ++row) {
        if (ctx.view.row_selected(row)) names.insert(ctx.view.row_text(row, kOwnNameColumn));
    }
    if (choices.target_folder.empty() || names.empty()) return;
    extract(ctx, ctx.state.archive_path(), choices.target_folder, names,
            choices.ask_before_overwriting);
}

bool CabBackend::extract_everything(ArchiveContext& ctx, const std::string& folder) {
    return extract(ctx, ctx.state.archive_path(), folder, {}, false);
}

void CabBackend::open_member(ArchiveContext& ctx, const OpenRequest& request) {
    const std::string name = member_at(ctx, request.entry);
    if (name.empty()) return;
    const std::string own = ctx.listing.own_names[static_cast<size_t>(request.entry)];
    ctx.state.progress = 0;
    // Only what this run extracted from this very cabinet is taken again: a cabinet of the
    // same path but another size or time is another cabinet.
    const std::string& archive = ctx.state.archive_path();
    uint64_t written = 0;
    os::last_write_time(archive, written);
    const std::string key = archive + "\n" + std::to_string(file_size_of(archive)) + "\n" +
                            std::to_string(written) + "\n" + own;
    const auto found = opened_.find(key);
    if (found != opened_.end() && file_size_of(found->second) >= 0) {
        launch_file(ctx, found->second, request.viewer);
        return;
    }
    const std::string folder = opening_folder(ctx);
    if (folder.empty() || !extract(ctx, archive, folder, {own}, false)) return;
    const std::string file = clean_place(folder, name, true);
    if (file.empty()) return;
    opened_[key] = file;
    launch_written(ctx, folder, file, request.viewer);
}
