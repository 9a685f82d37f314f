#include "files/archive_files.h"

#include <cstdio>

#include "archive/adding.h"
#include "archive/listing.h"
#include "runtime/os.h"
#include "runtime/paths.h"

namespace {

// Puts a complete copy of `source` at `target`: written beside it first, then renamed into its
// place, so a failure leaves a file there as it was.
bool copy_into_place(const std::string& source, const std::string& target) {
    const std::string work = unused_path(target + ".~mlx");
    if (work.empty()) return false;
    const bool copied = os::copy_file(source, work, true) &&
                        file_size_of(work) == file_size_of(source) &&
                        os::replace_file(work, target);
    if (!copied) os::delete_file(work);
    return copied;
}

void relocation_failed(ArchiveContext& ctx, bool move) {
    if (move) {
        ctx.prompter.show("Fehler beim verschieben...",
                          "Das Archiv konnte nicht verschoben werden...", BoxIcon::kError);
    } else {
        ctx.prompter.show("Fehler beim kopieren...", "Das Archiv konnte nicht kopiert werden...",
                          BoxIcon::kError);
    }
}

// Copies or moves the archive to `target` and lists it there.
void relocate_to(ArchiveContext& ctx, ArchiveBackend& backend, bool move,
                 const std::string& target) {
    const std::string source = ctx.state.archive_path();
    const bool exists = os::attributes(target) != os::kNoAttributes;
    if (exists && os::same_file(source, target)) {
        relocation_failed(ctx, move);
        return;
    }
    if (exists && !confirm_overwrite(ctx, target)) return;
    zip_close(ctx.zip);
    // Moving within a volume is a rename; elsewhere a complete copy comes first.
    const bool done = move ? os::replace_file(source, target) ||
                                 (copy_into_place(source, target) && os::delete_file(source))
                           : copy_into_place(source, target);
    if (!done) {
        relocation_failed(ctx, move);
        return;
    }
    ctx.state.open_archive(target);
    backend.list(ctx);
}

// Copies or moves the archive into a folder the user picks. The list takes no input meanwhile.
void relocate(ArchiveContext& ctx, ArchiveBackend& backend, bool move) {
    ctx.view.enable_list(false);
    FolderRequest request;
    request.prompt = move ? "verschieben nach..." : "kopieren nach...";
    const std::string folder = ctx.prompter.choose_folder(request);
    if (!folder.empty())
        relocate_to(ctx, backend, move, join_path(folder, file_name_of(ctx.state.archive_path())));
    ctx.view.enable_list(true);
}

// A number of the properties box: two decimals in a field of 5 characters.
std::string number(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(value));
    return right_align(text, 5);
}

// A total in MB above 1,000,000 bytes, otherwise in KB.
std::string total(float bytes) {
    if (bytes > 1000000.0f) return number(bytes / 1024.0f / 1024.0f) + "  MB";
    return number(bytes / 1024.0f) + "  KB";
}

std::string label(const std::string& text, size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

}  // namespace

void copy_archive(ArchiveContext& ctx, ArchiveBackend& backend) { relocate(ctx, backend, false); }

void move_archive(ArchiveContext& ctx, ArchiveBackend& backend) { relocate(ctx, backend, true); }

void rename_archive(ArchiveContext& ctx, ArchiveBackend& backend) {
    ctx.view.enable_list(false);
    const std::string path = ctx.state.archive_path();
    const std::string name = file_name_of(path);
    InputRequest request;
    request.title = "Neuer Name (ohne Endung!!)";
    request.prompt = "Name (leeres Feld = Abbruch) ";
    request.initial = name.substr(0, name.rfind('.'));
    request.cancel = ctx.messages.message(34);
    const std::string answer = ctx.prompter.input_line(request);
    if (!answer.empty()) {
        zip_close(ctx.zip);
        const std::string renamed = folder_of(path) + answer + "." + backend.extension;
        // The archive keeps its folder: a name holding a folder is refused.
        if (answer.find_first_of("\\/:") == std::string::npos && answer != "." && answer != ".." &&
            os::move_file(path, renamed)) {
            ctx.state.open_archive(renamed);
            backend.list(ctx);
        } else {
            ctx.prompter.show("Fehler beim umbenennen",
                              "Das Archiv konnte nicht umbenannt werden....", BoxIcon::kError);
        }
    }
    ctx.view.enable_list(true);
}

std::string archive_properties_text(const ListingState& listing) {
    std::string text = "\t\t\n" + label("Filesize", 20) + "\t: " + total(listing.unpacked_total) +
                       "\n" + label("Gepackt    ", 20) + "\t: " + total(listing.packed_total) +
                       "\n\n" + label("Restgröße", 12) + "\t: " + number(listing.overall_rate) +
                       "  %\n\n";
    for (char& c : text) c = c == '.' ? ',' : c;
    return text + "Archiv\t\t: " + listing.archive_file_name + "\n" +
           "Ort\t\t: " + listing.archive_folder + "\n";
}

void show_archive_properties(ArchiveContext& ctx) {
    ctx.prompter.show("Eigenschaften", archive_properties_text(ctx.listing), BoxIcon::kInformation);
}
