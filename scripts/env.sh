# Shared by scripts/test and scripts/demo: builds the project and prepares Wine under Xvfb.
# Source it; it defines functions only.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${SMEARSCOPE_BUILD:-$top/build}

# The product is always the i686 build. Two routes test it: "wine32" runs it directly, where this
# machine's kernel runs 32-bit programs; "emulated" runs an x86_64 build of the same sources (the twin)
# under wine64 here and the product in an emulated PC. SMEARSCOPE_ROUTE forces one; the default follows
# the kernel. Prints the architecture the Wine tests run here.
smearscope_runs_32bit() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }
smearscope_run_arch() {
  case "${SMEARSCOPE_ROUTE:-}" in
    emulated) echo x86_64 ;;
    wine32)
      smearscope_runs_32bit && { echo i686; return 0; }
      echo "SMEARSCOPE_ROUTE=wine32: this kernel runs no 32-bit programs (/lib/ld-linux.so.2 does not start); use SMEARSCOPE_ROUTE=emulated or leave it unset" >&2
      return 1 ;;
    '') if smearscope_runs_32bit; then echo i686; else echo x86_64; fi ;;
    *) echo "SMEARSCOPE_ROUTE is '$SMEARSCOPE_ROUTE'; it takes wine32 or emulated" >&2; return 1 ;;
  esac
}
smearscope_route_name() { if [ "$1" = i686 ]; then echo wine32; else echo emulated; fi; }

# $2: ON to build the tests too (only the arch that runs here needs them).
smearscope_build_arch() {
  local arch=$1 tests=${2:-ON}
  cmake -S "$top" -B "$build/$arch" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw.cmake" \
    -DSMEARSCOPE_ARCH="$arch" -DSMEARSCOPE_TESTS="$tests" -DFreeGLUT_DIR="$build/freeglut/$arch/lib/cmake/FreeGLUT" \
    -DKISSFFT_SOURCE_DIR="$(ls -d "$build"/kissfft/src/kissfft-*/ | head -n 1)" >/dev/null
  if ! cmake --build "$build/$arch" -j"$(nproc)" >"$build/$arch/build.log" 2>&1; then
    grep -E -B2 -A8 'error|Error' "$build/$arch/build.log" | head -n 80
    echo "build for $arch failed; see $build/$arch/build.log" >&2
    return 1
  fi
  grep -E 'warning:' "$build/$arch/build.log" | grep -v kissfft | head -n 20 || true
}

# The shipped i686 DLL and the x86_64 twin, each with its tests where they run here: the twin is built
# on both routes, since the product suite compares the i686 frames with its frames.
smearscope_build_product() {
  run_arch=$(smearscope_run_arch)
  if [ "$run_arch" = i686 ]; then smearscope_build_arch i686; else smearscope_build_arch i686 OFF; fi
}

smearscope_build() {
  # NOTE: the set-up comes first: on a fresh machine the 32-bit loader arrives with it.
  bash "$top/scripts/setup" i686 x86_64
  smearscope_build_product
  if [ "$run_arch" = i686 ]; then smearscope_build_arch x86_64 OFF; else smearscope_build_arch x86_64; fi
  bin="$build/$run_arch/bin"
}

# What the emulated PC (or wine32) gets to run the i686 suites or the golden recorder: BIN_DIR's host,
# app and plug-in, the suites and the golden scenarios, and suite.env with the rasteriser and SMEARSCOPE_CASES.
# Usage: smearscope_guest_payload DIR BIN_DIR; the caller adds run.sh and anything else.
smearscope_guest_payload() {
  local payload=$1 bin=$2
  mkdir -p "$payload/bin" "$payload/tests/goldens"
  cp "$bin/smearscope-host.exe" "$bin/smearscope.exe" "$bin/vis_Smearscope.dll" \
    "$bin/smearscope-installer-driver.exe" "$payload/bin/"
  cp -r "$top/tests/guest" "$top/tests/expect" "$payload/tests/"
  cp "$top/tests/goldens/scenarios.txt" "$payload/tests/goldens/"
  printf 'export GALLIUM_DRIVER=%q\n' "${GALLIUM_DRIVER:-softpipe}" >"$payload/suite.env"
  [ -z "${SMEARSCOPE_CASES:-}" ] || printf 'export SMEARSCOPE_CASES=%q\n' "$SMEARSCOPE_CASES" >>"$payload/suite.env"
  [ -z "${SMEARSCOPE_JOBS:-}" ] || printf 'export SMEARSCOPE_JOBS=%q\n' "$SMEARSCOPE_JOBS" >>"$payload/suite.env"
}

# Wine sees the Unix root as drive Z:.
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

# Xvfb of our own on a free display number, stopped when the calling shell exits.
# $1: screen geometry and depth, e.g. 1280x1024x24. Waits (at most 20 s) for the server's socket.
smearscope_start_xvfb() {
  local screen=${1:-1280x1024x24} n
  for n in $(seq 90 140); do
    { [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; } && continue
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    local deadline=$((SECONDS + 20))
    while [ ! -e "/tmp/.X11-unix/X$n" ] && kill -0 "$XVFB_PID" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
    if [ -e "/tmp/.X11-unix/X$n" ]; then export DISPLAY=":$n"; return 0; fi
    # Another server took the number meanwhile (Xvfb ends), or this one hangs: say so, try the next.
    if kill -0 "$XVFB_PID" 2>/dev/null; then
      echo "Xvfb :$n made no socket within 20 s; trying the next display" >&2
      kill "$XVFB_PID" 2>/dev/null || true
    fi
  done
  echo "no free X display in :90 to :140" >&2; return 1
}

smearscope_start_wine() {
  local arch
  if [ "$run_arch" = i686 ]; then
    export WINEPREFIX="$build/wineprefix-i686" WINE=/usr/lib/wine/wine; arch=win32
  else
    export WINEPREFIX="$build/wineprefix-x86_64" WINE=/usr/lib/wine/wine64; arch=win64
  fi
  # NOTE: Wine reads WINEARCH only to make a prefix, and refuses to run a prefix of the other kind
  # while it is set; a shell that starts both archs' sessions must not carry one over.
  unset WINEARCH
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/.smearscope-ready" ]; then
    WINEARCH=$arch "$WINE" wineboot -i >/dev/null 2>&1 </dev/null || true
    # NOTE: without a window manager Wine waits about 2 s whenever a managed window closes.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null
    # NOTE: Wine maps every face to Liberation Sans unless told; "times" should get Times metrics.
    "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v times /t REG_SZ /d 'Liberation Serif' /f >/dev/null 2>&1 </dev/null
    "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /t REG_SZ /d 'Liberation Serif' /f >/dev/null 2>&1 </dev/null
    wineserver -w
    touch "$WINEPREFIX/.smearscope-ready"
  fi
  # NOTE: Wine's services inherit the pipes of the first process; start them detached, else
  # every CTest test waits for them.
  (wineserver -p >/dev/null 2>&1 </dev/null &)
  "$WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
}

smearscope_stop() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
