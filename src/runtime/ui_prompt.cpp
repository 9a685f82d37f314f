#include "runtime/ui_prompt.h"

#include <windows.h>

namespace {

class SystemPrompter : public Prompter {
  public:
    int message_box(const MessageBoxRequest& r) override {
        UINT style = r.buttons == BoxButtons::kYesNo ? MB_YESNO : MB_OK;
        switch (r.icon) {
            case BoxIcon::kError:
                style |= MB_ICONERROR;
                break;
            case BoxIcon::kWarning:
                style |= MB_ICONWARNING;
                break;
            case BoxIcon::kInformation:
                style |= MB_ICONINFORMATION;
                break;
            case BoxIcon::kQuestion:
                style |= MB_ICONQUESTION;
                break;
        }
        return MessageBoxA(static_cast<HWND>(r.owner), r.text.c_str(), r.title.c_str(), style);
    }
};

}  // namespace

Prompter& system_prompter() {
    static SystemPrompter prompter;
    return prompter;
}
