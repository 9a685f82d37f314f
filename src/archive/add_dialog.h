// The add dialog (window 2): the path-mode options, a file-system list of one folder in which
// several files and folders can be selected, and "inc. Verzeichnisse". A data carrier: the
// caller fills the defaults, the dialog hands back the mode, the folder its list showed and the
// list's entries. It is a top-level window with its own message loop while its owner is disabled.
#ifndef MARLOX_ARCHIVE_ADD_DIALOG_H
#define MARLOX_ARCHIVE_ADD_DIALOG_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "archive/adding.h"
#include "state/archive_context.h"

// Control ids.
enum AddControl {
    kAddModeGroup = 401,
    kAddWithoutPath = 402,  // mode 0
    kAddRelative = 403,     // mode 1
    kAddAbsolute = 404,     // mode 2
    kAddList = 405,
    kAddIncludeFolders = 406,  // "inc. Verzeichnisse"
    kAddHelp = 407,
    kAddOk = IDOK,
    kAddCancel = IDCANCEL,
};

// Sent to the dialog: shows the folder `lParam` (a const char* path; "" for the drives) in the
// list; returns TRUE when it could be read.
constexpr UINT kAddShowFolder = WM_APP + 1;
// Sent to the dialog: copies the folder the list shows (with a trailing "\"; empty for the
// drives) into the std::string* in `lParam`.
constexpr UINT kAddGetFolder = WM_APP + 2;

class AddDialog {
  public:
    explicit AddDialog(ArchiveContext& ctx) : ctx_(ctx) {}
    AddDialog(const AddDialog&) = delete;
    AddDialog& operator=(const AddDialog&) = delete;

    // In: how the options and the list start.
    AddDialogDefaults defaults;
    // Out, after OK: the mode and the list's folder (empty while the list is disabled), the
    // list's entries in list order (none while it is disabled), and "inc. Verzeichnisse".
    AddChoice choice;
    std::vector<AddListEntry> entries;
    bool include_folders = false;

    // Shows the dialog over `owner` (disabled meanwhile) until OK (true) or "Abbruch" (false).
    bool run(HWND owner);

    // Called once the dialog exists, before it waits for events; tests drive it from here with
    // window messages.
    static std::function<void(HWND dialog)> test_hook;

  private:
    struct Entry {
        std::string name;  // as shown: "..", a folder or file name, or a drive "C:"
        bool folder = false;
    };

    static LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp);
    void create_controls();
    void on_command(int id);
    void on_ok();
    void show_help();
    void include_folders_switched();
    HWND control(int id) const { return GetDlgItem(hwnd_, id); }
    bool checked(int id) const;

    // The list: each row's data is an index into shown_.
    bool show_folder(const std::string& folder);
    void add_list_row(const Entry& entry, const std::string& size, const std::string& date,
                      int picture);
    void open_row(int row);
    void go_up();

    ArchiveContext& ctx_;
    HWND hwnd_ = nullptr;
    HWND list_ = nullptr;
    HFONT font_ = nullptr;
    std::string folder_;
    std::vector<Entry> shown_;
    bool done_ = false;
    bool accepted_ = false;
};

// `add_dialog`: runs the dialog with add_dialog_defaults; on OK hands the list to
// take_add_selection and sets the progress range to the pending size total when that is above 0.
// Returns the choice (path mode -1 when cancelled) with the main window active again.
AddChoice add_dialog(ArchiveContext& ctx, HWND owner);

#endif
