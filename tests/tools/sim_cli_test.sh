#!/bin/sh
# quadrel-sim as a script uses it: exit codes, bytes on standard output and
# in a file, and the pseudo-terminal named on the first line.
# Usage: sim_cli_test.sh PATH-TO-quadrel-sim
sim=$1
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$sim" --channels 9 2>"$tmp/err" && fail "a bad option was accepted"
"$sim" --channels 9 2>/dev/null; [ $? -eq 2 ] || fail "a bad option must exit with 2"
grep -q -- "--channels '9'" "$tmp/err" || fail "the message does not name the option: $(cat "$tmp/err")"
"$sim" --help | grep -q -- "--replay" || fail "--help"

# Nine-byte standard frames, as fast as the pipe takes them.
n=$("$sim" --output stdout --fast --count 100 --quiet | wc -c)
[ "$n" -eq 900 ] || fail "stdout carried $n bytes, not 900"
"$sim" --output "file:$tmp/zh.bin" --format zhenhua --fast --count 10 --quiet || fail "file output"
[ "$(wc -c < "$tmp/zh.bin")" -eq 90 ] || fail "ten Zhen Hua frames are not 90 bytes"
[ "$(head -c 1 "$tmp/zh.bin" | od -An -tu1 | tr -d ' ')" = 239 ] || fail "no Zhen Hua sync"

# The same seed twice gives the same bytes.
"$sim" --output stdout --fast --count 50 --seed 3 --noise 0.1 --quiet > "$tmp/a"
"$sim" --output stdout --fast --count 50 --seed 3 --noise 0.1 --quiet > "$tmp/b"
cmp -s "$tmp/a" "$tmp/b" || fail "the same seed gave different streams"

# A replayed capture comes back unchanged.
"$sim" --replay "$tmp/a" --output "file:$tmp/c" --fast --quiet || fail "replay"
cmp -s "$tmp/a" "$tmp/c" || fail "the replay changed the capture"

# The pty: its path on the first line; a reader gets the frames.
mkfifo "$tmp/out"
"$sim" --fast --count 20 --quiet > "$tmp/out" &
pid=$!
exec 3< "$tmp/out"
read -r pty <&3 || fail "no pty path on the first line"
[ -c "$pty" ] || fail "$pty is not a terminal device"
n=$(timeout 10 head -c 180 "$pty" | wc -c)
[ "$n" -eq 180 ] || fail "read $n bytes from $pty"
wait "$pid" || fail "quadrel-sim ended with status $?"
exit 0
