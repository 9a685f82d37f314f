// Special folders and the shell link the program places in the Send To folder.
#ifndef MARLOX_SYSTEM_SPECIAL_FOLDERS_H
#define MARLOX_SYSTEM_SPECIAL_FOLDERS_H

#include <string>

constexpr int kTempFolder = -4;   // the user's temporary folder
constexpr int kSendToFolder = 9;  // CSIDL_SENDTO

// The folder with one trailing "\": kTempFolder or a shell folder number (CSIDL); "" when it
// cannot be determined.
std::string special_folder(int id);

struct ShortcutSpec {
    std::string target;
    std::string link_file;
    std::string arguments;
    std::string description;
    std::string working_folder;
    int show_command = 1;  // SW_SHOWNORMAL
    int hotkey = 0;
    std::string icon_path;
    int icon_index = 0;
};

// Writes the link through the shell's link object. 1 when it was saved, 0 when the link
// object or its file interface cannot be had or saving fails. Shows nothing.
int create_shortcut(const ShortcutSpec& spec);

// The shortcut written at every start: "Marlox.lnk" in the Send To folder, pointing at the
// running program. Nothing is written when the Send To folder cannot be determined.
void create_send_to_shortcut();

#endif
