#!/usr/bin/env bash
# Prints a protocol through a real print system: a private CUPS scheduler
# (its own configuration, spool and socket in a temporary folder; nothing of
# the machine's own print system is touched) with a default queue that
# writes PDF files. The program prints on the default printer as the window
# does; the text of the printed PDF must be the text protocol.
#
# Then printers that cannot take the job, each made the default in turn: a
# queue that refuses jobs (cupsreject), a queue whose device cannot be
# opened, a queue that does not let this user print, the first queue again
# once its device is gone (its earlier, printed job must not pass for the
# new one), and a device that works on the job for a while and then fails
# (the job is still processing when first looked at). None may be reported
# as printed: the protocol goes into the fallback PDF, and the reason is
# told.
#
# Usage: cups_print_test.sh path/to/elprops-cli
set -euo pipefail

cli=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/print_test_lib.sh"
need_tools pdftotext lpadmin lpstat cupsreject
cupsd=/usr/sbin/cupsd
[ -x "$cupsd" ] || { echo "SKIP: $cupsd is not installed" >&2; exit 77; }
ppd=/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd
[ -r "$ppd" ] || { echo "SKIP: $ppd is missing (package cups-filters)" >&2; exit 77; }

# The CUPS tools answer in the user's language ("scheduler is running" is
# translated); their answers are compared in English.
lpstat() { LC_ALL=C command lpstat "$@"; }

work=$(mktemp -d)
chmod 755 "$work"  # the filters run as another user and read the spool
pid=
cleanup() {
  if [ -n "$pid" ]; then
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -p "$work/root" "$work/spool" "$work/cache" "$work/state" "$work/tmp" "$work/log" "$work/out" "$work/home"
chmod 1777 "$work/out" "$work/tmp"
cat >"$work/root/cups-files.conf" <<CONF
FileDevice Yes
ServerRoot $work/root
RequestRoot $work/spool
CacheDir $work/cache
StateDir $work/state
TempDir $work/tmp
AccessLog $work/log/access_log
ErrorLog $work/log/error_log
PageLog $work/log/page_log
SystemGroup root
ServerBin $work/serverbin
CONF
# The system's filters and a backend of the test's own: a device that takes
# the job, works on it for two seconds and then fails.
mkdir -p "$work/serverbin/backend"
for entry in /usr/lib/cups/*; do
  [ "$(basename "$entry")" = backend ] || ln -s "$entry" "$work/serverbin/"
done
cat >"$work/serverbin/backend/failing" <<'BACKEND'
#!/bin/sh
[ $# -eq 0 ] && { echo 'direct failing "Unknown" "Failing test device"'; exit 0; }
cat ${6:+"$6"} >/dev/null
sleep 2
echo "ERROR: the test device broke down" >&2
exit 1
BACKEND
chmod 755 "$work/serverbin/backend/failing"
cat >"$work/root/cupsd.conf" <<CONF
Listen $work/cups.sock
LogLevel info
WebInterface No
Browsing No
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

export CUPS_SERVER=$work/cups.sock
unset PRINTER LPDEST
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
export SOURCE_DATE_EPOCH=1796738709
export QT_QPA_PLATFORM=offscreen

"$cupsd" -f -c "$work/root/cupsd.conf" -s "$work/root/cups-files.conf" &
pid=$!
ready=
for _ in $(seq 100); do
  if [ "$(LC_ALL=C lpstat -r 2>/dev/null)" = "scheduler is running" ]; then ready=1; break; fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$ready" ]; then
  cat "$work/log/error_log" 2>/dev/null >&2 || true
  if [ "$(id -u)" -ne 0 ]; then echo "SKIP: a private CUPS scheduler needs root here" >&2; exit 77; fi
  echo "FAIL: the CUPS scheduler did not start" >&2
  exit 1
fi

queue=elprops_test
lpadmin -p "$queue" -E -v "file://$work/out/printed.pdf" -P "$ppd" -o printer-error-policy=abort-job 2>/dev/null
lpadmin -d "$queue"
[ "$(LC_ALL=C lpstat -d)" = "system default destination: $queue" ] || { echo "FAIL: $queue is not the default" >&2; exit 1; }

write_points "$work/points.csv"
"$cli" protocol "$work/points.csv" >"$work/expected.txt"
status=0
"$cli" protocol "$work/points.csv" --print >"$work/print.out" 2>"$work/print.err" || status=$?
cat "$work/print.err" >&2
[ "$status" -eq 0 ] || { echo "FAIL: elprops-cli protocol --print exited with $status" >&2; exit 1; }
grep -q "printed on $queue" "$work/print.err" || { echo "FAIL: the protocol did not go to $queue" >&2; exit 1; }
[ ! -s "$work/print.out" ] || { echo "FAIL: a fallback PDF was written: $(cat "$work/print.out")" >&2; exit 1; }

# The queue empties when the job is done; only a written file is success
# (a job that could not be written is cancelled silently).
for _ in $(seq 300); do
  [ -z "$(lpstat -o "$queue")" ] && break
  sleep 0.1
done
[ -z "$(lpstat -o "$queue")" ] || { echo "FAIL: the job is still queued" >&2; exit 1; }
if [ ! -s "$work/out/printed.pdf" ]; then
  echo "FAIL: the queue wrote no PDF" >&2
  cat "$work/log/error_log" >&2
  exit 1
fi
pdf_matches_text "$work/out/printed.pdf" "$work/expected.txt" "$work"
echo "PASS: the protocol printed through CUPS ($(wc -l <"$work/expected.txt") lines)"

# expect_fallback QUEUE REASON: with QUEUE the default printer, the protocol
# is not reported as printed but saved as a PDF in the documents folder
# (path on standard output), REASON is told, and nothing is left to print
# on QUEUE later.
expect_fallback() {
  local name=$1 reason=$2 status=0 path
  lpadmin -d "$name"
  rm -rf "$HOME/Documents"
  "$cli" protocol "$work/points.csv" --print >"$work/$name.out" 2>"$work/$name.err" || status=$?
  cat "$work/$name.err" >&2
  [ "$status" -eq 0 ] || { echo "FAIL: $name: elprops-cli protocol --print exited with $status" >&2; exit 1; }
  if grep -q "printed on" "$work/$name.err"; then
    echo "FAIL: $name: reported as printed" >&2
    exit 1
  fi
  text_tool grep -qF -- "$reason" "$work/$name.err" || { echo "FAIL: $name: the reason '$reason' is not told" >&2; exit 1; }
  path=$(cat "$work/$name.out")
  case $path in
    "$HOME"/Documents/elprops-protocol-*.pdf) ;;
    *) echo "FAIL: $name: no fallback PDF in the documents folder: '$path'" >&2; exit 1 ;;
  esac
  pdf_matches_text "$path" "$work/expected.txt" "$work"
  [ -z "$(lpstat -o "$name")" ] || { echo "FAIL: $name: a job is still queued: $(lpstat -o "$name")" >&2; exit 1; }
  echo "PASS: $name: saved as a PDF instead"
}

# Refuses every job: the scheduler answers server-error-not-accepting-jobs.
lpadmin -p refusing -E -v "file://$work/out/refused.pdf" -P "$ppd" 2>/dev/null
cupsreject refusing
expect_fallback refusing "the printer refusing does not accept jobs"
[ ! -e "$work/out/refused.pdf" ] || { echo "FAIL: the refusing queue printed" >&2; exit 1; }

# Takes the job, but its device cannot be opened: the job is stopped.
lpadmin -p broken -E -v "file://$work/no-such-folder/out.pdf" -P "$ppd" -o printer-error-policy=abort-job 2>/dev/null
expect_fallback broken "printing on broken failed"

# Takes no job from this user: no job is created.
lpadmin -p denied -E -v "file://$work/out/denied.pdf" -P "$ppd" -u "deny:$(id -un)" 2>/dev/null
expect_fallback denied "the printer denied did not take the job"
[ ! -e "$work/out/denied.pdf" ] || { echo "FAIL: the denying queue printed" >&2; exit 1; }

# A second print on the first queue, whose device is now gone: the job that
# printed before is not this one.
lpadmin -p "$queue" -v "file://$work/no-such-folder/again.pdf"
expect_fallback "$queue" "printing on $queue failed"

# Still processing when first looked at, then the device fails.
lpadmin -p failing -E -v failing:/device -P "$ppd" -o printer-error-policy=abort-job 2>/dev/null
started=$(date +%s)
expect_fallback failing "the print system aborted job failing-"
[ $(($(date +%s) - started)) -ge 2 ] || { echo "FAIL: failing: the job's end was not waited for" >&2; exit 1; }
