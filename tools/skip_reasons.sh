#!/bin/sh
# Prints why each skipped test skipped, from ctest's full log: the message
# a GoogleTest GTEST_SKIP gave, or a script's "SKIPPED: reason" line.
# Usage: skip_reasons.sh BUILD/Testing/Temporary/LastTest.log
[ -f "$1" ] || exit 0
awk '
/^[0-9]+\/[0-9]+ Test: / { name = $0; sub(/^[0-9]+\/[0-9]+ Test: /, "", name); why = ""; inskip = 0; skipped = 0; next }
/^\[  SKIPPED \]/ { inskip = 0; skipped = 1; next }
inskip { why = why (why == "" ? "" : " ") $0; next }
/: Skipped$/ { inskip = 1; next }
/^SKIPPED: / { skipped = 1; why = substr($0, 10); next }
/^Skip (regular expression found|return code)/ { skipped = 1; next }
/^"[^"]*" end time:/ {
    if (skipped && name != "") {
        if (!header++) print "Skipped tests and why:"
        printf "  %s: %s\n", name, (why == "" ? "no reason given" : why)
    }
    name = ""
}
' "$1"
