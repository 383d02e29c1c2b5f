#!/usr/bin/env bash
# Clean-up handlers add up: a script's own, one added by a library sourced
# after them (which sources the handlers again) and a failing one all run at
# exit, newest first, and the script's exit code stays its own.
set -uo pipefail
source "$(dirname "$0")/lib/e2e.sh"
got=$(bash -c '
  source "$0/exit-handlers.sh"
  on_exit "echo first"
  on_exit false
  source "$0/e2e.sh"
  on_exit "echo last"
  exit 3' "$E2E_LIB")
rc=$?
[ "$got" = $'last\nfirst' ] && [ $rc -eq 3 ] || fail "handlers ran as '$got', exit code $rc (expected last, first and 3)"
echo "ok: clean-up handlers add up, newest first, and keep the exit code"
