#include "protect/mail_library.h"

#include "protect/cipher.h"
#include "runtime/paths.h"

bool bind_mail_library(MailLibrary& mail, Prompter& prompter, const char* first_name,
                       const char* second_name) {
    static const char* const kFirstNames[] = {
        "MAPILogon",     "MAPISendDocuments", "BMAPISendMail",    "MAPIDeleteMail", "BMAPIDetails",
        "BMAPIFindNext", "MAPILogoff",        "BMAPIResolveName", "BMAPISaveMail",  "BMAPIReadMail",
    };
    mail.first = os::load_library(first_name);
    if (!mail.first) {
        prompter.show(first_name, "Cant load dynamic link library !", BoxIcon::kError);
        return false;
    }
    mail.second = os::load_library(second_name);
    if (!mail.second) {
        prompter.show(second_name, "Cant load dynamic link library !", BoxIcon::kError);
        release_mail_library(mail);
        return false;
    }
    for (const char* name : kFirstNames) {
        void* entry = os::find_symbol(mail.first, name);
        if (!entry) {
            prompter.show(first_name, name, BoxIcon::kError);
            release_mail_library(mail);
            return false;
        }
        if (name == kFirstNames[1])
            mail.send_documents = reinterpret_cast<MapiSendDocuments>(entry);
    }
    if (!os::find_symbol(mail.second, "MAPIFreeBuffer")) {
        prompter.show(first_name, "MAPIFreeBuffer", BoxIcon::kError);
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

void send_archive_by_mail(ArchiveContext& ctx, const MailLibrary& mail) {
    if (ctx.state.archive_path().empty() || !mail.send_documents) return;
    std::string path = ctx.state.archive_path();
    std::string name = file_name_of(path);
    const std::string password = stored_password_for_open_archive(ctx);
    if (!password.empty() && ask_to_protect(ctx, ctx.messages.message(180) + "\n\n\n")) {
        const std::string folder =
            ctx.temp_files.create_private_folder(os::temp_folder(), "marlox_");
        if (!folder.empty() && cipher_file(path, password, folder + name)) {
            path = folder + name;
        } else {
            show_encipher_failed(ctx);
        }
    }
    // The delimiter must not split the one path: ";" unless the path holds one, then "|",
    // which no Windows path can hold.
    std::string delimiter = (path + name).find(';') == std::string::npos ? ";" : "|";
    const ULONG sent = mail.send_documents(0, &delimiter[0], &path[0], &name[0], 0);
    if (sent == 0) return;
    ctx.prompter.show(ctx.messages.message(42), "Mail-Programm bitte vorher starten",
                      BoxIcon::kWarning);
}
