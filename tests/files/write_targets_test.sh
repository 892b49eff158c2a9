#!/usr/bin/env bash
# Plots and PDF protocols written into each kind of target, one group per
# kind and a row per writer: a full disk (a small tmpfs), a FIFO with a
# reader, a link to a file, a link to a device (made with mknod in the
# temporary folder, never the machine's own /dev), standard output, a
# folder. Only the output asked for may change: an older file stays whole
# on a failure, FIFOs, devices and links stay, no temporary file is left.
#
# Usage: write_targets_test.sh path/to/elprops-cli
set -uo pipefail

# As root, the whole test runs in a mount namespace of its own, where it
# may mount small file systems.
if [ "$(id -u)" -eq 0 ] && [ -z "${ELPROPS_OWN_MOUNTS-}" ] && unshare -m true 2>/dev/null; then
  ELPROPS_OWN_MOUNTS=1 exec unshare -m --propagation private "$0" "$@"
fi

cli=$1
work=$(mktemp -d)
trap 'umount -q "$work"/full_disk-* 2>/dev/null; rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 SOURCE_DATE_EPOCH=1796738709
printf 'substance,concentration,temperature\n' >"$work/points.csv"
for i in $(seq 300); do echo "NaCl,0.$((i % 25 + 10)),$((i % 90 + 5))"; done >>"$work/points.csv"

WRITERS=(plot-svg plot-pdf plot-png protocol-pdf)
# write WRITER TARGET: the writer's exit status in $status, its messages in
# $work/err.
write() {
  status=0
  case $1 in
    plot-*) "$cli" plot -s NaCl -p all -t 1:100:0.05 -c 0.1 -c 0.2 --format "${1#plot-}" -o "$2" ;;
    protocol-pdf) "$cli" protocol "$work/points.csv" --pdf "$2" ;;
  esac 2>"$work/err" || status=$?
}

# A whole picture or PDF, not a piece of one.
complete() {
  case $2 in
    svg) tail -c 16 "$1" | grep -q '</svg>' ;;
    pdf) head -c 5 "$1" | grep -q '^%PDF-' && tail -c 8 "$1" | grep -q '%%EOF' ;;
    png) [ "$(tail -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 49454e44ae426082 ] ;;
  esac
}
says() { grep -qF -- "$1" "$work/err" || why "no '$1' in: $(cat "$work/err")"; }
why() { echo "  $*" >&2 && return 1; }
only() { [ "$(ls -A "$1")" = "$2" ] || why "in $1: $(ls -A "$1" | tr '\n' ' ')"; }

full_disk() { # a good file on a full disk stays as it was
  [ "$(id -u)" -eq 0 ] && mount -t tmpfs -o size=16k tmpfs "$d" 2>/dev/null || return 77
  head -c 4000 /dev/zero | tr '\0' g >"$d/x.$e"
  write "$1" "$d/x.$e"
  [ "$status" = 2 ] || why "exit $status"
  says 'No space left on device' && [ "$(tr -d g <"$d/x.$e" | wc -c)" = 0 ] && [ "$(wc -c <"$d/x.$e")" = 4000 ] &&
    only "$d" "x.$e"
}

fifo() { # written in place for its reader
  local reader
  mkfifo "$d/x.$e"
  timeout 20 cat "$d/x.$e" >"$d.got" &
  reader=$!
  write "$1" "$d/x.$e"
  [ -p "$d/x.$e" ] || { kill "$reader"; why "the FIFO was replaced"; }
  wait "$reader" || why "the reader did not get to the end"
  [ "$status" = 0 ] && complete "$d.got" "$e" && only "$d" "x.$e"
}

link_to_file() { # the file the link names is replaced beside itself, keeping its owner and mode
  local kept
  mkdir -p "$d/links" "$d/files" && echo older >"$d/files/x.$e" && ln -s "../files/x.$e" "$d/links/x.$e"
  chmod 640 "$d/files/x.$e" && { [ "$(id -u)" -ne 0 ] || chown 4321:4321 "$d/files/x.$e"; }
  kept=$(stat -c '%u %g %a' "$d/files/x.$e")
  write "$1" "$d/links/x.$e"
  [ "$status" = 0 ] || why "exit $status: $(cat "$work/err")"
  [ "$(stat -c '%u %g %a' "$d/files/x.$e")" = "$kept" ] || why "owner and mode: $(stat -c '%u %g %a' "$d/files/x.$e")"
  [ "$(readlink "$d/links/x.$e")" = "../files/x.$e" ] && complete "$d/files/x.$e" "$e" &&
    only "$d/links" "x.$e" && only "$d/files" "x.$e"
}

link_to_device() { # written in place, never replaced; a full device is an error
  mknod "$d/null" c 1 3 2>/dev/null && mknod "$d/full" c 1 7 && echo >"$d/null" 2>/dev/null || return 77
  ln -s null "$d/null.$e" && ln -s full "$d/full.$e"
  write "$1" "$d/null.$e"
  [ "$status" = 0 ] || why "null: exit $status: $(cat "$work/err")"
  write "$1" "$d/full.$e"
  [ "$status" = 2 ] && says 'No space left on device' || why "full: exit $status"
  [ -c "$d/null" ] && [ -c "$d/full" ] && [ -L "$d/null.$e" ] && [ -L "$d/full.$e" ] || why "a device was replaced"
}

standard_output() { # "-" and links to the open standard output, into a file and a pipe
  local to
  ln -s /proc/self/fd/1 "$d/out.$e"
  for to in file pipe; do
    for name in - "$d/out.$e"; do
      if [ $to = file ]; then
        write "$1" "$name" >"$d/got"
      else
        { write "$1" "$name" && echo "$status" >"$d/status"; } | cat >"$d/got"
        status=$(cat "$d/status" && rm "$d/status")
      fi
      [ "$status" = 0 ] && complete "$d/got" "$e" || why "$name into a $to: exit $status: $(cat "$work/err")"
    done
  done
  [ -L "$d/out.$e" ] && only "$d" "got"$'\n'"out.$e"
}

folder() { # refused, and left as it was
  mkdir -p "$d/x.$e" && touch "$d/x.$e/keep" && ln -s "x.$e" "$d/link.$e"
  for target in "$d/x.$e" "$d/link.$e"; do
    write "$1" "$target"
    [ "$status" = 2 ] && says 'Is a directory' || why "$target: exit $status"
  done
  only "$d/x.$e" keep && [ -L "$d/link.$e" ] && only "$d" "link.$e"$'\n'"x.$e"
}

passed=0 failed=0 skipped=0
for group in full_disk fifo link_to_file link_to_device standard_output folder; do
  for writer in "${WRITERS[@]}"; do
    e=${writer##*-} d=$work/$group-$writer # the extension and a folder of the row's own
    (
      set -e
      mkdir "$d"
      $group "$writer"
    )
    case $? in
      0) passed=$((passed + 1)) ;;
      77) skipped=$((skipped + 1)) && echo "skip: $group $writer (needs root, a tmpfs or device files)" ;;
      *) failed=$((failed + 1)) && echo "FAIL: $group $writer" ;;
    esac
  done
done
echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
