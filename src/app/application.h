// The application object: owns the process-wide state (settings, message table, bound
// libraries, temporary files) and runs start-up, the main loop and shutdown in their order.
#ifndef MARLOX_APP_APPLICATION_H
#define MARLOX_APP_APPLICATION_H

#include <windows.h>

#include <string>

#include "app/main_window.h"
#include "app/messages.h"
#include "app/settings_file.h"
#include "app/temp_files.h"
#include "app/version.h"
#include "formats/cab_library.h"
#include "protect/mail_library.h"
#include "runtime/ui_prompt.h"

class Application {
  public:
    explicit Application(Prompter& prompter) : prompter_(prompter) {}
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The whole life of the program: start-up, main loop, shutdown. Returns the exit code.
    int run(const std::string& command_line);

    // Start-up up to the main loop; false when the program must end with exit code 1.
    bool start_up(const std::string& command_line);
    // Handles window messages until the main window is gone.
    void main_loop();
    // Shutdown after the main loop: saves the settings, releases what start-up bound.
    void shut_down();

    Prompter& prompter() { return prompter_; }
    const MessageTable& messages() const { return messages_; }
    const Settings& settings() const { return settings_; }
    bool config_existed() const { return config_existed_; }
    std::string config_path() const { return program_folder_ + "marlox.ini"; }
    const std::string& start_argument() const { return start_argument_; }
    TempFiles& temp_files() { return temp_files_; }
    HFONT list_font() const { return font_list_; }

  private:
    Prompter& prompter_;
    std::string program_folder_;
    std::string start_argument_;
    bool config_existed_ = false;
    Settings settings_;
    MessageTable messages_;
    MailLibrary mail_;
    CabLibrary cab_;
    TempFiles temp_files_;
    HFONT font_main_ = nullptr;
    HFONT font_list_ = nullptr;
    MainWindow window_;
};

// The language of the keyboard code page: 850 is "de", everything else "en".
std::string default_language();

#endif
