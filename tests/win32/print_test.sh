#!/usr/bin/env bash
# Prints from the Windows pane under Wine through a CUPS server of the test's own, which
# Wine's winspool finds through CUPS_SERVER; then counts the pages the server printed.
# Exit 77 means skipped.
#   print_test.sh <command that runs the Windows test program>...
set -uo pipefail
source "$(dirname "$0")/../own_cupsd.sh"
own_cupsd_start VemoWinePDF

VEMO_PRINT_TEST=1 "$@" --gtest_filter='Pane.Print*' || exit 1
# The server's page log has the job's pages once the job is done.
page_log=$own_cupsd_root/log/page_log
for _ in $(seq 100); do
    grep -q ' total ' "$page_log" 2>/dev/null && break
    sleep 0.2
done
pages=$(awk '$6 == "total" { print $7 }' "$page_log" 2>/dev/null)
echo "printed ${pages:-no} pages"
[[ "$pages" == 3 ]] || { tail -n 20 "$own_cupsd_root/log/error_log"; exit 1; }
