#!/usr/bin/env bash
# Runs a Windows program in the test session: wine-run.sh STATE_DIR program.exe [args...]
# A watchdog ends a program that hangs (a dialog nobody answers) after MARLOX_WATCHDOG seconds.
set -euo pipefail
state=$1
shift
# shellcheck disable=SC1091
source "$state/env"
exec timeout -k 5 "${MARLOX_WATCHDOG:-45}" "$WINE" "$@"
