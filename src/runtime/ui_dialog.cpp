#include "runtime/ui_dialog.h"

#include <algorithm>

std::function<void(HWND)> Dialog::test_hook;

HFONT create_arial_font(int points) {
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, "Arial");
}

void add_list_column(HWND list, int index, const std::string& title, int width, int format) {
    std::string text = title;
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = &text[0];
    column.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

Dialog::~Dialog() {
    if (font_) DeleteObject(font_);
}

bool Dialog::run(HWND owner, const std::string& title) {
    done_ = accepted_ = false;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = class_name_;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    RegisterClassExA(&wc);

    // Without WS_CLIPCHILDREN: group boxes are transparent and need the face painted below them.
    const DWORD style = WS_POPUP | WS_CAPTION |
                        (frame_ == DialogFrame::kCaptionOnly ? 0 : WS_SYSMENU) |
                        (frame_ == DialogFrame::kSizable ? WS_THICKFRAME : 0);
    const DWORD extended = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
    RECT outer = {0, 0, width_, height_};
    AdjustWindowRectEx(&outer, style, FALSE, extended);
    const int outer_width = outer.right - outer.left, outer_height = outer.bottom - outer.top;
    RECT over;
    if (on_screen_ || !owner || !GetWindowRect(owner, &over)) {
        over = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    const int x = std::max(0, static_cast<int>(over.left + over.right - outer_width) / 2);
    const int y = std::max(0, static_cast<int>(over.top + over.bottom - outer_height) / 2);
    if (!CreateWindowExA(extended, class_name_, title.c_str(), style, x, y, outer_width,
                         outer_height, owner, nullptr, instance, this))
        return false;
    create_controls();
    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    on_init();
    if (test_hook) test_hook(hwnd_);

    MSG msg;
    while (!done_) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: pass the quit on to the outer loop.
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!IsDialogMessageA(hwnd_, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (owner) EnableWindow(owner, TRUE);
    DestroyWindow(hwnd_);
    if (owner) SetActiveWindow(owner);
    return accepted_;
}

void Dialog::end(bool accepted) {
    accepted_ = accepted;
    done_ = true;
}

void Dialog::create_controls() {
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    font_ = CreateFontIndirectA(&metrics.lfMessageFont);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (size_t k = 0; k < control_count_; ++k) {
        const DialogControl& c = controls_[k];
        const std::string text = c.text >= 0 ? message(c.text) : c.literal;
        HWND child =
            CreateWindowExA(c.sunken ? WS_EX_CLIENTEDGE : 0, c.window_class, text.c_str(),
                            c.style | WS_CHILD | WS_VISIBLE, c.x, c.y, c.width, c.height, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }
}

LRESULT Dialog::on_message(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            if (HIWORD(wp) == EN_CHANGE) on_change(LOWORD(wp));
            if (HIWORD(wp) != BN_CLICKED) return 0;
            if (LOWORD(wp) == IDOK) {
                on_ok();
            } else if (LOWORD(wp) == IDCANCEL) {
                on_cancel();
            } else {
                on_click(LOWORD(wp));
            }
            return 0;
        case WM_NOTIFY:
            return on_notify(reinterpret_cast<const NMHDR*>(lp));
        case WM_CLOSE:
            on_close();
            return 0;
        case DM_GETDEFID:
            return MAKELRESULT(IDOK, DC_HASDEFID);
        case kDialogShowFolder:
            return show_folder(reinterpret_cast<const char*>(lp)) ? TRUE : FALSE;
        case kDialogGetFolder:
            *reinterpret_cast<std::string*>(lp) = shown_folder();
            return TRUE;
        default:
            break;
    }
    return default_message(msg, wp, lp);
}

void Dialog::on_destroyed() {
    if (font_) DeleteObject(font_);
    font_ = nullptr;
}

bool Dialog::checked(int id) const {
    return SendMessageA(control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Dialog::set_checked(int id, bool on) {
    SendMessageA(control(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Dialog::enable(int id, bool enabled) { EnableWindow(control(id), enabled ? TRUE : FALSE); }

std::string Dialog::control_text(int id) const {
    HWND field = control(id);
    const int length = GetWindowTextLengthA(field);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(field, &text[0], length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}
