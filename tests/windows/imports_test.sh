#!/usr/bin/env bash
# The programs we ship may import only DLLs that every supported Windows has: Wine brings more
# (zlib1.dll among them), so a missing library would pass every other test and still keep the
# program from starting on a real Windows.
#   imports_test.sh OBJDUMP PROGRAM...
set -euo pipefail
objdump=$1
shift
system='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|ole32|oleaut32|advapi32|bcrypt|shlwapi|powrprof|msvcrt)\.dll$'
status=0
for program in "$@"; do
    dlls=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]')
    [ -n "$dlls" ] || { echo "no imports read from $program"; status=1; }
    for dll in $(grep -vE "$system" <<<"$dlls"); do
        echo "$(basename "$program") imports $dll, which Windows does not bring"
        status=1
    done
done
exit $status
