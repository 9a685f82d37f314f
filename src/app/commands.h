// The command numbers of the main window: menu-bar and pop-up items 0 to 29, toolbar buttons
// 108 to 119, setup pop-up entries 1000 and above. Every user action reaches the dispatch as one
// of these.
#ifndef MARLOX_APP_COMMANDS_H
#define MARLOX_APP_COMMANDS_H

#include <string>

#include "state/archive_backend.h"

enum Command {
    kCmdQuit = 0,
    kCmdSettings = 1,
    kCmdHelp = 2,
    kCmdAbout = 3,
    kCmdNew = 4,
    kCmdOpen = 5,
    kCmdExtract = 6,
    kCmdConvert = 7,
    kCmdRemove = 8,
    kCmdAdd = 9,
    kCmdMail = 10,
    kCmdView = 11,
    kCmdHistory = 12,
    kCmdSetup = 13,
    kCmdEncipher = 14,
    kCmdMove = 16,
    kCmdRename = 17,
    kCmdCopy = 18,
    kCmdViewer0 = 19,  // 19 to 23: viewer programs 0 to 4
    kCmdViewer4 = 23,
    kCmdContextConvert = 24,
    kCmdContextRemove = 25,
    kCmdContextAdd = 26,
    kCmdContextExtract = 27,
    kCmdContextView = 28,
    kCmdProperties = 29,

    kButtonNew = 108,
    kButtonOpen = 109,
    kButtonExtract = 110,
    kButtonRemove = 111,
    kButtonView = 112,
    kButtonSettings = 113,
    kButtonHelp = 114,
    kButtonQuit = 115,
    kButtonAdd = 116,
    kButtonConvert = 117,
    kButtonMail = 118,
    kButtonSetup = 119,

    kCmdSetupCandidate = 1000,  // + position in the setup candidate list
};

// What decides which commands can be given: a snapshot of the window's state.
struct CommandState {
    const ArchiveBackend* archive = nullptr;  // the open archive's format; null: none is open
    bool setup_candidates = false;            // the archive holds setup programs
    bool busy = false;                        // an operation runs
};

// Whether `command` can be given in `state`. The general commands (new, open, settings, help,
// about, history, quit, the viewers and the context menu's view and convert items) always can;
// those on the archive only when one is open, and as far as its format allows; nothing while an
// operation runs. The menu, the toolbar, the context menus and the shortcuts all follow it.
bool command_enabled(int command, const CommandState& state);

// The message number of toolbar button `button`'s hover help and tooltip; -1 for no button.
int hover_help_message(int button);

// The file-name part of a viewer program: the text after the last "\" or "/".
std::string viewer_menu_name(const std::string& program);

#endif
