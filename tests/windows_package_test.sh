#!/usr/bin/env bash
# The Windows program as it is given out:
#   windows_package_test.sh <vemo-…-windows.zip> <vemo-…-setup.exe>
# The zip holds vemo.exe and LEGGIMI.txt, in Windows-1252 with CRLF line ends; the
# installer, run silently under Wine, puts both under Program Files\Vemo with a Start-menu
# entry and an entry in the installed programs, and its uninstaller, silent too, takes all
# of it away again.
set -euo pipefail
: "${WINEPREFIX:?}"
zip=$1
setup=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAILED: $*"
    exit 1
}

(cd "$work" && cmake -E tar xf "$zip")
[[ $(cd "$work" && ls) == $'LEGGIMI.txt\nvemo.exe' ]] || fail "the zip holds: $(ls "$work")"
readme=$work/LEGGIMI.txt
[[ $(grep -c $'\r$' "$readme") == $(wc -l <"$readme") ]] || fail "LEGGIMI.txt has lines without CR"
! iconv -f UTF-8 -t UTF-8 "$readme" >/dev/null 2>&1 || fail "LEGGIMI.txt is UTF-8"
iconv -f WINDOWS-1252 -t UTF-8 "$readme" | grep -q "^Vemo è un piccolo programma" ||
    fail "LEGGIMI.txt is not Windows-1252"
version=$(basename "$zip" -windows.zip)
grep -q "^${version/vemo-/Vemo } per Windows" "$readme" || fail "LEGGIMI.txt lacks $version"

drive=$WINEPREFIX/drive_c
folder="$drive/Program Files/Vemo"
link="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Vemo.lnk"
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vemo'
wine "$setup" /S
for file in vemo.exe LEGGIMI.txt; do
    cmp "$folder/$file" "$work/$file" || fail "$file installed differs from the zip's"
done
[[ -f $link ]] || fail "no Start-menu entry"
wine reg query "$entry" /v UninstallString >/dev/null || fail "not among the installed programs"

# The uninstaller copies itself away and goes on after it has returned.
wine "$folder/Disinstalla.exe" /S
for _ in $(seq 100); do
    [[ -e $folder || -e $link ]] || break
    sleep 0.2
done
[[ ! -e $folder ]] || fail "left behind: $(ls "$folder")"
[[ ! -e $link ]] || fail "the Start-menu entry is left"
! wine reg query "$entry" >/dev/null 2>&1 || fail "still among the installed programs"
echo "ok: $(basename "$zip"), $(basename "$setup")"
