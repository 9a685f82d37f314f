#!/usr/bin/env bash
# Extraction through the real dialog, driven from outside: the window keeps answering while a
# large member is inflated, and the member comes out whole.
source "$(dirname "$0")/lib.sh"

dialog=$(message 107)
mkdir -p "$work/big"
(cd "$work/big" && head -c 200000000 /dev/zero >big.bin && zip -q -1 big.zip big.bin && rm big.bin)
main="$(message 29) V$version - big.zip"  # the window with big.zip listed
start_marlox "$(windows_path "$work/big/big.zip")"
wintool title "$main" 30 >/dev/null || fail "big.zip not listed"
# Ask the window for an answer again and again from before the extraction starts until it
# ends; every question must be answered within a second.
: >"$work/answers"
(
    while [ ! -e "$work/stop" ]; do
        if wintool responsive "$main" 1000; then echo yes; else echo no; fi
    done >>"$work/answers"
) &
poller=$!
wintool command "$main" 6
wintool wait "$dialog" 20 >/dev/null || fail "no extract dialog"
wintool press "$dialog" 1
for _ in $(seq 600); do
    [ "$(stat -c %s "$work/big/big.bin" 2>/dev/null)" = 200000000 ] && break
    sleep 0.2
done
touch "$work/stop"
wait "$poller"
[ "$(stat -c %s "$work/big/big.bin" 2>/dev/null)" = 200000000 ] || fail "big.bin not extracted"
grep -q yes "$work/answers" || fail "the window never answered"
! grep -q no "$work/answers" || fail "the window did not answer within a second: $(tr '\n' ' ' <"$work/answers")"
close_marlox
echo "extract: ok"
