#include "runtime/ui_dialog.h"

#include <algorithm>

HWND create_dialog_window(const char* class_name, WNDPROC procedure, const std::string& title,
                          int width, int height, HWND owner, void* self) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = class_name;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    RegisterClassExA(&wc);

    // Without WS_CLIPCHILDREN: group boxes are transparent and need the face painted below them.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD extended = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
    RECT outer = {0, 0, width, height};
    AdjustWindowRectEx(&outer, style, FALSE, extended);
    const int outer_width = outer.right - outer.left, outer_height = outer.bottom - outer.top;
    RECT over;
    if (!owner || !GetWindowRect(owner, &over)) {
        over = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    const int x = std::max(0, static_cast<int>(over.left + over.right - outer_width) / 2);
    const int y = std::max(0, static_cast<int>(over.top + over.bottom - outer_height) / 2);
    return CreateWindowExA(extended, class_name, title.c_str(), style, x, y, outer_width,
                           outer_height, owner, nullptr, instance, self);
}

HFONT create_dialog_controls(HWND dialog, const ControlLayout* layout, size_t count,
                             const std::function<std::string(int)>& text_of, int edged_id) {
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HFONT font = CreateFontIndirectA(&metrics.lfMessageFont);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (size_t k = 0; k < count; ++k) {
        const ControlLayout& c = layout[k];
        HWND child = CreateWindowExA(
            c.id == edged_id ? WS_EX_CLIENTEDGE : 0, c.window_class, text_of(c.id).c_str(),
            c.style | WS_CHILD | WS_VISIBLE, c.x, c.y, c.width, c.height, dialog,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return font;
}

void show_dialog(HWND dialog, HWND owner) {
    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(dialog, SW_SHOWNORMAL);
}

void run_dialog_loop(HWND dialog, HWND owner, const bool& done) {
    MSG msg;
    while (!done) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: pass the quit on to the outer loop.
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!IsDialogMessageA(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (owner) EnableWindow(owner, TRUE);
    DestroyWindow(dialog);
    if (owner) SetActiveWindow(owner);
}
