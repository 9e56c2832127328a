#!/usr/bin/env bash
# End-to-end print through a CUPS server of the test's own: its own cupsd with its own
# configuration, spool and socket in a temporary folder, a cups-pdf queue as its default
# printer. The system's CUPS configuration is never touched. Exit 77 means skipped.
set -uo pipefail
test_binary=$1

if ! command -v cupsd >/dev/null || ! command -v lpadmin >/dev/null ||
    [[ ! -x /usr/lib/cups/backend/cups-pdf ]]; then
    echo "cups or cups-pdf is not installed; skipped"
    exit 77
fi
if ((EUID != 0)); then
    echo "needs root to start a cupsd and run its cups-pdf backend; skipped"
    exit 77
fi

system_config=$(cat /etc/cups/* 2>/dev/null | md5sum)
root=$(mktemp -d /tmp/vemo-cups.XXXXXX)
chmod 755 "$root"
mkdir -p "$root"/{conf,spool/tmp,cache,state,log}
pdf_dir=${HOME:-/root}/PDF
mkdir -p "$pdf_dir"
touch "$root/started"
cupsd_pid=""
cleanup() {
    [[ -n "$cupsd_pid" ]] && kill "$cupsd_pid" 2>/dev/null && wait "$cupsd_pid" 2>/dev/null
    # Only the PDFs this run printed go.
    find "$pdf_dir" -maxdepth 1 -name '*.pdf' -newer "$root/started" -delete
    rm -rf "$root"
}
trap cleanup EXIT

cat >"$root/conf/cupsd.conf" <<CONF
Listen $root/cups.sock
LogLevel info
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat >"$root/conf/cups-files.conf" <<CONF
ServerRoot $root/conf
RequestRoot $root/spool
TempDir $root/spool/tmp
CacheDir $root/cache
StateDir $root/state
AccessLog $root/log/access_log
ErrorLog $root/log/error_log
PageLog $root/log/page_log
SystemGroup root
Printcap $root/printcap
CONF

export CUPS_SERVER=$root/cups.sock
/usr/sbin/cupsd -f -c "$root/conf/cupsd.conf" -s "$root/conf/cups-files.conf" &
cupsd_pid=$!
for _ in $(seq 50); do
    lpstat -r 2>/dev/null | grep -q "is running" && break
    sleep 0.2
done

queue=VemoTestPDF
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
lpadmin -p "$queue" -v cups-pdf:/ -P "$ppd" -E || { echo "lpadmin failed"; exit 1; }
lpadmin -d "$queue" || exit 1

export VEMO_CUPS_PRINTER=$queue VEMO_CUPS_PDF_DIR=$pdf_dir QT_QPA_PLATFORM=offscreen
"$test_binary" --gtest_filter='CupsPrint.*-CupsPrint.StoppedService*'
status=$?
((status == 0)) || tail -n 30 "$root/log/error_log"

kill "$cupsd_pid" && wait "$cupsd_pid" 2>/dev/null
cupsd_pid=""
VEMO_CUPS_STOPPED=1 "$test_binary" --gtest_filter='CupsPrint.StoppedService*' || status=1

if [[ "$(cat /etc/cups/* 2>/dev/null | md5sum)" != "$system_config" ]]; then
    echo "the system's CUPS configuration changed"
    status=1
fi
exit $status
