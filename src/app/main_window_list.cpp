// The main window's archive list: a virtual list view over the rows the archive operations
// add, sorted by a header click with an indicator in the sorted column. A double click or Enter
// opens a row, a right click the context menu.
#include "app/main_window.h"

#include <algorithm>

#include "app/application.h"
#include "app/pictures.h"
#include "archive/listing.h"
#include "runtime/ui_dialog.h"

namespace {

struct ColumnLayout {
    int title;  // message number; -1: empty
    int width;
    int format;
};
const ColumnLayout kColumns[6] = {
    {-1, 0, LVCFMT_LEFT},   {9, 230, LVCFMT_LEFT},  {10, 95, LVCFMT_RIGHT},
    {24, 95, LVCFMT_RIGHT}, {11, 90, LVCFMT_RIGHT}, {12, 85, LVCFMT_RIGHT},
};

}  // namespace

void MainWindow::create_list() {
    list_ = CreateWindowExA(
        WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA, 10, 40,
        580, 230, hwnd_, reinterpret_cast<HMENU>(kArchiveListId), GetModuleHandleA(nullptr),
        nullptr);
    SendMessageA(list_, WM_SETFONT, reinterpret_cast<WPARAM>(app_->list_font()), TRUE);
    const DWORD extended = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP;
    SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    for (int c = 0; c < 6; ++c) {
        add_list_column(list_, c, kColumns[c].title < 0 ? "" : message(kColumns[c].title),
                        kColumns[c].width, kColumns[c].format);
    }
    sort_pictures_ = make_sort_indicators(GetSysColor(COLOR_BTNFACE));
    HWND header = reinterpret_cast<HWND>(SendMessageA(list_, LVM_GETHEADER, 0, 0));
    // The titles in the system's font: in the list's larger one "Pack-Rate %" does not fit
    // its column.
    SendMessageA(header, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 TRUE);
    SendMessageA(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(sort_pictures_));
    show_indicators();
}

LRESULT MainWindow::on_list_notify(NMHDR* header) {
    if (header->code == LVN_GETDISPINFOA || header->code == LVN_GETDISPINFOW)
        return on_row_text(header);
    if (busy_) return 0;  // clicks would start a second operation
    switch (header->code) {
        case LVN_COLUMNCLICK:
            sort_by_column(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
            break;
        case NM_DBLCLK: {
            Operation operation(*this);
            app_->open_entry();
            break;
        }
        case LVN_KEYDOWN:
            // Enter opens the selected row as a double click does.
            if (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_RETURN &&
                ListView_GetSelectedCount(list_) > 0) {
                Operation operation(*this);
                app_->open_entry();
            }
            break;
        case NM_RCLICK:
            if (!app_->state().archive_path().empty()) {
                POINT at;
                GetCursorPos(&at);
                show_popup_menu(2, at.x, at.y);
            }
            break;
        default:
            break;
    }
    return 0;
}

// The list asks for the text of a row it is about to show or hand out.
LRESULT MainWindow::on_row_text(NMHDR* header) {
    if (header->code == LVN_GETDISPINFOA) {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
        if (!(item.mask & LVIF_TEXT)) return 0;
        if (item.iItem < 0 || item.iItem >= row_count() || item.iSubItem < 0 || item.iSubItem > 5) {
            if (item.pszText && item.cchTextMax > 0) item.pszText[0] = '\0';
            return 0;
        }
        // A pointer to the row's own text: the list copies what it needs, however long.
        item.pszText = const_cast<char*>(rows_.c_str(item.iItem, item.iSubItem));
        return 0;
    }
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
    if (!(item.mask & LVIF_TEXT)) return 0;
    const std::string text = row_text(item.iItem, item.iSubItem);
    const int length = MultiByteToWideChar(1252, 0, text.c_str(), -1, nullptr, 0);
    row_wide_.assign(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(1252, 0, text.c_str(), -1, &row_wide_[0], length);
    item.pszText = &row_wide_[0];
    return 0;
}

void MainWindow::clear_rows() {
    rows_.clear();
    show_rows();
}

void MainWindow::add_row(const ArchiveEntry& row) { rows_.add(row); }

void MainWindow::show_rows() {
    if (list_) ListView_SetItemCountEx(list_, static_cast<int>(rows_.size()), 0);
}

int MainWindow::row_count() const { return rows_.size(); }

std::string MainWindow::row_text(int row, int column) const {
    if (row < 0 || row >= row_count() || column < 0 || column > kOwnNameColumn)
        return std::string();
    return rows_.text(row, column);
}

bool MainWindow::row_selected(int row) const {
    return (SendMessageA(list_, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

int MainWindow::selected_count() const {
    return list_ ? static_cast<int>(SendMessageA(list_, LVM_GETSELECTEDCOUNT, 0, 0)) : 0;
}

void MainWindow::enable_list(bool enabled) { EnableWindow(list_, enabled); }

void MainWindow::show_indicators() {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list_, LVM_GETHEADER, 0, 0));
    for (int c = 1; c <= 5; ++c) {
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        SendMessageA(header, HDM_GETITEMA, c, reinterpret_cast<LPARAM>(&item));
        item.mask = HDI_FORMAT | HDI_IMAGE;
        item.iImage = indicators_[c];
        // The blank picture would only take room from the title.
        if (indicators_[c] == 2) {
            item.fmt &= ~(HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
        } else {
            item.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
        }
        SendMessageA(header, HDM_SETITEMA, c, reinterpret_cast<LPARAM>(&item));
    }
}

void MainWindow::sort_rows(int column, int direction) {
    const size_t rows = static_cast<size_t>(rows_.size());
    // The selection and the focus move with their rows.
    std::vector<bool> selected(rows, false);
    for (int r = -1; (r = ListView_GetNextItem(list_, r, LVNI_SELECTED)) >= 0;)
        selected[static_cast<size_t>(r)] = true;
    const int focused = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
    const std::vector<size_t> order = rows_.sort(column, direction);
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (size_t r = 0; r < rows; ++r) {
        const int at = static_cast<int>(r);
        if (selected[order[r]]) ListView_SetItemState(list_, at, LVIS_SELECTED, LVIS_SELECTED);
        if (static_cast<int>(order[r]) == focused)
            ListView_SetItemState(list_, at, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    InvalidateRect(list_, nullptr, FALSE);
}

void MainWindow::sort_by_column(int column) {
    if (column < 1 || column > 5 || !list_) return;
    const int direction = std::min(indicators_[column], 1);
    for (int c = 1; c <= 5; ++c) indicators_[c] = 2;
    indicators_[column] = direction ^ 1;
    show_indicators();
    sort_rows(column, direction);
}

void MainWindow::sort_list_on_open() {
    for (int c = 1; c <= 5; ++c) indicators_[c] = 2;
    indicators_[1] = 0;
    show_indicators();
    sort_rows(1, 1);
}

void MainWindow::reset_sort_indicators() {
    for (int c = 1; c <= 5; ++c) indicators_[c] = 2;
    show_indicators();
}
