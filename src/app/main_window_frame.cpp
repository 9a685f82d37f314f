// What surrounds the main window's list: the status bar, the progress bar, where the parts sit
// as the window is sized, the geometry kept for the next run, and the files dropped on it.
#include "app/main_window.h"

#include "app/application.h"
#include "archive/adding.h"

void MainWindow::create_status_bar() {
    status_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0,
                              0, 0, hwnd_, nullptr, GetModuleHandleA(nullptr), nullptr);
    int edges[2] = {150, 750};
    SendMessageA(status_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
    set_status_text(0, "--");
    set_status_text(1, message(8));
    hover_button_ = 0;  // the first pass shows the hover help
}

std::string MainWindow::status_text(int field) {
    if (!status_) return "";
    flush_status();
    const LRESULT length = SendMessageA(status_, SB_GETTEXTLENGTHA, field, 0);
    std::string text(static_cast<size_t>(LOWORD(length)) + 1, '\0');
    SendMessageA(status_, SB_GETTEXTA, field, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(LOWORD(length));
    return text;
}

void MainWindow::set_status_text(int field, const std::string& text) {
    if (!status_) return;
    if (field != 1) {
        SendMessageA(status_, SB_SETTEXTA, field, reinterpret_cast<LPARAM>(text.c_str()));
        return;
    }
    // What the operations write stays until the mouse moves onto a button.
    hover_button_ = -1;
    waiting_status_ = text;
    if (GetTickCount() - last_status_ >= kUpdateInterval) return show_waiting_status();
    if (!status_waiting_) SetTimer(hwnd_, kStatusTimer, kUpdateInterval, nullptr);
    status_waiting_ = true;
}

void MainWindow::flush_status() {
    if (status_waiting_) show_waiting_status();
}

void MainWindow::show_waiting_status() {
    if (status_waiting_) KillTimer(hwnd_, kStatusTimer);
    status_waiting_ = false;
    last_status_ = GetTickCount();
    SendMessageA(status_, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(waiting_status_.c_str()));
}

void MainWindow::create_progress_bar() {
    progress_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 305, 580, 15,
                                hwnd_, reinterpret_cast<HMENU>(kProgressBarId),
                                GetModuleHandleA(nullptr), nullptr);
    SendMessageA(progress_, PBM_SETRANGE32, 0, 100);
}

void MainWindow::set_progress_range(int maximum) {
    progress_range_ = maximum > 0 ? maximum : 1;
    SendMessageA(progress_, PBM_SETRANGE32, 0, maximum);
}

void MainWindow::set_progress(int value) {
    // The bar repaints itself at every move: it moves only when its filled part would grow or
    // shrink by a pixel, and always to its ends.
    RECT bar = {};
    GetClientRect(progress_, &bar);
    const int filled = MulDiv(value, bar.right, progress_range_);
    if (filled == progress_filled_ && value != 0 && value < progress_range_) return;
    progress_filled_ = filled;
    SendMessageA(progress_, PBM_SETPOS, value, 0);
    // Repainting costs more than extracting a small member: a few times a second.
    const DWORD now = GetTickCount();
    if (now - last_progress_paint_ >= kUpdateInterval) {
        last_progress_paint_ = now;
        UpdateWindow(progress_);
    }
}

void MainWindow::on_size() {
    if (status_) SendMessageA(status_, WM_SIZE, 0, 0);
    apply_layout();
    remember_geometry();
}

void MainWindow::apply_layout() {
    if (!hwnd_) return;
    RECT client;
    GetClientRect(hwnd_, &client);
    const int w = client.right;
    const int h = client.bottom + GetSystemMetrics(SM_CYMENU);
    if (toolbar_) MoveWindow(toolbar_, 0, 0, w, kToolbarHeight, TRUE);
    if (list_) MoveWindow(list_, 10, 40, w - 22, h - 110, TRUE);
    if (progress_) MoveWindow(progress_, 10, h - 65, w - 22, 15, TRUE);
}

void MainWindow::remember_geometry() {
    if (!hwnd_ || IsIconic(hwnd_)) return;
    RECT outer, client;
    GetWindowRect(hwnd_, &outer);
    GetClientRect(hwnd_, &client);
    const int menu = GetMenu(hwnd_) ? GetSystemMetrics(SM_CYMENU) : 0;
    geometry_ = {outer.left, outer.top, client.right, client.bottom + menu};
}

void MainWindow::on_drop(HDROP drop) {
    std::vector<std::string> paths;
    // While an operation runs, a drop would start another one: it is released unused.
    if (!busy_) {
        const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            std::string path(DragQueryFileA(drop, i, nullptr, 0) + 1, '\0');
            path.resize(DragQueryFileA(drop, i, &path[0], static_cast<UINT>(path.size())));
            paths.push_back(path);
        }
    }
    DragFinish(drop);
    if (paths.empty()) return;
    Operation operation(*this);
    ArchiveContext ctx = app_->archive_context();
    drop_items(ctx, paths);
}
