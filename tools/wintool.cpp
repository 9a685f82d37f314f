// A small console program the end-to-end scripts run in the test's Wine desktop to look at
// and drive windows and files from outside the program under test.
//
//   wintool lnk LINK                 prints the shell link's properties, one "key=value" a line
//   (a TITLE ending in "*" stands for every title starting with what comes before it)
//   wintool wait TITLE [SECONDS]     waits for a top-level window titled TITLE; prints the text
//                                    of a message box's static control (exit 1 on time-out)
//   wintool press TITLE ID           posts WM_COMMAND ID to the window titled TITLE
//   wintool close TITLE              posts WM_CLOSE to the window titled TITLE
//   wintool title PREFIX [SECONDS]   prints the title of a window whose title starts with PREFIX
//   wintool rect PREFIX [SECONDS]    prints "WIDTHxHEIGHT+X+Y" of that window on the screen
//   wintool status PREFIX FIELD      prints the text of a status-bar field of that window
//   wintool rows PREFIX              prints the rows of its list view, columns joined by "|"
//   wintool select PREFIX ROW...     selects exactly the given rows (0-based) of its list view
//   wintool activate PREFIX ROW      double-clicks the row (0-based) of its list view
//   wintool command PREFIX NUMBER    posts WM_COMMAND NUMBER to that window
//   wintool click TITLE ID           clicks the button ID of the window titled TITLE
//   wintool settext TITLE ID TEXT    sets the text of control ID of the window titled TITLE
//   wintool responsive PREFIX MS     exit 0 when that window answers a message within MS
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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

// A title ending in "*" is matched by what comes before it (titles the console cannot carry).
HWND find_window(std::string text, bool prefix, double seconds) {
    if (!text.empty() && text.back() == '*') {
        text.pop_back();
        prefix = true;
    }
    for (int waited = 0;; waited += 50) {
        Search search = {text, prefix, nullptr};
        EnumWindows(match_window, reinterpret_cast<LPARAM>(&search));
        if (search.found || waited >= seconds * 1000) return search.found;
        Sleep(50);
    }
}

// Memory inside the process that owns a window, for messages that carry pointers.
class RemoteBuffer {
  public:
    RemoteBuffer(HWND hwnd, size_t size) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        process_ =
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_)
            address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    char* address() const { return static_cast<char*>(address_); }
    bool write(size_t offset, const void* data, size_t size) {
        return WriteProcessMemory(process_, address() + offset, data, size, nullptr);
    }
    bool read(size_t offset, void* data, size_t size) {
        return ReadProcessMemory(process_, address() + offset, data, size, nullptr);
    }
    bool ok() const { return address_ != nullptr && size_ > 0; }

  private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    size_t size_;
};

HWND child_of_class(HWND parent, const char* class_name) {
    return FindWindowExA(parent, nullptr, class_name, nullptr);
}

int print_status(HWND main, int field) {
    HWND bar = child_of_class(main, "msctls_statusbar32");
    if (!bar) return 1;
    RemoteBuffer text(bar, 1024);
    if (!text.ok()) return 1;
    const LRESULT length = SendMessageA(bar, SB_GETTEXTLENGTHA, field, 0) & 0xFFFF;
    std::vector<char> local(static_cast<size_t>(length) + 1, '\0');
    if (length >= 1024) return 1;
    SendMessageA(bar, SB_GETTEXTA, field, reinterpret_cast<LPARAM>(text.address()));
    text.read(0, local.data(), local.size());
    local.back() = '\0';
    std::printf("%s\n", local.data());
    return 0;
}

int print_rows(HWND main) {
    HWND list = child_of_class(main, "SysListView32");
    if (!list) return 1;
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    RemoteBuffer remote(list, sizeof(LVITEMA) + 1024);
    if (!remote.ok()) return 1;
    for (int row = 0; row < rows; ++row) {
        std::string line;
        for (int column = 0; column < columns; ++column) {
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = remote.address() + sizeof(LVITEMA);
            item.cchTextMax = 1024;
            remote.write(0, &item, sizeof item);
            SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote.address()));
            char text[1025] = "";
            remote.read(sizeof(LVITEMA), text, 1024);
            if (column > 0) line += '|';
            line += text;
        }
        std::printf("%s\n", line.c_str());
    }
    return 0;
}

int select_rows(HWND main, const std::vector<int>& chosen) {
    HWND list = child_of_class(main, "SysListView32");
    if (!list) return 1;
    RemoteBuffer remote(list, sizeof(LVITEMA));
    if (!remote.ok()) return 1;
    const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED;
        for (int c : chosen) item.state = c == row ? LVIS_SELECTED : item.state;
        remote.write(0, &item, sizeof item);
        SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote.address()));
    }
    return 0;
}

int activate_row(HWND main, int row) {
    HWND list = child_of_class(main, "SysListView32");
    if (!list) return 1;
    RemoteBuffer remote(list, sizeof(LVITEMA));
    if (!remote.ok()) return 1;
    // The first click of a double-click makes the row the only selected one and the focused one.
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    remote.write(0, &item, sizeof item);
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(remote.address()));
    item.state = item.stateMask;
    remote.write(0, &item, sizeof item);
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote.address()));
    // A row scrolled out of sight cannot be clicked.
    SendMessageA(list, LVM_ENSUREVISIBLE, row, FALSE);
    RECT box = {};
    box.left = LVIR_LABEL;
    remote.write(0, &box, sizeof box);
    if (!SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote.address())))
        return 1;
    remote.read(0, &box, sizeof box);
    const LPARAM at = MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageA(list, WM_LBUTTONUP, 0, at);
    return 0;
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
    if (command == "responsive") {
        HWND main = find_window(argv[2], true, 10);
        DWORD_PTR result = 0;
        return main && SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                           argc > 3 ? std::atoi(argv[3]) : 1000, &result)
                   ? 0
                   : 1;
    }
    if (command == "status" || command == "rows" || command == "select" || command == "command" ||
        command == "activate") {
        HWND main = find_window(argv[2], true, 10);
        if (!main) return 1;
        if (command == "rows") return print_rows(main);
        if (argc < 4) return 2;
        if (command == "status") return print_status(main, std::atoi(argv[3]));
        if (command == "command")
            return PostMessageA(main, WM_COMMAND, std::atoi(argv[3]), 0) ? 0 : 1;
        if (command == "activate") return activate_row(main, std::atoi(argv[3]));
        std::vector<int> chosen;
        for (int i = 3; i < argc; ++i) chosen.push_back(std::atoi(argv[i]));
        return select_rows(main, chosen);
    }
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
    if (command == "click" && argc > 3)
        return PostMessageA(GetDlgItem(hwnd, std::atoi(argv[3])), BM_CLICK, 0, 0) ? 0 : 1;
    if (command == "settext" && argc > 4)
        return SendMessageA(GetDlgItem(hwnd, std::atoi(argv[3])), WM_SETTEXT, 0,
                            reinterpret_cast<LPARAM>(argv[4]))
                   ? 0
                   : 1;
    if (command == "press" && argc > 3)
        return PostMessageA(hwnd, WM_COMMAND, std::atoi(argv[3]), 0) ? 0 : 1;
    if (command == "close") return PostMessageA(hwnd, WM_CLOSE, 0, 0) ? 0 : 1;
    return 2;
}
