// Everything that asks the user something goes through a Prompter: the program's one is the
// system's message box; tests install a scripted one that records each question and gives the
// answer the test chose.
#ifndef MARLOX_RUNTIME_UI_PROMPT_H
#define MARLOX_RUNTIME_UI_PROMPT_H

#include <windows.h>

#include <string>

enum class BoxIcon { kError, kWarning, kInformation, kQuestion };
enum class BoxButtons { kOk, kYesNo };

struct MessageBoxRequest {
    HWND owner = nullptr;
    std::string title;
    std::string text;
    BoxIcon icon = BoxIcon::kInformation;
    BoxButtons buttons = BoxButtons::kOk;
};

class Prompter {
  public:
    virtual ~Prompter() = default;
    // Shows a box and waits; IDOK, IDYES or IDNO.
    virtual int message_box(const MessageBoxRequest& request) = 0;
};

// The real prompter: MessageBoxA.
Prompter& system_prompter();

#endif
