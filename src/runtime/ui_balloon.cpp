#include "runtime/ui_balloon.h"

#include <commctrl.h>

HWND add_balloon_tip(HWND parent, HWND control, const std::string& text, const std::string& title,
                     int icon) {
    HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                               WS_POPUP | TTS_BALLOON | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (!tip) return nullptr;
    std::string shown = text;
    TOOLINFOA tool = {};
    // The size of the version 4.7 record: the version 6 controls accept it, and it keeps the
    // record valid for older ones.
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = parent;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = &shown[0];
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 240);
    SendMessageA(tip, TTM_SETTIPBKCOLOR, RGB(103, 174, 226), 0);
    SendMessageA(tip, TTM_SETTIPTEXTCOLOR, GetSysColor(COLOR_INFOTEXT), 0);
    if (!title.empty()) {
        SendMessageA(tip, TTM_SETTITLEA, static_cast<WPARAM>(icon),
                     reinterpret_cast<LPARAM>(title.c_str()));
    }
    return tip;
}
