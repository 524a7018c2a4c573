#!/usr/bin/env bash
# The product suite: the i686 host drives the i686 plug-in under wine32 (in the emulated PC, or
# directly where the kernel runs 32-bit programs); one "PASS name" / "FAIL name: reason" line a case.
#
#   product_suite.sh BIN_DIR    BIN_DIR holds smearscope-host.exe and vis_Smearscope.dll
# Environment: WINE (the Wine loader, default wine), OUT (each case's folder is kept under
# $OUT/product), SMEARSCOPE_REFERENCE (the x86_64 twin's frames for the same cases, made outside
# with `product_cases.py --reference`; the i686 frames must equal them pixel for pixel),
# SMEARSCOPE_CASES (a regular expression naming the cases to run). Exit status 1 on any failure.
set -uo pipefail
[ $# = 1 ] || { sed -n '2,10p' "$0" >&2; exit 2; }
exec python3 "$(dirname "$0")/product_cases.py" "$1"
