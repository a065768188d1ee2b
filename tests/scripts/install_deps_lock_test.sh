#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/install-deps.sh while another package manager holds the package system's
# lock: it waits and tries again, gives up after its time, and fails at once on any
# other error. apt-get, dpkg and sudo are stand-ins; apt-get logs its arguments, and its
# update fails $LOCKED_TRIES times with $FAILURE, apt's words for a held lock by default.
#
# usage: install_deps_lock_test.sh SOURCE_DIR WORK_FOLDER
set -eu
script=$1/scripts/install-deps.sh work=$2
rm -rf "$work" && mkdir -p "$work/bin" && cd "$work"
fail() { echo "FAIL: $*: $(cat out apt.log)" >&2; exit 1; }
printf '#!/bin/sh\nexit 1\n' > bin/dpkg-query
printf '#!/bin/sh\necho i386\n' > bin/dpkg
printf '#!/bin/sh\nexec "$@"\n' > bin/sudo
cat > bin/apt-get <<'STAND_IN'
#!/bin/sh
echo "$*" >> apt.log
case "$*" in *update*) [ "$(grep -c update apt.log)" -gt "$LOCKED_TRIES" ] ||
  { echo "E: ${FAILURE:-Could not get lock /var/lib/apt/lists/lock. It is held by process 1}" >&2; exit 100; }
esac
STAND_IN
chmod +x bin/*

# run LOCKED_TRIES WAIT [FAILURE]: the script's output in out, its status in $status.
run() {
  : > apt.log
  status=0
  PATH="$PWD/bin:$PATH" LOCKED_TRIES=$1 LYRABOX_LOCK_WAIT=$2 LYRABOX_LOCK_RETRY=0 \
    FAILURE=${3:-} bash "$script" > out 2>&1 || status=$?
}

run 2 60
[ "$status" -eq 0 ] && [ "$(grep -c 'waiting up to 60 s' out)" -eq 1 ] || fail "a lock held twice was not waited for, once"
[ "$(grep -c update apt.log)" -eq 3 ] && grep -q 'DPkg::Lock::Timeout=60 install' apt.log ||
  fail "expected three updates and an install that waits for dpkg's lock"
run 1000 0
[ "$status" -ne 0 ] && grep -q 'Gave up after 0 s' out || fail "a lock never released was waited for without end"
run 1000 60 "Some index files failed to download."
[ "$status" -ne 0 ] && [ "$(grep -c update apt.log)" -eq 1 ] || fail "another failure was tried again"
echo "install-deps.sh waits for another package manager's lock, and only for that"
