#!/usr/bin/env bash
# Takes the README's pictures with live data from the simulator, on the X
# server of $DISPLAY (./x screenshot runs it on Xvfb at 96 dots per inch, no
# window manager). Needs xdotool and ImageMagick.
#   main:         Quadrel's main window, six channels sweeping
#   link-monitor: the Link Monitor beside it, a channel twitching
#   find-settings: Find Settings over it, an inverted signal found out
#   joystick:     Joystick > Output... beside it, the output on (to /dev/null)
# Usage: screenshot.sh BUILD-DIR OUTPUT.png [main|link-monitor|find-settings|joystick]
set -euo pipefail
build=$1
out=$2
picture=${3:-main}
dir=$(mktemp -d)
sim_pid="" app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill -TERM "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
    [ -n "$sim_pid" ] && kill -TERM "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT

# A fixed seed gives the same picture every time.
case $picture in
    # Six channels, so that the picture shows absent ones too.
    main) sim=(--seed 7 --motion sweep --channels 6) mode=2 ;;
    link-monitor) sim=(--seed 3 --glitch 3 --motion sweep) mode=1 ;;
    find-settings) sim=(--seed 3 --inverted) mode=1 ;;
    joystick) sim=(--seed 3 --motion sweep) mode=2 ;;
    *) echo "screenshot.sh: no picture '$picture'" >&2; exit 2 ;;
esac
exec 3< <(exec "$build/tools/quadrel-sim" --quiet "${sim[@]}")
sim_pid=$!
read -r -t 10 pty <&3
printf '[Devices]\nCOM1=%s\n[Transmitter]\nTX Mode=%s\nTX Type=1\n' "$pty" "$mode" > "$dir/Quadrel.ini"
events=""
if [ "$picture" = joystick ]; then
    # The output on, with the trigger on channel 5; these machines have no
    # /dev/uinput, so its events go to /dev/null.
    printf '[Joystick]\nEnabled=1\nButton1=5\n' >> "$dir/Quadrel.ini"
    events=/dev/null
fi
XDG_CONFIG_HOME=$dir QUADREL_JOYSTICK_EVENTS=$events "$build/src/quadrel" 2>/dev/null &
app_pid=$!

window=""
for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --name '^Quadrel$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "The main window did not appear." >&2; exit 1; }

if [ "$picture" = main ]; then
    # The delayed recalibration comes one second after the first data; the
    # slowest channels need about six more to sweep their whole range.
    sleep 8
    import -window "$window" "$out"
    exit 0
fi
sleep 3  # the splash has gone and data flows
# Diagnostics > Link Monitor... or Find Settings..., by their access keys.
xdotool windowfocus "$window"
sleep 0.3
xdotool key alt+d
sleep 0.5
if [ "$picture" = link-monitor ]; then
    xdotool key l
    sleep 9  # ten seconds of figures, a glitch a second among them
elif [ "$picture" = joystick ]; then
    xdotool key Escape alt+j
    sleep 0.5
    xdotool key o
    sleep 3
else
    xdotool key f
    sleep 12  # the search, and the verdict beside the port line after it
fi
# Both windows, without the empty screen around them.
import -window root "$dir/screen.png"
convert "$dir/screen.png" -trim +repage "$out"
