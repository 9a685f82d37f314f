#!/usr/bin/env bash
# Starts or stops the headless Wine session the Windows and end-to-end tests run in: an Xvfb
# display, a fresh Wine prefix, a persistent wineserver and one virtual desktop.
#
#   wine-session.sh start STATE_DIR ARCH [--no-host-drive]
#                                          ARCH is win32 or win64, the Windows build's kind;
#                                          --no-host-drive leaves out Wine's Z: drive (the whole
#                                          host file system), for pictures that show only C:
#   wine-session.sh stop STATE_DIR
#
# `start` writes STATE_DIR/env, which wine-run.sh and the end-to-end scripts source.
set -euo pipefail
action=$1 state=$2

stop_session() {
    [ -f "$state/env" ] || return 0
    # shellcheck disable=SC1091
    source "$state/env"
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w 2>/dev/null || true
    [ -f "$state/xvfb.pid" ] && kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/env" "$state/xvfb.pid" "$state/display"
}

case "$action" in
stop)
    stop_session
    exit 0
    ;;
start) ;;
*)
    echo "usage: $0 start|stop STATE_DIR [ARCH]" >&2
    exit 2
    ;;
esac

arch=${3:-win32}
host_drive=yes
[ "${4:-}" = --no-host-drive ] && host_drive=no
stop_session
mkdir -p "$state"
prefix="$state/prefix"
rm -rf "$prefix"
mkdir -p "$prefix"

if [ "$arch" = win64 ]; then
    wine=/usr/lib/wine/wine64 wineserver=/usr/lib/wine/wineserver64
else
    wine=/usr/lib/wine/wine wineserver=/usr/lib/wine/wineserver32
    [ -x /usr/lib/wine/wineserver64 ] && wineserver=/usr/lib/wine/wineserver64
fi

# Xvfb takes the first display no X server holds and writes its number back once it listens.
# Looking for lock files is not enough: an X server of another root on this machine (a chroot,
# a container sharing the network) holds its display through an abstract socket, which clients
# reach first, so a session would otherwise draw on that server and lose it when it ends.
rm -f "$state/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$state/display" >/dev/null 2>&1 &
echo $! >"$state/xvfb.pid"
for _ in $(seq 100); do [ -s "$state/display" ] && break; sleep 0.1; done
display=$(tr -dc 0-9 <"$state/display")
[ -n "$display" ] || {
    echo "wine-session: Xvfb did not start" >&2
    exit 1
}

cat >"$state/env" <<ENV
export DISPLAY=:$display
export WINEPREFIX='$prefix'
export WINEARCH=$arch
export WINELOADER=$wine
export WINE=$wine
export WINESERVER=$wineserver
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml,winemenubuilder.exe=d'
export LANG=C.UTF-8 LC_ALL=C.UTF-8
ENV
# shellcheck disable=SC1091
source "$state/env"

# A persistent server first, so every later Wine call starts in a fraction of a second.
setsid "$WINESERVER" -p >/dev/null 2>&1 </dev/null
"$WINE" wineboot -i >/dev/null 2>&1
# Before the server restarts below, so the drive list the restarted session builds lacks it.
[ "$host_drive" = yes ] || rm -f "$prefix/dosdevices/z:"
# Every program runs in one virtual desktop. wineboot has already started a desktop process
# of the default kind, so the server is restarted once the setting is in the registry.
"$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
"$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
"$WINESERVER" -k
"$WINESERVER" -w
# Wine's own fonts (Marlett draws the caption buttons) where every Wine build finds them.
cp /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
setsid "$WINESERVER" -p >/dev/null 2>&1 </dev/null
setsid "$WINE" explorer /desktop=Default,1024x768 >/dev/null 2>&1 </dev/null &
for _ in $(seq 150); do
    xdotool search --name '^Default - Wine desktop$' >/dev/null 2>&1 && break
    sleep 0.1
done
xdotool search --name '^Default - Wine desktop$' >/dev/null 2>&1 || {
    echo "the Wine desktop did not appear" >&2
    exit 1
}
exit 0
