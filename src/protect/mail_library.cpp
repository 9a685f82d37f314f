#include "protect/mail_library.h"

namespace {

void error_box(Prompter& prompter, const std::string& title, const std::string& text) {
    MessageBoxRequest box;
    box.title = title;
    box.text = text;
    box.icon = BoxIcon::kError;
    prompter.message_box(box);
}

}  // namespace

bool bind_mail_library(MailLibrary& mail, Prompter& prompter, const char* first_name,
                       const char* second_name) {
    static const char* const kFirstNames[] = {
        "MAPILogon",     "MAPISendDocuments", "BMAPISendMail",    "MAPIDeleteMail", "BMAPIDetails",
        "BMAPIFindNext", "MAPILogoff",        "BMAPIResolveName", "BMAPISaveMail",  "BMAPIReadMail",
    };
    mail.first = os::load_library(first_name);
    if (!mail.first) {
        error_box(prompter, first_name, "Cant load dynamic link library !");
        return false;
    }
    mail.second = os::load_library(second_name);
    if (!mail.second) {
        error_box(prompter, second_name, "Cant load dynamic link library !");
        release_mail_library(mail);
        return false;
    }
    for (const char* name : kFirstNames) {
        void* entry = os::find_symbol(mail.first, name);
        if (!entry) {
            error_box(prompter, first_name, name);
            release_mail_library(mail);
            return false;
        }
        if (name == kFirstNames[1])
            mail.send_documents = reinterpret_cast<MapiSendDocuments>(entry);
    }
    if (!os::find_symbol(mail.second, "MAPIFreeBuffer")) {
        error_box(prompter, first_name, "MAPIFreeBuffer");
        release_mail_library(mail);
        return false;
    }
    return true;
}

void release_mail_library(MailLibrary& mail) {
    os::free_library(mail.second);
    os::free_library(mail.first);
    mail = MailLibrary{};
}
