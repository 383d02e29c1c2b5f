# Sourced: clean-up handlers that add up. Each `on_exit CMD` adds CMD to the
# ones the shell runs when it exits, newest first, instead of replacing the
# EXIT trap of whoever sourced this file. Sourcing it twice keeps the list.

# on_exit CMD: runs CMD (a string, evaluated) when this shell exits.
on_exit() {
  EXIT_HANDLERS=("$1" "${EXIT_HANDLERS[@]}")
  trap run_exit_handlers EXIT
}

run_exit_handlers() {
  local handler
  for handler in "${EXIT_HANDLERS[@]}"; do
    eval "$handler" || true
  done
  EXIT_HANDLERS=()
}

declare -p EXIT_HANDLERS >/dev/null 2>&1 || EXIT_HANDLERS=()
