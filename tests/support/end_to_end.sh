# Shared by the end-to-end scripts that run the built programs (sourced, POSIX sh).
# The caller sets $pid while a program of its own runs in the background, so that a
# failure leaves nothing behind.

# The player never asks the real MusicBrainz service from a test.
export LYRABOX_LOOKUP=off

deadline_seconds=60  # generous: the sanitizer build starts slowly

fail() { echo "FAIL: $*" >&2; [ -z "${pid:-}" ] || kill "$pid" 2>/dev/null; exit 1; }

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
