#include "app/application.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/backends.h"
#include "app/command_line.h"
#include "protect/cipher.h"
#include "runtime/ui_dialog.h"
#include "system/send_to.h"

namespace {

// The notice at the end of the version banner in the status bar.
const char kNotice[] = "ZIP - RAR - CAB";

// How often, at most, the progress callback lets the window catch up with its messages.

}  // namespace

std::string default_language() {
    using GetKBCodePageFn = UINT(WINAPI*)();
    HMODULE user32 = GetModuleHandleA("user32.dll");
    auto get_code_page = user32 ? reinterpret_cast<GetKBCodePageFn>(reinterpret_cast<void*>(
                                      GetProcAddress(user32, "GetKBCodePage")))
                                : nullptr;
    return get_code_page && get_code_page() == 850 ? "de" : "en";
}

int Application::run(const std::string& command_line) {
    if (!start_up(command_line)) return 1;
    main_loop();
    shut_down();
    return 0;
}

bool Application::start_up(const std::string& command_line) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    program_folder_ = os::program_folder();

    if (!bind_mail_library(mail_, prompter_)) return false;

    const std::string language = default_language();
    further_arguments_ = CommandLine(command_line);
    start_argument_ = further_arguments_.next();

    os::File* config = os::open_file(config_path(), os::OpenMode::kRead);
    config_existed_ = config != nullptr;
    os::close_file(config);
    if (write_send_to_shortcut) create_send_to_shortcut();

    program_.settings = load_settings(config_path(), language);
    font_main_ = create_arial_font(11);
    font_list_ = create_arial_font(10);
    load_messages_for_language(program_.messages, program_folder_, program_.settings.language);
    register_formats(program_.state.formats, prompter_, program_.messages);

    program_.launch = [this](const Launch& l) { return launch(l); };
    if (!window_.create(*this)) return false;
    prompter_.set_fallback(window_.handle());
    zip_set_progress(program_.zip, on_zip_progress, this);
    handle_start_argument();
    return true;
}

std::string Application::version_banner() const {
    return std::string("      --      Version  ") + kVersion + "    --    " + kNotice;
}

bool Application::handle_message(MSG& msg) {
    if (msg.message == WM_QUIT) return false;
    HWND main = window_.handle();
    const bool ours = main && (msg.hwnd == main || IsChild(main, msg.hwnd));
    if (!ours || !TranslateAcceleratorA(main, window_.accelerators(), &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    window_.update_hover_help();
    return true;
}

void Application::main_loop() {
    MSG msg;
    while (!program_.state.quit) {
        window_.flush_status();  // what the last operation wrote shows before anything else
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0 || !handle_message(msg)) return;
    }
    // The quit command: the window goes, and its WM_QUIT ends the loop.
    window_.destroy();
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
}

// Copies the progress value into the bar and lets the window repaint; commands, drops and close
// requests that arrive meanwhile are refused by the window, busy with the running operation.
int Application::on_zip_progress(void* context, long) {
    auto* app = static_cast<Application*>(context);
    const DWORD now = GetTickCount();
    if (now - app->last_pump_ < kUpdateInterval) return 0;
    app->last_pump_ = now;
    app->window_.set_progress(app->program_.state.progress);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

bool Application::launch(const Launch& l) {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;  // no box when nothing starts
    info.lpVerb = l.program.empty() ? nullptr : "Open";
    info.lpFile = l.program.empty() ? l.file.c_str() : l.program.c_str();
    info.lpParameters = l.parameters.empty() ? nullptr : l.parameters.c_str();
    info.lpDirectory = l.working_folder.empty() ? nullptr : l.working_folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&info)) return false;
    if (info.hProcess) launched_.emplace_back(l.working_folder, info.hProcess);
    return true;
}

void Application::shut_down() {
    zip_close(program_.zip);
    ArchiveContext ctx = archive_context();
    protect_again_at_exit(ctx);
    save_settings_at_exit(config_path(), program_.settings, window_.geometry());
    // The folder of a program started from an archive stays while the program runs.
    for (const auto& [folder, process] : launched_) {
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
            program_.temp_files.forget_folder_of(folder);
        CloseHandle(process);
    }
    launched_.clear();
    program_.temp_files.remove_all();
    DeleteObject(font_main_);
    DeleteObject(font_list_);
    font_main_ = font_list_ = nullptr;
    release_mail_library(mail_);
}
