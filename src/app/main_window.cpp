#include "app/main_window.h"

#include "app/application.h"
#include "app/commands.h"
#include "archive/add_dialog.h"
#include "protect/password_dialogs.h"

namespace {

const char kClassName[] = "MarloxMainWindow";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

}  // namespace

Operation::Operation(MainWindow& window) : window_(window), started_(!window.busy()) {
    if (started_) window_.set_busy(true);
}

Operation::~Operation() {
    if (started_) window_.set_busy(false);
}

MainWindow::~MainWindow() {
    destroy();
    for (HMENU& popup : popups_) {
        if (popup) DestroyMenu(popup);
        popup = nullptr;
    }
    for (HIMAGELIST& pictures : toolbar_pictures_) {
        if (pictures) ImageList_Destroy(pictures);
        pictures = nullptr;
    }
    if (sort_pictures_) ImageList_Destroy(sort_pictures_);
    for (HBITMAP picture : menu_pictures_) DeleteObject(picture);
    if (accelerators_) DestroyAcceleratorTable(accelerators_);
}

std::string MainWindow::base_title(const std::string& program_name, bool config_existed) {
    return program_name + (config_existed ? " V " : " V") + kVersion;
}

std::string MainWindow::message(int number) const { return app_->messages().message(number); }

bool MainWindow::create(Application& app) {
    app_ = &app;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    wc.hIconSm =
        static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, 16, 16, 0));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassExA(&wc);

    create_menu_bar();
    // sizey counts the menu bar: the client area is sizex wide and sizey high with it.
    const Settings& s = app.settings();
    RECT outer = {0, 0, s.sizex, s.sizey - GetSystemMetrics(SM_CYMENU)};
    AdjustWindowRectEx(&outer, kStyle, TRUE, 0);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    int x = s.winx, y = s.winy;
    if (!app.config_existed()) {
        x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    }
    const std::string title = base_title(message(29), app.config_existed());
    hwnd_ = CreateWindowExA(WS_EX_ACCEPTFILES, kClassName, title.c_str(), kStyle, x, y, width,
                            height, nullptr, menu_, instance, this);
    if (!hwnd_) return false;
    create_toolbar();
    create_status_bar();
    create_list();
    create_progress_bar();
    create_popup_menus();
    apply_commands();
    create_shortcuts();
    apply_layout();
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    remember_geometry();
    return true;
}

void MainWindow::destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void MainWindow::on_destroyed() {
    toolbar_ = list_ = progress_ = status_ = nullptr;
    menu_ = nullptr;  // destroyed with the window
}

LRESULT MainWindow::on_message(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SIZE:
            on_size();
            break;
        case WM_MOVE:
            remember_geometry();
            break;
        case WM_COMMAND:
            // Menus, shortcuts and the toolbar; a command that cannot be given now is refused
            // by the dispatch.
            if (lp == 0 || reinterpret_cast<HWND>(lp) == toolbar_)
                app_->dispatch_command(LOWORD(wp));
            return 0;
        case WM_NOTIFY:
            return on_notify(reinterpret_cast<NMHDR*>(lp));
        case WM_DROPFILES:
            on_drop(reinterpret_cast<HDROP>(wp));
            return 0;
        case WM_TIMER:
            if (wp == kStatusTimer) flush_status();
            return 0;
        case WM_CLOSE:
            if (busy_) return 0;
            break;
        case WM_DESTROY:
            remember_geometry();
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return default_message(msg, wp, lp);
}

LRESULT MainWindow::on_notify(NMHDR* header) {
    if (header->hwndFrom == toolbar_ && header->code == TBN_DROPDOWN)
        return on_drop_down(reinterpret_cast<NMTOOLBARA*>(header)->iItem);
    if (header->code == TTN_GETDISPINFOA || header->code == TTN_GETDISPINFOW)
        return on_tip_text(header);
    if (header->hwndFrom == list_) return on_list_notify(header);
    return 0;
}

void MainWindow::set_title(const std::string& text) { SetWindowTextA(hwnd_, text.c_str()); }

void MainWindow::reset_title() { set_title(base_title(message(29), app_->config_existed())); }

bool MainWindow::run_decipher_dialog(
    const std::function<PasswordAnswer(const std::string&)>& attempt) {
    ArchiveContext ctx = app_->archive_context();
    DecipherDialog dialog(ctx, attempt);
    return dialog.run(hwnd_);
}

AddChoice MainWindow::run_add_dialog(bool items_given) {
    ArchiveContext ctx = app_->archive_context();
    return add_dialog(ctx, hwnd_, items_given);
}

void MainWindow::activate() {
    if (!hwnd_) return;
    SetForegroundWindow(hwnd_);
    SetActiveWindow(hwnd_);
}
