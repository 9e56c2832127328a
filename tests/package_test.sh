#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root, checks that the desktop finds
# its files, and starts the installed program offscreen. Exit 77 means skipped.
set -euo pipefail
build_dir=$1
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "$tool missing; skipped"; exit 77; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$build_dir" && cpack -G DEB -B "$scratch/out" >/dev/null)
deb=$(ls "$scratch"/out/vemo_1.0.0.7_*.deb)
echo "built $(basename "$deb")"
dpkg-deb -x "$deb" "$scratch/root"

fail=0
check() { if ! "$@"; then echo "FAILED: $*"; fail=1; fi; }
root=$scratch/root/usr
check test -x "$root/bin/vemo"
check test -f "$root/share/applications/it.palindra.Vemo.desktop"
check test -f "$root/share/metainfo/it.palindra.Vemo.metainfo.xml"
for size in 16 32 48 64 128 256; do
    icon=$root/share/icons/hicolor/${size}x${size}/apps/it.palindra.Vemo.png
    check test -f "$icon"
    check grep -q "PNG image data, $size x $size" <(file "$icon")
done
check desktop-file-validate "$root/share/applications/it.palindra.Vemo.desktop"
check appstreamcli validate --no-net --pedantic "$root/share/metainfo/it.palindra.Vemo.metainfo.xml"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
check grep -q "libqt6widgets6" <<<"$depends"
check grep -q "fonts-freefont-ttf" <<<"$depends"
check grep -q "hardinfo" <<<"$(dpkg-deb -f "$deb" Recommends)"

# The installed program shows its window and ends cleanly when asked to stop.
QT_QPA_PLATFORM=offscreen "$root/bin/vemo" --no-such-option &
pid=$!
sleep 3
if kill -0 "$pid" 2>/dev/null; then
    kill -TERM "$pid"
    status=0
    wait "$pid" || status=$?
    check test "$status" -eq 0
else
    echo "FAILED: vemo did not keep running"
    fail=1
fi
exit $fail
