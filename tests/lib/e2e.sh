# Sourced by the end-to-end scripts. The show always binds UDP port 55550, so
# each run of the real binary gets a private network namespace with its own
# loopback: runs in parallel never collide, and no traffic leaves the machine.
# The X display is reached through its socket file, which works across namespaces.

# in_private_net CMD...: runs CMD with only a fresh, up loopback interface.
in_private_net() {
  unshare --net bash -c 'ip link set lo up && exec "$@"' _ "$@"
}

# Starts a virtual display of this script's own: a full-screen show grabs the
# keyboard, so two shows on one display would take each other's keys.
own_display() {
  source "$(dirname "${BASH_SOURCE[0]}")/../../tools/xvfb.sh"
  start_virtual_display
}

fail() { echo "FAIL: $*" >&2; exit 1; }
