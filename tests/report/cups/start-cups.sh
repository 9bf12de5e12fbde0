#!/usr/bin/env bash
# Starts a private CUPS server for the print tests:
#
#   start-cups.sh SCRATCH_DIR
#
# The server listens only on SCRATCH_DIR/run/cups.sock and has one queue, "kx": the generic PDF
# driver writing each job to SCRATCH_DIR/out/job.pdf (each job replaces the file; A4 unless a job
# says otherwise), so the printed text can be read back with pdftotext. stop-cups.sh stops it and
# removes what this script made.
#
# cupsd runs its filters as user lp, which must be able to reach the queue's driver and the spooled
# jobs. SCRATCH_DIR may lie where lp cannot go (a build tree in root's 0700 home, a mktemp -d
# folder), so the server's files live in a folder of their own under /tmp, readable and traversable
# by everyone; SCRATCH_DIR keeps the socket, the PID, the daemon and links to that folder.
#
# The daemon runs from a copy in SCRATCH_DIR: AppArmor profiles attach by path, and Debian's profile
# for /usr/sbin/cupsd would confine a private server to the system's CUPS folders.
#
# Where no CUPS server can run, the script writes the reason to SCRATCH_DIR/unavailable and
# succeeds, and the print tests check Qt's own PDF output instead and say so; with
# KODEXA_REQUIRE_CUPS=1 (the test command sets it) it fails instead.
set -euo pipefail
scratch=${1:?usage: start-cups.sh SCRATCH_DIR}
here=$(cd "$(dirname "$0")" && pwd)

"$here/stop-cups.sh" "$scratch" >/dev/null 2>&1 || true
rm -rf "$scratch"
mkdir -p "$scratch"/{run,bin}
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

server=$(mktemp -d "${TMPDIR:-/tmp}/kodexa-cups.XXXXXXXX") || unavailable "no folder for the server under ${TMPDIR:-/tmp}"
echo "$server" >"$scratch/run/server-dir"
chmod 0755 "$server"
mkdir -p "$server"/{etc/ppd,spool/tmp,cache,log,out}
ln -s "$server/out" "$scratch/out"
ln -s "$server/log" "$scratch/log"
# Every folder above the server's must let lp pass; /tmp does, a TMPDIR of the user's may not.
folder=$server
while [ "$folder" != / ]; do
    folder=$(dirname "$folder")
    [ "$(stat -c %A "$folder" | cut -c10)" != - ] ||
        unavailable "user lp cannot reach $server: $folder is closed to others (set TMPDIR to an open folder)"
done

cp "$cupsd" "$scratch/bin/cupsd"

cat >"$server/etc/cups-files.conf" <<CONF
ServerRoot $server/etc
RequestRoot $server/spool
TempDir $server/spool/tmp
CacheDir $server/cache
StateDir $scratch/run
AccessLog $server/log/access_log
ErrorLog $server/log/error_log
PageLog $server/log/page_log
Printcap $scratch/run/printcap
ServerBin /usr/lib/cups
DataDir /usr/share/cups
SystemGroup root
FileDevice Yes
CONF
cat >"$server/etc/cupsd.conf" <<CONF
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

"$scratch/bin/cupsd" -f -c "$server/etc/cupsd.conf" -s "$server/etc/cups-files.conf" \
    >>"$server/log/cupsd.out" 2>&1 &
echo $! >"$scratch/run/cupsd.pid"

export CUPS_SERVER=$socket
for _ in $(seq 100); do
    if lpstat -r 2>/dev/null | grep -q "is running"; then
        break
    fi
    if ! kill -0 "$(cat "$scratch/run/cupsd.pid")" 2>/dev/null; then
        unavailable "cupsd stopped at once: $(tail -n 3 "$server/log/cupsd.out" "$server/log/error_log" 2>/dev/null | tr '\n' ' ')"
    fi
    sleep 0.1
done
lpstat -r 2>/dev/null | grep -q "is running" || unavailable "cupsd did not answer on $socket"

# lpadmin warns that printer drivers are deprecated; its messages go to the log. The driver
# defaults to Letter, which would scale every job sent without a size.
lpadmin -p kx -E -v "file:$server/out/job.pdf" -P "$ppd" -L "Test Bench" -o PageSize=A4 -o media-default=iso_a4_210x297mm \
    2>>"$server/log/lpadmin.out" ||
    unavailable "lpadmin could not add the PDF queue: $(tail -n 1 "$server/log/lpadmin.out")"
grep -q '^\*DefaultPageSize: A4' "$server/etc/ppd/kx.ppd" || unavailable "the PDF queue did not take A4 as its paper"
cupsenable kx
cupsaccept kx
lpadmin -d kx
echo "start-cups: CUPS_SERVER=$socket, queue kx writes $server/out/job.pdf"
