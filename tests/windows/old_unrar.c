/* A stand-in for an UnRAR library older than the records the program reads: every entry point
   is there, but the version it reports is 3. It is never asked for more. */
#include <windows.h>

__declspec(dllexport) int PASCAL RARGetDllVersion(void) { return 3; }
__declspec(dllexport) HANDLE PASCAL RAROpenArchiveEx(void *data) {
    (void)data;
    return NULL;
}
__declspec(dllexport) int PASCAL RARCloseArchive(HANDLE archive) {
    (void)archive;
    return 0;
}
__declspec(dllexport) int PASCAL RARReadHeaderEx(HANDLE archive, void *header) {
    (void)archive, (void)header;
    return 10;
}
__declspec(dllexport) int PASCAL RARProcessFile(HANDLE archive, int operation, char *path,
                                                char *name) {
    (void)archive, (void)operation, (void)path, (void)name;
    return 0;
}
__declspec(dllexport) int PASCAL RARProcessFileW(HANDLE archive, int operation, wchar_t *path,
                                                 wchar_t *name) {
    (void)archive, (void)operation, (void)path, (void)name;
    return 0;
}
__declspec(dllexport) void PASCAL RARSetCallback(HANDLE archive, void *callback, LPARAM data) {
    (void)archive, (void)callback, (void)data;
}
__declspec(dllexport) void PASCAL RARSetPassword(HANDLE archive, char *password) {
    (void)archive, (void)password;
}
