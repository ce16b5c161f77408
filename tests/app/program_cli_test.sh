#!/bin/sh
# The program as a shell meets it: --help and --version without a display,
# one line and status 1 with no display at all, and SIGINT, SIGTERM and
# SIGHUP ending it as File > Exit does (the choices saved, status 0).
# Usage: program_cli_test.sh PATH-TO-quadrel VERSION
quadrel=$1
version=$2
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }

for opt in --help -h; do
    nodisplay "$quadrel" "$opt" > "$tmp/out" 2>&1 || fail "$opt exited with $?"
    grep -q -- "--version" "$tmp/out" || fail "$opt: $(cat "$tmp/out")"
done
[ "$(nodisplay "$quadrel" --version)" = "Quadrel $version" ] || fail "--version: $(nodisplay "$quadrel" --version)"

nodisplay "$quadrel" > "$tmp/out" 2>&1
[ $? -eq 1 ] || fail "no display must exit with 1"
[ "$(wc -l < "$tmp/out")" -eq 1 ] && grep -q "graphical session" "$tmp/out" || fail "no display: $(cat "$tmp/out")"

QT_QPA_PLATFORM=offscreen "$quadrel" --no-such-option 2> "$tmp/out"
[ $? -eq 2 ] && grep -q -- "--no-such-option" "$tmp/out" || fail "unknown option: $(cat "$tmp/out")"

# Port 1 names a device that is not there: the program runs on without it.
for sig in INT TERM HUP; do
    printf '[Devices]\nCOM1=%s/no-such-tty\n[Reverse Settings]\nChannel2=1\n' "$tmp" > "$tmp/Quadrel.ini"
    QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$tmp "$quadrel" 2>/dev/null &
    pid=$!
    # Ready once it catches SIGTERM (bit 14 of the caught-signal mask).
    tries=0
    until mask=$(awk '/^SigCgt/ { print $2 }' "/proc/$pid/status" 2>/dev/null) &&
          [ $(( 0x${mask:-0} >> 14 & 1 )) -eq 1 ]; do
        tries=$((tries + 1))
        [ $tries -lt 200 ] || { kill -9 "$pid"; fail "SIG$sig: the program never caught signals"; }
        sleep 0.05
    done
    kill -"$sig" "$pid"
    wait "$pid"
    status=$?
    [ $status -eq 0 ] || fail "SIG$sig: exit status $status"
    grep -q "TX Mode=1" "$tmp/Quadrel.ini" && grep -q "Channel2=1" "$tmp/Quadrel.ini" ||
        fail "SIG$sig: choices not saved: $(cat "$tmp/Quadrel.ini")"
done
exit 0
