// The base of the program's own dialogs: a top-level window centred over its owner, controls
// laid out from a table with their texts, and a loop of its own that runs while the owner is
// disabled. A dialog is a data carrier: its caller fills public fields, on_init shows them in
// the controls, on_ok reads them back. One test hook sees every dialog.
#ifndef MARLOX_RUNTIME_UI_DIALOG_H
#define MARLOX_RUNTIME_UI_DIALOG_H

#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <functional>
#include <string>

#include "runtime/ui_window.h"

// One control: id, window class, style (WS_CHILD and WS_VISIBLE are added), its place in the
// client area, and its text: message number `text`, or `literal` when that is -1.
struct DialogControl {
    int id;
    const char* window_class;
    DWORD style;
    int x, y, width, height;
    int text = -1;
    const char* literal = "";
    bool sunken = false;  // a sunken edge, as text fields and lists have
};

// Arial of `points` points on the screen; the caller deletes it.
HFONT create_arial_font(int points);

// Appends column `index` to a report list view.
void add_list_column(HWND list, int index, const std::string& title, int width, int format);

// Sent to a dialog that shows a folder (a tree or a list of the file system): shows the folder
// whose path `lParam` points to (a const char*; "" for the drives), opening the folders on the
// way; returns TRUE when the whole path was found. Tests and the benchmark drive dialogs so.
constexpr UINT kDialogShowFolder = WM_APP + 1;
// Sent to such a dialog: copies the folder it shows (with a trailing "\"; empty for the drives)
// into the std::string* in `lParam`.
constexpr UINT kDialogGetFolder = WM_APP + 2;

// The frame of a dialog: a caption with a close box (which does nothing unless the dialog says
// otherwise), a caption alone, or a caption with a close box and a sizing border.
enum class DialogFrame { kCloseBox, kCaptionOnly, kSizable };

class Dialog : public Window {
  public:
    // Called with every dialog once it is shown, before it waits for events; tests drive the
    // dialogs from here with real window messages.
    static std::function<void(HWND dialog)> test_hook;

  protected:
    Dialog(const char* class_name, int width, int height, const DialogControl* controls,
           size_t control_count, DialogFrame frame = DialogFrame::kCloseBox)
        : class_name_(class_name),
          width_(width),
          height_(height),
          controls_(controls),
          control_count_(control_count),
          frame_(frame) {}
    ~Dialog() override;

    // Shows the dialog titled `title` over `owner` (disabled meanwhile) and runs its loop until
    // end() is called; returns what end() was given. The close box does nothing; Enter is OK.
    bool run(HWND owner, const std::string& title);
    void end(bool accepted);
    // The next run centres the dialog on the screen instead of over its owner.
    void centre_on_screen() { on_screen_ = true; }

    // The text of message `number` for the controls.
    virtual std::string message(int number) const = 0;
    // The controls exist and the dialog is shown: fill them in, give one the focus.
    virtual void on_init() {}
    // A button other than OK (IDOK) and Cancel (IDCANCEL) was clicked.
    virtual void on_click(int /*id*/) {}
    virtual void on_ok() { end(true); }
    virtual void on_cancel() { end(false); }
    // The text of an edit control changed.
    virtual void on_change(int /*id*/) {}
    // The close box or Alt+F4.
    virtual void on_close() {}
    virtual LRESULT on_notify(const NMHDR* /*header*/) { return 0; }
    // The folder a dialog of the file system shows (kDialogShowFolder, kDialogGetFolder).
    virtual bool show_folder(const std::string& /*folder*/) { return false; }
    virtual std::string shown_folder() const { return std::string(); }

    HWND control(int id) const { return GetDlgItem(hwnd_, id); }
    bool checked(int id) const;
    void set_checked(int id, bool checked);
    void enable(int id, bool enabled);
    std::string control_text(int id) const;

  private:
    LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp) override;
    void on_destroyed() override;
    void create_controls();

    const char* class_name_;
    int width_, height_;
    const DialogControl* controls_;
    size_t control_count_;
    DialogFrame frame_;
    HFONT font_ = nullptr;
    bool done_ = false;
    bool accepted_ = false;
    bool on_screen_ = false;
};

#endif
