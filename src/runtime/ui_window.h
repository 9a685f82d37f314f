// A window whose messages go to an object. The object is adopted when the window is created
// (the last argument of CreateWindowEx, arriving with WM_NCCREATE) and let go once the window is
// gone (WM_NCDESTROY, after the children), so no message ever reaches an object that is not
// there, and the object learns that its window went.
#ifndef MARLOX_RUNTIME_UI_WINDOW_H
#define MARLOX_RUNTIME_UI_WINDOW_H

#include <windows.h>

class Window {
  public:
    Window() = default;
    virtual ~Window();  // destroys a window that still exists, after letting it go
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND handle() const { return hwnd_; }

  protected:
    // The window procedure to register for the class of every such window.
    static LRESULT CALLBACK procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // Every message while the object has its window; what it does not handle goes to
    // DefWindowProc through default_message.
    virtual LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp) = 0;
    // The window and its children are gone; handle() is null again.
    virtual void on_destroyed() {}
    LRESULT default_message(UINT msg, WPARAM wp, LPARAM lp) {
        return DefWindowProcA(hwnd_, msg, wp, lp);
    }

    HWND hwnd_ = nullptr;
};

#endif
