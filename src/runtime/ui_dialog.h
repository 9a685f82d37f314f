// What the program's own dialogs share: a top-level window centred over its owner, controls
// laid out from a table in the system's message font, and a loop of its own that runs while
// the owner is disabled.
#ifndef MARLOX_RUNTIME_UI_DIALOG_H
#define MARLOX_RUNTIME_UI_DIALOG_H

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

// One control of a dialog: id, window class, style (WS_CHILD and WS_VISIBLE are added) and
// its place in the client area.
struct ControlLayout {
    int id;
    const char* window_class;
    DWORD style;
    int x, y, width, height;
};

// Registers `class_name` and creates a topmost dialog window whose client area is width ×
// height, centred over `owner` (or the screen), on the dialog face colour. `self` arrives
// with WM_NCCREATE. Null on failure.
HWND create_dialog_window(const char* class_name, WNDPROC procedure, const std::string& title,
                          int width, int height, HWND owner, void* self);

// Creates the controls of `layout` with the texts `text_of(id)`; the control `edged_id` gets a
// sunken edge. Returns the font they use, which the caller deletes when the dialog is gone.
HFONT create_dialog_controls(HWND dialog, const ControlLayout* layout, size_t count,
                             const std::function<std::string(int)>& text_of, int edged_id);

// Disables the owner and shows the dialog.
void show_dialog(HWND dialog, HWND owner);

// Runs the dialog's own loop until `done` is set, then enables and activates the owner again
// and destroys the dialog. A quit request is passed on to the outer loop.
void run_dialog_loop(HWND dialog, HWND owner, const bool& done);

#endif
