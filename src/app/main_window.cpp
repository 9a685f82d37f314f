#include "app/main_window.h"

#include <shellapi.h>

#include "app/application.h"

namespace {

const char kClassName[] = "MarloxMainWindow";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

}  // namespace

std::string MainWindow::base_title(const std::string& program_name, bool config_existed) {
    return program_name + (config_existed ? " V " : " V") + kVersion;
}

bool MainWindow::create(Application& app) {
    app_ = &app;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    wc.hIconSm =
        static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, 16, 16, 0));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassExA(&wc);

    // sizey counts the menu bar: the client area is sizex wide and sizey high with it.
    const Settings& s = app.settings();
    RECT outer = {0, 0, s.sizex, s.sizey};
    AdjustWindowRectEx(&outer, kStyle, FALSE, 0);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    int x = s.winx, y = s.winy;
    if (!app.config_existed()) {
        x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    }
    const std::string title = base_title(app.messages().message(29), app.config_existed());
    hwnd_ = CreateWindowExA(WS_EX_ACCEPTFILES, kClassName, title.c_str(), kStyle, x, y, width,
                            height, nullptr, nullptr, instance, this);
    if (!hwnd_) return false;
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    remember_geometry();
    return true;
}

LRESULT CALLBACK MainWindow::window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    return self->on_message(msg, wp, lp);
}

LRESULT MainWindow::on_message(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_MOVE:
        case WM_SIZE:
            remember_geometry();
            break;
        case WM_DROPFILES:
            DragFinish(reinterpret_cast<HDROP>(wp));
            return 0;
        case WM_DESTROY:
            remember_geometry();
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(hwnd_, msg, wp, lp);
}

void MainWindow::remember_geometry() {
    if (!hwnd_ || IsIconic(hwnd_)) return;
    RECT outer, client;
    GetWindowRect(hwnd_, &outer);
    GetClientRect(hwnd_, &client);
    const int menu = GetMenu(hwnd_) ? GetSystemMetrics(SM_CYMENU) : 0;
    geometry_ = {outer.left, outer.top, client.right, client.bottom + menu};
}
