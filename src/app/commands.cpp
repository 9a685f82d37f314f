#include "app/commands.h"

#include "runtime/paths.h"

bool command_enabled(int command, const CommandState& state) {
    if (state.busy) return false;
    const ArchiveBackend* backend = state.archive;
    switch (command) {
        case kCmdExtract:
        case kButtonExtract:
        case kCmdContextExtract:
        case kCmdConvert:
        case kButtonConvert:
        case kCmdMail:
        case kButtonMail:
        case kCmdView:
        case kButtonView:
        case kCmdMove:
        case kCmdRename:
        case kCmdCopy:
            return backend != nullptr;
        case kCmdRemove:
        case kButtonRemove:
        case kCmdContextRemove:
            return backend && backend->can_delete;
        case kCmdAdd:
        case kButtonAdd:
        case kCmdContextAdd:
            return backend && backend->can_add;
        case kCmdEncipher:
            return backend && backend->can_encipher;
        case kCmdProperties:
            return backend && backend->has_properties;
        case kCmdSetup:
        case kButtonSetup:
            return backend && backend->can_setup && state.setup_candidates;
        default:
            return true;
    }
}

int hover_help_message(int button) {
    switch (button) {
        case kButtonNew:
            return 15;
        case kButtonOpen:
            return 16;
        case kButtonExtract:
            return 17;
        case kButtonRemove:
            return 18;
        case kButtonView:
            return 19;
        case kButtonSettings:
            return 20;
        case kButtonHelp:
            return 21;
        case kButtonQuit:
            return 22;
        case kButtonAdd:
            return 25;
        case kButtonConvert:
            return 28;
        case kButtonMail:
            return 78;
        case kButtonSetup:
            return 7;
        default:
            return -1;
    }
}

std::string viewer_menu_name(const std::string& program) { return file_name_of(program); }
