#!/usr/bin/env bash
# Runs a GoogleTest program under Wine in a desktop of its own, which Wine's desktop
# process opens on $DISPLAY before the program starts (the tests' Wine session began
# without a display). That process does not pass the program's status on: the result
# comes from the program's XML report.
#   on_desktop.sh <wine command...> <test.exe>
set -euo pipefail
report=$(mktemp --suffix=.xml)
trap 'rm -f "$report"' EXIT
program=${*: -1}
set -- "${@:1:$#-1}"
"$@" explorer "/desktop=vemo-test-$$,1280x1024" "$program" "--gtest_output=xml:Z:$report"
grep -q '<testsuites ' "$report" || { echo "no test report"; exit 1; }
grep -E -q '<testsuites [^>]*failures="0"[^>]*errors="0"' "$report"
