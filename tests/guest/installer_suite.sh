#!/usr/bin/env bash
# The installer suite: the packaged setup program installs into a made-up player folder found
# through the registry, the host runs the installed plug-in, the installed app its own copy, and the
# uninstaller takes back exactly what was installed; then stand-in Winamp, WACUP and MediaPortal
# installs (32 and 64-bit), silently and through its pages; one "PASS name" / "FAIL name: reason"
# line a case.
#
#   installer_suite.sh BIN_DIR    BIN_DIR holds smearscope-host.exe, smearscope-installer-driver.exe,
#                                 and the smearscope.exe and vis_Smearscope.dll that the setup
#                                 program carries
# Environment: SMEARSCOPE_DIST (the packager's output; without it the suite fails), WINE (the
# Wine loader, default wine), OUT (each case's files are kept under $OUT/installer).
set -uo pipefail
[ $# = 1 ] || { sed -n '2,10p' "$0" >&2; exit 2; }
exec python3 "$(dirname "$0")/installer_cases.py" "$1"
