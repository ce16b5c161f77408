#!/bin/sh
# ./x demo on a real X server (Xvfb), ended three ways: File > Exit typed on
# the keyboard, SIGTERM to ./x, and Ctrl+C (SIGINT to its process group).
# Each must end with status 0, no simulator left running and no folder left.
# Usage: demo_shutdown_test.sh SOURCE-DIR BUILD-DIR
src=$1
build=$2
if [ -z "$QUADREL_DEMO_TEST_ON_XVFB" ]; then
    for tool in xvfb-run xdotool; do
        command -v $tool > /dev/null || { echo "SKIPPED: $tool is not installed (./x setup installs it)"; exit 77; }
    done
    QUADREL_DEMO_TEST_ON_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset" sh "$0" "$@"
fi
unset QT_QPA_PLATFORM  # a real window this time
tmp=$(mktemp -d) || exit 1
pid=""
# A failed case leaves nothing running either: ./x, the program and the
# simulator share the process group that setsid gave ./x.
trap '[ -n "$pid" ] && kill -9 "-$pid" 2>/dev/null; rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Waits up to $2 tenths of a second for the command $1 to succeed.
poll() {
    n=0
    until eval "$1"; do
        n=$((n + 1))
        [ $n -lt "$2" ] || return 1
        sleep 0.1
    done
}

# The simulators started by this test's demos: they carry its TMPDIR.
our_simulators() {
    for p in $(pgrep -x quadrel-sim); do
        tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "TMPDIR=$tmp/t" && echo "$p"
    done
}

start_demo() {
    mkdir -p "$tmp/t"
    TMPDIR=$tmp/t QUADREL_BUILD_DIR=$build setsid "$src/x" demo > "$tmp/out" 2>&1 &
    pid=$!
    poll 'xdotool search --onlyvisible --name "^Quadrel\$" > "$tmp/window" 2>/dev/null' 600 ||
        fail "$1: no window within a minute: $(cat "$tmp/out")"
}

finish_demo() {  # how it was ended
    poll '! kill -0 "$pid" 2>/dev/null' 300 || fail "$1: ./x demo did not end: $(cat "$tmp/out")"
    wait "$pid"
    status=$?
    pid=""
    [ "$status" -eq 0 ] || fail "$1: ./x demo exited with $status: $(cat "$tmp/out")"
    [ -z "$(our_simulators)" ] || fail "$1: quadrel-sim is still running"
    ! ls -d "$tmp"/t/quadrel-demo.* 2>/dev/null || fail "$1: its folder was left behind"
}

start_demo "File > Exit"
window=$(head -n 1 "$tmp/window")
tries=0
while kill -0 "$pid" 2>/dev/null && [ $tries -lt 5 ]; do
    xdotool windowfocus --sync "$window" key --clearmodifiers Escape alt+f 2>/dev/null
    sleep 0.5
    xdotool key x 2>/dev/null
    poll '! kill -0 "$pid" 2>/dev/null' 20
    tries=$((tries + 1))
done
finish_demo "File > Exit"

start_demo "SIGTERM"
kill -TERM "$pid"
finish_demo "SIGTERM"

start_demo "Ctrl+C"
kill -INT "-$pid"
finish_demo "Ctrl+C"
exit 0
