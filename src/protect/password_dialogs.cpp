#include "protect/password_dialogs.h"

#include <commctrl.h>

#include <iterator>

#include "protect/cipher.h"
#include "runtime/ui_balloon.h"

namespace {

// A password may be long: at least 256 characters are taken.
constexpr int kPasswordLimit = 1024;

const DialogControl kEncipherControls[] = {
    {kPasswordLabel, "STATIC", SS_LEFT, 20, 20, 270, 20, 193},
    {kPasswordField, "EDIT", ES_PASSWORD | ES_AUTOHSCROLL | WS_TABSTOP, 20, 50, 260, 20, -1, "",
     true},
    {kPasswordRepeatLabel, "STATIC", SS_LEFT, 20, 90, 260, 20, 195},
    {kPasswordRepeatField, "EDIT", ES_PASSWORD | ES_AUTOHSCROLL | WS_TABSTOP, 20, 120, 260, 20, -1,
     "", true},
    {kPasswordCancel, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 20, 170, 100, 20, 34},
    {kPasswordConfirm, "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 190, 170, 90, 20, 174},
    {kPasswordStrengthBar, PROGRESS_CLASSA, PBS_VERTICAL | PBS_SMOOTH, 370, 30, 20, 160},
    {kPasswordVeryGood, "STATIC", SS_LEFT, 310, 30, 50, 20, 196},
    {kPasswordGood, "STATIC", SS_LEFT, 310, 100, 40, 20, 198},
    {kPasswordBad, "STATIC", SS_LEFT, 310, 180, 60, 20, 197},
};

const DialogControl kDecipherControls[] = {
    {kPasswordLabel, "STATIC", SS_LEFT, 10, 10, 250, 20, 192},
    {kPasswordField, "EDIT", ES_PASSWORD | ES_AUTOHSCROLL | WS_TABSTOP, 20, 40, 240, 20, -1, "",
     true},
    {kPasswordCancel, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 20, 90, 90, 20, 34},
    {kPasswordConfirm, "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 170, 90, 90, 20, 35},
};

void limit_field(HWND field) { SendMessageA(field, EM_LIMITTEXT, kPasswordLimit, 0); }

}  // namespace

EncipherDialog::EncipherDialog(ArchiveContext& ctx,
                               std::function<bool(const std::string&)> encipher)
    : Dialog("MarloxEncipherDialog", 418, 211, kEncipherControls, std::size(kEncipherControls),
             DialogFrame::kSizable),
      ctx_(ctx),
      encipher_(std::move(encipher)) {}

EncipherDialog::~EncipherDialog() {
    if (label_font_) DeleteObject(label_font_);
}

void EncipherDialog::on_init() {
    // The two questions in Arial 10.
    label_font_ = create_arial_font(10);
    for (int id : {kPasswordLabel, kPasswordRepeatLabel})
        SendMessageA(control(id), WM_SETFONT, reinterpret_cast<WPARAM>(label_font_), TRUE);
    limit_field(control(kPasswordField));
    limit_field(control(kPasswordRepeatField));
    SendMessageA(control(kPasswordStrengthBar), PBM_SETRANGE32, 0, 100);
    add_balloon_tip(hwnd_, control(kPasswordField), message(194), message(191),
                    kBalloonInformation);
    SetFocus(control(kPasswordField));
}

void EncipherDialog::on_change(int id) {
    if (id != kPasswordField) return;
    SendMessageA(control(kPasswordStrengthBar), PBM_SETPOS,
                 password_strength(control_text(kPasswordField)), 0);
}

void EncipherDialog::start_again(const std::string& text, BoxIcon icon) {
    SetWindowTextA(control(kPasswordField), "");
    SetWindowTextA(control(kPasswordRepeatField), "");
    SendMessageA(control(kPasswordStrengthBar), PBM_SETPOS, 0, 0);
    SetFocus(control(kPasswordField));
    ctx_.prompter.show(message(42), text, icon, hwnd_);
}

void EncipherDialog::on_ok() {
    const std::string password = control_text(kPasswordField);
    if (password.empty() || password != control_text(kPasswordRepeatField)) {
        start_again(message(188) + "\n\n" + message(189), BoxIcon::kWarning);
    } else if (encipher_(password)) {
        end(true);
    } else {
        start_again(message(181) + "\n" + message(182), BoxIcon::kError);
    }
}

DecipherDialog::DecipherDialog(ArchiveContext& ctx,
                               std::function<PasswordAnswer(const std::string&)> attempt)
    : Dialog("MarloxDecipherDialog", 281, 135, kDecipherControls, std::size(kDecipherControls),
             DialogFrame::kCaptionOnly),
      ctx_(ctx),
      attempt_(std::move(attempt)) {}

void DecipherDialog::on_init() {
    limit_field(control(kPasswordField));
    SetFocus(control(kPasswordField));
}

void DecipherDialog::on_ok() {
    const std::string password = control_text(kPasswordField);
    if (password.empty()) return;
    const PasswordAnswer answer = attempt_(password);
    if (answer == PasswordAnswer::kRight) {
        end(true);
    } else if (answer == PasswordAnswer::kWrong) {
        SetWindowTextA(control(kPasswordField), "");
        SetWindowTextA(hwnd_, message(190).c_str());
    }
}
