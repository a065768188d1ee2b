# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the end-to-end scripts that run the built programs (sourced, POSIX sh).
# The caller sets $pid while a program of its own runs in the background, so that a
# failure leaves nothing behind, and may define on_failure to keep what helps to see
# why (a picture of the screen).

# The player never asks the real MusicBrainz service from a test.
export LYRABOX_LOOKUP=off

deadline_seconds=60  # generous: the sanitizer build and Wine start slowly

fail() {
  echo "FAIL: $*" >&2
  if type on_failure > /dev/null 2>&1; then on_failure; fi
  [ -z "${pid:-}" ] || kill "$pid" 2>/dev/null
  exit 1
}

# wait_until WHAT COMMAND...: waits until COMMAND succeeds (it looks at a file or a
# process the test started); fails after the deadline.
wait_until() {
  what=$1; shift
  tries=$((deadline_seconds * 20))
  while ! "$@" 2>/dev/null; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || fail "gave up waiting for $what"
    sleep 0.05
  done
}

# logged FILE LINE [LATER]: FILE has a line that matches LINE (a basic regular
# expression), and, with LATER, one that matches LATER at or after it.
logged() { sed -n "/$2/,\$p" "$1" 2>/dev/null | grep -q -- "${3:-$2}"; }

# ended_with STATUS: waits for the program $pid to end; fails unless it ended with STATUS.
ended_with() {
  wait_until "the program to end" program_ended
  status=0
  wait "$pid" || status=$?
  pid=
  [ "$status" = "$1" ] || fail "the program ended with status $status, not $1"
}
program_ended() { ! kill -0 "$pid"; }

# own_display_and_bus FOLDER: a virtual display (Xvfb) and a session bus of the
# script's own, with DISPLAY and DBUS_SESSION_BUS_ADDRESS exported for the programs it
# starts; both end with the script, as do the processes whose ids the script adds to
# $ended_at_exit.
own_display_and_bus() {
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$1/display" 2>/dev/null &
  ended_at_exit=$!
  bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
  ended_at_exit="$ended_at_exit $(printf '%s\n' "$bus" | sed -n 2p)"
  trap 'kill $ended_at_exit 2>/dev/null || true' EXIT
  wait_until "the virtual display" test -s "$1/display"
  export DISPLAY=":$(cat "$1/display")"
  DBUS_SESSION_BUS_ADDRESS=$(printf '%s\n' "$bus" | sed -n 1p)
  export DBUS_SESSION_BUS_ADDRESS
}
