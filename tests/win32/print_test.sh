#!/usr/bin/env bash
# Prints from the Windows pane under Wine through a CUPS server of the test's own (its own
# configuration, spool and socket, a cups-pdf queue as its default printer), which Wine's
# winspool finds through CUPS_SERVER; then counts the pages the server printed. Exit 77
# means skipped.
#   print_test.sh <command that runs the Windows test program>...
set -uo pipefail
if ! command -v cupsd >/dev/null || ! command -v lpadmin >/dev/null ||
    [[ ! -x /usr/lib/cups/backend/cups-pdf ]]; then
    echo "cups or cups-pdf is not installed; skipped"
    exit 77
fi
if ((EUID != 0)); then
    echo "needs root to start a cupsd and run its cups-pdf backend; skipped"
    exit 77
fi

root=$(mktemp -d /tmp/vemo-wine-cups.XXXXXX)
chmod 755 "$root"
mkdir -p "$root"/{conf,spool/tmp,cache,state,log}
pdf_dir=${HOME:-/root}/PDF
mkdir -p "$pdf_dir"
touch "$root/started"
cupsd_pid=""
cleanup() {
    [[ -n "$cupsd_pid" ]] && kill "$cupsd_pid" 2>/dev/null && wait "$cupsd_pid" 2>/dev/null
    find "$pdf_dir" -maxdepth 1 -name 'Vemo*.pdf' -newer "$root/started" -delete
    rm -rf "$root"
}
trap cleanup EXIT

cat >"$root/conf/cupsd.conf" <<CONF
Listen $root/cups.sock
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
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
lpadmin -p VemoWinePDF -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd -E 2>/dev/null &&
    lpadmin -d VemoWinePDF || { echo "lpadmin failed"; exit 1; }

VEMO_PRINT_TEST=1 "$@" --gtest_filter='Pane.Print*' || exit 1
# The server's page log has the job's pages once the job is done.
for _ in $(seq 100); do
    grep -q ' total ' "$root/log/page_log" 2>/dev/null && break
    sleep 0.2
done
pages=$(awk '$6 == "total" { print $7 }' "$root/log/page_log" 2>/dev/null)
echo "printed ${pages:-no} pages"
[[ "$pages" == 3 ]] || { tail -n 20 "$root/log/error_log"; exit 1; }
