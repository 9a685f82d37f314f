// A small console program the end-to-end scripts run in the test's Wine desktop to look at
// and drive windows and files from outside the program under test.
//
//   wintool lnk LINK                 prints the shell link's properties, one "key=value" a line
//   wintool wait TITLE [SECONDS]     waits for a top-level window titled TITLE; prints the text
//                                    of a message box's static control (exit 1 on time-out)
//   wintool press TITLE ID           posts WM_COMMAND ID to the window titled TITLE
//   wintool close TITLE              posts WM_CLOSE to the window titled TITLE
//   wintool title PREFIX [SECONDS]   prints the title of a window whose title starts with PREFIX
//   wintool rect PREFIX [SECONDS]    prints "WIDTHxHEIGHT+X+Y" of that window on the screen
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Search {
    std::string text;
    bool prefix;
    HWND found;
};

BOOL CALLBACK match_window(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<Search*>(lp);
    char title[512];
    GetWindowTextA(hwnd, title, sizeof title);
    const bool hit = search->prefix
                         ? std::strncmp(title, search->text.c_str(), search->text.size()) == 0
                         : search->text == title;
    if (hit && IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND find_window(const std::string& text, bool prefix, double seconds) {
    for (int waited = 0;; waited += 50) {
        Search search = {text, prefix, nullptr};
        EnumWindows(match_window, reinterpret_cast<LPARAM>(&search));
        if (search.found || waited >= seconds * 1000) return search.found;
        Sleep(50);
    }
}

int print_link(const char* path) {
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return 2;
    IPersistFile* file = nullptr;
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH);
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) ||
        FAILED(file->Load(wide, STGM_READ)))
        return 1;
    char text[MAX_PATH];
    int number = 0;
    WORD hotkey = 0;
    link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
    std::printf("target=%s\n", text);
    link->GetArguments(text, MAX_PATH);
    std::printf("arguments=%s\n", text);
    link->GetDescription(text, MAX_PATH);
    std::printf("description=%s\n", text);
    link->GetWorkingDirectory(text, MAX_PATH);
    std::printf("working=%s\n", text);
    link->GetShowCmd(&number);
    std::printf("show=%d\n", number);
    link->GetHotkey(&hotkey);
    std::printf("hotkey=%d\n", hotkey);
    link->GetIconLocation(text, MAX_PATH, &number);
    std::printf("icon=%s\nicon_index=%d\n", text, number);
    file->Release();
    link->Release();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string command = argv[1];
    const double seconds = argc > 3 ? std::atof(argv[3]) : 10;
    if (command == "lnk") return print_link(argv[2]);
    if (command == "rect") {
        HWND hwnd = find_window(argv[2], true, seconds);
        RECT r;
        if (!hwnd || !GetWindowRect(hwnd, &r)) return 1;
        std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
        return 0;
    }
    if (command == "wait" || command == "title") {
        HWND hwnd = find_window(argv[2], command == "title", seconds);
        if (!hwnd) return 1;
        char text[1024] = "";
        if (command == "title") {
            GetWindowTextA(hwnd, text, sizeof text);
        } else {
            GetDlgItemTextA(hwnd, 0xFFFF, text, sizeof text);
        }
        std::printf("%s\n", text);
        return 0;
    }
    HWND hwnd = find_window(argv[2], false, 10);
    if (!hwnd) return 1;
    if (command == "press" && argc > 3)
        return PostMessageA(hwnd, WM_COMMAND, std::atoi(argv[3]), 0) ? 0 : 1;
    if (command == "close") return PostMessageA(hwnd, WM_CLOSE, 0, 0) ? 0 : 1;
    return 2;
}
