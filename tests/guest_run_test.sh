#!/usr/bin/env bash
# scripts/guest-run on a guest that never powers off: it must fail within its timeout (plus qemu's
# kill grace), say why, and print the console's tail. Usage: guest_run_test.sh [TIMEOUT_SECONDS]
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${SMEARSCOPE_BUILD:-$top/build}
limit=${1:-90}
work=$(mktemp -d "$build/guest-hang.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/payload"
printf '#!/bin/bash\necho "run.sh: started, never ending"\nexec sleep 1000000\n' >"$work/payload/run.sh"

started=$(date +%s)
bash "$top/scripts/guest-run" "$work/payload" "$work/out" "$limit" >"$work/stdout" 2>"$work/stderr"
rc=$?
elapsed=$(( $(date +%s) - started ))
failures=()
[ $rc != 0 ] || failures+=("status 0")
# guest-run's own timeout kills qemu 10 s after TERM; the image check before the boot is quick.
[ $elapsed -le $(( limit + 30 )) ] || failures+=("took $elapsed s with a timeout of $limit s")
grep -q 'did not power off within' "$work/stderr" || failures+=("no reason given")
# The tail shows how far the guest got: booted at least (on a busy machine Wine's start-up alone
# can outlast a short timeout).
grep -qE 'smearscope-init: mode run|run.sh: started' "$work/stderr" || failures+=("no console tail from the guest")
if [ ${#failures[@]} = 0 ]; then
  echo "PASS guest-never-powers-off: status $rc after $elapsed s (timeout $limit s)"
else
  echo "FAIL guest-never-powers-off: $(IFS=';'; echo "${failures[*]}"); stderr:"
  cat "$work/stderr"
  exit 1
fi
