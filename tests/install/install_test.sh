#!/bin/sh
# Quadrel installed as a desktop program: the files cmake --install puts in
# place, the validators' word on the desktop entry and the metainfo, the
# Debian package holding exactly those files and passing lintian, and ./x
# install followed by ./x uninstall leaving the prefix as it was; ./x
# refusing command lines it does not understand.
# Usage: install_test.sh SOURCE-DIR BUILD-DIR APP-ID
src=$1
build=$2
id=$3
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in desktop-file-validate appstreamcli dpkg-deb dpkg-shlibdeps cpack lintian; do
    command -v $tool > /dev/null || { echo "SKIPPED: $tool is not installed (./x setup installs it)"; exit 77; }
done

DESTDIR=$tmp/stage cmake --install "$build" --prefix /usr > /dev/null || fail "cmake --install"
(cd "$tmp/stage" && find . ! -type d | sed 's|^\.||' | sort) > "$tmp/installed"
{
    echo /usr/bin/quadrel
    echo /usr/bin/quadrel-probe
    echo /usr/bin/quadrel-joystick
    echo /usr/lib/udev/rules.d/60-quadrel-uinput.rules
    echo /usr/lib/modules-load.d/quadrel-uinput.conf
    echo "/usr/share/applications/$id.desktop"
    for size in 16 22 24 32 48 64 128 256; do echo "/usr/share/icons/hicolor/${size}x$size/apps/quadrel.png"; done
    echo /usr/share/icons/hicolor/scalable/apps/quadrel.svg
    echo "/usr/share/metainfo/$id.metainfo.xml"
    echo /usr/share/doc/quadrel/copyright
    echo /usr/share/doc/quadrel/changelog.gz
    echo /usr/share/man/man1/quadrel.1.gz
    echo /usr/share/man/man1/quadrel-probe.1.gz
    echo /usr/share/man/man1/quadrel-joystick.1.gz
} | sort > "$tmp/expected"
diff "$tmp/expected" "$tmp/installed" > "$tmp/diff" || fail "installed files differ: $(cat "$tmp/diff")"

share=$tmp/stage/usr/share
desktop-file-validate "$share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
grep -qx "Exec=quadrel" "$share/applications/$id.desktop" || fail "Exec is not the installed program"
grep -qx "Icon=quadrel" "$share/applications/$id.desktop" || fail "Icon is not the installed icon"

# The package holds what the install manifest lists, and needs Qt's runtime.
sed "s|^$tmp/stage||" "$build/install_manifest.txt" | sort > "$tmp/manifest"
(cd "$build" && cpack -G DEB -B "$tmp/package" > "$tmp/cpack.log" 2>&1) || fail "cpack: $(cat "$tmp/cpack.log")"
deb=$(ls "$tmp"/package/quadrel_*_*.deb) || fail "no quadrel_VERSION_ARCH.deb"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }' | sort > "$tmp/packaged"
diff "$tmp/manifest" "$tmp/packaged" > "$tmp/diff" || fail "package and install differ: $(cat "$tmp/diff")"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6serialport6 libevdev2; do
    echo "$depends" | grep -q "$lib" || fail "Depends lacks $lib: $depends"
done
lintian --fail-on error,warning "$deb" > "$tmp/lintian.log" 2>&1 || fail "lintian: $(cat "$tmp/lintian.log")"
zcat "$share/man/man1/quadrel-probe.1.gz" | grep -q 'expect\\-channels' ||
    fail "the probe's manual page is not its --help"

# ./x install and ./x uninstall: nothing more, nothing less, whether the
# prefix was there before or not.
prefix=$tmp/prefix
PREFIX=$prefix QUADREL_BUILD_DIR=$build "$src/x" install > "$tmp/x.log" 2>&1 || fail "./x install: $(cat "$tmp/x.log")"
[ -x "$prefix/bin/quadrel" ] || fail "./x install put no program in bin/"
PREFIX=$prefix "$src/x" uninstall > "$tmp/x.log" 2>&1 || fail "./x uninstall: $(cat "$tmp/x.log")"
[ ! -e "$prefix" ] || fail "./x uninstall left $(cd "$prefix" && find . | tr '\n' ' ')"
mkdir -p "$prefix/share/applications"
(cd "$prefix" && find . | sort) > "$tmp/before"
PREFIX=$prefix QUADREL_BUILD_DIR=$build "$src/x" install > "$tmp/x.log" 2>&1 || fail "./x install: $(cat "$tmp/x.log")"
PREFIX=$prefix "$src/x" uninstall > "$tmp/x.log" 2>&1 || fail "./x uninstall: $(cat "$tmp/x.log")"
(cd "$prefix" && find . | sort) > "$tmp/after"
diff "$tmp/before" "$tmp/after" > "$tmp/diff" || fail "./x uninstall left or took: $(cat "$tmp/diff")"
# The same with --prefix, which wins over PREFIX.
QUADREL_BUILD_DIR=$build PREFIX=$tmp/elsewhere "$src/x" install --prefix "$prefix" > "$tmp/x.log" 2>&1 ||
    fail "./x install --prefix: $(cat "$tmp/x.log")"
[ -x "$prefix/bin/quadrel" ] && [ ! -e "$tmp/elsewhere" ] || fail "./x install --prefix went elsewhere"
"$src/x" uninstall --prefix="$prefix" > "$tmp/x.log" 2>&1 || fail "./x uninstall --prefix=: $(cat "$tmp/x.log")"
(cd "$prefix" && find . | sort) > "$tmp/after"
diff "$tmp/before" "$tmp/after" > /dev/null || fail "./x uninstall --prefix= left or took files"

# What ./x does not understand is refused before it does anything.
for args in "install --prefix" "install /tmp/x" "test --sanitise" "fuzz abc" "fuzz 0" "demo now" \
    "bench --e2" "package x" "nonsense"; do
    QUADREL_BUILD_DIR=$build "$src/x" $args > "$tmp/x.log" 2>&1
    status=$?
    [ $status -eq 2 ] && grep -q "Usage\|^  ${args%% *}" "$tmp/x.log" ||
        fail "./x $args: status $status: $(cat "$tmp/x.log")"
done
exit 0
