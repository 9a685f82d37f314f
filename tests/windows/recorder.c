/* A program the window tests start in place of a viewer, a registered program or a setup
   program: it copies the file it was given (its last argument) beside the file named by the
   variable MARLOX_RECORDER_LOG, then appends its command line and working folder to that log. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

int main(int argc, char** argv) {
    const char* log = getenv("MARLOX_RECORDER_LOG");
    char folder[MAX_PATH] = "";
    char copy[MAX_PATH + 16];
    FILE* out;
    if (!log) return 1;
    GetCurrentDirectoryA(sizeof folder, folder);
    /* The copy comes first: a test reads it as soon as the record is there. */
    if (argc > 1) {
        snprintf(copy, sizeof copy, "%s.copy", log);
        CopyFileA(argv[argc - 1], copy, FALSE);
    }
    out = fopen(log, "ab");
    if (!out) return 1;
    fprintf(out, "%s\n%s\n", GetCommandLineA(), folder);
    fclose(out);
    return 0;
}
