#include "archive/add_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <iterator>

#include "runtime/file_meta.h"
#include "runtime/paths.h"
#include "runtime/ui_balloon.h"

namespace {

const char kClassName[] = "MarloxAddDialog";
constexpr int kWidth = 450;
constexpr int kHeight = 400;

const DialogControl kControls[] = {
    {kAddModeGroup, "BUTTON", BS_GROUPBOX, 10, 10, 180, 115, 36},
    {kAddWithoutPath, "BUTTON", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 15, 40, 170, 20, 37},
    {kAddRelative, "BUTTON", BS_AUTORADIOBUTTON, 15, 65, 170, 20, 38},
    {kAddAbsolute, "BUTTON", BS_AUTORADIOBUTTON, 15, 90, 170, 20, 39},
    {kAddList, WC_LISTVIEWA,
     WS_BORDER | WS_GROUP | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS, 200,
     10, 245, 350, -1, "", true},
    {kAddIncludeFolders, "BUTTON", BS_AUTOCHECKBOX | BS_MULTILINE | WS_GROUP | WS_TABSTOP, 10, 220,
     185, 50, 115},
    {kAddCancel, "BUTTON", BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 10, 370, 70, 20, 34},
    {kAddHelp, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 100, 370, 70, 20, 40},
    {kAddOk, "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 370, 370, 70, 20, 35},
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

AddDialog::AddDialog(ArchiveContext& ctx)
    : Dialog(kClassName, kWidth, kHeight, kControls, std::size(kControls)), ctx_(ctx) {}

bool AddDialog::run(HWND owner) { return Dialog::run(owner, ctx_.messages.message(41)); }

LRESULT AddDialog::on_notify(const NMHDR* header) {
    if (header->hwndFrom != list_) return 0;
    if (header->code == LVN_ITEMACTIVATE) {
        open_row(reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem);
    } else if (header->code == LVN_KEYDOWN &&
               reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey == VK_BACK) {
        go_up();
    }
    return 0;
}

void AddDialog::on_init() {
    list_ = control(kAddList);
    SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    const struct {
        int title, width, format;
    } columns[] = {{9, kNameWidth, LVCFMT_LEFT},
                   {10, kSizeWidth, LVCFMT_RIGHT},
                   {11, kDateWidth, LVCFMT_LEFT}};
    for (int c = 0; c < 3; ++c)
        add_list_column(list_, c, message(columns[c].title), columns[c].width, columns[c].format);
    SHFILEINFOA info = {};
    const auto pictures = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (pictures)
        SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(pictures));
    add_balloon_tip(hwnd_, control(kAddIncludeFolders), message(116), message(117),
                    kBalloonInformation);

    static const int kModes[] = {kAddWithoutPath, kAddRelative, kAddAbsolute};
    const int mode = defaults.mode >= 0 && defaults.mode <= 2 ? defaults.mode : 0;
    CheckRadioButton(hwnd_, kAddWithoutPath, kAddAbsolute, kModes[mode]);
    enable(kAddWithoutPath, defaults.mode0_enabled);
    set_checked(kAddIncludeFolders, defaults.include_folders_checked);
    enable(kAddIncludeFolders, defaults.include_folders_enabled);
    EnableWindow(list_, defaults.list_enabled);
    // The list starts with the drives.
    show_folder(std::string());
    SetFocus(defaults.list_enabled ? list_ : control(kAddOk));
}

void AddDialog::on_click(int id) {
    if (id == kAddIncludeFolders) include_folders_switched();
    if (id == kAddHelp) show_help();
}

void AddDialog::on_cancel() {
    choice = AddChoice();
    end(false);
}

void AddDialog::include_folders_switched() {
    const bool including = checked(kAddIncludeFolders);
    if (including && checked(kAddWithoutPath))
        CheckRadioButton(hwnd_, kAddWithoutPath, kAddAbsolute, kAddRelative);
    enable(kAddWithoutPath, !including);
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
    end(true);
}

void AddDialog::show_help() {
    ctx_.prompter.show(ctx_.messages.message(77), add_help_text(ctx_.messages),
                       BoxIcon::kInformation, hwnd_);
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
    const std::string folder = as_folder(wanted);
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
        show_folder(join_path(folder_, entry.name));
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

AddChoice add_dialog(ArchiveContext& ctx, HWND owner, bool items_given) {
    PendingItems& pending = ctx.state.pending;
    AddDialog dialog(ctx);
    dialog.defaults = add_dialog_defaults(pending, items_given);
    AddChoice choice;
    if (dialog.run(owner)) {
        choice = dialog.choice;
        take_add_selection(pending, choice.list_folder, dialog.entries, dialog.include_folders);
        if (pending.size_total > 0) {
            ctx.view.set_progress_range(
                static_cast<int>(std::min<int64_t>(pending.size_total, INT_MAX)));
        }
    }
    ctx.view.activate();
    return choice;
}
