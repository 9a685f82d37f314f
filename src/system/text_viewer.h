// The help and history windows, both a text area over the version line with one OK button, and
// the about box.
#ifndef MARLOX_SYSTEM_TEXT_VIEWER_H
#define MARLOX_SYSTEM_TEXT_VIEWER_H

#include <windows.h>

#include <string>

#include "runtime/prompt.h"
#include "state/messages.h"

enum TextViewerControl {
    kViewerText = 701,
    kViewerVersion = 702,
    kViewerOk = IDOK,
};

// What both windows show besides their text.
struct TextViewerSetting {
    HWND owner;
    const MessageTable& messages;
    std::string program_folder;  // where the text files lie, with its trailing "\"
    std::string language;
    std::string banner;  // the version line
};

// Each returns when its OK button is pressed.
void show_help_window(const TextViewerSetting& setting);
void show_history_window(const TextViewerSetting& setting);

void show_about_box(Prompter& prompter);

#endif
