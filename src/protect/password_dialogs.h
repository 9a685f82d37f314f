// The two password dialogs. The encipher dialog ("enCrypt") asks for a new password twice and
// rates it while it is typed; the decipher dialog asks for the password of a protected archive
// being opened and stays open after a wrong one. Both are topmost, centred over their owner,
// and take Return as their confirmation and Escape as Cancel.
#ifndef MARLOX_PROTECT_PASSWORD_DIALOGS_H
#define MARLOX_PROTECT_PASSWORD_DIALOGS_H

#include <windows.h>

#include <functional>
#include <string>

#include "runtime/ui_dialog.h"
#include "state/archive_context.h"

enum PasswordControl {
    kPasswordLabel = 601,
    kPasswordField = 602,
    kPasswordRepeatLabel = 603,
    kPasswordRepeatField = 604,
    kPasswordStrengthBar = 605,
    kPasswordVeryGood = 606,
    kPasswordGood = 607,
    kPasswordBad = 608,
    kPasswordConfirm = IDOK,
    kPasswordCancel = IDCANCEL,
};

class EncipherDialog : public Dialog {
  public:
    // `encipher` protects the archive with the password confirmed; false when that failed.
    EncipherDialog(ArchiveContext& ctx, std::function<bool(const std::string&)> encipher);
    ~EncipherDialog() override;

    // Until Cancel or Escape (false) or a password that protected the archive (true).
    bool run(HWND owner) { return Dialog::run(owner, "enCrypt"); }

  private:
    std::string message(int number) const override { return ctx_.messages.message(number); }
    void on_init() override;
    void on_ok() override;
    void on_change(int id) override;
    // Empties both fields and the bar, then shows the box of `text`.
    void start_again(const std::string& text, BoxIcon icon);

    ArchiveContext& ctx_;
    std::function<bool(const std::string&)> encipher_;
    HFONT label_font_ = nullptr;
};

class DecipherDialog : public Dialog {
  public:
    DecipherDialog(ArchiveContext& ctx,
                   std::function<PasswordAnswer(const std::string&)> attempt);

    // Until the right password (true) or Cancel, Escape or the system's close (false).
    bool run(HWND owner) { return Dialog::run(owner, ctx_.messages.message(191)); }

  private:
    std::string message(int number) const override { return ctx_.messages.message(number); }
    void on_init() override;
    void on_ok() override;
    void on_close() override { on_cancel(); }

    ArchiveContext& ctx_;
    std::function<PasswordAnswer(const std::string&)> attempt_;
};

#endif
