#!/usr/bin/env bash
# driftmeadow-render at the edges of the machine, real processes throughout:
# two renders into one folder (the second refused while the first runs, a
# killed render's unfinished file removed by the next), standard streams
# closed at start (the same PNG bytes), the shader cache's folder on a full
# file system, memory short (ulimit -v: one line and exit 2, never an abort),
# and a start from another folder (the pictures still found).
set -uo pipefail
BUILD=${2:?build directory}
R=$(realpath "$BUILD/driftmeadow-render")
source "$(dirname "$0")/lib/e2e.sh"
make_work_dir
unset DISPLAY
ARGS=(--from 2 --to 2.1 --osc docs/performance.osc --size 200x150)

timeout 120 "$R" "${ARGS[@]}" --out "$work/plain" >/dev/null 2>&1 || fail "plain render: exit code $?"

# Two renders into one folder: while the first holds it, the second is one
# line and exit 2 and writes nothing.
"$R" --from 0 --to 60 --size 64x48 --out "$work/shared" >/dev/null 2>"$work/first.err" &
first=$!
on_exit "kill $first 2>/dev/null"
wait_for 60 test -e "$work/shared/00001.png" || fail "the first render wrote no frame"
timeout 60 "$R" --from 0 --size 64x48 --out "$work/shared" >"$work/second.out" 2>"$work/second.err"
rc=$?
[ "$rc" -eq 2 ] && [ "$(cat "$work/second.err")" = "driftmeadow-render: another render is writing into $work/shared" ] ||
  fail "second render into a folder in use: exit code $rc, '$(cat "$work/second.err")'"
[ ! -s "$work/second.out" ] || fail "the refused render drew something"
kill -KILL $first
{ wait $first; } 2>/dev/null
echo "ok: a second render into a folder in use is refused with one line and exit 2"

# What a render killed while writing leaves: the next render removes it.
touch "$work/shared/00003.png.part" "$work/shared/mine.png.part"
timeout 60 "$R" --from 0 --size 64x48 --out "$work/shared" >/dev/null 2>"$work/next.err" ||
  fail "render after a killed one: exit code $?"
grep -qx "driftmeadow-render: removed 1 unfinished frame file that an interrupted render left in $work/shared" \
  "$work/next.err" || fail "no line on the unfinished frame: $(cat "$work/next.err")"
[ ! -e "$work/shared/00003.png.part" ] && [ -e "$work/shared/mine.png.part" ] ||
  fail "the unfinished frame file was not removed, or another file was"
echo "ok: a killed render's unfinished frame file is removed by the next render, with one line"

# Standard streams closed at start: nothing the renderer opens may take their
# place, so the frames are byte for byte those of a plain render.
for closed in ">&-" ">&- 2>&-" "<&- >&- 2>&-"; do
  eval "timeout 120 \"\$R\" \"\${ARGS[@]}\" --out \"\$work/closed\" $closed"
  rc=$?
  [ "$rc" -eq 0 ] || fail "render with $closed: exit code $rc"
  for f in 00000 00001 00002 00003; do
    cmp -s "$work/plain/$f.png" "$work/closed/$f.png" || fail "render with $closed: $f.png differs"
  done
done
echo "ok: with standard input, output or error closed the frames are those of a plain render"

# The shader cache's folder on a full file system (a private mount).
unshare -m bash -c '
  mount -t tmpfs -o size=512k tmpfs "$1" && mkdir "$1/cache" &&
  { dd if=/dev/zero of="$1/fill" bs=4k 2>/dev/null; true; } &&
  XDG_CACHE_HOME="$1/cache" HOME="$1" timeout 120 "$2" --from 2 --to 2.1 --osc docs/performance.osc \
    --size 200x150 --out "$3" >/dev/null 2>"$3.err"' _ "$(mktemp -d -p "$work")" "$R" "$work/fullcache"
rc=$?
[ "$rc" -eq 0 ] && cmp -s "$work/plain/00003.png" "$work/fullcache/00003.png" ||
  fail "render with the cache folder on a full disk: exit code $rc, $(cat "$work/fullcache.err")"
echo "ok: with the shader cache's folder on a full file system the render completes"

# Memory short: across a range of limits above what the libraries take, the
# render completes or ends with one line and exit 2 (an incomplete stage, an
# allocation or a thread that failed, no GL context), or the driver's own
# crash or LLVM's abort; never our abort. The layout is made steady: one malloc arena, no
# rasteriser threads, no address randomisation.
if sanitized "$R"; then
  echo "ok: memory short (ulimit -v): skipped, the sanitizer's run time needs address space of its own"
else
  steady=(env GLIBC_TUNABLES=glibc.malloc.arena_max=1 LP_NUM_THREADS=0 setarch -R)
  base=$(least_address_space "${steady[@]}" "$R" --help)
  refused=0
  for v in $(seq $((base + 150000)) 10000 $((base + 300000))); do
    { (ulimit -v $v; exec "${steady[@]}" timeout 60 "$R" --from 0 --out "$work/short" \
      >"$work/short.out" 2>"$work/short.err"); } 2>/dev/null
    rc=$?
    last=$(tail -1 "$work/short.err")
    ! grep -q "terminate called\|what():" "$work/short.err" || fail "ulimit -v $v: an abort: $(cat "$work/short.err")"
    case "$last" in
      "OpenGL FBO error: "* | "driftmeadow-render: out of memory" | "driftmeadow-render: no off-screen OpenGL context: "* | \
      "driftmeadow-render: cannot start a thread: "*)
        [ "$rc" -eq 2 ] || fail "ulimit -v $v: exit code $rc, $(cat "$work/short.err")"
        refused=$((refused + 1)) ;;
    esac
  done
  [ $refused -gt 0 ] || fail "no limit from $((base + 150000)) KiB on left the render short of memory"
  echo "ok: memory short, the render ends with one line and exit 2 ($refused of 16 limits), never our abort"
fi

# From another folder the pictures are still found; the load lines keep
# their names.
(cd "$work" && timeout 120 "$R" --from 0 --size 64x48 --out elsewhere >elsewhere.out 2>elsewhere.err) ||
  fail "render from another folder: $(cat "$work/elsewhere.err")"
grep -qx 'Image: Loaded file "images/floor01.jpg", 24 bpp' "$work/elsewhere.out" ||
  fail "render from another folder: $(head -5 "$work/elsewhere.out")"
echo "ok: a render started from another folder finds its pictures"
