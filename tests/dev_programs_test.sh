#!/usr/bin/env bash
# The developer programs' options: --help answers with exit code 0 (and
# make_pictures no longer takes it for its folder); a bad value (no number,
# infinite, not positive, out of range, a host that cannot be looked up or
# is written the old way, a surplus argument) is one line on standard error
# naming it and exit code 2, before anything runs (no display is needed to
# see that). osc_flood counts the sends the system refuses (nobody listens)
# as failures, not as sent. All in a private network.
set -euo pipefail
BUILD=${2:?build directory}
source tests/lib/e2e.sh
make_work_dir

# refused PROGRAM NAMED ARGS...: exit 2, one line on stderr containing NAMED.
refused() {
  local program=$1 named=$2 rc=0
  shift 2
  (cd "$work" && unset DISPLAY && in_private_net timeout 10 "$BUILD/$program" "$@") </dev/null >"$work/out" 2>"$work/err" || rc=$?
  [ "$rc" -eq 2 ] && [ "$(wc -l <"$work/err")" -eq 1 ] && grep -qF -- "$named" "$work/err" && [ ! -s "$work/out" ] ||
    fail "$program $*: exit $rc, stderr: $(cat "$work/err")"
}
refused osc_flood "'inf'" --rate inf
refused osc_flood "'0'" --rate 0
refused osc_flood "'1e-20'" --look-period 1e-20
refused osc_flood "'nan'" --seconds nan
refused osc_flood "'2'" --malformed-share 2
refused osc_flood "nosuchhost.invalid" --host nosuchhost.invalid
refused osc_flood "127.0.0.010" --host 127.0.0.010
refused frame_bench "abc" abc
refused frame_bench "--rounds" 1 0
refused frame_bench "-1" -1 1
refused frame_bench "3" 1 2 3
refused render_bench "--rounds" 1 0
refused render_bench "-1" -1 1
refused osc_bench "x" x
refused audio_bench "'inf'" --minutes inf
refused audio_bench "'-1'" --minutes -1
refused make_pictures "folder"
refused make_pictures "b" a b

for program in osc_flood frame_bench render_bench osc_bench audio_bench make_pictures; do
  (cd "$work" && env -u DISPLAY "$BUILD/$program" --help) >"$work/out" 2>&1 || fail "$program --help: $(cat "$work/out")"
  grep -q "^Usage: $program" "$work/out" || fail "$program --help: $(cat "$work/out")"
done
[ ! -e "$work/--help" ] || fail "make_pictures --help made a folder named --help"
echo "ok: bad options refused, --help answered"

# Nobody listens on the port: refused sends are counted apart, exit 1.
rc=0
in_private_net "$BUILD/osc_flood" --seconds 0.3 --rate 100 --port 9 >"$work/out" 2>"$work/err" || rc=$?
sent=$(sed -n 's/^datagrams: //p' "$work/out")
refusals=$(sed -n 's/^refused sends: //p' "$work/out")
[ "$rc" -eq 1 ] && [ "${refusals:-0}" -gt 0 ] &&
  grep -qx "osc_flood: $refusals of $((sent + refusals)) sends refused, the first with: Connection refused" "$work/err" ||
  fail "refused sends: exit $rc, $(cat "$work/out" "$work/err")"
echo "ok: osc_flood counted $refusals refused sends apart from $sent sent"
