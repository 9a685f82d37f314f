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
//   wintool rows PREFIX [FIRST [N]]  prints the rows of its list view, columns joined by "|"
//                                    (only N rows from row FIRST, when given)
//   wintool count PREFIX             prints the number of rows of its list view
//   wintool select PREFIX ROW...     selects exactly the given rows (0-based) of its list view
//   wintool activate PREFIX ROW      double-clicks the row (0-based) of its list view
//   wintool command PREFIX NUMBER    posts WM_COMMAND NUMBER to that window
//   wintool click TITLE ID           clicks the button ID of the window titled TITLE
//   wintool settext TITLE ID TEXT    sets the text of control ID of the window titled TITLE
//   wintool responsive PREFIX MS     exit 0 when that window answers a message within MS
//   wintool sendpath TITLE MESSAGE PATH
//                                    sends MESSAGE to the window titled TITLE with lParam
//                                    pointing at a copy of PATH (NUL-terminated) inside that
//                                    window's process; prints the answer (exit 1 when it is 0)
//   wintool ready SECONDS TITLE ROWS STATUS0 STATUS1 [ACTION...]
//                                    does ACTION, then waits until a window titled TITLE lists
//                                    ROWS rows (-1: any), shows STATUS0 and STATUS1 in its
//                                    status fields ("*": any text) and answers WM_NULL; prints
//                                    the seconds from just before ACTION to then (exit 1 after
//                                    SECONDS, or at once when the program ends, saying what it
//                                    saw). ACTION is one of
//                                      start EXE [ARG...]     starts EXE in its own folder
//                                      command PREFIX NUMBER  posts WM_COMMAND NUMBER
//                                      click DIALOG ID        clicks the button ID of the window
//                                                             titled DIALOG and also waits for
//                                                             that window to go
//                                      header PREFIX COLUMN   clicks the list's column header
//   wintool quit TITLE [SECONDS]     posts WM_CLOSE to the window titled TITLE and waits for its
//                                    process to end (exit 1 when it has not)
//   wintool mkfiles FOLDER COUNT PER_FOLDER
//                                    creates COUNT files of 100 bytes in sub-folders of FOLDER
//                                    holding PER_FOLDER each (0: all in FOLDER), dating each as
//                                    an extraction does, then deletes them; prints the seconds
//                                    of each kind of step (Wine's cost per file call)
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
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

// Prints `count` rows from row `first` (all rows from there for a negative count).
int print_rows(HWND main, int first, int count) {
    HWND list = child_of_class(main, "SysListView32");
    if (!list) return 1;
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    if (count >= 0 && first + count < rows) rows = first + count;
    RemoteBuffer remote(list, sizeof(LVITEMA) + 1024);
    if (!remote.ok()) return 1;
    for (int row = first < 0 ? 0 : first; row < rows; ++row) {
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

// ---- timed waits --------------------------------------------------------------------------

class Clock {
  public:
    Clock() {
        QueryPerformanceFrequency(&frequency_);
        restart();
    }
    void restart() { QueryPerformanceCounter(&start_); }
    double seconds() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start_.QuadPart) /
               static_cast<double>(frequency_.QuadPart);
    }

  private:
    LARGE_INTEGER frequency_;
    LARGE_INTEGER start_;
};

// SendMessage that gives up after `ms`: a program busy without pumping messages never blocks
// the driver for longer. False when the message was not answered in time.
bool send_within(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT ms, LRESULT& result) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_NORMAL, ms, &answer)) return false;
    result = static_cast<LRESULT>(answer);
    return true;
}

int send_path(HWND hwnd, int message, const std::string& path) {
    RemoteBuffer remote(hwnd, path.size() + 1);
    if (!remote.ok() || !remote.write(0, path.c_str(), path.size() + 1)) return 1;
    LRESULT answer = 0;
    if (!send_within(hwnd, static_cast<UINT>(message), 0,
                     reinterpret_cast<LPARAM>(remote.address()), 30000, answer)) {
        std::fprintf(stderr, "no answer to message %d within 30 s\n", message);
        return 1;
    }
    std::printf("%ld\n", static_cast<long>(answer));
    return answer ? 0 : 1;
}

// A status-bar field's text, read within `ms`; false when the bar did not answer.
bool status_within(HWND bar, RemoteBuffer& text, int field, UINT ms, std::string& out) {
    LRESULT length = 0;
    if (!send_within(bar, SB_GETTEXTLENGTHA, field, 0, ms, length)) return false;
    length &= 0xFFFF;
    if (length >= 1024) return false;
    LRESULT ignored = 0;
    if (!send_within(bar, SB_GETTEXTA, field, reinterpret_cast<LPARAM>(text.address()), ms,
                     ignored))
        return false;
    std::vector<char> local(static_cast<size_t>(length) + 1, '\0');
    text.read(0, local.data(), static_cast<size_t>(length));
    out = local.data();
    return true;
}

// What `ready` waits for, and what it saw last (for the failure message).
struct Goal {
    std::string title;
    int rows = -1;
    std::string status[2] = {"*", "*"};
    HWND gone = nullptr;    // a window that must have gone (or be hidden); null: none
    std::string gone_name;  // its title, for the failure message
};

struct Seen {
    bool window = false;
    int rows = -1;
    std::string status[2];
    bool gone = true;
    bool answered = false;
};

class Watcher {
  public:
    explicit Watcher(const Goal& goal) : goal_(goal) {}

    // One look at the window; true when everything is as wanted. Each look is kept cheap, as
    // it shares the machine with the program measured.
    bool look(UINT ms) {
        seen_ = Seen();
        // The window found before is asked first: a search through all windows costs more.
        char title[512] = "";
        if (!main_ || !IsWindow(main_) || !GetWindowTextA(main_, title, sizeof title) ||
            goal_.title != title)
            main_ = find_window(goal_.title, false, 0);
        seen_.window = main_ != nullptr;
        if (!main_) return false;
        if (goal_.gone) {
            seen_.gone = !IsWindow(goal_.gone) || !IsWindowVisible(goal_.gone);
            if (!seen_.gone) return false;
        }
        LRESULT rows = 0;
        HWND list = child_of_class(main_, "SysListView32");
        if (!list || !send_within(list, LVM_GETITEMCOUNT, 0, 0, ms, rows)) return false;
        seen_.rows = static_cast<int>(rows);
        if (goal_.rows >= 0 && seen_.rows != goal_.rows) return false;
        for (int field = 0; field < 2; ++field) {
            if (goal_.status[field] == "*") continue;
            HWND bar = child_of_class(main_, "msctls_statusbar32");
            if (!bar) return false;
            if (bar != bar_) {
                text_.reset(new RemoteBuffer(bar, 1024));
                bar_ = bar;
            }
            if (!text_->ok() || !status_within(bar, *text_, field, ms, seen_.status[field]))
                return false;
            if (seen_.status[field] != goal_.status[field]) return false;
        }
        LRESULT ignored = 0;
        seen_.answered = send_within(main_, WM_NULL, 0, 0, ms, ignored);
        return seen_.answered;
    }

    void describe() const {
        std::fprintf(stderr,
                     "waited for '%s' with %d rows, status '%s' / '%s'%s%s; saw: window %s, "
                     "%d rows, status '%s' / '%s', %s, %s\n",
                     goal_.title.c_str(), goal_.rows, goal_.status[0].c_str(),
                     goal_.status[1].c_str(), goal_.gone ? ", without " : "",
                     goal_.gone_name.c_str(), seen_.window ? "found" : "missing", seen_.rows,
                     seen_.status[0].c_str(), seen_.status[1].c_str(),
                     seen_.gone ? "nothing in the way" : "the other window still there",
                     seen_.answered ? "answering" : "not answering");
    }

  private:
    const Goal& goal_;
    Seen seen_;
    HWND main_ = nullptr;
    HWND bar_ = nullptr;
    std::unique_ptr<RemoteBuffer> text_;
};

// Starts `exe` with `arguments` in the exe's own folder, its standard handles on NUL so that it
// holds no pipe of the caller's open. Its process handle in `started_process`.
bool start_program(const std::string& exe, const std::vector<std::string>& arguments,
                   HANDLE& started_process) {
    std::string line = "\"" + exe + "\"";
    for (const std::string& argument : arguments) line += " \"" + argument + "\"";
    const std::string folder = exe.substr(0, exe.find_last_of("\\/") + 1);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nul =
        CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
    PROCESS_INFORMATION process = {};
    const BOOL started =
        CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup, &process);
    if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
    if (!started) return false;
    CloseHandle(process.hThread);
    started_process = process.hProcess;
    return true;
}

// The process that owns `hwnd`, to be waited for; null when it cannot be opened.
HANDLE process_of(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
}

int ready(int argc, char** argv) {
    if (argc < 7) return 2;
    const double limit = std::atof(argv[2]);
    Goal goal;
    goal.title = argv[3];
    goal.rows = std::atoi(argv[4]);
    goal.status[0] = argv[5];
    goal.status[1] = argv[6];
    const std::string action = argc > 7 ? argv[7] : "";
    const UINT limit_ms = static_cast<UINT>(limit * 1000);

    // Everything the action needs is found before the clock starts.
    HWND target = nullptr;
    LPARAM at = 0;
    std::vector<std::string> arguments;
    if (action == "start" && argc > 8) {
        for (int i = 9; i < argc; ++i) arguments.push_back(argv[i]);
    } else if (action == "command" && argc > 9) {
        target = find_window(argv[8], true, limit);
    } else if (action == "click" && argc > 9) {
        HWND dialog = find_window(argv[8], false, limit);
        target = dialog ? GetDlgItem(dialog, std::atoi(argv[9])) : nullptr;
        goal.gone = dialog;
        goal.gone_name = argv[8];
    } else if (action == "header" && argc > 9) {
        HWND main = find_window(argv[8], true, limit);
        HWND list = main ? child_of_class(main, "SysListView32") : nullptr;
        LRESULT header = 0;
        if (list && send_within(list, LVM_GETHEADER, 0, 0, limit_ms, header)) {
            target = reinterpret_cast<HWND>(header);
            RemoteBuffer remote(target, sizeof(RECT));
            LRESULT found = 0;
            RECT box = {};
            if (!remote.ok() ||
                !send_within(target, HDM_GETITEMRECT, std::atoi(argv[9]),
                             reinterpret_cast<LPARAM>(remote.address()), limit_ms, found) ||
                !found || !remote.read(0, &box, sizeof box))
                target = nullptr;
            at = MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
        }
    } else if (!action.empty()) {
        return 2;
    }
    if (!action.empty() && action != "start" && !target) {
        std::fprintf(stderr, "ready: nothing to %s in '%s'\n", action.c_str(), argv[8]);
        return 1;
    }

    // The program measured: when it ends, the wait ends at once with its exit code.
    HANDLE program = target ? process_of(target) : nullptr;
    Clock clock;
    bool done = true;
    LRESULT ignored = 0;
    if (action == "start") {
        done = start_program(argv[8], arguments, program);
    } else if (action == "command") {
        done = PostMessageA(target, WM_COMMAND, std::atoi(argv[9]), 0) != 0;
    } else if (action == "click") {
        done = PostMessageA(target, BM_CLICK, 0, 0) != 0;
    } else if (action == "header") {
        // A press and a release at the same place: the header reports a click to the list,
        // which tells its window; the release returns once the window has dealt with it.
        done = send_within(target, WM_LBUTTONDOWN, MK_LBUTTON, at, limit_ms, ignored) &&
               send_within(target, WM_LBUTTONUP, 0, at, limit_ms, ignored);
    }
    if (!done) {
        std::fprintf(stderr, "ready: the action %s failed\n", action.c_str());
        return 1;
    }
    Watcher watcher(goal);
    for (;;) {
        const double left = limit - clock.seconds();
        if (watcher.look(left > 0.05 ? static_cast<UINT>(left * 1000) : 50)) break;
        DWORD code = 0;
        if (program && WaitForSingleObject(program, 0) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(program, &code)) {
            std::fprintf(stderr, "ready: the program ended with exit code 0x%08lx after %.3f s\n",
                         static_cast<unsigned long>(code), clock.seconds());
            watcher.describe();
            return 1;
        }
        const double waited = clock.seconds();
        if (waited >= limit) {
            watcher.describe();
            return 1;
        }
        // Looks every 5 ms at first, then at a hundredth of the time waited (at most 50 ms):
        // the figure stays within about 1 %, and the looking takes little from the program.
        Sleep(static_cast<DWORD>(waited * 10 < 5 ? 5 : waited * 10 > 50 ? 50 : waited * 10));
    }
    std::printf("%.3f\n", clock.seconds());
    return 0;
}

// Creates `count` files as an extraction does (the folder and the name looked up, the file
// created and written, opened again to set its date), then deletes them; prints the time of
// each kind of step.
int make_files(const std::string& folder, int count, int per_folder) {
    const std::string base = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
    std::vector<std::string> files;
    std::vector<std::string> folders;
    char content[100];
    std::memset(content, 'x', sizeof content);
    FILETIME date = {};
    SYSTEMTIME when = {2005, 3, 1, 7, 14, 7, 10, 0};
    SystemTimeToFileTime(&when, &date);
    double look = 0, make = 0, stamp = 0;
    Clock total;
    for (int i = 0; i < count; ++i) {
        std::string place = base;
        if (per_folder > 0) {
            place += "d" + std::to_string(i / per_folder);
            if (i % per_folder == 0) {
                if (!CreateDirectoryA(place.c_str(), nullptr)) return 1;
                folders.push_back(place);
            }
            place += "\\";
        }
        const std::string path = place + "file" + std::to_string(i) + ".txt";
        Clock step;
        if (GetFileAttributesA(place.c_str()) == INVALID_FILE_ATTRIBUTES) return 1;
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return 1;
        look += step.seconds();
        step.restart();
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        if (file == INVALID_HANDLE_VALUE ||
            !WriteFile(file, content, sizeof content, &written, nullptr))
            return 1;
        CloseHandle(file);
        make += step.seconds();
        step.restart();
        file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return 1;
        SetFileTime(file, nullptr, nullptr, &date);
        CloseHandle(file);
        stamp += step.seconds();
        files.push_back(path);
    }
    const double made = total.seconds();
    total.restart();
    for (const std::string& path : files) {
        if (!DeleteFileA(path.c_str())) return 1;
    }
    for (const std::string& place : folders) RemoveDirectoryA(place.c_str());
    std::printf(
        "create %.3f s (look-ups %.3f, create+write+close %.3f, date %.3f)  delete %.3f s\n", made,
        look, make, stamp, total.seconds());
    return 0;
}

// Posts WM_CLOSE to the window and waits up to `seconds` for its process to end.
int quit_program(HWND hwnd, double seconds) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process || !PostMessageA(hwnd, WM_CLOSE, 0, 0)) return 1;
    const DWORD waited = WaitForSingleObject(process, static_cast<DWORD>(seconds * 1000));
    CloseHandle(process);
    return waited == WAIT_OBJECT_0 ? 0 : 1;
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
    if (command == "ready") return ready(argc, argv);
    if (command == "mkfiles" && argc > 4)
        return make_files(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (command == "status" || command == "rows" || command == "count" || command == "select" ||
        command == "command" || command == "activate") {
        HWND main = find_window(argv[2], true, 10);
        if (!main) return 1;
        if (command == "rows")
            return print_rows(main, argc > 3 ? std::atoi(argv[3]) : 0,
                              argc > 4 ? std::atoi(argv[4]) : -1);
        if (command == "count") {
            HWND list = child_of_class(main, "SysListView32");
            if (!list) return 1;
            std::printf("%d\n", static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)));
            return 0;
        }
        if (argc < 4) return 2;
        if (command == "status") return print_status(main, std::atoi(argv[3]));
        if (command == "command")
            return PostMessageA(main, WM_COMMAND, std::atoi(argv[3]), 0) ? 0 : 1;
        if (command == "activate") return activate_row(main, std::atoi(argv[3]));
        std::vector<int> chosen;
        for (int i = 3; i < argc; ++i) chosen.push_back(std::atoi(argv[i]));
        return select_rows(main, chosen);
    }
    if (command == "quit") {
        HWND hwnd = find_window(argv[2], false, 10);
        if (!hwnd) return 1;
        return quit_program(hwnd, seconds);
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
    if (command == "sendpath" && argc > 4) return send_path(hwnd, std::atoi(argv[3]), argv[4]);
    return 2;
}
