#!/usr/bin/env bash
# The payload's run.sh: the suites named in the file "suites" (tests/guest/NAME_suite.sh) in turn, each
# given the folder of i686 binaries (SMEARSCOPE_DIST names the packager's output when the payload holds
# one). Fails if any suite fails or is missing.
cd "$(dirname "$0")"
# Settings from outside, e.g. SMEARSCOPE_CASES to run some cases only.
[ -f suite.env ] && . ./suite.env
export SMEARSCOPE_REFERENCE=$PWD/reference
[ -d dist ] && export SMEARSCOPE_DIST=$PWD/dist
# The audio server the listening case plays into and listens to, as outside (scripts/pulse-server).
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-/tmp/smearscope-pulse}  # under wine32: the one scripts/test started
[ -f pulse-server ] && { bash pulse-server start || echo "run-suites: the audio server did not start"; }
status=0
for name in $(cat suites); do
  suite=tests/guest/${name}_suite.sh
  [ -f "$suite" ] || { echo "FAIL $name: no suite $suite in the payload"; status=1; continue; }
  started=$(date +%s)
  echo "== $(basename "$suite" .sh)"
  bash "$suite" "$PWD/bin" || status=1
  echo "== $(basename "$suite" .sh) took $(( $(date +%s) - started )) s"
done
exit $status
