// The add dialog (window 2): the path-mode options, a file-system list of one folder in which
// several files and folders can be selected, and "inc. Verzeichnisse". A data carrier: the
// caller fills the defaults, the dialog hands back the mode, the folder its list showed and the
// list's entries.
#ifndef MARLOX_ARCHIVE_ADD_DIALOG_H
#define MARLOX_ARCHIVE_ADD_DIALOG_H

#include <windows.h>

#include <string>
#include <vector>

#include "archive/adding.h"
#include "runtime/ui_dialog.h"
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

class AddDialog : public Dialog {
  public:
    explicit AddDialog(ArchiveContext& ctx);

    // In: how the options and the list start.
    AddDialogDefaults defaults;
    // Out, after OK: the mode and the list's folder (empty while the list is disabled), the
    // list's entries in list order (none while it is disabled), and "inc. Verzeichnisse".
    AddChoice choice;
    std::vector<AddListEntry> entries;
    bool include_folders = false;

    // Shows the dialog over `owner` (disabled meanwhile) until OK (true) or "Abbruch" (false).
    bool run(HWND owner);

  private:
    struct Entry {
        std::string name;  // as shown: "..", a folder or file name, or a drive "C:"
        bool folder = false;
    };

    std::string message(int number) const override { return ctx_.messages.message(number); }
    void on_init() override;
    void on_click(int id) override;
    void on_ok() override;
    void on_cancel() override;
    LRESULT on_notify(const NMHDR* header) override;
    void show_help();
    void include_folders_switched();

    // The list: each row's data is an index into shown_.
    bool show_folder(const std::string& folder) override;
    std::string shown_folder() const override { return folder_; }
    void add_list_row(const Entry& entry, const std::string& size, const std::string& date,
                      int picture);
    void open_row(int row);
    void go_up();

    ArchiveContext& ctx_;
    HWND list_ = nullptr;
    std::string folder_;
    std::vector<Entry> shown_;
};

// `add_dialog`: runs the dialog with add_dialog_defaults for the pending items, which a drop or
// the command line gave when `items_given`; on OK hands the list to take_add_selection and sets
// the progress range to the pending size total when that is above 0. Returns the choice (path
// mode -1 when cancelled) with the main window active again.
AddChoice add_dialog(ArchiveContext& ctx, HWND owner, bool items_given);

#endif
