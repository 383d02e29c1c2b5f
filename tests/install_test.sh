#!/usr/bin/env bash
# The install step: `cmake --install` puts the three programs in PREFIX/bin and
# the pictures in PREFIX/share/driftmeadow/images; an installed copy started
# from another folder finds its own pictures (the source tree's are hidden
# from it by a private mount), the renderer and the show alike.
set -uo pipefail
BIN=${1:?path of the driftmeadow binary}
BUILD=${2:?build directory}
source "$(dirname "$0")/lib/e2e.sh"
own_display
make_work_dir
P=$work/prefix

cmake --install "$BUILD" --prefix "$P" >"$work/install.log" 2>&1 || fail "cmake --install: $(cat "$work/install.log")"
for f in bin/driftmeadow bin/driftmeadow-render bin/driftmeadow-audio share/driftmeadow/images/floor01.jpg \
  share/driftmeadow/images/smoke.png share/driftmeadow/images/cloudz/cloud06.bmp share/driftmeadow/images/sequence/10.jpg; do
  [ -e "$P/$f" ] || fail "not installed: $f"
done
echo "ok: cmake --install puts the programs in bin and the pictures in share/driftmeadow/images"

# in_bare_tree CMD...: CMD from $work with the source tree's pictures hidden.
in_bare_tree() {
  unshare -m --net bash -c 'ip link set lo up && mount -t tmpfs tmpfs "$1/images" && cd "$2" && shift 2 && exec "$@"' \
    _ "$PWD" "$work" "$@"
}

in_bare_tree timeout 120 "$P/bin/driftmeadow-render" --from 0 --size 64x48 --out "$work/frames" \
  >"$work/render.out" 2>"$work/render.err" || fail "installed renderer: $(cat "$work/render.err")"
grep -qx 'Image: Loaded file "images/cloudz/cloud06.bmp", 24 bpp' "$work/render.out" && [ -e "$work/frames/00000.png" ] ||
  fail "installed renderer: $(cat "$work/render.out")"
echo "ok: the installed renderer finds its pictures from another folder, their names as they were"

in_bare_tree timeout 60 "$P/bin/driftmeadow" >"$work/out" 2>"$work/err" &
pid=$!
wait_show_ready "$work/out" 30 || fail "installed show: $(cat "$work/err")"
hold_escape
wait $pid
rc=$?
[ "$rc" -eq 0 ] || fail "installed show: exit code $rc"
echo "ok: the installed show finds its pictures from another folder and ends on Escape with 0"
