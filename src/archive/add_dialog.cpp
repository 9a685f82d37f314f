#include "archive/add_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <iterator>

#include "runtime/file_meta.h"
#include "runtime/ui_balloon.h"
#include "runtime/ui_dialog.h"

std::function<void(HWND)> AddDialog::test_hook;

namespace {

const char kClassName[] = "MarloxAddDialog";
constexpr int kWidth = 450;
constexpr int kHeight = 400;

const ControlLayout kControls[] = {
    {kAddModeGroup, "BUTTON", BS_GROUPBOX, 10, 10, 180, 115},
    {kAddWithoutPath, "BUTTON", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 15, 40, 170, 20},
    {kAddRelative, "BUTTON", BS_AUTORADIOBUTTON, 15, 65, 170, 20},
    {kAddAbsolute, "BUTTON", BS_AUTORADIOBUTTON, 15, 90, 170, 20},
    {kAddList, WC_LISTVIEWA,
     WS_BORDER | WS_GROUP | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS, 200,
     10, 245, 350},
    {kAddIncludeFolders, "BUTTON", BS_AUTOCHECKBOX | BS_MULTILINE | WS_GROUP | WS_TABSTOP, 10, 220,
     185, 50},
    {kAddCancel, "BUTTON", BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 10, 370, 70, 20},
    {kAddHelp, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 100, 370, 70, 20},
    {kAddOk, "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 370, 370, 70, 20},
};

// The list's columns after the name: size and date, reached by scrolling.
constexpr int kNameWidth = 200;
constexpr int kSizeWidth = 80;
constexpr int kDateWidth = 110;

std::string parent_folder(const std::string& folder) {
    // "C:\a\b\" -> "C:\a\"; a drive root goes back to the drives.
    const size_t slash = folder.find_last_of('\\', folder.size() >= 2 ? folder.size() - 2 : 0);
    if (folder.size() <= 3 || slash == std::string::npos) return std::string();
    return folder.substr(0, slash + 1);
}

std::string with_separator(const std::string& path) {
    return path.empty() || path.back() == '\\' ? path : path + "\\";
}

std::string format_time(const FILETIME& written) {
    FILETIME local;
    SYSTEMTIME t;
    if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &t)) return "";
    char text[32];
    std::snprintf(text, sizeof text, "%02u.%02u.%04u %02u:%02u", t.wDay, t.wMonth, t.wYear, t.wHour,
                  t.wMinute);
    return text;
}

// The system's small picture for a file or folder of that name, from the name alone.
int picture_of(const std::string& name, DWORD attributes) {
    SHFILEINFOA info = {};
    SHGetFileInfoA(name.c_str(), attributes, &info, sizeof info,
                   SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
    return info.iIcon;
}

}  // namespace

bool AddDialog::run(HWND owner) {
    done_ = accepted_ = false;
    hwnd_ = create_dialog_window(kClassName, window_proc, ctx_.messages.message(41), kWidth,
                                 kHeight, owner, this);
    if (!hwnd_) return false;
    create_controls();
    show_dialog(hwnd_, owner);
    SetFocus(defaults.list_enabled ? list_ : control(kAddOk));
    if (test_hook) test_hook(hwnd_);
    run_dialog_loop(hwnd_, owner, done_);
    return accepted_;
}

LRESULT CALLBACK AddDialog::window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<AddDialog*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<AddDialog*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        if (self->font_) DeleteObject(self->font_);
        self->font_ = nullptr;
        self->hwnd_ = self->list_ = nullptr;
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    return self->on_message(msg, wp, lp);
}

LRESULT AddDialog::on_message(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            if (HIWORD(wp) == BN_CLICKED) on_command(LOWORD(wp));
            return 0;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lp);
            if (header->hwndFrom != list_) return 0;
            if (header->code == LVN_ITEMACTIVATE) {
                open_row(reinterpret_cast<const NMITEMACTIVATE*>(lp)->iItem);
            } else if (header->code == LVN_KEYDOWN &&
                       reinterpret_cast<const NMLVKEYDOWN*>(lp)->wVKey == VK_BACK) {
                go_up();
            }
            return 0;
        }
        case WM_CLOSE:  // the close box does nothing
            return 0;
        case DM_GETDEFID:
            return MAKELRESULT(kAddOk, DC_HASDEFID);
        case kAddShowFolder:
            return show_folder(reinterpret_cast<const char*>(lp)) ? TRUE : FALSE;
        case kAddGetFolder:
            *reinterpret_cast<std::string*>(lp) = folder_;
            return TRUE;
        default:
            break;
    }
    return DefWindowProcA(hwnd_, msg, wp, lp);
}

void AddDialog::create_controls() {
    const MessageTable& m = ctx_.messages;
    const auto text_of = [&](int id) -> std::string {
        switch (id) {
            case kAddModeGroup:
                return m.message(36);
            case kAddWithoutPath:
                return m.message(37);
            case kAddRelative:
                return m.message(38);
            case kAddAbsolute:
                return m.message(39);
            case kAddIncludeFolders:
                return m.message(115);
            case kAddCancel:
                return m.message(34);
            case kAddHelp:
                return m.message(40);
            case kAddOk:
                return m.message(35);
            default:
                return "";
        }
    };
    font_ = create_dialog_controls(hwnd_, kControls, std::size(kControls), text_of, kAddList);
    list_ = control(kAddList);
    SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    const struct {
        int title, width, format;
    } columns[] = {{9, kNameWidth, LVCFMT_LEFT},
                   {10, kSizeWidth, LVCFMT_RIGHT},
                   {11, kDateWidth, LVCFMT_LEFT}};
    for (int c = 0; c < 3; ++c) {
        std::string title = m.message(columns[c].title);
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = columns[c].format;
        column.cx = columns[c].width;
        column.pszText = &title[0];
        column.iSubItem = c;
        SendMessageA(list_, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
    }
    SHFILEINFOA info = {};
    const auto pictures = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (pictures)
        SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(pictures));
    add_balloon_tip(hwnd_, control(kAddIncludeFolders), m.message(116), m.message(117),
                    kBalloonInformation);

    static const int kModes[] = {kAddWithoutPath, kAddRelative, kAddAbsolute};
    const int mode = defaults.mode >= 0 && defaults.mode <= 2 ? defaults.mode : 0;
    CheckRadioButton(hwnd_, kAddWithoutPath, kAddAbsolute, kModes[mode]);
    EnableWindow(control(kAddWithoutPath), defaults.mode0_enabled);
    SendMessageA(control(kAddIncludeFolders), BM_SETCHECK,
                 defaults.include_folders_checked ? BST_CHECKED : BST_UNCHECKED, 0);
    EnableWindow(control(kAddIncludeFolders), defaults.include_folders_enabled);
    EnableWindow(list_, defaults.list_enabled);
    // The list starts with the drives.
    show_folder(std::string());
}

bool AddDialog::checked(int id) const {
    return SendMessageA(control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void AddDialog::on_command(int id) {
    switch (id) {
        case kAddIncludeFolders:
            include_folders_switched();
            break;
        case kAddHelp:
            show_help();
            break;
        case kAddCancel:
            choice = AddChoice();
            done_ = true;
            break;
        case kAddOk:
            on_ok();
            break;
        default:
            break;
    }
}

void AddDialog::include_folders_switched() {
    if (checked(kAddIncludeFolders)) {
        if (checked(kAddWithoutPath))
            CheckRadioButton(hwnd_, kAddWithoutPath, kAddAbsolute, kAddRelative);
        EnableWindow(control(kAddWithoutPath), FALSE);
    } else {
        EnableWindow(control(kAddWithoutPath), TRUE);
    }
}

void AddDialog::on_ok() {
    choice.path_mode = checked(kAddAbsolute) ? 2 : checked(kAddRelative) ? 1 : 0;
    include_folders = checked(kAddIncludeFolders);
    entries.clear();
    const bool list_used = IsWindowEnabled(list_) != FALSE;
    choice.list_folder = list_used ? folder_ : std::string();
    const int rows = list_used ? static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)) : 0;
    for (int row = 0; row < rows; ++row) {
        LVITEMA item = {};
        item.mask = LVIF_PARAM | LVIF_STATE;
        item.iItem = row;
        item.stateMask = LVIS_SELECTED;
        SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        const Entry& shown = shown_[static_cast<size_t>(item.lParam)];
        entries.push_back({shown.name, shown.folder, (item.state & LVIS_SELECTED) != 0});
    }
    accepted_ = done_ = true;
}

void AddDialog::show_help() {
    MessageBoxRequest box;
    box.owner = hwnd_;
    box.title = ctx_.messages.message(77);
    box.text = add_help_text(ctx_.messages);
    box.icon = BoxIcon::kInformation;
    ctx_.prompter.message_box(box);
}

// ---- the file-system list ----------------------------------------------------------------

void AddDialog::add_list_row(const Entry& entry, const std::string& size, const std::string& date,
                             int picture) {
    shown_.push_back(entry);
    std::string text = entry.name;
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = static_cast<int>(shown_.size()) - 1;
    item.pszText = &text[0];
    item.lParam = static_cast<LPARAM>(shown_.size() - 1);
    item.iImage = picture;
    const int row =
        static_cast<int>(SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    const std::string columns[] = {size, date};
    for (int c = 1; c <= 2; ++c) {
        text = columns[c - 1];
        LVITEMA sub = {};
        sub.iSubItem = c;
        sub.pszText = &text[0];
        SendMessageA(list_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
    }
}

bool AddDialog::show_folder(const std::string& wanted) {
    const std::string folder = with_separator(wanted);
    struct Found {
        std::string name, size, date;
        DWORD attributes;
    };
    std::vector<Found> folders, files;
    if (folder.empty()) {
        const DWORD drives = GetLogicalDrives();
        for (int d = 0; d < 26; ++d) {
            if (drives & (1u << d)) folders.push_back({std::string(1, 'A' + d) + ":", "", "", 0});
        }
    } else {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return false;
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                folders.push_back(
                    {name, "", format_time(found.ftLastWriteTime), found.dwFileAttributes});
            } else {
                const uint64_t size =
                    (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
                files.push_back({name, std::to_string(size), format_time(found.ftLastWriteTime),
                                 found.dwFileAttributes});
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    const auto by_name = [](const Found& a, const Found& b) {
        return lower_case(a.name) < lower_case(b.name);
    };
    std::sort(folders.begin(), folders.end(), by_name);
    std::sort(files.begin(), files.end(), by_name);

    folder_ = folder;
    shown_.clear();
    SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
    const int folder_picture = picture_of("folder", FILE_ATTRIBUTE_DIRECTORY);
    if (!folder.empty()) add_list_row({"..", true}, "", "", folder_picture);
    for (const Found& f : folders) {
        int picture = folder_picture;
        if (folder.empty()) {
            SHFILEINFOA info = {};
            SHGetFileInfoA((f.name + "\\").c_str(), 0, &info, sizeof info,
                           SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
            picture = info.iIcon;
        }
        add_list_row({f.name, true}, f.size, f.date, picture);
    }
    for (const Found& f : files) {
        add_list_row({f.name, false}, f.size, f.date, picture_of(f.name, f.attributes));
    }
    // The name column's title says where the list is.
    std::string title = folder.empty() ? ctx_.messages.message(9) : folder;
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT;
    column.pszText = &title[0];
    SendMessageA(list_, LVM_SETCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
    return true;
}

void AddDialog::open_row(int row) {
    if (row < 0) return;
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return;
    const Entry entry = shown_[static_cast<size_t>(item.lParam)];
    if (!entry.folder) return;
    if (entry.name == "..") {
        go_up();
    } else {
        show_folder(folder_ + entry.name);
    }
}

void AddDialog::go_up() {
    if (folder_.empty()) return;
    const std::string from = folder_;
    if (!show_folder(parent_folder(folder_))) return;
    // Keep the place: the folder we came from has the focus in its parent.
    const std::string came_from = from.substr(folder_.size(), from.size() - folder_.size() - 1);
    LVFINDINFOA find = {};
    find.flags = LVFI_STRING;
    find.psz = came_from.c_str();
    const int row = static_cast<int>(SendMessageA(list_, LVM_FINDITEMA, static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>(&find)));
    if (row < 0) return;
    ListView_SetItemState(list_, row, LVIS_FOCUSED, LVIS_FOCUSED);
    ListView_EnsureVisible(list_, row, FALSE);
}

AddChoice add_dialog(ArchiveContext& ctx, HWND owner) {
    AddDialog dialog(ctx);
    dialog.defaults = add_dialog_defaults(ctx.state);
    AddChoice choice;
    if (dialog.run(owner)) {
        choice = dialog.choice;
        take_add_selection(ctx.state, choice.list_folder, dialog.entries, dialog.include_folders);
        if (ctx.state.pending_size_total > 0) {
            ctx.view.set_progress_range(
                static_cast<int>(std::min<int64_t>(ctx.state.pending_size_total, INT_MAX)));
        }
    }
    ctx.view.activate();
    return choice;
}
