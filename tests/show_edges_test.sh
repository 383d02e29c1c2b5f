#!/usr/bin/env bash
# The real show at the edges of the machine, on a virtual display in a private
# network: standard output and error closed at start (Escape still ends it
# with 0), the shader cache's folder on a full file system, the descriptor
# limit (ulimit -n) named as the cause, memory short (ulimit -v: an incomplete
# stage or a failed allocation is one line and exit 2, never an abort), a
# missing cloud picture (its fatal line after every load line before it), and
# a start from another folder (the pictures still found).
set -uo pipefail
BIN=$(realpath "${1:?path of the driftmeadow binary}")
source "$(dirname "$0")/lib/e2e.sh"
own_display
make_work_dir

# Output and error closed: the X connection must not take descriptor 1 or 2.
(exec unshare --net bash -c 'ip link set lo up && exec "$@"' _ timeout 60 "$BIN" >&- 2>&-) &
pid=$!
wait_for 30 show_window_open || fail "output and error closed: no window"
wait_for 30 screen_sky_is "$SKY_BLUE" || fail "output and error closed: no frames drawn"
hold_escape
wait $pid
rc=$?
[ "$rc" -eq 0 ] || fail "output and error closed: exit code $rc after Escape (124: it hung)"
echo "ok: with standard output and error closed the show ends on Escape with exit code 0"

# The shader cache's folder on a full file system: frames are drawn.
cache=$(mktemp -d -p "$work")
(exec unshare -m --net bash -c 'ip link set lo up && mount -t tmpfs -o size=512k tmpfs "$1" &&
  mkdir "$1/cache" && { dd if=/dev/zero of="$1/fill" bs=4k 2>/dev/null; true; } &&
  XDG_CACHE_HOME="$1/cache" HOME="$1" exec timeout 60 "$2"' _ "$cache" "$BIN" >"$work/out" 2>"$work/err") &
pid=$!
wait_show_ready "$work/out" 30 || fail "full cache disk: the show did not come up: $(cat "$work/err")"
wait_for 20 screen_sky_is "$SKY_BLUE" || fail "full cache disk: no frames drawn"
hold_escape
wait $pid
rc=$?
[ "$rc" -eq 0 ] || fail "full cache disk: exit code $rc"
echo "ok: with the shader cache's folder on a full file system the show draws and ends with 0"

# Too few descriptors: the line names the limit, whichever step ran out.
# Descriptors the test itself was handed are closed first, as a shell's are.
if sanitized "$BIN"; then
  echo "ok: too few descriptors (ulimit -n): skipped, the sanitizer's run time needs descriptors of its own"
else
  for n in 6 8; do
    unshare --net bash -c 'ip link set lo up || exit
      for fd in $(ls /proc/$$/fd); do [ "$fd" -gt 2 ] && exec {fd}>&-; done
      ulimit -n "$1" && exec timeout 30 "$0"' "$BIN" $n >"$work/out" 2>"$work/err"
    rc=$?
    [ "$rc" -eq 2 ] && grep -q "(ulimit -n)" "$work/err" ||
      fail "ulimit -n $n: exit code $rc, '$(cat "$work/err")'"
  done
  echo "ok: with too few descriptors (ulimit -n 6, 8) the show names the limit and exits with 2"
fi

# Memory short, as in the renderer's test: a steady layout, a range of limits
# above what the show's libraries take. Each run ends with one line and exit
# 2 (an incomplete stage, a failed allocation), or in the X library's or the
# driver's own failure; never our abort.
if sanitized "$BIN"; then
  echo "ok: memory short (ulimit -v): skipped, the sanitizer's run time needs address space of its own"
else
  steady=(env GLIBC_TUNABLES=glibc.malloc.arena_max=1 LP_NUM_THREADS=0 setarch -R)
  base=$(least_address_space "${steady[@]}" "$BIN" --help)
  refused=0
  for v in $(seq $((base + 225000)) 5000 $((base + 285000))); do
    { (ulimit -v $v; exec "${steady[@]}" unshare --net bash -c 'ip link set lo up && exec timeout 10 "$0"' "$BIN" \
      >"$work/out" 2>"$work/err"); } 2>/dev/null
    rc=$?
    ! grep -q "terminate called\|what():" "$work/err" || fail "ulimit -v $v: an abort: $(cat "$work/err")"
    case "$(tail -1 "$work/err")" in
      "OpenGL FBO error: "* | "Out of memory")
        [ "$rc" -eq 2 ] || fail "ulimit -v $v: exit code $rc, $(cat "$work/err")"
        refused=$((refused + 1)) ;;
    esac
  done
  [ $refused -gt 0 ] || fail "no limit from $((base + 225000)) KiB on left the show short of memory"
  echo "ok: memory short, the show ends with one line and exit 2 ($refused of 13 limits), never our abort"
fi

# A missing cloud picture, both streams into one pipe: every load line
# printed before the fatal line comes before it.
mkdir -p "$work/cwd" && cp -r images "$work/cwd/" && rm "$work/cwd/images/cloudz/cloud04.bmp"
(cd "$work/cwd" && unshare --net bash -c 'ip link set lo up && exec timeout 30 "$0" 2>&1 | cat' "$BIN" >"$work/both")
tail -1 "$work/both" | grep -qx 'Image: Unable to load file "images/cloudz/cloud04.bmp"' &&
  grep -qx 'Image: Loaded file "images/cloudz/cloud03.bmp", 24 bpp' "$work/both" ||
  fail "missing picture: the fatal line is not the last: $(cat "$work/both")"
echo "ok: a missing picture's fatal line comes after every line printed before it"

# From a folder without pictures the show still finds its own.
(cd "$work" && exec unshare --net bash -c 'ip link set lo up && exec timeout 60 "$0"' "$BIN" \
  >"$work/out" 2>"$work/err") &
pid=$!
wait_show_ready "$work/out" 30 || fail "from another folder: $(cat "$work/err")"
hold_escape
wait $pid
rc=$?
[ "$rc" -eq 0 ] || fail "from another folder: exit code $rc"
echo "ok: the show started from another folder finds its pictures"
