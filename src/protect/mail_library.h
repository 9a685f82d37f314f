// The mail library (Simple MAPI), bound once at start-up. The program cannot start without it.
#ifndef MARLOX_PROTECT_MAIL_LIBRARY_H
#define MARLOX_PROTECT_MAIL_LIBRARY_H

#include <windows.h>

#include "runtime/os.h"
#include "runtime/prompt.h"
#include "state/archive_context.h"

// ULONG MAPISendDocuments(ULONG_PTR ulUIParam, LPSTR lpszDelimChar, LPSTR lpszFilePaths,
//                         LPSTR lpszFileNames, ULONG ulReserved)
using MapiSendDocuments = ULONG(WINAPI*)(ULONG_PTR, LPSTR, LPSTR, LPSTR, ULONG);

struct MailLibrary {
    os::Library* first = nullptr;   // loaded as "MAPI32.dll"
    os::Library* second = nullptr;  // loaded again as "mapi32.dll", for MAPIFreeBuffer
    MapiSendDocuments send_documents = nullptr;
};

// Loads both handles and resolves the eleven entry points in order. On any failure it shows
// the error box (no owner) and returns false; the caller then ends the process with code 1.
// The names are parameters so that tests can bind a library that is missing or incomplete.
bool bind_mail_library(MailLibrary& mail, Prompter& prompter, const char* first_name = "MAPI32.dll",
                       const char* second_name = "mapi32.dll");
void release_mail_library(MailLibrary& mail);

// `send_archive_by_mail`: hands the open archive to the mail program as the one attachment of
// a new message, under its file name. When a password is stored for the archive, the user is
// asked first whether to send it protected (title message 178; messages 179 and 180); Yes sends
// a protected copy from the program's private temporary folder, and the archive itself stays
// plain. A mail program that refuses shows "Mail-Programm bitte vorher starten" under title 42.
void send_archive_by_mail(ArchiveContext& ctx, const MailLibrary& mail);

#endif
