/* A stand-in for the Simple MAPI library: every entry point the program binds, of which
   MAPISendDocuments notes what it was handed (delimiter, paths, names, and the first two bytes
   of the file) for the test to read back with FakeMapiLastCall, and answers success. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

static char last_call[2048];

__declspec(dllexport) ULONG WINAPI MAPISendDocuments(ULONG_PTR parent, LPSTR delimiter,
                                                     LPSTR paths, LPSTR names, ULONG reserved) {
    char head[3] = "";
    FILE *file = fopen(paths, "rb");
    if (file) {
        head[0] = (char)fgetc(file);
        head[1] = (char)fgetc(file);
        fclose(file);
    }
    snprintf(last_call, sizeof last_call, "%s|%s|%s|%s", delimiter, paths, names, head);
    return parent || reserved ? 1 : 0;
}

__declspec(dllexport) const char *WINAPI FakeMapiLastCall(void) { return last_call; }

#define UNUSED_ENTRY(name) \
    __declspec(dllexport) ULONG WINAPI name(void) { return 0; }
UNUSED_ENTRY(MAPILogon)
UNUSED_ENTRY(BMAPISendMail)
UNUSED_ENTRY(MAPIDeleteMail)
UNUSED_ENTRY(BMAPIDetails)
UNUSED_ENTRY(BMAPIFindNext)
UNUSED_ENTRY(MAPILogoff)
UNUSED_ENTRY(BMAPIResolveName)
UNUSED_ENTRY(BMAPISaveMail)
UNUSED_ENTRY(BMAPIReadMail)
UNUSED_ENTRY(MAPIFreeBuffer)
