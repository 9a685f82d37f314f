#include "archive/extract_dialog.h"

#include <algorithm>
#include <iterator>

#include "runtime/file_meta.h"
#include "runtime/os.h"
#include "runtime/paths.h"

namespace {

const char kClassName[] = "MarloxExtractDialog";
constexpr int kWidth = 550;
constexpr int kHeight = 300;

const DialogControl kControls[] = {
    {kExtractOverwriteGroup, "BUTTON", BS_GROUPBOX, 10, 10, 200, 80},
    {kExtractOverwrite, "BUTTON", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 15, 30, 180, 20, 118},
    {kExtractAsk, "BUTTON", BS_AUTORADIOBUTTON, 15, 55, 180, 20, 119},
    {kExtractSelectionGroup, "BUTTON", BS_GROUPBOX, 10, 110, 200, 120, 120},
    {kExtractAll, "BUTTON", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 15, 130, 180, 20, 121},
    {kExtractSelected, "BUTTON", BS_AUTORADIOBUTTON, 15, 155, 180, 20, 122},
    {kExtractPattern, "BUTTON", BS_AUTORADIOBUTTON, 15, 180, 180, 20, 123},
    {kExtractPatternField, "EDIT", WS_BORDER | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL, 35, 200, 50,
     18, -1, "", true},
    {kExtractTree, WC_TREEVIEWA,
     WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
     235, 10, 310, 260},
    {kExtractCancel, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 10, 275, 70, 20, 34},
    {kExtractHelp, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 100, 275, 70, 20, 40},
    {kExtractNewFolder, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 235, 275, 70, 20, 170},
    {kExtractOk, "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 470, 275, 70, 20, -1, "OK"},
};

// The pieces of a folder path: "C:\a\b\" gives "C:", "a", "b".
std::vector<std::string> path_pieces(const std::string& path) {
    std::vector<std::string> pieces;
    size_t from = 0;
    while (from < path.size()) {
        size_t to = path.find_first_of("\\/", from);
        if (to == std::string::npos) to = path.size();
        if (to > from) pieces.push_back(path.substr(from, to - from));
        from = to + 1;
    }
    return pieces;
}

}  // namespace

ExtractDialog::ExtractDialog(ArchiveContext& ctx)
    : Dialog(kClassName, kWidth, kHeight, kControls, std::size(kControls)), ctx_(ctx) {}

bool ExtractDialog::run(HWND owner) { return Dialog::run(owner, ctx_.messages.message(107)); }

void ExtractDialog::on_init() {
    // The overwrite group's title is message 57 and two dots.
    SetWindowTextA(control(kExtractOverwriteGroup), (message(57) + "..").c_str());
    tree_ = control(kExtractTree);
    // Both option groups start from the defaults; the pattern field starts disabled.
    CheckRadioButton(hwnd_, kExtractOverwrite, kExtractAsk,
                     defaults.ask_before_overwriting ? kExtractAsk : kExtractOverwrite);
    CheckRadioButton(hwnd_, kExtractAll, kExtractPattern,
                     defaults.mode == 2 ? kExtractSelected : kExtractAll);
    enable(kExtractSelected, defaults.selected_enabled);
    enable(kExtractPattern, defaults.pattern_enabled);
    enable(kExtractPatternField, false);
    fill_drives();
    show_folder(start_folder);
    SetFocus(tree_);
}

LRESULT ExtractDialog::on_notify(const NMHDR* header) {
    if (header->hwndFrom == tree_ &&
        (header->code == TVN_ITEMEXPANDINGA || header->code == TVN_ITEMEXPANDINGW)) {
        load_children(reinterpret_cast<const NMTREEVIEWA*>(header)->itemNew.hItem);
    }
    return 0;
}

void ExtractDialog::set_pattern_enabled(bool enabled) {
    if (!enabled) SetWindowTextA(control(kExtractPatternField), "");
    enable(kExtractPatternField, enabled);
}

void ExtractDialog::on_click(int id) {
    switch (id) {
        case kExtractPattern:
            set_pattern_enabled(true);
            break;
        case kExtractAll:
        case kExtractSelected:
            set_pattern_enabled(false);
            break;
        case kExtractHelp:
            show_help();
            break;
        case kExtractNewFolder:
            new_folder();
            break;
        default:
            break;
    }
}

void ExtractDialog::on_ok() {
    ExtractChoices chosen;
    chosen.mode = checked(kExtractPattern) ? 3 : checked(kExtractSelected) ? 2 : 1;
    chosen.ask_before_overwriting = checked(kExtractAsk);
    chosen.target_folder = shown_folder();
    // Without a folder in the tree there is nothing to extract into yet.
    if (chosen.target_folder.empty() || !confirm_target_writable(ctx_, chosen.target_folder)) {
        return;
    }
    chosen.pattern = chosen.mode == 3 ? control_text(kExtractPatternField) : "";
    choices = chosen;
    end(true);
}

void ExtractDialog::show_help() {
    const MessageTable& m = ctx_.messages;
    // Message numbers line by line; 0 stands for an empty line.
    const int lines[] = {147, 148, 149, 0,   150, 151, 152, 0,   153, 154, 0,
                         155, 156, 157, 158, 159, 160, 0,   161, 162, 163, 0};
    std::string text;
    for (int line : lines) text += (line ? m.message(line) : std::string()) + "\n";
    ctx_.prompter.show(m.message(4), text, BoxIcon::kInformation, hwnd_);
}

void ExtractDialog::new_folder() {
    InputRequest request;
    request.owner = hwnd_;
    request.title = ctx_.messages.message(164);
    request.prompt = ctx_.messages.message(165);
    request.cancel = ctx_.messages.message(34);
    const std::string name = ctx_.prompter.input_line(request);
    if (name.empty()) return;
    const std::string parent = shown_folder();
    const std::string path = as_folder(join_path(parent, name));
    // A folder that cannot be made is not reported; the tree simply does not show it.
    if (!os::create_folder(path)) return;
    HTREEITEM selected = TreeView_GetSelection(tree_);
    if (selected) {
        // Reload the children so the new folder appears among them.
        TVITEMA item = {};
        item.mask = TVIF_PARAM;
        item.hItem = selected;
        TreeView_GetItem(tree_, &item);
        while (HTREEITEM child = TreeView_GetChild(tree_, selected)) {
            TreeView_DeleteItem(tree_, child);
        }
        folders_[static_cast<size_t>(item.lParam)].loaded = false;
    }
    show_folder(path);
}

// ---- the folder tree -------------------------------------------------------------------

HTREEITEM ExtractDialog::add_folder(HTREEITEM parent, const std::string& path,
                                    const std::string& name) {
    folders_.push_back({as_folder(path), false});
    std::string text = name;
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = &text[0];
    insert.item.lParam = static_cast<LPARAM>(folders_.size() - 1);
    insert.item.cChildren = 1;  // known once the folder is opened
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void ExtractDialog::fill_drives() {
    const DWORD drives = GetLogicalDrives();
    for (int d = 0; d < 26; ++d) {
        if (!(drives & (1u << d))) continue;
        const std::string name = std::string(1, static_cast<char>('A' + d)) + ":";
        add_folder(TVI_ROOT, name + "\\", name);
    }
}

void ExtractDialog::load_children(HTREEITEM item) {
    TVITEMA data = {};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!TreeView_GetItem(tree_, &data)) return;
    const size_t index = static_cast<size_t>(data.lParam);
    if (folders_[index].loaded) return;
    folders_[index].loaded = true;
    const std::string path = folders_[index].path;

    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." &&
                name != "..") {
                names.push_back(name);
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return lower_case(a) < lower_case(b);
    });
    for (const std::string& name : names) add_folder(item, join_path(path, name), name);
    if (names.empty()) {
        data.mask = TVIF_CHILDREN;
        data.cChildren = 0;
        TreeView_SetItem(tree_, &data);
    }
}

HTREEITEM ExtractDialog::find_child(HTREEITEM parent, const std::string& name) {
    const std::string wanted = lower_case(name);
    for (HTREEITEM child = parent == TVI_ROOT ? TreeView_GetRoot(tree_)
                                              : TreeView_GetChild(tree_, parent);
         child; child = TreeView_GetNextSibling(tree_, child)) {
        char text[MAX_PATH] = "";
        TVITEMA item = {};
        item.mask = TVIF_TEXT;
        item.hItem = child;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        TreeView_GetItem(tree_, &item);
        if (lower_case(text) == wanted) return child;
    }
    return nullptr;
}

bool ExtractDialog::show_folder(const std::string& path) {
    HTREEITEM at = TVI_ROOT;
    bool complete = true;
    for (const std::string& piece : path_pieces(path)) {
        if (at != TVI_ROOT) {
            load_children(at);
            TreeView_Expand(tree_, at, TVE_EXPAND);
        }
        HTREEITEM child = find_child(at, piece);
        if (!child) {
            complete = false;
            break;
        }
        at = child;
    }
    if (at == TVI_ROOT) return false;
    TreeView_SelectItem(tree_, at);
    TreeView_EnsureVisible(tree_, at);
    return complete;
}

std::string ExtractDialog::shown_folder() const {
    HTREEITEM selected = TreeView_GetSelection(tree_);
    if (!selected) return std::string();
    TVITEMA item = {};
    item.mask = TVIF_PARAM;
    item.hItem = selected;
    if (!TreeView_GetItem(tree_, &item)) return std::string();
    return folders_[static_cast<size_t>(item.lParam)].path;
}

bool extract_dialog(ArchiveContext& ctx, const ArchiveBackend& backend, HWND owner,
                    int selected_rows, ExtractChoices& choices) {
    ExtractDialog dialog(ctx);
    dialog.defaults = extract_defaults(selected_rows, backend, ctx.settings.safe);
    dialog.start_folder = ctx.listing.archive_folder;
    if (dialog.start_folder.empty()) dialog.start_folder = folder_of(ctx.state.archive_path());
    if (!dialog.run(owner)) return false;
    choices = dialog.choices;
    return true;
}
