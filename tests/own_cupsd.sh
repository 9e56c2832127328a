# A CUPS server of the test's own, sourced by the print tests: its own configuration, spool
# and socket in a temporary folder, and a cups-pdf queue as its default printer. The
# system's CUPS configuration is never touched. Exits 77 (skipped) when CUPS or cups-pdf is
# missing, or without the root rights that cupsd and the cups-pdf backend need.
#   own_cupsd_start QUEUE   starts it; CUPS_SERVER then reaches it, its page log is
#                           $own_cupsd_root/log/page_log
#   own_cupsd_stop          stops it (also done on exit, with the PDFs the test printed)

if ! command -v cupsd >/dev/null || ! command -v lpadmin >/dev/null ||
    [[ ! -x /usr/lib/cups/backend/cups-pdf ]]; then
    echo "cups or cups-pdf is not installed; skipped"
    exit 77
fi
if ((EUID != 0)); then
    echo "needs root to start a cupsd and run its cups-pdf backend; skipped"
    exit 77
fi

own_cupsd_root=$(mktemp -d /tmp/vemo-cups.XXXXXX)
own_cupsd_pdf_dir=${HOME:-/root}/PDF
own_cupsd_pid=""

own_cupsd_stop() {
    [[ -n "$own_cupsd_pid" ]] && kill "$own_cupsd_pid" 2>/dev/null && wait "$own_cupsd_pid" 2>/dev/null
    own_cupsd_pid=""
}

own_cupsd_cleanup() {
    own_cupsd_stop
    # Only the PDFs this run printed go.
    find "$own_cupsd_pdf_dir" -maxdepth 1 -name '*.pdf' -newer "$own_cupsd_root/started" -delete
    rm -rf "$own_cupsd_root"
}
trap own_cupsd_cleanup EXIT

own_cupsd_start() {
    local root=$own_cupsd_root queue=$1
    chmod 755 "$root"
    mkdir -p "$root"/{conf,spool/tmp,cache,state,log} "$own_cupsd_pdf_dir"
    touch "$root/started"
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
    own_cupsd_pid=$!
    for _ in $(seq 50); do
        lpstat -r 2>/dev/null | grep -q "is running" && break
        sleep 0.2
    done
    lpadmin -p "$queue" -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd -E &&
        lpadmin -d "$queue" || { echo "lpadmin failed"; exit 1; }
}
