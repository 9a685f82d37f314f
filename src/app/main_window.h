// The main window: the program's one permanent window.
#ifndef MARLOX_APP_MAIN_WINDOW_H
#define MARLOX_APP_MAIN_WINDOW_H

#include <windows.h>

#include <string>

#include "app/settings_file.h"

class Application;

class MainWindow {
  public:
    MainWindow() = default;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates and shows the window at the remembered place, or centred on the screen when
    // there was no configuration file. False when it cannot be created.
    bool create(Application& app);

    HWND handle() const { return hwnd_; }
    // Outer top-left, client width and client height plus the menu-bar height; the geometry
    // last seen while the window existed.
    WindowGeometry geometry() const { return geometry_; }

    // "Marlox V 1.1.6" after a run with a configuration file, "Marlox V1.1.6" without.
    static std::string base_title(const std::string& program_name, bool config_existed);

  private:
    static LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp);
    void remember_geometry();

    Application* app_ = nullptr;
    HWND hwnd_ = nullptr;
    WindowGeometry geometry_;
};

#endif
