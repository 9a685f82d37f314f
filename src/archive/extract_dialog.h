// The extract dialog (window 3): target folder in a folder tree, overwrite option, selection
// mode and pattern. A data carrier: the caller fills the defaults and the start folder, the
// dialog hands back its ExtractChoices.
#ifndef MARLOX_ARCHIVE_EXTRACT_DIALOG_H
#define MARLOX_ARCHIVE_EXTRACT_DIALOG_H

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "archive/extraction.h"
#include "runtime/ui_dialog.h"
#include "state/archive_context.h"

// Control ids.
enum ExtractControl {
    kExtractOverwrite = 301,  // "...überschreiben"
    kExtractAsk = 302,        // "...nachfragen"
    kExtractTree = 303,
    kExtractAll = 304,       // mode 1
    kExtractSelected = 305,  // mode 2
    kExtractPattern = 306,   // mode 3
    kExtractPatternField = 307,
    kExtractHelp = 308,
    kExtractNewFolder = 309,
    kExtractOverwriteGroup = 310,
    kExtractSelectionGroup = 311,
    kExtractOk = IDOK,
    kExtractCancel = IDCANCEL,
};

class ExtractDialog : public Dialog {
  public:
    explicit ExtractDialog(ArchiveContext& ctx);

    // In: how the options start, and the folder the tree opens at.
    ExtractDefaults defaults;
    std::string start_folder;
    // Out, after OK: the choices.
    ExtractChoices choices;

    // Shows the dialog over `owner` (disabled meanwhile) until OK with a writable target (true)
    // or "Abbruch" (false).
    bool run(HWND owner);

  private:
    std::string message(int number) const override { return ctx_.messages.message(number); }
    void on_init() override;
    void on_click(int id) override;
    void on_ok() override;
    LRESULT on_notify(const NMHDR* header) override;
    void show_help();
    void new_folder();
    void set_pattern_enabled(bool enabled);

    // The folder tree: each item's data is an index into folders_.
    void fill_drives();
    void load_children(HTREEITEM item);
    HTREEITEM add_folder(HTREEITEM parent, const std::string& path, const std::string& name);
    HTREEITEM find_child(HTREEITEM parent, const std::string& name);
    bool show_folder(const std::string& path) override;
    std::string shown_folder() const override;

    struct Folder {
        std::string path;  // with a trailing "\"
        bool loaded = false;
    };

    ArchiveContext& ctx_;
    HWND tree_ = nullptr;
    std::vector<Folder> folders_;
};

// `extract_dialog`: the dialog for the open archive, of the format `backend`, with the defaults for
// `selected_rows` selected rows; fills `choices` and returns true after OK.
bool extract_dialog(ArchiveContext& ctx, const ArchiveBackend& backend, HWND owner,
                    int selected_rows, ExtractChoices& choices);

#endif
