#!/bin/bash
# PID 1 of the emulated PC: mounts what a minimal system needs, then either makes the Wine prefix
# (first boot) or unpacks the payload, runs its run.sh and packs $OUT back; then powers off.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root USER=root LANG=C.UTF-8
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev 2>/dev/null
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
for d in /tmp /run /dev/shm; do mount -t tmpfs tmpfs "$d"; done

export WINEPREFIX=/opt/smearscope/wineprefix WINEARCH=win32 WINE=/usr/lib/wine/wine
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

power_off() {
  wineserver -k >/dev/null 2>&1
  sync
  # NOTE: a journal left dirty here would be read wrongly by debugfs on the host.
  mount -o remount,ro / 2>/dev/null
  echo 1 >/proc/sys/kernel/sysrq
  echo o >/proc/sysrq-trigger
  sleep 60
}

start_xvfb() {
  Xvfb :1 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  # Emulated, the server may take long to start; wait on its socket, bounded, and say when it never came.
  local deadline=$((SECONDS + 300))
  while [ ! -e /tmp/.X11-unix/X1 ] && [ $SECONDS -lt $deadline ]; do sleep 0.2; done
  [ -e /tmp/.X11-unix/X1 ] || echo "smearscope-init: Xvfb :1 made no socket within 300 s"
  export DISPLAY=:1
}

mode=$(sed -n 's/.*smearscope_mode=\([a-z]*\).*/\1/p' /proc/cmdline)
echo "smearscope-init: mode $mode, $(nproc) CPUs, up $(cut -d' ' -f1 /proc/uptime) s"
start_xvfb
if [ "$mode" = prepare ]; then
  mkdir -p "${WINEPREFIX%/*}"
  "$WINE" wineboot -i >/dev/null 2>&1 </dev/null
  reg() { "$WINE" reg add "$@" /f >/dev/null 2>&1 </dev/null; }
  # The same settings as the prefix the tests make outside.
  reg 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N
  reg 'HKCU\Software\Wine\Fonts\Replacements' /v times /t REG_SZ /d 'Liberation Serif'
  reg 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /t REG_SZ /d 'Liberation Serif'
  # NOTE: a crash otherwise waits forever on a dialog that nobody sees.
  reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
  wineserver -w
  grep -q ShowCrashDialog "$WINEPREFIX/user.reg" && echo SMEARSCOPE-PREFIX-READY
  echo "smearscope-init: prefix done at $(cut -d' ' -f1 /proc/uptime) s"
  power_off
fi

# The payload arrives as a tar archive on the second disk; $OUT leaves as one on the third.
mkdir -p /tmp/payload /tmp/out
tar -xf /dev/vdb -C /tmp/payload || echo "smearscope-init: the payload did not unpack"
export OUT=/tmp/out PAYLOAD=/tmp/payload
# NOTE: Wine's services start with the first process; start them once, off the suite's pipes.
(wineserver -p >/dev/null 2>&1 </dev/null &)
"$WINE" cmd /c exit >/dev/null 2>&1 </dev/null
echo "smearscope-init: running run.sh at $(cut -d' ' -f1 /proc/uptime) s"
(cd /tmp/payload && bash ./run.sh)
status=$?
tar -cf /dev/vdc -C /tmp/out . || echo "smearscope-init: the results did not fit"
echo "SMEARSCOPE-RUN-STATUS=$status at $(cut -d' ' -f1 /proc/uptime) s"
power_off
