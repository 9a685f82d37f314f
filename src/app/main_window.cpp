#include "app/main_window.h"

#include "app/application.h"
#include "app/commands.h"
#include "app/pictures.h"
#include "archive/add_dialog.h"
#include "archive/adding.h"
#include "protect/password_dialogs.h"

namespace {

const char kClassName[] = "MarloxMainWindow";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
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

Operation::Operation(MainWindow& window) : window_(window), started_(!window.busy()) {
    if (started_) window_.set_busy(true);
}

Operation::~Operation() {
    if (started_) window_.set_busy(false);
}

MainWindow::~MainWindow() {
    destroy();
    for (HMENU& popup : popups_) {
        if (popup) DestroyMenu(popup);
        popup = nullptr;
    }
    for (HIMAGELIST& pictures : toolbar_pictures_) {
        if (pictures) ImageList_Destroy(pictures);
        pictures = nullptr;
    }
    if (sort_pictures_) ImageList_Destroy(sort_pictures_);
    for (HBITMAP picture : menu_pictures_) DeleteObject(picture);
    if (accelerators_) DestroyAcceleratorTable(accelerators_);
}

std::string MainWindow::base_title(const std::string& program_name, bool config_existed) {
    return program_name + (config_existed ? " V " : " V") + kVersion;
}

std::string MainWindow::message(int number) const { return app_->messages().message(number); }

bool MainWindow::create(Application& app) {
    app_ = &app;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    wc.hIconSm =
        static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, 16, 16, 0));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassExA(&wc);

    create_menu_bar();
    // sizey counts the menu bar: the client area is sizex wide and sizey high with it.
    const Settings& s = app.settings();
    RECT outer = {0, 0, s.sizex, s.sizey - GetSystemMetrics(SM_CYMENU)};
    AdjustWindowRectEx(&outer, kStyle, TRUE, 0);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    int x = s.winx, y = s.winy;
    if (!app.config_existed()) {
        x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    }
    const std::string title = base_title(message(29), app.config_existed());
    hwnd_ = CreateWindowExA(WS_EX_ACCEPTFILES, kClassName, title.c_str(), kStyle, x, y, width,
                            height, nullptr, menu_, instance, this);
    if (!hwnd_) return false;
    create_toolbar();
    create_status_bar();
    create_list();
    create_progress_bar();
    create_popup_menus();
    apply_commands();
    create_shortcuts();
    apply_layout();
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    remember_geometry();
    return true;
}

void MainWindow::destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

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

void MainWindow::create_status_bar() {
    status_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0,
                              0, 0, hwnd_, nullptr, GetModuleHandleA(nullptr), nullptr);
    int edges[2] = {150, 750};
    SendMessageA(status_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
    set_status_text(0, "--");
    set_status_text(1, message(8));
    hover_button_ = 0;  // the first pass shows the hover help
}

void MainWindow::create_progress_bar() {
    progress_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 305, 580, 15,
                                hwnd_, reinterpret_cast<HMENU>(kProgressBarId),
                                GetModuleHandleA(nullptr), nullptr);
    SendMessageA(progress_, PBM_SETRANGE32, 0, 100);
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

void MainWindow::on_destroyed() {
    toolbar_ = list_ = progress_ = status_ = nullptr;
    menu_ = nullptr;  // destroyed with the window
}

LRESULT MainWindow::on_message(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SIZE:
            on_size();
            break;
        case WM_MOVE:
            remember_geometry();
            break;
        case WM_COMMAND:
            if (lp == 0 || reinterpret_cast<HWND>(lp) == toolbar_) {
                on_command(LOWORD(wp), HIWORD(wp) == 1);
            }
            return 0;
        case WM_NOTIFY:
            return on_notify(reinterpret_cast<NMHDR*>(lp));
        case WM_DROPFILES:
            on_drop(reinterpret_cast<HDROP>(wp));
            return 0;
        case WM_CLOSE:
            if (busy_) return 0;
            break;
        case WM_DESTROY:
            remember_geometry();
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return default_message(msg, wp, lp);
}

void MainWindow::on_command(int command, bool from_accelerator) {
    // A shortcut does nothing while its command cannot be given.
    if (from_accelerator && !command_enabled(command, command_state())) return;
    app_->dispatch_command(command);
}

LRESULT MainWindow::on_notify(NMHDR* header) {
    if (header->hwndFrom == toolbar_ && header->code == TBN_DROPDOWN)
        return on_drop_down(reinterpret_cast<NMTOOLBARA*>(header)->iItem);
    if (header->code == TTN_GETDISPINFOA || header->code == TTN_GETDISPINFOW)
        return on_tip_text(header);
    if (header->hwndFrom == list_) return on_list_notify(header);
    return 0;
}

void MainWindow::on_drop(HDROP drop) {
    std::vector<std::string> paths;
    // While an operation runs, a drop would start another one: it is released unused.
    if (!busy_) {
        const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            std::string path(DragQueryFileA(drop, i, nullptr, 0) + 1, '\0');
            path.resize(DragQueryFileA(drop, i, &path[0], static_cast<UINT>(path.size())));
            paths.push_back(path);
        }
    }
    DragFinish(drop);
    if (paths.empty()) return;
    Operation operation(*this);
    ArchiveContext ctx = app_->archive_context();
    drop_items(ctx, paths);
}

void MainWindow::on_size() {
    if (status_) SendMessageA(status_, WM_SIZE, 0, 0);
    apply_layout();
    remember_geometry();
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

void MainWindow::apply_layout() {
    if (!hwnd_) return;
    RECT client;
    GetClientRect(hwnd_, &client);
    const int w = client.right;
    const int h = client.bottom + GetSystemMetrics(SM_CYMENU);
    if (toolbar_) MoveWindow(toolbar_, 0, 0, w, kToolbarHeight, TRUE);
    if (list_) MoveWindow(list_, 10, 40, w - 22, h - 110, TRUE);
    if (progress_) MoveWindow(progress_, 10, h - 65, w - 22, 15, TRUE);
}

void MainWindow::remember_geometry() {
    if (!hwnd_ || IsIconic(hwnd_)) return;
    RECT outer, client;
    GetWindowRect(hwnd_, &outer);
    GetClientRect(hwnd_, &client);
    const int menu = GetMenu(hwnd_) ? GetSystemMetrics(SM_CYMENU) : 0;
    geometry_ = {outer.left, outer.top, client.right, client.bottom + menu};
}

CommandState MainWindow::command_state() const {
    CommandState state;
    state.kind = shown_kind_;
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

std::string MainWindow::status_text(int field) const {
    if (!status_) return "";
    const LRESULT length = SendMessageA(status_, SB_GETTEXTLENGTHA, field, 0);
    std::string text(static_cast<size_t>(LOWORD(length)) + 1, '\0');
    SendMessageA(status_, SB_GETTEXTA, field, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(LOWORD(length));
    return text;
}

void MainWindow::set_status_text(int field, const std::string& text) {
    // What the operations write stays until the mouse moves onto a button.
    if (field == 1) hover_button_ = -1;
    if (status_) SendMessageA(status_, SB_SETTEXTA, field, reinterpret_cast<LPARAM>(text.c_str()));
}

void MainWindow::set_title(const std::string& text) { SetWindowTextA(hwnd_, text.c_str()); }

void MainWindow::reset_title() { set_title(base_title(message(29), app_->config_existed())); }

void MainWindow::set_progress_range(int maximum) {
    progress_range_ = maximum > 0 ? maximum : 1;
    SendMessageA(progress_, PBM_SETRANGE32, 0, maximum);
}

void MainWindow::set_progress(int value) {
    // The bar repaints itself at every move: it moves only when its filled part would grow or
    // shrink by a pixel, and always to its ends.
    RECT bar = {};
    GetClientRect(progress_, &bar);
    const int filled = MulDiv(value, bar.right, progress_range_);
    if (filled == progress_filled_ && value != 0 && value < progress_range_) return;
    progress_filled_ = filled;
    SendMessageA(progress_, PBM_SETPOS, value, 0);
    // Repainting costs more than extracting a small member: at most ten times a second.
    const DWORD now = GetTickCount();
    if (now - last_progress_paint_ >= 100) {
        last_progress_paint_ = now;
        UpdateWindow(progress_);
    }
}

void MainWindow::set_commands(ArchiveKind kind, const std::vector<std::string>& setup_candidates) {
    shown_kind_ = kind;
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

bool MainWindow::run_decipher_dialog(
    const std::function<PasswordAnswer(const std::string&)>& attempt) {
    ArchiveContext ctx = app_->archive_context();
    DecipherDialog dialog(ctx, attempt);
    return dialog.run(hwnd_);
}

AddChoice MainWindow::run_add_dialog(bool items_given) {
    ArchiveContext ctx = app_->archive_context();
    return add_dialog(ctx, hwnd_, items_given);
}

void MainWindow::activate() {
    if (!hwnd_) return;
    SetForegroundWindow(hwnd_);
    SetActiveWindow(hwnd_);
}
