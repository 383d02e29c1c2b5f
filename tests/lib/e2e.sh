# Sourced by the end-to-end scripts: the virtual display, the private network,
# bounded waits, the show's readiness and its sky. The show always binds UDP
# port 55550, so each run of the real binary gets a private network namespace
# with its own loopback: runs in parallel never collide, and no traffic leaves
# the machine. The X display is reached through its socket file, which works
# across namespaces. Clean-up goes through on_exit, whose handlers add up.
E2E_LIB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$E2E_LIB/exit-handlers.sh"
source "$E2E_LIB/display.sh"

# The show's window caption, exactly.
SHOW_CAPTION="SDL - Driftmeadow v1.0"

# The three skies of the show's looks, as patterns for the colours that
# ImageMagick's histogram prints: no input, input 2 held, input 0 held.
SKY_BLUE='204,217,255'
SKY_YELLOW='255,250,51'
SKY_GREY='17[89],17[89],204'

fail() { echo "FAIL: $*" >&2; exit 1; }

# in_private_net CMD...: runs CMD with only a fresh, up loopback interface.
# CMD may be a shell function: it then runs in a fresh bash that has this
# library and every function of the caller, but none of its variables (pass
# them as arguments) and none of its clean-up handlers.
in_private_net() {
  if declare -F "$1" >/dev/null; then
    unshare --net bash -c 'ip link set lo up && source "$0" && eval "$1" && shift && "$@"' \
      "$E2E_LIB/e2e.sh" "$(declare -f)" "$@"
  else
    unshare --net bash -c 'ip link set lo up && exec "$@"' _ "$@"
  fi
}

# own_display [WxH[xD]] [XVFB ARGS...]: a virtual display of this script's
# own (a full-screen show grabs the keyboard, so two shows on one display
# would take each other's keys), ended when the script exits.
own_display() {
  start_virtual_display "$@"
}

# make_work_dir: sets $work to a fresh folder, removed when the script exits.
make_work_dir() {
  work=$(mktemp -d)
  on_exit "rm -rf '$work'"
}

# wait_for [--every STEP] SECONDS CMD...: runs CMD (a command, or a function,
# which runs in this shell and may set variables) every STEP seconds (a tenth
# unless given) until it succeeds (0) or SECONDS (whole) have passed (1).
# Costly checks, such as screenshots, take a longer step.
wait_for() {
  local step=0.1
  if [ "$1" = --every ]; then
    step=$2
    shift 2
  fi
  # Microseconds since the epoch, read from the clock each time.
  local end=$((${EPOCHREALTIME/[.,]/} + $1 * 1000000))
  shift
  while true; do
    "$@" && return 0
    [ "${EPOCHREALTIME/[.,]/}" -ge $end ] && return 1
    sleep "$step"
  done
}

# show_window_open: a window with the show's caption is on the display.
show_window_open() {
  xwininfo -root -tree 2>/dev/null | grep -qF "\"$SHOW_CAPTION\""
}

# show_ready LOG: the show has its window and has loaded its last picture
# (its console in LOG), so the next thing it does is draw frames.
show_ready() {
  show_window_open && grep -q 'Image: Loaded file "images/cloudz/cloud06.bmp"' "$1" 2>/dev/null
}

# wait_show_ready LOG [SECONDS]: show_ready, waited for (20 s by default).
wait_show_ready() {
  wait_for "${2:-20}" show_ready "$1"
}

# hold_escape: Escape pressed long enough for a busy show to see it.
hold_escape() {
  xdotool keydown Escape
  sleep 0.3
  xdotool keyup Escape
}

# screenshot FILE: the whole display as a PNG.
screenshot() {
  import -window root "$1" 2>/dev/null
}

# colour_count PNG PATTERN [GEOMETRY]: pixels whose colour matches PATTERN
# ("R,G,B" with regex parts) in a region of PNG (the top 120 rows of an
# 800-wide picture unless given).
colour_count() {
  convert "$1" -crop "${3:-800x120+0+0}" +repage -format %c histogram:info:- |
    grep -E "\(($2)\)" | awk '{ n += $1 } END { print n + 0 }'
}

# sky_is PNG WANTED [OTHER...]: many pixels of the wanted sky at the top of
# PNG, none of the others.
sky_is() {
  local png=$1 wanted=$2 other
  shift 2
  [ "$(colour_count "$png" "$wanted")" -gt 2000 ] || return 1
  for other in "$@"; do
    [ "$(colour_count "$png" "$other")" -eq 0 ] || return 1
  done
}

# screen_sky_is WANTED [OTHER...]: sky_is on a fresh screenshot (in $work).
screen_sky_is() {
  screenshot "$work/shot.png" && sky_is "$work/shot.png" "$@"
}

# start_show LOG [ARGS...]: the show ($BIN) in a private network of its own,
# its standard output in LOG and standard error in LOG.err; $show is its
# process (through timeout, which passes signals on). End it with end_show.
start_show() {
  local log=$1
  shift
  unshare --net bash -c 'ip link set lo up && exec "$@"' _ timeout 120 "$BIN" "$@" >"$log" 2>"$log.err" &
  show=$!
  on_exit "kill $show 2>/dev/null"
}

# to_show ARGS...: oscsend ARGS to the show's port, inside its network.
to_show() {
  nsenter -t "$show" -n oscsend 127.0.0.1 55550 "$@"
}

# end_show: a quit event (SIGTERM) ends the show; its exit code is in $rc.
end_show() {
  kill -TERM "$show"
  wait "$show"
  rc=$?
}

# least_address_space CMD...: the least address-space limit (ulimit -v, KiB,
# to 2 MiB) under which CMD still exits 0, found by halving: the mapped
# libraries' share, against which a test sets limits that leave a program
# short of memory at some later step, whatever the libraries weigh.
least_address_space() {
  local lo=1024 hi=4194304 mid
  while [ $((hi - lo)) -gt 2048 ]; do
    mid=$(((lo + hi) / 2))
    if (ulimit -v $mid; exec "$@") >/dev/null 2>&1; then hi=$mid; else lo=$mid; fi
  done
  echo $hi
}

# sanitized PROGRAM: PROGRAM carries a sanitizer's run time, which needs
# address space and descriptors of its own: limits on either (ulimit -v, -n)
# test the sanitizer then, not the program.
sanitized() {
  # The whole list first: grep -q leaving early would end ldd by SIGPIPE,
  # which a caller's pipefail counts as a failure.
  local libraries
  libraries=$(ldd "$1" 2>/dev/null)
  [[ $libraries == *libasan* || $libraries == *libtsan* || $libraries == *libubsan* ]]
}
