#!/usr/bin/env bash
# End-to-end print through a CUPS server of the test's own; then the same with the server
# stopped. The system's CUPS configuration must come out unchanged. Exit 77 means skipped.
set -uo pipefail
test_binary=$1
system_config=$(cat /etc/cups/* 2>/dev/null | md5sum)
source "$(dirname "$0")/own_cupsd.sh"
queue=VemoTestPDF
own_cupsd_start "$queue"

export VEMO_CUPS_PRINTER=$queue VEMO_CUPS_PDF_DIR=$own_cupsd_pdf_dir QT_QPA_PLATFORM=offscreen
"$test_binary" --gtest_filter='CupsPrint.*-CupsPrint.StoppedService*:CupsPrint.ServiceFailures*'
status=$?
# Ends by stopping the server.
VEMO_CUPSD_PID=$own_cupsd_pid "$test_binary" --gtest_filter='CupsPrint.ServiceFailures*' || status=1
((status == 0)) || tail -n 30 "$own_cupsd_root/log/error_log"

own_cupsd_stop
VEMO_CUPS_STOPPED=1 "$test_binary" --gtest_filter='CupsPrint.StoppedService*' || status=1

if [[ "$(cat /etc/cups/* 2>/dev/null | md5sum)" != "$system_config" ]]; then
    echo "the system's CUPS configuration changed"
    status=1
fi
exit $status
