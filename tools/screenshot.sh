#!/usr/bin/env bash
# Takes the README's picture: Quadrel's main window with live data from the
# simulator, on the X server of $DISPLAY (./x screenshot runs it on Xvfb at
# 96 dots per inch). Needs xdotool and ImageMagick's import.
# Usage: screenshot.sh BUILD-DIR OUTPUT.png
set -euo pipefail
build=$1
out=$2
dir=$(mktemp -d)
sim_pid="" app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill -TERM "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
    [ -n "$sim_pid" ] && kill -TERM "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT

# Six channels, so that the picture shows absent ones too; a fixed seed
# gives the same picture every time.
exec 3< <(exec "$build/tools/quadrel-sim" --quiet --seed 7 --motion sweep --channels 6)
sim_pid=$!
read -r -t 10 pty <&3
printf '[Devices]\nCOM1=%s\n[Transmitter]\nTX Mode=2\nTX Type=1\n' "$pty" > "$dir/Quadrel.ini"
XDG_CONFIG_HOME=$dir "$build/src/quadrel" 2>/dev/null &
app_pid=$!

window=""
for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --name '^Quadrel$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "The main window did not appear." >&2; exit 1; }
# The delayed recalibration comes one second after the first data; the
# slowest channels need about six more to sweep their whole range.
sleep 8
import -window "$window" "$out"
