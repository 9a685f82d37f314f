// The main window's menu bar, toolbar and pop-up menus, which of their commands are enabled,
// and the help status field 1 and the tooltips give for the toolbar's buttons.
#include "app/main_window.h"

#include "app/application.h"
#include "app/commands.h"
#include "app/pictures.h"

namespace {

constexpr int kNoPicture = -1;

// A toolbar slot: a button, or a separator (command 0) `gap` pixels wide; 0 = standard width.
// A button's tooltip is its hover help.
struct ToolbarSlot {
    int command;
    int picture;
    bool enabled;
    bool drop_down;
    int gap;
};
const ToolbarSlot kToolbar[] = {
    {0, 0, true, false, 10},
    {kButtonNew, kPictureNew, true, false, 0},
    {kButtonOpen, kPictureOpen, true, false, 0},
    {kButtonExtract, kPictureExtract, false, false, 0},
    {0, 0, true, false, 0},
    {kButtonConvert, kPictureConvert, false, false, 0},
    {0, 0, true, false, 0},
    {kButtonRemove, kPictureRemove, false, false, 0},
    {kButtonAdd, kPictureAdd, false, false, 0},
    {kButtonView, kPictureView, false, true, 0},
    {0, 0, true, false, 0},
    {kButtonSettings, kPictureSettings, true, false, 0},
    {kButtonHelp, kPictureHelp, true, false, 0},
    {0, 0, true, false, 0},
    {kButtonMail, kPictureMail, false, false, 0},
    {kButtonSetup, kPictureSetup, false, true, 0},
    {0, 0, true, false, 46},
    {kButtonQuit, kPictureQuit, true, false, 0},
};

const ACCEL kShortcuts[] = {
    {FVIRTKEY, VK_F1, kCmdHelp},        {FVIRTKEY, VK_F5, kCmdConvert},
    {FVIRTKEY, VK_F6, kCmdCopy},        {FVIRTKEY, VK_F7, kCmdMove},
    {FVIRTKEY, VK_F8, kCmdRename},      {FVIRTKEY, VK_F9, kCmdSetup},
    {FVIRTKEY, VK_F10, kCmdEncipher},   {FVIRTKEY, VK_F11, kCmdMail},
    {FVIRTKEY, VK_F12, kCmdProperties}, {FVIRTKEY, VK_INSERT, kCmdAdd},
    {FVIRTKEY, VK_DELETE, kCmdRemove},
};

// Separators get an id of their own: with id 0 they would be found instead of item 0 ("Ende")
// when items are looked up by command number.
constexpr UINT kSeparatorId = 0xFFFF;

void add_separator(HMENU menu) { AppendMenuA(menu, MF_SEPARATOR, kSeparatorId, nullptr); }

}  // namespace

void MainWindow::add_menu_item(HMENU menu, int command, const std::string& text, int picture) {
    AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(command), text.c_str());
    if (picture == kNoPicture) return;
    HBITMAP bitmap = load_menu_picture(picture, GetSysColor(COLOR_MENU));
    if (!bitmap) return;
    menu_pictures_.push_back(bitmap);
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_BITMAP;
    item.hbmpItem = bitmap;
    SetMenuItemInfoA(menu, static_cast<UINT>(command), FALSE, &item);
}

void MainWindow::create_menu_bar() {
    menu_ = CreateMenu();
    const auto tab = [](const std::string& text, const char* key) { return text + "\t" + key; };

    HMENU file = CreatePopupMenu();
    add_menu_item(file, kCmdNew, message(105), kPictureNew);
    add_menu_item(file, kCmdOpen, message(106), kPictureOpen);
    add_menu_item(file, kCmdExtract, message(107), kPictureExtract);
    add_separator(file);
    add_menu_item(file, kCmdProperties, tab(message(199), "F12"), kNoPicture);
    add_separator(file);
    add_menu_item(file, kCmdMail, tab(message(108), "F11"), kPictureMail);
    add_menu_item(file, kCmdEncipher, tab(message(174), "F10"), kMenuLockPicture);
    add_separator(file);
    add_menu_item(file, kCmdQuit, message(1), kPictureQuit);

    HMENU edit = CreatePopupMenu();
    add_menu_item(edit, kCmdConvert, tab(message(110), "F5"), kPictureConvert);
    add_separator(edit);
    add_menu_item(edit, kCmdRemove, tab(message(111), "DEL"), kPictureRemove);
    add_menu_item(edit, kCmdAdd, tab(message(112), "INS"), kPictureAdd);
    add_separator(edit);
    add_menu_item(edit, kCmdView, message(113), kPictureView);
    add_separator(edit);
    add_menu_item(edit, kCmdSetup, tab(message(7), "F9"), kPictureSetup);
    add_separator(edit);
    add_menu_item(edit, kCmdCopy, "Archiv kopieren... \tF6", kNoPicture);
    add_menu_item(edit, kCmdMove, "Archiv verschieben... \tF7", kNoPicture);
    add_menu_item(edit, kCmdRename, "Archiv umbenennen... \tF8", kNoPicture);

    HMENU options = CreatePopupMenu();
    add_menu_item(options, kCmdSettings, message(3), kPictureSettings);

    HMENU help = CreatePopupMenu();
    add_menu_item(help, kCmdHelp, tab(message(5), "F1"), kPictureHelp);
    add_separator(help);
    add_menu_item(help, kCmdAbout, message(6), kNoPicture);
    add_separator(help);
    add_menu_item(help, kCmdHistory, "Historie/Credits/License", kNoPicture);

    AppendMenuA(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(file), message(0).c_str());
    AppendMenuA(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), message(109).c_str());
    AppendMenuA(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(options), message(2).c_str());
    AppendMenuA(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(help), message(4).c_str());
}

void MainWindow::create_toolbar() {
    toolbar_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                   CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN,
                               0, 0, 640, kToolbarHeight, hwnd_, nullptr, GetModuleHandleA(nullptr),
                               nullptr);
    SendMessageA(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(toolbar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const UINT lists[3] = {TB_SETIMAGELIST, TB_SETHOTIMAGELIST, TB_SETDISABLEDIMAGELIST};
    const int strips[3] = {kToolbarStrip, kToolbarHotStrip, kToolbarDisabledStrip};
    for (int i = 0; i < 3; ++i) {
        toolbar_pictures_[i] = load_toolbar_pictures(strips[i], face);
        SendMessageA(toolbar_, lists[i], 0, reinterpret_cast<LPARAM>(toolbar_pictures_[i]));
    }
    std::vector<TBBUTTON> buttons;
    for (const ToolbarSlot& slot : kToolbar) {
        TBBUTTON button = {};
        if (slot.command == 0) {
            button.iBitmap = slot.gap;
            button.fsStyle = BTNS_SEP;
        } else {
            button.iBitmap = slot.picture;
            button.idCommand = slot.command;
            button.fsState = slot.enabled ? TBSTATE_ENABLED : 0;
            button.fsStyle = BTNS_BUTTON | (slot.drop_down ? BTNS_DROPDOWN : 0);
        }
        buttons.push_back(button);
    }
    SendMessageA(toolbar_, TB_ADDBUTTONSA, buttons.size(),
                 reinterpret_cast<LPARAM>(buttons.data()));
    HWND tips = reinterpret_cast<HWND>(SendMessageA(toolbar_, TB_GETTOOLTIPS, 0, 0));
    if (tips) {
        SetWindowLongPtrA(tips, GWL_STYLE, GetWindowLongPtrA(tips, GWL_STYLE) | TTS_BALLOON);
        SendMessageA(tips, TTM_SETMAXTIPWIDTH, 0, 150);
    }
}

void MainWindow::create_shortcuts() {
    accelerators_ = CreateAcceleratorTableA(const_cast<ACCEL*>(kShortcuts),
                                            sizeof kShortcuts / sizeof kShortcuts[0]);
}

void MainWindow::create_popup_menus() {
    const std::vector<std::string>& viewers = app_->settings().viewers;
    const auto add_viewers = [&](HMENU menu) {
        for (int k = 0; k < static_cast<int>(viewers.size()) && k < kMaxViewers; ++k) {
            if (k > 0 && viewers[k].empty()) continue;
            add_menu_item(menu, kCmdViewer0 + k, viewer_menu_name(viewers[k]), kNoPicture);
        }
    };

    HMENU context = CreatePopupMenu();
    add_menu_item(context, kCmdContextView, message(113), kPictureView);
    if (!viewers.empty()) {
        add_separator(context);
        add_viewers(context);
        add_separator(context);
    }
    add_menu_item(context, kCmdContextRemove, message(111), kPictureRemove);
    add_separator(context);
    add_menu_item(context, kCmdContextAdd, message(112), kPictureAdd);
    add_menu_item(context, kCmdContextExtract, message(107), kPictureExtract);
    add_separator(context);
    add_menu_item(context, kCmdContextConvert, message(110), kPictureConvert);
    popups_[1] = context;

    HMENU drop_down = CreatePopupMenu();
    if (viewers.empty()) {
        add_menu_item(drop_down, kCmdViewer0, "Notepad", kNoPicture);
        app_->settings().viewers = {"Notepad.exe"};
    } else {
        add_viewers(drop_down);
    }
    popups_[0] = drop_down;
}

HMENU MainWindow::popup_menu(int number) const {
    return number >= 1 && number <= 3 ? popups_[number - 1] : nullptr;
}

void MainWindow::show_popup_menu(int number, int x, int y) {
    HMENU menu = popup_menu(number);
    if (!menu || !hwnd_) return;
    SetForegroundWindow(hwnd_);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, x, y, 0, hwnd_, nullptr);
    PostMessageA(hwnd_, WM_NULL, 0, 0);
}

// The arrow beside the view or the setup button opens that button's pop-up menu below it.
LRESULT MainWindow::on_drop_down(int button) {
    if (busy_) return TBDDRET_DEFAULT;
    RECT rect;
    SendMessageA(toolbar_, TB_GETRECT, button, reinterpret_cast<LPARAM>(&rect));
    POINT corner = {rect.left, rect.bottom};
    ClientToScreen(toolbar_, &corner);
    show_popup_menu(button == kButtonView ? 1 : 3, corner.x, corner.y);
    return TBDDRET_DEFAULT;
}

// A toolbar button's tooltip says what its hover help says.
LRESULT MainWindow::on_tip_text(NMHDR* header) {
    const int number = hover_help_message(static_cast<int>(header->idFrom));
    if (number < 0) return 0;
    tip_text_ = message(number);
    if (header->code == TTN_GETDISPINFOA) {
        reinterpret_cast<NMTTDISPINFOA*>(header)->lpszText = &tip_text_[0];
    } else {
        const int length = MultiByteToWideChar(1252, 0, tip_text_.c_str(), -1, nullptr, 0);
        tip_wide_.assign(static_cast<size_t>(length), L'\0');
        MultiByteToWideChar(1252, 0, tip_text_.c_str(), -1, &tip_wide_[0], length);
        reinterpret_cast<NMTTDISPINFOW*>(header)->lpszText = &tip_wide_[0];
    }
    return 0;
}

void MainWindow::update_hover_help() {
    if (!toolbar_) return;
    const int hot = static_cast<int>(SendMessageA(toolbar_, TB_GETHOTITEM, 0, 0));
    int button = -1;
    TBBUTTON info = {};
    if (hot >= 0 && SendMessageA(toolbar_, TB_GETBUTTON, hot, reinterpret_cast<LPARAM>(&info))) {
        if (hover_help_message(info.idCommand) >= 0) button = info.idCommand;
    }
    if (button == hover_button_) return;
    const int number = hover_help_message(button);
    set_status_text(1, number >= 0 ? message(number) : message(46) + app_->version_banner());
    hover_button_ = button;
}

CommandState MainWindow::command_state() const {
    CommandState state;
    state.archive = app_ ? app_->state().archive_backend() : nullptr;
    state.setup_candidates = setup_candidates_;
    state.busy = busy_;
    return state;
}

void MainWindow::apply_commands() {
    CommandState state = command_state();
    state.busy = false;  // an operation refuses commands; it does not grey the window
    for (const ToolbarSlot& slot : kToolbar) {
        if (slot.command == 0) continue;
        const BOOL enabled = command_enabled(slot.command, state) ? TRUE : FALSE;
        SendMessageA(toolbar_, TB_ENABLEBUTTON, slot.command, MAKELPARAM(enabled, 0));
    }
    for (int command = kCmdQuit; command <= kCmdProperties; ++command) {
        const UINT flags =
            MF_BYCOMMAND | (command_enabled(command, state) ? MF_ENABLED : MF_GRAYED);
        for (HMENU menu : {menu_, popups_[0], popups_[1]}) {
            if (menu) EnableMenuItem(menu, static_cast<UINT>(command), flags);
        }
    }
    if (hwnd_) DrawMenuBar(hwnd_);
}

bool MainWindow::shows_enabled(int command) const {
    if (command >= kButtonNew && command <= kButtonSetup) {
        return toolbar_ && SendMessageA(toolbar_, TB_ISBUTTONENABLED, command, 0) != 0;
    }
    HMENU menus[3] = {menu_, popups_[0], popups_[1]};
    for (HMENU menu : menus) {
        if (!menu) continue;
        const UINT state = GetMenuState(menu, static_cast<UINT>(command), MF_BYCOMMAND);
        if (state != static_cast<UINT>(-1)) return (state & (MF_GRAYED | MF_DISABLED)) == 0;
    }
    return false;
}

void MainWindow::set_commands(const std::vector<std::string>& setup_candidates) {
    setup_candidates_ = !setup_candidates.empty();
    if (popups_[2]) DestroyMenu(popups_[2]);
    popups_[2] = nullptr;
    if (setup_candidates_) {
        popups_[2] = CreatePopupMenu();
        for (size_t i = 0; i < setup_candidates.size(); ++i) {
            AppendMenuA(popups_[2], MF_STRING, kCmdSetupCandidate + i, setup_candidates[i].c_str());
        }
    }
    apply_commands();
}
