# A CUPS server of the test's own, sourced by the print tests: its own configuration, spool
# and socket in a temporary folder, and a cups-pdf queue as its default printer, which
# writes its PDFs into $own_cupsd_pdf_dir, a folder of the test's own. The system's CUPS
# configuration and the user's ~/PDF are never touched: cups-pdf reads its settings from a
# fixed path, so the server runs in a mount namespace of its own, where that path shows the
# test's settings. Exits 77 (skipped) when CUPS or cups-pdf is missing, or without the root
# rights that cupsd, the namespace and the cups-pdf backend need.
#   own_cupsd_start QUEUE   starts it; CUPS_SERVER then reaches it, its page log is
#                           $own_cupsd_root/log/page_log
#   own_cupsd_stop          stops it (also done on exit, when its folder goes)

if ! command -v cupsd >/dev/null || ! command -v lpadmin >/dev/null ||
    [[ ! -x /usr/lib/cups/backend/cups-pdf ]]; then
    echo "cups or cups-pdf is not installed; skipped"
    exit 77
fi
if ((EUID != 0)); then
    echo "needs root to start a cupsd and run its cups-pdf backend; skipped"
    exit 77
fi

if ! unshare --mount --propagation private true 2>/dev/null; then
    echo "cannot make a mount namespace for the test's cups-pdf settings; skipped"
    exit 77
fi

own_cupsd_root=$(mktemp -d /tmp/vemo-cups.XXXXXX)
own_cupsd_pdf_dir=$own_cupsd_root/pdf
own_cupsd_pid=""

own_cupsd_stop() {
    [[ -n "$own_cupsd_pid" ]] && kill "$own_cupsd_pid" 2>/dev/null && wait "$own_cupsd_pid" 2>/dev/null
    own_cupsd_pid=""
}

own_cupsd_cleanup() {
    own_cupsd_stop
    rm -rf "$own_cupsd_root"
}
trap own_cupsd_cleanup EXIT

own_cupsd_start() {
    local root=$own_cupsd_root queue=$1
    chmod 755 "$root"
    mkdir -p "$root"/{conf,spool/tmp,cache,state,log,cups-pdf} "$own_cupsd_pdf_dir"
    cat >"$root/conf/cups-pdf.conf" <<CONF
Out $own_cupsd_pdf_dir
Spool $root/cups-pdf
Log $root/log
Grp root
DecodeHexStrings 1
CONF
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
    unshare --mount --propagation private sh -c \
        'mount --bind "$1" /etc/cups/cups-pdf.conf && shift && exec "$@"' sh \
        "$root/conf/cups-pdf.conf" \
        /usr/sbin/cupsd -f -c "$root/conf/cupsd.conf" -s "$root/conf/cups-files.conf" &
    own_cupsd_pid=$!
    for _ in $(seq 50); do
        lpstat -r 2>/dev/null | grep -q "is running" && break
        sleep 0.2
    done
    lpadmin -p "$queue" -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd -E &&
        lpadmin -d "$queue" || { echo "lpadmin failed"; exit 1; }
}
