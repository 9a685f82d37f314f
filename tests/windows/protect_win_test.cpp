// Protection through the real dialogs, and mail through a stand-in mail library and Wine's own:
// protect, open again with a wrong and then the right password, send, and protect at exit; and
// re-packing, which keeps an archive with its password.
#include "dialog_driver.h"
#include "protect/cipher.h"
#include "protect/mail_library.h"
#include "protect/password_dialogs.h"

namespace {

void type_password(HWND dialog, const std::string& first, const std::string& second) {
    SetDlgItemTextA(dialog, kPasswordField, first.c_str());
    if (GetDlgItem(dialog, kPasswordRepeatField))
        SetDlgItemTextA(dialog, kPasswordRepeatField, second.c_str());
    press(dialog, kPasswordConfirm);
}

class Protection : public AppTest {};

TEST_F(Protection, ProtectOpenWithTheRightPasswordSendProtectAgainAtExitAndRepack) {
    const std::string archive = start_on("A.ZIP", {{"a.txt", "alpha"}, {"sub/b.txt", "beta"}});
    const std::string plain = read_bytes(archive);

    std::vector<std::string> seen;  // what each dialog showed
    run_dialog(kCmdEncipher, [&](HWND dialog) {
        seen.push_back(text_of(dialog));
        if (GetDlgItem(dialog, kPasswordRepeatField)) {  // the encipher dialog
            type_password(dialog, "Secret", "secret");   // differ: both fields empty again
            seen.push_back(text_of(dialog, kPasswordField));
            type_password(dialog, "Secret", "Secret");
        } else {
            type_password(dialog, "wrong", "");
            seen.push_back(text_of(dialog));
            type_password(dialog, "Secret", "");
        }
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"enCrypt", "", message(191), message(190)}));
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, message(188) + "\n\n" + message(189));
    // Protected, then opened with its password: plain again, listed, the password kept.
    EXPECT_EQ(read_bytes(archive), plain);
    EXPECT_EQ(text_of(window().handle()), message(29) + " V" + kVersion + " - A.ZIP");
    EXPECT_EQ(window().row_count(), 2);

    // Sent protected: a protected copy under the archive's own name; the archive stays plain.
    ScriptedPrompter quiet;
    MailLibrary standin;
    ASSERT_TRUE(bind_mail_library(standin, quiet, "fake_mapi32.dll", "fake_mapi32.dll"));
    const auto last_call = reinterpret_cast<const char*(WINAPI*)()>(reinterpret_cast<void*>(
        GetProcAddress(LoadLibraryA("fake_mapi32.dll"), "FakeMapiLastCall")));
    prompter.answers = {kAnswerYes};
    ArchiveContext ctx = app->archive_context();
    send_archive_by_mail(ctx, standin);
    const std::string call = last_call();
    EXPECT_EQ(call.substr(0, 2), ";|");
    EXPECT_NE(call.find("\\A.ZIP|A.ZIP|"), std::string::npos) << call;
    EXPECT_EQ(call.find(archive), std::string::npos) << call;
    EXPECT_NE(call.substr(call.size() - 2), "PK");
    EXPECT_EQ(read_bytes(archive), plain);
    release_mail_library(standin);
    // Wine's own library has no mail program to hand it to.
    prompter.answers = {kAnswerNo};
    app->dispatch_command(kButtonMail);
    EXPECT_EQ(prompter.boxes.back().text, "Mail-Programm bitte vorher starten");

    // At exit: Yes protects the archive again, with the same password.
    prompter.answers = {kAnswerYes};
    window().destroy();
    app->shut_down();
    EXPECT_EQ(prompter.boxes.back().title, message(178));
    std::string expected = plain;
    cipher_buffer(reinterpret_cast<unsigned char*>(&expected[0]), expected.size(), "Secret");
    EXPECT_EQ(read_bytes(archive), expected);

    // Re-packed, the archive named in capitals is itself: nothing asks to overwrite it, and the
    // password it was opened with stays with it for the question at exit.
    Dialog::test_hook = [](HWND dialog) { type_password(dialog, "Secret", ""); };
    prompter.boxes.clear();
    start(archive);
    app->dispatch_command(kCmdConvert);
    EXPECT_TRUE(prompter.boxes.empty());
    EXPECT_EQ(names_in(archive), (std::vector<std::string>{"a.txt", "sub/b.txt"}));
    std::string repacked = read_bytes(archive);
    window().destroy();
    app->shut_down();
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, message(178));
    cipher_buffer(reinterpret_cast<unsigned char*>(&repacked[0]), repacked.size(), "Secret");
    EXPECT_EQ(read_bytes(archive), repacked);
}

}  // namespace
