#!/usr/bin/env bash
# Builds the Debian package as ./dev.sh package does (preset "package"), in a tree of its own
# inside the test's build folder, checks it with lintian and the desktop's validators, unpacks
# it into a scratch root and starts the installed program offscreen. Exit 77 means skipped.
#   package_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
tree=$2
for tool in cmake cpack dpkg-deb dpkg-shlibdeps dpkg-buildflags readelf lintian \
    desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "$tool missing; skipped"; exit 77; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$source_dir" && cmake --preset package -B "$tree" && cmake --build "$tree") \
    >"$scratch/build.log" 2>&1 || { cat "$scratch/build.log"; exit 1; }
(cd "$tree" && cpack -G DEB -B "$scratch/out" >/dev/null)
deb=$(ls "$scratch"/out/vemo_1.0.0.7-1_*.deb)
echo "built $(basename "$deb")"

fail=0
check() { if ! "$@"; then echo "FAILED: $*"; fail=1; fi; }

# Lintian's pedantic, informational and experimental tags as well: only X may remain.
lintian --pedantic -I -E "$deb" 2>/dev/null | tee "$scratch/lintian" || true
check test -z "$(grep -E '^[EWIP]: ' "$scratch/lintian")"

dpkg-deb -x "$deb" "$scratch/root"
root=$scratch/root/usr
for file in bin/vemo share/applications/it.palindra.Vemo.desktop \
    share/metainfo/it.palindra.Vemo.metainfo.xml share/doc/vemo/copyright \
    share/doc/vemo/changelog.Debian.gz share/doc/vemo/changelog.gz \
    share/man/man1/vemo.1.gz share/man/it/man1/vemo.1.gz; do
    check test -s "$root/$file"
done
for size in 16 32 48 64 128 256; do
    icon=$root/share/icons/hicolor/${size}x${size}/apps/it.palindra.Vemo.png
    check grep -q "PNG image data, $size x $size" <(file "$icon")
done
check desktop-file-validate "$root/share/applications/it.palindra.Vemo.desktop"
check appstreamcli validate --no-net --pedantic "$root/share/metainfo/it.palindra.Vemo.metainfo.xml"
check test -z "$(readelf -d "$root/bin/vemo" | grep -E 'RUNPATH|RPATH')"

# Libraries, fonts, Qt's Italian translations and Wayland support are needed; the system
# information tools of the about box are only suggested.
fields=$(dpkg-deb -f "$deb" Depends Recommends Suggests)
echo "$fields"
for need in libqt6widgets6 fonts-dejavu-core fonts-freefont-ttf qt6-translations-l10n qt6-wayland; do
    check grep -q "^Depends:.*\b$need\b" <<<"$fields"
done
check grep -q "^Suggests:.*\bhardinfo\b" <<<"$fields"
check test -z "$(grep '^Recommends:' <<<"$fields")"

# The installed program shows its window and ends cleanly when asked to stop.
mkdir -m 700 "$scratch/home"
HOME=$scratch/home XDG_RUNTIME_DIR=$scratch/home QT_QPA_PLATFORM=offscreen "$root/bin/vemo" &
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
