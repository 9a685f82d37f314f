// The main loop's command dispatch, and the handlers that hand over to the operations on the
// open archive and its format.
#include "app/application.h"
#include "app/backends.h"
#include "app/commands.h"
#include "app/settings_dialog.h"
#include "archive/adding.h"
#include "archive/deleting.h"
#include "archive/extract_dialog.h"
#include "archive/listing.h"
#include "files/archive_files.h"
#include "formats/conversion.h"
#include "formats/zip_backend.h"
#include "protect/cipher.h"
#include "protect/password_dialogs.h"
#include "runtime/paths.h"
#include "system/text_viewer.h"

void Application::dispatch_command(int command) {
    // One operation at a time: a command that arrives while another runs (from a box's or a
    // dialog's loop, or the progress callback's) is refused, and so is one the open archive does
    // not allow. The commands on the archive get through only while one is open.
    if (!command_enabled(command, window_.command_state())) return;
    Operation operation(window_);
    ArchiveBackend* backend = program_.state.archive_backend();
    switch (command) {
        case kCmdQuit:
        case kButtonQuit:
            program_.state.quit = true;
            break;
        case kCmdNew:
        case kButtonNew:
            new_command();
            break;
        case kCmdOpen:
        case kButtonOpen:
            open_command();
            break;
        case kCmdExtract:
        case kButtonExtract:
        case kCmdContextExtract:
            extract_command(*backend);
            break;
        case kCmdRemove:
        case kButtonRemove:
        case kCmdContextRemove:
            remove_command();
            break;
        case kCmdAdd:
        case kButtonAdd:
        case kCmdContextAdd: {
            ArchiveContext ctx = archive_context();
            ::add_command(ctx);
            break;
        }
        case kCmdConvert:
        case kButtonConvert:
        case kCmdContextConvert:
            if (backend) {
                ArchiveContext ctx = archive_context();
                convert_to_zip(ctx, *backend);
            }
            break;
        case kCmdMail:
        case kButtonMail: {
            ArchiveContext ctx = archive_context();
            send_archive_by_mail(ctx, mail_);
            break;
        }
        case kCmdEncipher:
            encipher_command(*backend);
            break;
        case kCmdSetup:
        case kButtonSetup: {
            ArchiveContext ctx = archive_context();
            run_setup(ctx);
            break;
        }
        case kCmdCopy:
        case kCmdMove:
        case kCmdRename:
        case kCmdProperties:
            archive_file_command(command, *backend);
            break;
        case kCmdView:
        case kCmdContextView:
        case kButtonView:
            open_entry();
            break;
        case kCmdSettings:
        case kButtonSettings: {
            const SettingsSubject subject = {
                program_.settings,  program_.messages,  prompter_,      config_path(),
                os::program_path(), window_.geometry(), config_existed_};
            SettingsDialog(subject).run(window_.handle());
            break;
        }
        case kCmdHelp:
        case kButtonHelp:
            show_help_window(text_viewer_setting());
            break;
        case kCmdHistory:
            show_history_window(text_viewer_setting());
            break;
        case kCmdAbout:
            show_about_box(prompter_);
            break;
        default:
            if (command >= kCmdViewer0 && command <= kCmdViewer4) {
                const size_t viewer = static_cast<size_t>(command - kCmdViewer0);
                if (viewer < program_.settings.viewers.size())
                    open_entry(program_.settings.viewers[viewer]);
            } else if (command >= kCmdSetupCandidate) {
                const size_t candidate = static_cast<size_t>(command - kCmdSetupCandidate);
                const std::vector<std::string>& candidates = program_.listing.setup_candidates;
                if (candidate < candidates.size()) open_entry(std::string(), candidates[candidate]);
            }
            break;
    }
}

TextViewerSetting Application::text_viewer_setting() const {
    return {window_.handle(), program_.messages, program_folder_, program_.settings.language,
            version_banner()};
}

void Application::show_error(int title, const std::string& text, BoxIcon icon) {
    prompter_.show(program_.messages.message(title), text, icon);
}

bool Application::list_archive(const std::string& path) {
    if (!program_.state.formats.for_path(path)) return false;
    ArchiveBackend* backend = program_.state.open_archive(path);
    ArchiveContext ctx = archive_context();
    backend->list(ctx);
    return true;
}

void Application::handle_start_argument() {
    if (start_argument_.empty()) return;
    Operation operation(window_);
    if (list_archive(start_argument_)) return;
    // Files and folders to pack into a new archive, the start argument first.
    std::vector<std::string> arguments = {start_argument_};
    for (std::string next = further_arguments_.next(); !next.empty();
         next = further_arguments_.next()) {
        arguments.push_back(next);
    }
    ArchiveContext ctx = archive_context();
    pack_given_items(ctx, arguments);
}

void Application::new_command() {
    SaveFileRequest request;
    request.title = program_.messages.message(26);
    request.filters = program_.messages.message(59);
    const std::string chosen = prompter_.save_file(request);
    // Cancelled: the archive shown stays the open one.
    if (chosen.empty()) return;
    ArchiveContext ctx = archive_context();
    new_archive_command(ctx, chosen);
}

void Application::open_command() {
    OpenFileRequest request;
    request.title = program_.messages.message(23);
    request.filters = program_.messages.message(47);
    request.filter_index = 4;
    const std::string path = prompter_.open_file(request);
    // Cancelled, or a file without extension: the archive shown stays the open one.
    if (path.empty() || extension_of(path).empty() || list_archive(path)) return;
    show_error(42, program_.messages.message(45), BoxIcon::kWarning);
    ArchiveContext ctx = archive_context();
    show_nothing_listed(ctx);
}

void Application::extract_command(ArchiveBackend& backend) {
    ArchiveContext ctx = archive_context();
    ExtractChoices choices;
    if (extract_dialog(ctx, backend, window_.handle(), window_.selected_count(), choices)) {
        run_extraction(backend, ctx, choices);
    }
}

void Application::remove_command() {
    if (program_.settings.safe == 1 &&
        !prompter_.ask(program_.messages.message(50), program_.messages.message(171) + "\n",
                       BoxIcon::kWarning))
        return;
    if (window_.selected_count() == 0) return;
    ArchiveContext ctx = archive_context();
    delete_selected_members(ctx);
}

void Application::encipher_command(ArchiveBackend& backend) {
    ArchiveContext ctx = archive_context();
    EncipherDialog dialog(
        ctx, [&](const std::string& password) { return encipher_archive(ctx, password); });
    // Listed again, the archive is protected now and asks for its password at once.
    if (dialog.run(window_.handle())) backend.list(ctx);
}

void Application::archive_file_command(int command, ArchiveBackend& backend) {
    ArchiveContext ctx = archive_context();
    if (command == kCmdCopy) copy_archive(ctx, backend);
    if (command == kCmdMove) move_archive(ctx, backend);
    if (command == kCmdRename) rename_archive(ctx, backend);
    if (command == kCmdProperties) show_archive_properties(ctx);
}

void Application::open_entry(const std::string& viewer, const std::string& setup_program) {
    ArchiveBackend* backend = program_.state.archive_backend();
    if (!backend) {
        show_error(42, program_.messages.message(48) + "\n" + program_.messages.message(49),
                   BoxIcon::kError);
        return;
    }
    // The member of the first selected row: the first member of its own name; without a selected
    // row, the first member.
    OpenRequest request;
    request.viewer = viewer;
    request.setup_program = setup_program;
    HWND list = window_.list();
    const int row = list ? ListView_GetNextItem(list, -1, LVNI_SELECTED) : -1;
    if (row >= 0) request.entry = std::max(0, member_of_row(program_.listing, window_, row));
    ArchiveContext ctx = archive_context();
    backend->open_member(ctx, request);
}
