// The settings dialog ("Einstellungen"): the file-type associations, the language code, the
// safety questions, window memory, sorting on open and up to five viewer programs. "Ok" writes
// the configuration file anew and changes the associations whose boxes changed.
#ifndef MARLOX_APP_SETTINGS_DIALOG_H
#define MARLOX_APP_SETTINGS_DIALOG_H

#include <windows.h>

#include <string>

#include "runtime/prompt.h"
#include "runtime/ui_dialog.h"
#include "state/messages.h"
#include "state/settings_file.h"

enum SettingsControl {
    kSettingsZip = 102,
    kSettingsRar = 103,
    kSettingsCab = 104,
    kSettingsCancel = 106,
    kSettingsOk = 107,
    kSettingsLanguageLabel = 128,
    kSettingsLanguage = 129,
    kSettingsViewers = 132,
    kSettingsViewerField = 133,
    kSettingsAdd = 134,
    kSettingsRemove = 135,
    kSettingsViewersLabel = 136,
    kSettingsHelp = 151,
    kSettingsSafe = 153,
    kSettingsPosition = 154,
    kSettingsSize = 155,
    kSettingsUp = 156,
    kSettingsDown = 157,
    kSettingsSort = 173,
};

// What the dialog works on, owned by the program.
struct SettingsSubject {
    Settings& settings;
    const MessageTable& messages;
    Prompter& prompter;
    std::string config_path;
    std::string program_path;  // the running program, registered for the archive types
    WindowGeometry window;     // the main window, remembered when asked to
    bool config_existed;       // centred over the main window, or on the screen at a first start
};

class SettingsDialog : public Dialog {
  public:
    explicit SettingsDialog(const SettingsSubject& subject);

    // `settings_dialog`: until "Abbruch" or a valid "Ok".
    void run(HWND owner);

  private:
    std::string message(int number) const override { return subject_.messages.message(number); }
    void on_init() override;
    void on_click(int id) override;
    void on_ok() override { confirm(); }
    void on_cancel() override { end(false); }

    void confirm();
    void add_viewer();
    // Exchanges the selected row with its neighbour `step` rows away, when there is one.
    void move_viewer(int step);
    void show_box(int title, const std::string& text, BoxIcon icon);
    void change_associations();

    SettingsSubject subject_;
    bool boxes_at_start_[3] = {};
    std::string language_at_start_;
};

#endif
