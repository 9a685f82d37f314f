#include "app/commands.h"

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

std::string viewer_menu_name(const std::string& program) {
    const size_t slash = program.find_last_of("\\/");
    return slash == std::string::npos ? program : program.substr(slash + 1);
}
