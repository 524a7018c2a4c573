#!/usr/bin/env python3
# The golden scenarios (tests/goldens/scenarios.txt) run by a host and plug-in pair under Wine, their
# frames checked against one architecture's recorded set pixel for pixel, or recorded as that set.
#
#   golden_cases.py BIN_DIR SCENARIOS GOLDEN_SET   one "PASS golden-NAME" / "FAIL golden-NAME: reason" a scenario
#   golden_cases.py --record BIN_DIR SCENARIOS GOLDEN_SET
#                                       write the frames as GOLDEN_SET/NAME/frame-NNNNN.png instead
#   golden_cases.py --light BIN_DIR SCENARIOS GOLDEN_SET
#                                       check the rows not marked heavy only, and say which are left
# SCENARIOS is tests/goldens/scenarios.txt, GOLDEN_SET tests/goldens/ARCH. Environment: WINE (default "wine"), OUT (each run's folder is kept
# under $OUT/golden), SMEARSCOPE_CASES (a regular expression on "golden-NAME"), SMEARSCOPE_JOBS (host
# runs at once, default the CPU count). Draws on softpipe: see RASTERISER.
import concurrent.futures
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

from guest_common import frame_difference, winpath

# NOTE: llvmpipe compiles for the CPU it finds, so its last bits follow the CPU: an i686 frame drawn
# in the emulated PC and on a real CPU differed in up to 141,299 pixels. Softpipe is plain compiled C
# (x87 on Debian's i386 Mesa, SSE2 on amd64) and gave the same bits on both, so a set recorded on
# softpipe holds on any machine of the same architecture, and either route can check it.
RASTERISER = "softpipe"
HOST_TIMEOUT = int(os.environ.get("SMEARSCOPE_HOST_TIMEOUT", "1800"))
# How long a run waits for the one before it to come up (see the NOTE in main); a bound, not a pace.
START_TIMEOUT = float(os.environ.get("SMEARSCOPE_START_TIMEOUT", "600"))


def load_scenarios(path):
    """(name, frames, options, heavy) for each row of scenarios.txt: name | frames | host options [| heavy]."""
    scenarios = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            name, frames, options, heavy = (field.strip() for field in (line.split("|", 3) + ["", "", ""])[:4])
            scenarios.append((name, [int(frame) for frame in frames.split(",")], options.split(), heavy == "heavy"))
    return scenarios


def run_scenario(bin_dir, folder, frames, options, up=None):
    """Runs the host for one scenario in a fresh folder; returns an error text, or None. Sets the event
    up once the host has come up (the first line of its log) or ended."""
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    shutil.copy(os.path.join(bin_dir, "vis_Smearscope.dll"), folder)
    log = os.path.join(folder, "log.jsonl")
    command = [os.environ.get("WINE", "wine"), os.path.join(bin_dir, "smearscope-host.exe"),
               "--plugin", winpath(os.path.join(folder, "vis_Smearscope.dll")), "--log", winpath(log),
               "--clock-step", "40", "--no-pause", "--frames", str(max(frames)),
               "--capture", winpath(os.path.join(folder, "capture")),
               "--capture-frames", ",".join(map(str, frames))] + options
    environment = dict(os.environ, GALLIUM_DRIVER=RASTERISER)
    with open(os.path.join(folder, "output.txt"), "wb") as out:
        process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                                   cwd=folder, env=environment)
        deadline = time.monotonic() + HOST_TIMEOUT
        while up is not None and process.poll() is None and time.monotonic() < deadline:
            if os.path.exists(log) and os.path.getsize(log) > 0:
                break
            time.sleep(0.1)
        if up is not None:
            up.set()
        try:
            status = process.wait(timeout=max(1.0, deadline - time.monotonic()))
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            return "the host did not end within %d s" % HOST_TIMEOUT
    if status != 0:
        with open(os.path.join(folder, "output.txt"), "rb") as f:
            tail = f.read().decode("utf-8", "replace").strip().splitlines()[-3:]
        return "the host ended with status %d (see %s): %s" % (status, folder, " / ".join(tail))
    return None


def frame_name(frame):
    return "frame-%05d.png" % frame


def check_scenario(folder, golden, frames):
    failures, notes = [], []
    for frame in frames:
        expected = os.path.join(golden, frame_name(frame))
        actual = os.path.join(folder, "capture", frame_name(frame))
        if not os.path.exists(expected):
            failures.append("no golden " + expected)
        elif not os.path.exists(actual):
            failures.append("frame %d was not captured" % frame)
        else:
            difference = frame_difference(actual, expected)
            if difference is None:
                failures.append("frame %d has another size than the golden" % frame)
            elif difference[0]:
                failures.append("frame %d: %d of %d pixels differ, by up to %d" % (frame, difference[0], difference[2], difference[1]))
            else:
                notes.append(str(frame))
    return failures, notes


def main(argv):
    record = argv[:1] == ["--record"]
    light_only = argv[:1] == ["--light"]
    if record or light_only:
        argv = argv[1:]
    if len(argv) != 3:
        print("usage: golden_cases.py [--record | --light] BIN_DIR SCENARIOS GOLDEN_SET", file=sys.stderr)
        return 2
    bin_dir, scenarios_file, golden_set = (os.path.abspath(arg) for arg in argv)
    out = os.path.join(os.path.abspath(os.environ.get("OUT") or tempfile.mkdtemp(prefix="smearscope-golden-")), "golden")
    only = re.compile(os.environ.get("SMEARSCOPE_CASES", ""))
    scenarios = [s for s in load_scenarios(scenarios_file) if only.search("golden-" + s[0])]
    if light_only and not record:
        # Declared, not skipped: the heavy rows' i686 frames are checked on the wine32 route's Wine tests.
        heavy = [s[0] for s in scenarios if s[3]]
        scenarios = [s for s in scenarios if not s[3]]
        if heavy:
            print("NOTE golden: %d heavy scenarios (%s) are checked where 32-bit programs run" % (len(heavy), ", ".join(heavy)))
    if not scenarios and only.pattern:
        # Some cases only, none of them golden: nothing to draw is no failure.
        print("NOTE golden: no scenario matches SMEARSCOPE_CASES '%s'" % only.pattern)
        return 0
    if not scenarios:
        print("FAIL golden: no scenario in %s matches" % scenarios_file)
        return 1
    if not record and not os.path.isdir(golden_set):
        print("FAIL golden: no golden set %s; scripts/record-goldens writes it" % golden_set)
        return 1

    jobs = int(os.environ.get("SMEARSCOPE_JOBS") or os.cpu_count() or 1)

    # NOTE: two Wine processes started at the same moment as the first of a fresh session have ended
    # at start-up (status 2, or killed) in the emulated PC. So the first runs start one at a time, each
    # once the one before it has come up (its log's first line), and a start that fails gets one more
    # try, so a real failure still fails twice.
    up = [threading.Event() for _ in scenarios]

    def one(numbered):
        number, (name, frames, options, _) = numbered
        if 0 < number < jobs and not up[number - 1].wait(START_TIMEOUT):
            print("NOTE golden-%s: the run before it did not come up within %.0f s; starting anyway" %
                  (name, START_TIMEOUT), flush=True)
        started, folder = time.time(), os.path.join(out, name)
        if not record and not os.path.isdir(os.path.join(golden_set, name)):
            up[number].set()
            return name, ["no golden %s; scripts/record-goldens writes it" % os.path.join(golden_set, name)], [], started
        error = run_scenario(bin_dir, folder, frames, options, up[number])
        if error:
            error = run_scenario(bin_dir, folder, frames, options)
        if error:
            return name, [error], [], started
        if record:
            shutil.rmtree(os.path.join(golden_set, name), ignore_errors=True)
            os.makedirs(os.path.join(golden_set, name))
            for frame in frames:
                shutil.copy(os.path.join(folder, "capture", frame_name(frame)), os.path.join(golden_set, name))
            return name, [], [], started
        return (name,) + check_scenario(folder, os.path.join(golden_set, name), frames) + (started,)

    failed = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
        for name, failures, notes, started in pool.map(one, enumerate(scenarios)):
            if failures:
                failed += 1
                print("FAIL golden-%s: %s" % (name, "; ".join(failures)), flush=True)
            else:
                what = "recorded" if record else "frames %s equal on %s" % (", ".join(notes), RASTERISER)
                print("PASS golden-%s (%.0f s; %s)" % (name, time.time() - started, what), flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
