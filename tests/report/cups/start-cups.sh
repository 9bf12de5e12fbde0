#!/usr/bin/env bash
# Starts a private CUPS server for the print tests, everything under one scratch folder:
#
#   start-cups.sh SCRATCH_DIR
#
# The server listens only on SCRATCH_DIR/run/cups.sock and has one queue, "kx": the generic PDF
# driver writing each job to SCRATCH_DIR/out/job.pdf (each job replaces the file), so the printed
# text can be read back with pdftotext. stop-cups.sh stops it by the PID kept in SCRATCH_DIR/run.
#
# Where no CUPS server can run, the script writes the reason to SCRATCH_DIR/unavailable and
# succeeds, and the print tests check Qt's own PDF output instead and say so; with
# KODEXA_REQUIRE_CUPS=1 (the test command sets it) it fails instead.
set -euo pipefail
scratch=${1:?usage: start-cups.sh SCRATCH_DIR}
here=$(cd "$(dirname "$0")" && pwd)

"$here/stop-cups.sh" "$scratch" >/dev/null 2>&1 || true
rm -rf "$scratch"
mkdir -p "$scratch"/{etc/ppd,spool/tmp,cache,run,log,out}
scratch=$(cd "$scratch" && pwd)
socket=$scratch/run/cups.sock

unavailable() {
    echo "start-cups: no private CUPS server: $1" >&2
    echo "$1" >"$scratch/unavailable"
    if [ "${KODEXA_REQUIRE_CUPS:-0}" = 1 ]; then
        exit 1
    fi
    exit 0
}

cupsd=$(command -v cupsd || true)
[ -n "$cupsd" ] || cupsd=/usr/sbin/cupsd
[ -x "$cupsd" ] || unavailable "cupsd is not installed (Debian: cups)"
for tool in lpadmin lpstat cupsenable cupsaccept; do
    command -v "$tool" >/dev/null || unavailable "$tool is not installed (Debian: cups-client)"
done
ppd=/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd
[ -f "$ppd" ] || unavailable "the generic PDF driver is not installed (Debian: cups-filters)"
# A Unix socket path holds at most 107 bytes.
[ ${#socket} -le 100 ] || unavailable "the socket path $socket is too long"

cat >"$scratch/etc/cups-files.conf" <<CONF
ServerRoot $scratch/etc
RequestRoot $scratch/spool
TempDir $scratch/spool/tmp
CacheDir $scratch/cache
StateDir $scratch/run
AccessLog $scratch/log/access_log
ErrorLog $scratch/log/error_log
PageLog $scratch/log/page_log
Printcap $scratch/run/printcap
ServerBin /usr/lib/cups
DataDir /usr/share/cups
SystemGroup root
FileDevice Yes
CONF
cat >"$scratch/etc/cupsd.conf" <<CONF
Listen $socket
Browsing No
WebInterface No
ErrorPolicy abort-job
DefaultAuthType None
MaxLogSize 0
LogLevel warn
<Location />
  Order allow,deny
  Allow localhost
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF

"$cupsd" -f -c "$scratch/etc/cupsd.conf" -s "$scratch/etc/cups-files.conf" \
    >>"$scratch/log/cupsd.out" 2>&1 &
echo $! >"$scratch/run/cupsd.pid"

export CUPS_SERVER=$socket
for _ in $(seq 100); do
    if lpstat -r 2>/dev/null | grep -q "is running"; then
        break
    fi
    if ! kill -0 "$(cat "$scratch/run/cupsd.pid")" 2>/dev/null; then
        unavailable "cupsd stopped at once: $(tail -n 3 "$scratch/log/cupsd.out" "$scratch/log/error_log" 2>/dev/null | tr '\n' ' ')"
    fi
    sleep 0.1
done
lpstat -r 2>/dev/null | grep -q "is running" || unavailable "cupsd did not answer on $socket"

# lpadmin warns that printer drivers are deprecated; its messages go to the log.
lpadmin -p kx -E -v "file:$scratch/out/job.pdf" -P "$ppd" -L "Test Bench" 2>>"$scratch/log/lpadmin.out" ||
    unavailable "lpadmin could not add the PDF queue: $(tail -n 1 "$scratch/log/lpadmin.out")"
cupsenable kx
cupsaccept kx
lpadmin -d kx
echo "start-cups: CUPS_SERVER=$socket, queue kx writes $scratch/out/job.pdf"
