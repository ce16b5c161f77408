#!/usr/bin/env bash
# Takes the README's picture of the Link Monitor beside the main window, with
# a twitching channel from the simulator, on the X server of $DISPLAY (./x
# screenshot runs it on Xvfb at 96 dots per inch, no window manager). Needs
# xdotool and ImageMagick.
# Usage: link_monitor_screenshot.sh BUILD-DIR OUTPUT.png
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

exec 3< <(exec "$build/tools/quadrel-sim" --quiet --seed 3 --glitch 3 --motion sweep)
sim_pid=$!
read -r -t 10 pty <&3
printf '[Devices]\nCOM1=%s\n[Transmitter]\nTX Mode=1\nTX Type=1\n' "$pty" > "$dir/Quadrel.ini"
XDG_CONFIG_HOME=$dir "$build/src/quadrel" 2>/dev/null &
app_pid=$!

window=""
for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --name '^Quadrel$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "The main window did not appear." >&2; exit 1; }
sleep 3  # the splash has gone and data flows
# Diagnostics > Link Monitor..., by its access keys.
xdotool windowfocus "$window"
sleep 0.3
xdotool key alt+d
sleep 0.5
xdotool key l
# Ten seconds of figures, a glitch a second among them.
sleep 9
# Both windows, without the empty screen around them.
import -window root "$dir/screen.png"
convert "$dir/screen.png" -trim +repage "$out"
