// The extract dialog (window 3): target folder in a folder tree, overwrite option, selection
// mode and pattern. A data carrier: the caller fills the defaults and the start folder, the
// dialog hands back its ExtractChoices. It is a top-level window with its own message loop while
// its owner is disabled.
#ifndef MARLOX_ARCHIVE_EXTRACT_DIALOG_H
#define MARLOX_ARCHIVE_EXTRACT_DIALOG_H

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "state/archive_context.h"
#include "archive/extraction.h"

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

// Sent to the dialog: selects `lParam` (a const char* folder path) in the tree, opening the
// folders on the way; returns TRUE when the whole path was found.
constexpr UINT kExtractSelectFolder = WM_APP + 1;
// Sent to the dialog: copies the tree's current path (with a trailing "\") into the
// std::string* in `lParam`.
constexpr UINT kExtractGetFolder = WM_APP + 2;

class ExtractDialog {
  public:
    explicit ExtractDialog(ArchiveContext& ctx) : ctx_(ctx) {}
    ExtractDialog(const ExtractDialog&) = delete;
    ExtractDialog& operator=(const ExtractDialog&) = delete;

    // In: how the options start, and the folder the tree opens at.
    ExtractDefaults defaults;
    std::string start_folder;
    // Out, after OK: the choices.
    ExtractChoices choices;

    // Shows the dialog over `owner` (disabled meanwhile) until OK with a writable target (true)
    // or "Abbruch" (false).
    bool run(HWND owner);

    // Called once the dialog exists, before it waits for events; tests drive it from here with
    // window messages.
    static std::function<void(HWND dialog)> test_hook;

  private:
    static LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp);
    void create_controls();
    void on_command(int id);
    void on_ok();
    void show_help();
    void new_folder();
    void set_pattern_enabled(bool enabled);
    HWND control(int id) const { return GetDlgItem(hwnd_, id); }
    bool checked(int id) const;

    // The folder tree: each item's data is an index into folders_.
    void fill_drives();
    void load_children(HTREEITEM item);
    HTREEITEM add_folder(HTREEITEM parent, const std::string& path, const std::string& name);
    HTREEITEM find_child(HTREEITEM parent, const std::string& name);
    bool select_folder(const std::string& path);
    std::string current_folder() const;

    struct Folder {
        std::string path;  // with a trailing "\"
        bool loaded = false;
    };

    ArchiveContext& ctx_;
    HWND hwnd_ = nullptr;
    HWND tree_ = nullptr;
    HFONT font_ = nullptr;
    std::vector<Folder> folders_;
    bool done_ = false;
    bool accepted_ = false;
};

// `extract_dialog`: the dialog for the open archive with the defaults for `selected_rows`
// selected rows; fills `choices` and returns true after OK.
bool extract_dialog(ArchiveContext& ctx, HWND owner, int selected_rows, ExtractChoices& choices);

#endif
