// The application object: owns the process-wide state (settings, message table, bound
// libraries, temporary files) and runs start-up, the main loop and shutdown in their order.
#ifndef MARLOX_APP_APPLICATION_H
#define MARLOX_APP_APPLICATION_H

#include <windows.h>

#include <string>

#include "app/command_line.h"
#include "app/main_window.h"
#include "protect/mail_library.h"
#include "runtime/ui_prompt.h"
#include "state/archive_context.h"
#include "state/version.h"
#include "system/text_viewer.h"

class Application {
  public:
    explicit Application(Prompter& prompter) : prompter_(prompter) {}
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The whole life of the program: start-up, main loop, shutdown. Returns the exit code.
    int run(const std::string& command_line);

    // Whether start-up (re)writes the Send To shortcut; programs that only borrow the window,
    // such as the window tests, leave the user's shortcut alone.
    bool write_send_to_shortcut = true;

    // Start-up up to the main loop; false when the program must end with exit code 1.
    bool start_up(const std::string& command_line);
    // `run_main_loop`: handles window messages until the close request or the quit flag; with
    // the quit flag set it closes the window itself.
    void main_loop();
    // Runs the main loop's work for one window message: shortcuts, then the message itself,
    // then the hover help. False once the message was the loop's end (WM_QUIT).
    bool handle_message(MSG& msg);
    // Shutdown after the main loop: saves the settings, releases what start-up bound.
    void shut_down();

    // `dispatch_command`: the command table of the main window's command numbers.
    void dispatch_command(int command);
    // `open_entry`: finds the member of the first selected row and opens it with `viewer`, or
    // with its registered program when that is empty, or runs `setup_program` when given.
    void open_entry(const std::string& viewer = std::string(),
                    const std::string& setup_program = std::string());
    // The start argument's step: the path of an archive is listed; any other path is packed
    // into a new archive together with the arguments after it.
    void handle_start_argument();

    // "      --      Version  1.1.6    --    " and the notice.
    std::string version_banner() const;

    Prompter& prompter() { return prompter_; }
    const MessageTable& messages() const { return program_.messages; }
    Settings& settings() { return program_.settings; }
    const Settings& settings() const { return program_.settings; }
    AppState& state() { return program_.state; }
    ListingState& listing() { return program_.listing; }
    MainWindow& window() { return window_; }
    ArchiveContext archive_context() { return ArchiveContext(program_, window_, prompter_); }
    bool config_existed() const { return config_existed_; }
    std::string config_path() const { return program_folder_ + "marlox.ini"; }
    const std::string& start_argument() const { return start_argument_; }
    HFONT list_font() const { return font_list_; }

  private:
    static int on_zip_progress(void* context, long bytes_done);
    // Starts a program through the shell; the program's process is kept to learn at exit
    // whether it still runs.
    bool launch(const Launch& launch);
    // Makes `path` the open archive and lists it with its format's entry; false, with nothing
    // changed, when no format reads it.
    bool list_archive(const std::string& path);
    void new_command();
    void open_command();
    void extract_command(ArchiveBackend& backend);
    void remove_command();
    void encipher_command(ArchiveBackend& backend);
    void archive_file_command(int command, ArchiveBackend& backend);
    TextViewerSetting text_viewer_setting() const;
    void show_error(int title, const std::string& text, BoxIcon icon);

    // Every question goes through here, owned by the window the user works in.
    OwnedPrompter prompter_;
    std::string program_folder_;
    std::string start_argument_;
    CommandLine further_arguments_{std::string()};  // the arguments after the start argument
    bool config_existed_ = false;
    ProgramState program_;
    MailLibrary mail_;
    HFONT font_main_ = nullptr;
    HFONT font_list_ = nullptr;
    DWORD last_pump_ = 0;  // when the progress callback last let the window catch up
    // The programs started from the private folders of openings, with the folder each works in.
    std::vector<std::pair<std::string, HANDLE>> launched_;
    MainWindow window_;
};

// The language of the keyboard code page: 850 is "de", everything else "en".
std::string default_language();

#endif
