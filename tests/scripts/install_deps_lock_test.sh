#!/bin/sh
# scripts/install-deps.sh while another package manager holds the package system's
# lock: it waits and tries again, gives up after its time, and fails at once on any
# other error. apt-get, dpkg and sudo are stand-ins that log their arguments; the
# stand-in apt-get's update meets the lock as often as $LOCKED_TRIES says.
#
# usage: install_deps_lock_test.sh SOURCE_DIR WORK_FOLDER
set -eu
source_dir=$1 work=$2
rm -rf "$work" && mkdir -p "$work/bin"
fail() { echo "FAIL: $*" >&2; exit 1; }
stand_in() { printf '#!/bin/sh\n%s\n' "$2" > "$work/bin/$1" && chmod +x "$work/bin/$1"; }
stand_in dpkg-query 'exit 1'
stand_in dpkg 'echo i386'
stand_in sudo 'exec "$@"'
stand_in apt-get "echo \"\$*\" >> '$work/apt.log'
case \"\$*\" in *update*)
  tries=\$(grep -c update '$work/apt.log')
  if [ \"\$tries\" -le \"\$LOCKED_TRIES\" ]; then
    echo \"E: \${FAILURE:-Could not get lock /var/lib/apt/lists/lock. It is held by process 1 (packagekitd)}\" >&2
    exit 100
  fi;;
esac"

# run LOCKED_TRIES WAIT [FAILURE]: the script's status in $status, its output in out.
run() {
  rm -f "$work/apt.log"
  set +e
  PATH="$work/bin:$PATH" LOCKED_TRIES=$1 LYRABOX_LOCK_WAIT=$2 LYRABOX_LOCK_RETRY=0 FAILURE=${3:-} \
    bash "$source_dir/scripts/install-deps.sh" > "$work/out" 2>&1
  status=$?
  set -e
}

run 2 60
[ "$status" -eq 0 ] || fail "a lock held for two tries was not waited for: $(cat "$work/out")"
[ "$(grep -c 'waiting up to 60 s' "$work/out")" -eq 1 ] || fail "not said once: $(cat "$work/out")"
[ "$(grep -c update "$work/apt.log")" -eq 3 ] && grep -q 'DPkg::Lock::Timeout=60 install' "$work/apt.log" ||
  fail "expected three updates and an install that waits for dpkg's lock: $(cat "$work/apt.log")"

run 1000 0
[ "$status" -ne 0 ] && grep -q 'Gave up after 0 s' "$work/out" || fail "a lock never released was waited for without end"

run 1000 60 "Some index files failed to download."
[ "$status" -ne 0 ] && [ "$(grep -c update "$work/apt.log")" -eq 1 ] || fail "another failure was tried again"
echo "install-deps.sh waits for another package manager's lock, and only for that"
