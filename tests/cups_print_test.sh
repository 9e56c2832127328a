#!/usr/bin/env bash
# End-to-end print through a real CUPS server with a cups-pdf queue as the default printer.
# Starts cupsd when none runs and stops the one it started. Exit 77 means skipped.
set -uo pipefail
test_binary=$1

if ! command -v cupsd >/dev/null || ! command -v lpadmin >/dev/null ||
    [[ ! -x /usr/lib/cups/backend/cups-pdf ]]; then
    echo "cups or cups-pdf is not installed; skipped"
    exit 77
fi
if ((EUID != 0)); then
    echo "needs root to start cupsd and add a queue; skipped"
    exit 77
fi

started=""
cleanup() {
    if [[ -n "$started" ]]; then
        kill "$started" 2>/dev/null
        wait "$started" 2>/dev/null
    fi
}
trap cleanup EXIT

if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    /usr/sbin/cupsd -f &
    started=$!
    for _ in $(seq 50); do
        lpstat -r 2>/dev/null | grep -q "is running" && break
        sleep 0.2
    done
fi

queue=VemoTestPDF
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
lpadmin -p "$queue" -v cups-pdf:/ -P "$ppd" -E 2>/dev/null || { echo "lpadmin failed"; exit 1; }
lpadmin -d "$queue" || exit 1

VEMO_CUPS_PRINTER=$queue VEMO_CUPS_PDF_DIR="$HOME/PDF" QT_QPA_PLATFORM=offscreen \
    "$test_binary" --gtest_filter='CupsPrint.*'
