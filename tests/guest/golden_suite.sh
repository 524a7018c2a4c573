#!/usr/bin/env bash
# The golden suite in the emulated PC: the i686 host and plug-in draw each golden scenario not marked
# heavy on softpipe, and each frame must equal the i686 set pixel for pixel; one "PASS golden-NAME" /
# "FAIL golden-NAME: reason" line a scenario. The heavy rows are checked where 32-bit programs run.
#
#   golden_suite.sh BIN_DIR    BIN_DIR holds smearscope-host.exe and vis_Smearscope.dll (i686)
# Environment: WINE (the Wine loader, default wine), OUT (each run's folder is kept under $OUT/golden),
# SMEARSCOPE_CASES (a regular expression on "golden-NAME"). Exit status 1 on any failure.
set -uo pipefail
[ $# = 1 ] || { sed -n '2,8p' "$0" >&2; exit 2; }
goldens=$(cd "$(dirname "$0")/../goldens" && pwd)
exec python3 "$(dirname "$0")/golden_cases.py" --light "$1" "$goldens/scenarios.txt" "$goldens/i686"
