// The main loop's command dispatch and the handlers that only check a precondition before they
// hand over to the archive operations.
#include "app/application.h"
#include "app/commands.h"
#include "archive/adding.h"
#include "archive/deleting.h"
#include "archive/extract_dialog.h"
#include "archive/extraction.h"
#include "archive/listing.h"

void Application::dispatch_command(int command) {
    // One operation at a time: a command that arrives while another runs (from a box's or a
    // dialog's loop, or the progress callback's) is refused.
    Operation operation(window_);
    if (!operation.started()) return;
    switch (command) {
        case kCmdQuit:
        case kButtonQuit:
            state_.quit = true;
            break;
        case kCmdNew:
        case kButtonNew:
            new_command(command == kButtonNew);
            break;
        case kCmdOpen:
        case kButtonOpen:
            open_command();
            break;
        case kCmdExtract:
        case kButtonExtract:
        case kCmdContextExtract:
            extract_command();
            break;
        case kCmdRemove:
        case kButtonRemove:
        case kCmdContextRemove:
            remove_command();
            break;
        case kCmdAdd:
        case kButtonAdd:
        case kCmdContextAdd:
            add_command();
            break;
        case kCmdView:
        case kCmdContextView:
        case kButtonView:
            state_.default_program = true;
            open_entry();
            break;
        default:
            if (command >= kCmdViewer0 && command <= kCmdViewer4) {
                const size_t viewer = static_cast<size_t>(command - kCmdViewer0);
                if (viewer >= settings_.viewers.size()) break;
                state_.chosen_viewer = settings_.viewers[viewer];
                state_.default_program = false;
                open_entry();
                state_.chosen_viewer.clear();
                state_.default_program = true;
            } else if (command >= kCmdSetupCandidate) {
                const size_t candidate = static_cast<size_t>(command - kCmdSetupCandidate);
                if (candidate >= listing_.setup_candidates.size()) break;
                state_.chosen_setup_program = listing_.setup_candidates[candidate];
                open_entry();
                state_.chosen_setup_program.clear();
            }
            // The settings, help, about, convert, mail, history, setup, encipher,
            // archive file and properties commands come with their own dialogs and operations.
            break;
    }
}

void Application::show_error(int title, const std::string& text, BoxIcon icon) {
    MessageBoxRequest box;
    box.owner = window_.handle();
    box.title = messages_.message(title);
    box.text = text;
    box.icon = icon;
    prompter_.message_box(box);
}

void Application::unknown_kind_error() {
    show_error(42, messages_.message(48) + "\n" + messages_.message(49), BoxIcon::kError);
}

void Application::handle_start_argument() {
    if (start_argument_.empty()) return;
    Operation operation(window_);
    const std::string kind = archive_kind_of(start_argument_);
    ArchiveContext ctx = archive_context();
    if (kind == "zip") {
        state_.archive_path = start_argument_;
        state_.archive_kind = "zip";
        list_zip_archive(ctx);
    } else if (kind != "rar" && kind != "cab") {
        // Files and folders to pack into a new archive, the start argument first.
        std::vector<std::string> arguments = {start_argument_};
        for (std::string next = further_arguments_.next(); !next.empty();
             next = further_arguments_.next()) {
            arguments.push_back(next);
        }
        pack_given_items(ctx, arguments);
    }
    // RAR and CAB archives come with their back-ends.
}

void Application::new_command(bool from_button) {
    const std::string remembered = state_.archive_path;
    if (from_button) state_.archive_path.clear();
    SaveFileRequest request;
    request.owner = window_.handle();
    request.title = messages_.message(26);
    request.filters = messages_.message(59);
    const std::string chosen = prompter_.save_file(request);
    if (chosen.empty()) {
        // Cancelled: the archive shown stays the open one.
        state_.archive_path = remembered;
        return;
    }
    ArchiveContext ctx = archive_context();
    new_archive_command(ctx, chosen);
}

void Application::open_command() {
    const std::string remembered = state_.archive_path;
    OpenFileRequest request;
    request.owner = window_.handle();
    request.title = messages_.message(23);
    request.filters = messages_.message(47);
    request.filter_index = 4;
    const std::string path = prompter_.open_file(request);
    const std::string kind = path.empty() ? std::string() : archive_kind_of(path);
    if (kind == "zip") {
        state_.archive_path = path;
        state_.archive_kind = kind;
        ArchiveContext ctx = archive_context();
        list_zip_archive(ctx);
    } else if (kind.empty() || kind == "rar" || kind == "cab") {
        // Cancelled, or a file without extension; RAR and CAB listings come with their
        // back-ends.
        state_.archive_path = remembered;
    } else {
        show_error(42, messages_.message(45), BoxIcon::kWarning);
        ArchiveContext ctx = archive_context();
        show_nothing_listed(ctx);
    }
}

void Application::extract_command() {
    if (state_.archive_path.empty()) return;
    if (state_.archive_kind.empty()) {
        unknown_kind_error();
        state_.archive_path.clear();
        return;
    }
    const int safe = settings_.safe;
    ArchiveContext ctx = archive_context();
    ExtractChoices choices;
    if (extract_dialog(ctx, window_.handle(), window_.selected_count(), choices)) {
        run_extraction(ctx, choices);
    }
    settings_.safe = safe;
}

void Application::remove_command() {
    if (settings_.safe == 1) {
        MessageBoxRequest box;
        box.owner = window_.handle();
        box.title = messages_.message(50);
        box.text = messages_.message(171) + "\n";
        box.icon = BoxIcon::kWarning;
        box.buttons = BoxButtons::kYesNo;
        if (prompter_.message_box(box) != kAnswerYes) return;
    }
    if (window_.selected_count() == 0) return;
    if (state_.archive_kind == "zip") {
        ArchiveContext ctx = archive_context();
        delete_selected_members(ctx);
    } else if (state_.archive_kind.empty()) {
        unknown_kind_error();
    } else {
        show_error(50, messages_.message(51) + "\n" + messages_.message(52), BoxIcon::kWarning);
    }
}

void Application::add_command() {
    if (state_.archive_path.empty()) return;
    if (state_.archive_kind == "zip") {
        ArchiveContext ctx = archive_context();
        ::add_command(ctx);
    } else if (state_.archive_kind.empty()) {
        unknown_kind_error();
    } else {
        show_error(50, messages_.message(53) + "\n" + messages_.message(52), BoxIcon::kWarning);
    }
}

void Application::open_entry() {
    state_.selected_entry = 0;
    HWND list = window_.list();
    const int row = list ? ListView_GetNextItem(list, -1, LVNI_SELECTED) : -1;
    if (row >= 0) {
        const std::string name = window_.row_text(row, 1);
        const auto& names = listing_.member_names;
        for (size_t i = 0; i < names.size(); ++i) {
            if (names[i] == name) {
                state_.selected_entry = static_cast<int>(i);
                break;
            }
        }
    }
    if (state_.archive_kind.empty()) unknown_kind_error();
    // Opening the member with its program or a viewer comes with the opening code.
}
