// The main window: menu bar, flat toolbar, archive list (control 100), progress bar (control
// 101), two-field status bar and the three pop-up menus. It shows what the archive operations
// tell it through ArchiveView and hands every command to the application's dispatch.
// main_window.cpp creates it and routes its messages; main_window_menus.cpp holds the menus, the
// toolbar and their commands' states, main_window_list.cpp the archive list, and
// main_window_frame.cpp the status bar, the progress bar, the layout and drops.
#ifndef MARLOX_APP_MAIN_WINDOW_H
#define MARLOX_APP_MAIN_WINDOW_H

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/commands.h"
#include "archive/list_rows.h"
#include "runtime/ui_window.h"
#include "state/archive_view.h"
#include "state/settings_file.h"

class Application;
class MainWindow;

// One operation of the window, from its start to its end: while it lives the window is busy and
// no other operation starts. started() is false when another one was running already.
class Operation {
  public:
    explicit Operation(MainWindow& window);
    ~Operation();
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;
    bool started() const { return started_; }

  private:
    MainWindow& window_;
    bool started_;
};

constexpr int kArchiveListId = 100;
constexpr int kProgressBarId = 101;
constexpr UINT_PTR kStatusTimer = 1;
// How often an operation's status text and progress bar show, in milliseconds.
constexpr DWORD kUpdateInterval = 250;

class MainWindow : public Window, public ArchiveView {
  public:
    MainWindow() = default;
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // `create_main_window`: creates and shows the window with all its parts at the remembered
    // place, or centred on the screen when there was no configuration file. Pop-up menu 1 may
    // turn an empty viewer list into the single entry "Notepad.exe". False when it fails.
    bool create(Application& app);
    // Destroys the window (the quit command's way out of the loop).
    void destroy();

    HWND list() const { return list_; }
    HWND toolbar() const { return toolbar_; }
    HWND progress_bar() const { return progress_; }
    HWND status_bar() const { return status_; }
    HMENU menu_bar() const { return menu_; }
    HMENU popup_menu(int number) const;
    HACCEL accelerators() const { return accelerators_; }
    // Outer top-left, client width and client height plus the menu-bar height; the geometry
    // last seen while the window existed.
    WindowGeometry geometry() const { return geometry_; }

    // "Marlox V 1.1.6" after a run with a configuration file, "Marlox V1.1.6" without.
    static std::string base_title(const std::string& program_name, bool config_existed);

    // The header's sort indicator of column 1 to 5: 0 up, 1 down, 2 none.
    int sort_indicator(int column) const { return indicators_[column]; }
    // The header click on column 1 to 5: toggles its direction and sorts the rows.
    void sort_by_column(int column);
    // Opens pop-up menu 1, 2 or 3 at a screen point; the chosen item arrives as a command.
    void show_popup_menu(int number, int x, int y);
    // Status field 1 for the toolbar button under the mouse; writes only when that changed.
    void update_hover_help();
    // True while an operation runs, from its start to its end, questions and dialogs included:
    // commands, drops, list clicks and close requests are then refused.
    void set_busy(bool busy) { busy_ = busy; }
    bool busy() const { return busy_; }
    // The layout rule for the current size.
    void apply_layout();
    // What decides which commands can be given now.
    CommandState command_state() const;
    // Whether the menu or the toolbar shows `command` enabled.
    bool shows_enabled(int command) const;
    std::string status_text(int field);
    // Shows a status text that waited for its turn (see set_status_text).
    void flush_status();

    // ArchiveView
    void clear_rows() override;
    void add_row(const ArchiveEntry& row) override;
    int row_count() const override;
    std::string row_text(int row, int column) const override;
    bool row_selected(int row) const override;
    int selected_count() const override;
    void show_rows() override;
    void enable_list(bool enabled) override;
    void reset_sort_indicators() override;
    void sort_list_on_open() override;
    void set_status_text(int field, const std::string& text) override;
    void set_title(const std::string& text) override;
    void reset_title() override;
    void set_progress_range(int maximum) override;
    void set_progress(int value) override;
    void set_commands(const std::vector<std::string>& setup_candidates) override;
    void activate() override;
    AddChoice run_add_dialog(bool items_given) override;
    bool run_decipher_dialog(
        const std::function<PasswordAnswer(const std::string&)>& attempt) override;

  private:
    // The toolbar's height, which the layout keeps.
    static constexpr int kToolbarHeight = 40;

    // main_window.cpp: the window procedure, which only routes.
    LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp) override;
    void on_destroyed() override;
    LRESULT on_notify(NMHDR* header);
    std::string message(int number) const;

    // main_window_menus.cpp
    void create_menu_bar();
    void create_toolbar();
    void create_shortcuts();
    void create_popup_menus();
    void add_menu_item(HMENU menu, int command, const std::string& text, int picture);
    // Gives the menus, the toolbar and the context menus the states command_enabled says.
    void apply_commands();
    LRESULT on_drop_down(int button);
    LRESULT on_tip_text(NMHDR* header);

    // main_window_list.cpp
    void create_list();
    // The rows' texts, and what clicks on the list do.
    LRESULT on_list_notify(NMHDR* header);
    LRESULT on_row_text(NMHDR* header);
    void show_indicators();
    void sort_rows(int column, int direction);

    // main_window_frame.cpp
    void create_status_bar();
    void create_progress_bar();
    void on_size();
    // Shows the text that waits for status field 1 now.
    void show_waiting_status();
    void on_drop(HDROP drop);
    void remember_geometry();

    Application* app_ = nullptr;
    HWND toolbar_ = nullptr;
    HWND list_ = nullptr;
    HWND progress_ = nullptr;
    HWND status_ = nullptr;
    HMENU menu_ = nullptr;
    HMENU popups_[3] = {};
    HACCEL accelerators_ = nullptr;
    HIMAGELIST toolbar_pictures_[3] = {};
    HIMAGELIST sort_pictures_ = nullptr;
    std::vector<HBITMAP> menu_pictures_;
    // The rows in display order. The list is virtual: it asks for each text it shows, so
    // listing, sorting and clearing a million rows costs no window work per row.
    ListRows rows_;
    std::wstring row_wide_;  // the text handed out to a list that asked in UTF-16
    int indicators_[6] = {2, 2, 2, 2, 2, 2};
    bool setup_candidates_ = false;
    // The button whose help status field 1 shows: -1 none (the banner, or what an operation
    // wrote there), 0 nothing shown yet.
    int hover_button_ = 0;
    bool busy_ = false;
    DWORD last_progress_paint_ = 0;
    // Status field 1 changes at most a few times a second: a text that comes sooner waits here
    // for a timer, the next pause of the operation or the next idle moment.
    DWORD last_status_ = 0;
    bool status_waiting_ = false;
    std::string waiting_status_;
    int progress_range_ = 100;
    int progress_filled_ = 0;  // the bar's filled width in pixels when it was last moved
    std::string tip_text_;
    std::wstring tip_wide_;
    WindowGeometry geometry_;
};

#endif
