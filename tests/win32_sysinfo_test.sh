#!/usr/bin/env bash
# The system information look-up under Wine, over the registry that `wine reg` sets:
#   win32_sysinfo_test.sh <win32_sysinfo_test.exe>
# Runs the program's own tests of the adapters, then starts the tool for each state of the
# two registry places and checks whether the stand-in tool, a copy of the program named
# MSINFO32.EXE, was started. Wine's own registry has neither place (its key
# "Shared Tools\MSInfo" holds no PATH, and "Shared Tools Location" is absent): every value
# set here is taken away again.
set -euo pipefail
: "${WINEPREFIX:?}"
program=$1
work=$(mktemp -d)
first='HKLM\SOFTWARE\Microsoft\Shared Tools\MSINFO'
second='HKLM\SOFTWARE\Microsoft\Shared Tools Location'
testKey='HKLM\SOFTWARE\Vemo Test'

place() { # key value data; "-" as data takes the value away
    if [[ $3 == - ]]; then
        wine reg delete "$1" /v "$2" /f >/dev/null 2>&1 || true
    else
        wine reg add "$1" /v "$2" /t REG_SZ /d "$3" /f >/dev/null
    fi
}
cleanup() {
    place "$first" PATH -
    wine reg delete "$second" /f >/dev/null 2>&1 || true
    wine reg delete "$testKey" /f >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

# A folder with blanks in its name: the path is one program, never split.
toolDir="$work/Strumenti di sistema"
mkdir "$toolDir" "$work/empty"
cp "$program" "$toolDir/MSINFO32.EXE"
tool=$(winepath -w "$toolDir")
empty=$(winepath -w "$work/empty")

wine reg add "$testKey" /v Path /t REG_SZ /d 'C:\Program Files\Tool 1\tool.exe' /f >/dev/null
wine reg add "$testKey" /v Number /t REG_DWORD /d 7 /f >/dev/null
failed=0
wine "$program" || failed=1

# first place                 | second place | expected
cases=(
    "$tool\\MSINFO32.EXE|-|started"
    "-|$tool|started"
    "-|$empty|unavailable"
    "-|-|unavailable"
    "$empty\\MSINFO32.EXE|$tool|unavailable"
)
for c in "${cases[@]}"; do
    IFS='|' read -r path folder expected <<<"$c"
    place "$first" PATH "$path"
    place "$second" MSINFO "$folder"
    rm -f "$toolDir/started"
    got=$(wine "$program" start | tr -d '\r')
    if [[ $got == started ]]; then
        for _ in $(seq 100); do
            [[ -e $toolDir/started ]] && break
            sleep 0.1
        done
        [[ -e $toolDir/started ]] || got="started, but the tool did not run"
    fi
    if [[ $got != "$expected" ]]; then
        echo "FAILED: first place '$path', second place '$folder': $got, expected $expected"
        failed=1
    else
        echo "ok: first place '$path', second place '$folder': $got"
    fi
done
exit $failed
