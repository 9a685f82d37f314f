/* A stand-in for an UnRAR library older than the records the program reads: every entry point
   is there, but the version it reports is 3. It is never asked for more, so the others take no
   arguments and answer 0. */
#include <windows.h>

__declspec(dllexport) int PASCAL RARGetDllVersion(void) { return 3; }

#define UNUSED_ENTRY(name) \
    __declspec(dllexport) int PASCAL name(void) { return 0; }
UNUSED_ENTRY(RAROpenArchiveEx)
UNUSED_ENTRY(RARCloseArchive)
UNUSED_ENTRY(RARReadHeaderEx)
UNUSED_ENTRY(RARProcessFile)
UNUSED_ENTRY(RARProcessFileW)
UNUSED_ENTRY(RARSetCallback)
UNUSED_ENTRY(RARSetPassword)
