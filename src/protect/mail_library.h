// The mail library (Simple MAPI), bound once at start-up. The program cannot start without it.
#ifndef MARLOX_PROTECT_MAIL_LIBRARY_H
#define MARLOX_PROTECT_MAIL_LIBRARY_H

#include <windows.h>

#include "runtime/os.h"
#include "runtime/prompt.h"

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

#endif
