#!/usr/bin/env python3
# The product's cases for a host and plug-in pair run under Wine: each case is one host run and the
# checks on its log, settings file and frames. Expectations shared with the Wine tests live in tests/expect.
#
#   product_cases.py BIN_DIR             run every case, one "PASS name" / "FAIL name: reason" line each
#   product_cases.py --reference BIN_DIR REF_DIR
#                                        the x86_64 twin's run: every case with its checks, and the
#                                        frame cases' frames kept in REF_DIR (the i686 build's must equal them)
# Environment: WINE (the Wine loader, default "wine"), OUT (where each case keeps its folder, default a
# temporary one), SMEARSCOPE_REFERENCE (REF_DIR for the frame cases; without it they fail),
# SMEARSCOPE_CASES (a regular expression: only the cases whose names match).
import atexit
import json
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import struct
import wave

from guest_common import frame_difference, read_expected, read_log, settings_text, winpath

HOST_TIMEOUT = int(os.environ.get("SMEARSCOPE_HOST_TIMEOUT", "600"))
# How long an open-ended run waits for the event it ends on: a natively drawn frame takes tens of
# milliseconds, one in the emulated PC seconds, so that route sets a longer bound (scripts/guest-test).
EVENT_TIMEOUT = float(os.environ.get("SMEARSCOPE_EVENT_TIMEOUT", "60"))
SECTION = b"[Korvath's OpenGL Smearscope]\r\n"


def expected_box(stage, call):
    for line in read_expected("boxes.tsv").decode().splitlines():
        if line and not line.startswith("#"):
            fields = line.split("\t")
            if fields[0] == stage and fields[1] == call:
                return {"title": fields[2], "style": int(fields[3]), "text": fields[4]}
    raise KeyError(stage + " " + call)


class Run:
    """One host run in a folder of its own: exit status, log lines, the settings file after it."""

    def __init__(self, folder, status, timed_out, awaited=None):
        self.folder, self.status, self.timed_out = folder, status, timed_out
        self.awaited = awaited  # what an open-ended run waited for and did not see
        self.log = []
        try:
            with open(os.path.join(folder, "log.jsonl"), encoding="utf-8", errors="replace") as f:
                self.log = [json.loads(line) for line in f if line.strip()]
        except (OSError, ValueError):
            pass

    def events(self, name):
        return [line for line in self.log if line.get("event") == name]

    def first(self, name):
        found = self.events(name)
        return found[0] if found else {}

    def index(self, name, start=0):
        for i in range(start, len(self.log)):
            if self.log[i].get("event") == name:
                return i
        return -1

    def settings(self):
        try:
            with open(os.path.join(self.folder, "Smearscope.ini"), "rb") as f:
                return f.read()
        except OSError:
            return None

    def captures(self):
        folder = os.path.join(self.folder, "capture")
        return sorted(os.listdir(folder)) if os.path.isdir(folder) else []


def watch_until(process, folder, until):
    """Reads the log as it grows until a line passes until's test or EVENT_TIMEOUT has passed, then
    asks the host to stop (--stop-file). Returns a failure text, or None."""
    what, test = until
    log, lines, offset = os.path.join(folder, "log.jsonl"), [], 0
    deadline = time.monotonic() + EVENT_TIMEOUT
    found = False
    while not found and time.monotonic() < deadline and process.poll() is None:
        time.sleep(0.02)
        start = len(lines)
        offset = read_log(log, lines, offset)
        found = any(test(line) for line in lines[start:])
    open(os.path.join(folder, "stop"), "wb").close()
    if found:
        return None
    if process.poll() is not None:
        return "the host ended before %s (status %s)" % (what, process.returncode)
    return "no %s within %.0f s; the log's last lines: %s" % (
        what, EVENT_TIMEOUT, [json.dumps(line) for line in lines[-3:]])


def run_host(bin_dir, name, arguments, settings=None, capture=False, until=None):
    """One host run; with until (what, test on a log line), an open-ended run that ends once the
    event is in the log, or after EVENT_TIMEOUT."""
    run = run_host_once(bin_dir, name, arguments, settings, capture, until)
    # NOTE: now and then a Wine process ends at start-up with status 1 and no output at all (about one
    # start in 150, natively too); a run that never wrote its log gets one more start, so a real
    # failure still fails twice.
    if not run.timed_out and run.status != 0 and not run.log:
        run = run_host_once(bin_dir, name, arguments, settings, capture, until)
    return run


def run_host_once(bin_dir, name, arguments, settings, capture, until):
    folder = os.path.join(OUT, name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    shutil.copy(os.path.join(bin_dir, "vis_Smearscope.dll"), folder)
    if settings is not None:
        with open(os.path.join(folder, "Smearscope.ini"), "wb") as f:
            f.write(settings)
    command = [os.environ.get("WINE", "wine"), os.path.join(bin_dir, "smearscope-host.exe"),
               "--plugin", winpath(os.path.join(folder, "vis_Smearscope.dll")),
               "--log", winpath(os.path.join(folder, "log.jsonl"))]
    if capture:
        command += ["--capture", winpath(os.path.join(folder, "capture"))]
    if until:
        command += ["--stop-file", winpath(os.path.join(folder, "stop"))]
    with open(os.path.join(folder, "stdout.txt"), "wb") as out, open(os.path.join(folder, "stderr.txt"), "wb") as err:
        process = subprocess.Popen(command + arguments, stdin=subprocess.DEVNULL, stdout=out, stderr=err, cwd=folder)
        awaited = watch_until(process, folder, until) if until else None
        try:
            process.wait(timeout=HOST_TIMEOUT)
        except subprocess.TimeoutExpired:
            # NOTE: the Wine process may sit behind a box nobody closes; end every Wine process.
            subprocess.run(["wineserver", "-k"], stdin=subprocess.DEVNULL)
            process.wait()
            return Run(folder, -1, True, awaited)
    return Run(folder, process.returncode, False, awaited)


class Checks:
    def __init__(self):
        self.failures = []
        self.notes = []  # measurements for the PASS line

    def equal(self, what, got, expected):
        if got != expected:
            self.failures.append("%s is %r, expected %r" % (what, got, expected))

    def true(self, what, condition):
        if not condition:
            self.failures.append(what)


def finished(check, run):
    """The host ran to its end with status 0, no crash and a log."""
    if run.timed_out:
        check.failures.append("the host did not end within %d s" % HOST_TIMEOUT)
        return False
    if run.awaited:
        check.failures.append(run.awaited)
    for crash in run.events("crash"):
        check.failures.append("crash %s" % json.dumps(crash))
    check.equal("exit status", run.status, 0)
    check.true("an empty log", run.log)
    return not check.failures


def renders(run):
    return [line.get("result") for line in run.events("render")]


def queries_by_frame(run):
    frames, current = [None], []
    for line in run.log:
        if line.get("event") == "query":
            current.append(line.get("lparam"))
        elif line.get("event") == "render":
            frames.append(current)
            current = []
    return frames


def calls(run, start, end=None):
    return [line for line in run.log[start:end] if line.get("event") == "call"]


# ---- the cases ---------------------------------------------------------------------------------
SMALL = settings_text(Width=160, Height=95)
# Wide enough for the keys' longest notice.
KEYS_WINDOW = settings_text(Width=320, Height=190)
TITLE_AND_FLASH_ON = (SECTION + b"fullscreen=0\r\nShowSongTitle=1\r\nFlashScreen=1\r\nWidth=600\r\n"
                      b"Height=300\r\nConfig_X=70\r\nConfig_Y=80\r\n")
CLEAN_CALLS = {}


def check_records(run, check):
    header = run.first("header")
    check.equal("header version", header.get("version"), 256)
    check.equal("header description", header.get("description"), "Korvath's OpenGL Smearscope")
    modules = run.events("module")
    check.equal("module queries", len(modules), 3)
    for module in modules:
        check.equal("GetModule(%s) is null" % module.get("index"), module.get("null"), module.get("index") != 0)
    check.equal("Init's result", run.first("init").get("result"), 0)
    window = run.first("window")
    check.equal("client size", (window.get("client_width"), window.get("client_height")), (320, 190))
    check.equal("render results", renders(run), [0] * 4)
    check.equal("swaps", len(run.events("swap")), 4)
    check.equal("boxes", run.events("message_box"), [])
    quit = run.index("quit")
    check.true("no quit", quit >= 0)
    for call in calls(run, 0, quit):
        CLEAN_CALLS[call.get("function")] = CLEAN_CALLS.get(call.get("function"), 0) + 1


def check_keys(run, check):
    # B, F, H, N, P, R, S and T before frames 2 to 9, Escape before frame 10 of 12.
    check.equal("render results", renders(run), [0] * 9 + [1])
    check.equal("swapped frames", [s.get("frame") for s in run.events("swap")], list(range(1, 10)))
    check.equal("keys posted", len(run.events("key")), 9)
    check.equal("keys forwarded to the host", run.events("forwarded_key"), [])
    check.equal("swap intervals (Init, S)", [s.get("interval") for s in run.events("swap_interval")], [1, 0])
    # A full bass paces 17 ms while the beat changes speed, a fixed 2 ms once B turned that off.
    check.equal("pauses", [r.get("pause_ms") for r in run.events("render")][:3], [17, 2, 2])
    queries = queries_by_frame(run)
    check.equal("queries of frame 8 (title off)", queries[8] if len(queries) > 8 else None, [104])
    check.equal("queries of frame 9 (title on)", queries[9] if len(queries) > 9 else None, [104, 125, 212])
    check.true("Quit after Escape", run.index("quit") > run.index("render"))


def check_settings_bytes(run, check):
    # T and F were pressed once each: they are the two switches the file keeps.
    check.equal("settings file", run.settings(),
                settings_text(Width=320, Height=190, ShowSongTitle=1, FlashScreen=1))


def check_dialog(result, saved):
    def check(run, check):
        dialog = run.first("dialog")
        check.equal("dialog's values", (dialog.get("width"), dialog.get("height"), dialog.get("fullscreen")),
                    ("800", "600", True))
        check.equal("dialog's end", run.first("config_result").get("result"), result)
        check.equal("settings file", run.settings(), read_expected(saved))
    return check


def check_box(run, check, stage, call):
    expected = expected_box(stage, call)
    boxes = run.events("message_box")
    check.equal("boxes", len(boxes), 1)
    if boxes:
        box = {key: boxes[0].get(key) for key in ("title", "style", "text")}
        check.equal("box", box, expected)
        check.equal("quit message pending under the box", boxes[0].get("quit_pending"), False)


def check_start_failure(run, check):
    check_box(run, check, "start", "wglCreateContext")
    check.true("the box belongs to Init", 0 <= run.index("message_box") < run.index("init"))
    check.equal("Init's result", run.first("init").get("result"), 0)
    check.equal("render results", renders(run), [1])
    check.equal("swaps", len(run.events("swap")), 0)
    check.equal("windows", len(run.events("window")), 0)
    check.true("no Quit", run.index("quit") >= 0)


def teardown_failure_arguments():
    # The tear-down's DestroyWindow is the first after those a clean run makes before Quit.
    return ["--frames", "2", "--not-playing", "--no-pause",
            "--fail", "DestroyWindow:%d" % (CLEAN_CALLS.get("DestroyWindow", 0) + 1)]


def check_teardown_failure(run, check):
    check_box(run, check, "shutdown", "DestroyWindow")
    quit = run.index("quit")
    injected = next((i for i, line in enumerate(run.log) if line.get("event") == "call" and line.get("injected")), -1)
    check.true("the failed call belongs to the tear-down", quit >= 0 and injected > quit)
    check.equal("line of the box", run.index("message_box"), injected + 1)
    after = [c.get("function") for c in calls(run, injected + 1, run.index("unloaded"))]
    check.equal("tear-down after the box", after[:1], ["UnregisterClassA"])
    check.equal("renders", len(run.events("render")), 2)
    check.true("the window's quit message after Quit", run.index("wm_quit", max(quit, 0)) > quit)


def check_clean_end(run, check):
    check.equal("boxes", run.events("message_box"), [])
    quit = run.index("quit")
    check.true("Quit, then the library unloaded", 0 <= quit < run.index("unloaded", max(quit, 0)))


def check_render_thread(run, check):
    # Each foreign Render is drawn on the Init thread, which dispatches its messages meanwhile.
    check_clean_end(run, check)
    check.true("no render_thread event", run.events("render_thread"))
    check.equal("render results", renders(run), [0] * 3)
    check.equal("swaps", len(run.events("swap")), 3)
    check.equal("is-playing queries", len([q for q in run.events("query") if q.get("lparam") == 104]), 3)
    stored = run.settings() or b""
    for key, value in (("ShowSongTitle", b"1"), ("FlashScreen", b"1"), ("Width", b"600"), ("Height", b"300")):
        found = re.search(rb"\n" + key.encode() + rb"=([^\r]*)", stored)
        check.equal("stored " + key, found and found.group(1), value)
    for call in run.events("call"):
        check.true("failed call %s" % json.dumps(call), call.get("ok"))


def check_timer_thread(run, check):
    # The keys case under the loader's timer: the same frames drawn, byte for byte, as on one thread.
    check_clean_end(run, check)
    drawn = [r.get("frame") for r in run.events("render") if r.get("drawn")]
    check.equal("frames drawn", drawn, list(range(1, 10)))
    # Calls that drew nothing: abandoned deliveries (0), then from Escape on 1 until the loader stops.
    after = [r.get("result") for r in run.events("render") if not r.get("drawn")]
    check.true("a result of 0 after Escape: %s" % after, 1 in after and set(after[after.index(1):]) == {1})
    check.equal("swap intervals (Init, S)", [s.get("interval") for s in run.events("swap_interval")], [1, 0])
    check.equal("keys forwarded to the host", run.events("forwarded_key"), [])
    check.equal("keys dispatched late", run.events("flush_timeout"), [])
    one_thread = os.path.join(OUT, "keys", "capture")
    check.true("no frames of the keys case in %s" % one_thread, os.path.isdir(one_thread))
    for frame in run.captures():
        difference = frame_difference(os.path.join(run.folder, "capture", frame), os.path.join(one_thread, frame))
        check.true("%s differs from the one-thread host's: %s" % (frame, difference),
                   difference is not None and difference[0] == 0)
    check.true("no frames captured", run.captures())


TIMER_RUNS = 50


def check_timer_stops(run, check):
    check_clean_end(run, check)
    ends = run.events("run")
    check.equal("runs", len(ends), TIMER_RUNS)
    check.true("a run drew fewer than 2 frames", all(e.get("frames_drawn", 0) >= 2 for e in ends))
    # A class still registered from the run before would fail the next start with a box.
    done = {}
    for call in run.events("call"):
        check.true("failed call %s" % json.dumps(call), call.get("ok"))
        done[call.get("function")] = done.get(call.get("function"), 0) + 1
    for function in ("RegisterClassExA", "CreateWindowExA", "DestroyWindow", "wglCreateContext", "wglDeleteContext"):
        check.equal(function + " calls", done.get(function), TIMER_RUNS)
    counts = [r for r in run.events("resources") if r.get("stage") == "run"]
    check.true("freeglut class left registered", not any(r.get("freeglut_class") for r in counts))
    if len(counts) == TIMER_RUNS:
        for key in ("gdi", "user", "handles", "windows"):
            values = [r.get(key) for r in counts]
            check.true("%s grew over the runs: %s" % (key, values), max(values[1:]) - values[1] < len(values) - 2)


def check_destroy_before_quit(run, check):
    check_clean_end(run, check)
    destroyed, quit = run.index("host_window_destroyed"), run.index("quit")
    check.true("host window destroyed before Quit", 0 <= destroyed < quit)
    if destroyed >= 0:
        line = run.log[destroyed]
        check.true("destroying the host window failed", line.get("ok"))
        check.true("the plug-in's window outlived the host's", line.get("plugin_window_destroyed"))
    after = calls(run, quit)
    check.equal("tear-down calls", [c.get("function") for c in after][:3],
                ["wglMakeCurrent", "wglDeleteContext", "UnregisterClassA"])
    check.true("a failed tear-down call", all(c.get("ok") for c in after))
    check.equal("line of the first call after Quit", run.index("call", quit), quit + 1)


def check_fullscreen_refused(run, check):
    # The guest's screen has no 1024 x 768 at all: 16 bits refused by the host's manifest, 32 and the
    # size alone (no depth named, 0) by the screen, then the restore and the designed box.
    modes = run.events("display_mode")
    check.equal("modes asked (bits, taken, refused by the host)",
                [(m.get("bits"), m.get("result") == 0, m.get("quirk")) for m in modes[:3]],
                [(16, False, True), (32, False, False), (0, False, False)])
    check.equal("restore", [m.get("function") for m in modes[3:]], ["ChangeDisplaySettingsExA", "ChangeDisplaySettingsA"])
    check.equal("boxes", [(b.get("title"), b.get("style"), b.get("text")) for b in run.events("message_box")],
                [("ERROR", 16, "Cannot Change to Fullscreen.\nCheck the config.")])
    restored = max([i for i, line in enumerate(run.log) if line.get("event") == "display_mode"] or [-1])
    check.true("the box after the restore", 0 <= restored < run.index("message_box"))
    check.equal("render results", renders(run), [1])


RELOADS = 4


def check_reloads(run, check):
    ends = run.events("run")
    check.equal("frames drawn per load", [e.get("frames_drawn") for e in ends], [2] * RELOADS)
    check.equal("freeglut class left registered", [c.get("registered") for c in run.events("freeglut_class")],
                [False] * RELOADS)
    unloads = [r for r in run.events("resources") if r.get("stage") == "unload"]
    check.equal("unload counts", len(unloads), RELOADS)
    if len(unloads) == RELOADS:
        # The first load warms caches of Wine's. From the second unload on, a leak of one object per load
        # grows by two over the last three; Wine's own occasional object does not.
        for key in ("gdi", "user", "handles", "windows"):
            values = [u.get(key) for u in unloads]
            check.true("%s grew over the loads: %s" % (key, values), max(values[1:]) - values[1] < len(values) - 2)


TONE_HZ = 1000
tone = []  # the looping player of the listening case


def stop_tone():
    for player in tone:
        if player.poll() is None:
            os.killpg(player.pid, 9)
        player.wait()
    tone.clear()


def tone_bin(rate):
    return round(TONE_HZ * 1152 / rate)


class TonePeaked:
    """A log-line test: the tone's bin peaking, at the rate of the device the run opened."""

    def __init__(self):
        self.rate = 44100

    def __call__(self, line):
        if line.get("event") in ("listen", "listen_found"):
            self.rate = line.get("rate") or self.rate
        return (line.get("event") == "spectrum" and line.get("peak_bin_left") == tone_bin(self.rate)
                and line.get("peak_left", 0) > 150)


def listen_case():
    """Loops a 1 kHz tone at half scale into the default output (the audio server's null sink); the run
    listens until the tone's bin has peaked, however fast or slow its frames come."""
    path = os.path.join(OUT, "tone.wav")
    os.makedirs(OUT, exist_ok=True)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(44100)
        w.writeframes(b"".join(struct.pack("<h", int(16384 * math.sin(2 * math.pi * TONE_HZ * i / 44100)))
                               for i in range(2 * 44100)))
    tone.append(subprocess.Popen(["sh", "-c", 'while paplay "$0"; do :; done', path], start_new_session=True))
    atexit.register(stop_tone)
    return ["--listen", "--no-pause"], ("the tone's bin peaking", TonePeaked())


def check_listen(run, check):
    stop_tone()
    listen = run.first("listen")
    check.true("no listen event (%s)" % run.events("listen_lost"), listen)
    rate = listen.get("rate") or 44100
    peaks = [(s.get("peak_bin_left"), s.get("peak_left", 0) > 150) for s in run.events("spectrum")]
    check.true("the tone's bin %d never peaked: %s" % (tone_bin(rate), peaks[-8:]), (tone_bin(rate), True) in peaks)
    check.equal("is-playing answers", {q.get("answer") for q in run.events("query") if q.get("lparam") == 104}, {1})


KEYS_ARGUMENTS = ["--frames", "12", "--clock-step", "40", "--no-pause", "--not-playing", "--spectrum", "const:255",
                  "--keys", "2:B,3:F,4:H,5:N,6:P,7:R,8:S,9:T,10:ESC", "--capture-frames", "2-9"]
CAPTURED = "captured"  # frames kept for the case's own checks, not compared with the twin's

# name, arguments, settings file before the run, checks, frames compared with the twin's (True) or CAPTURED.
CASES = [
    # Every layer that reads the clock, the spectrum or the random generator, over the demo track.
    ("frames", ["--frames", "4", "--clock-step", "40", "--no-pause", "--capture-frames", "2,4",
                "--keys", "1:T,1:P,1:F,1:N"], KEYS_WINDOW, None, True),
    ("records", None, None, check_records, False),  # the frames run's log
    ("keys", KEYS_ARGUMENTS, KEYS_WINDOW, check_keys, True),
    ("settings-bytes", None, None, check_settings_bytes, False),  # the keys run's file
    ("config-ok", ["--config", "--dialog", "uncheck:1001,set:1012=1000,set:1013=700,ok"],
     read_expected("config-stored.ini"), check_dialog(1, "config-ok.ini"), False),
    ("config-cancel", ["--config", "--dialog", "uncheck:1001,set:1012=1000,set:1013=700,cancel"],
     read_expected("config-stored.ini"), check_dialog(2, "config-stored.ini"), False),
    # Where pictures are not the point, frames without bars: every frame in an emulated PC costs.
    ("start-failure", ["--frames", "3", "--fail", "wglCreateContext"], SMALL, check_start_failure, False),
    ("teardown-failure", teardown_failure_arguments, SMALL, check_teardown_failure, False),
    ("render-thread", ["--frames", "3", "--quirk", "render-thread"], TITLE_AND_FLASH_ON, check_render_thread, False),
    # The keys case again, from a loader's multimedia timer; after it, so that its frames are there.
    ("timer-thread", KEYS_ARGUMENTS + ["--quirk", "timer-thread"], KEYS_WINDOW, check_timer_thread, CAPTURED),
    ("timer-thread-stops", ["--runs", str(TIMER_RUNS), "--frames", "2", "--not-playing", "--no-pause",
                            "--quirk", "timer-thread"], settings_text(Width=64, Height=48), check_timer_stops, False),
    ("destroy-before-quit", ["--frames", "3", "--quirk", "destroy-before-quit", "--not-playing", "--no-pause"], SMALL,
     check_destroy_before_quit, False),
    ("fullscreen", ["--frames", "3", "--quirk", "no-16bit-modes"], settings_text(fullscreen=1), check_fullscreen_refused,
     False),
    # What the PC plays, through the audio server's monitor (Wine 8 has no loopback).
    ("listen", listen_case, SMALL, check_listen, False),
    ("reloads", ["--reloads", str(RELOADS), "--frames", "2", "--not-playing", "--no-pause"], settings_text(Width=64, Height=48),
     check_reloads, False),
]


# The i686 frames cannot equal the twin's bit for bit: Debian's i386 Mesa is built for CPUs without
# SSE2, so softpipe's own arithmetic rounds differently from the amd64 build (measured on softpipe:
# under 0.6 % of the pixels differ, by at most 2 levels of 255). On llvmpipe the differences grow
# through the trail and blur to most of the picture within four frames, so compare on softpipe.
FRAME_TOLERANCE_PERCENT = 1
FRAME_TOLERANCE_LEVELS = 4


def compare_frames(run, name, reference, check):
    folder = os.path.join(reference, name)
    frames = run.captures()
    check.true("no frames captured", frames)
    for frame in frames:
        expected = os.path.join(folder, frame)
        if not os.path.exists(expected):
            check.failures.append("no reference for " + frame)
            continue
        difference = frame_difference(os.path.join(run.folder, "capture", frame), expected)
        if difference is None:
            check.failures.append(frame + " has another size than the reference")
            continue
        pixels, largest, total = difference
        check.notes.append("%s %d/%d px off by <=%d" % (frame[6:11].lstrip("0"), pixels, total, largest))
        if pixels * 100 > total * FRAME_TOLERANCE_PERCENT or largest > FRAME_TOLERANCE_LEVELS:
            check.failures.append("%s: %d of %d pixels differ, by up to %d" % (frame, pixels, total, largest))


def main(argv):
    global OUT
    # The twin's run: every case with its own checks, at native speed, and the frame cases' frames kept
    # in REF_DIR for the i686 run to be compared with.
    reference_mode = argv[:1] == ["--reference"]
    if reference_mode:
        argv = argv[1:]
    if len(argv) != (2 if reference_mode else 1):
        print("usage: product_cases.py BIN_DIR | --reference BIN_DIR REF_DIR", file=sys.stderr)
        return 2
    bin_dir = os.path.abspath(argv[0])
    OUT = os.path.abspath(os.environ.get("OUT") or tempfile.mkdtemp(prefix="smearscope-cases-"))
    OUT = os.path.join(OUT, "product")
    reference = argv[1] if reference_mode else os.environ.get("SMEARSCOPE_REFERENCE")
    only = re.compile(os.environ.get("SMEARSCOPE_CASES", ""))
    failed, last = 0, None
    for name, arguments, settings, checks, frames in CASES:
        if not only.search(name):
            continue
        check, started = Checks(), time.time()
        if arguments is not None:
            until = None
            if callable(arguments):
                arguments = arguments()
                if isinstance(arguments, tuple):
                    arguments, until = arguments
            last = run_host(bin_dir, name, arguments, settings, capture=bool(frames), until=until)
            finished(check, last)
        if last is None:
            print("FAIL %s: the run it checks did not happen" % name)
            failed += 1
            continue
        if arguments is None and not finished(check, last):
            check.failures.insert(0, "the run it checks failed")
        if not check.failures and checks:
            checks(last, check)
        if frames is True and not check.failures:
            if reference_mode:
                shutil.rmtree(os.path.join(reference, name), ignore_errors=True)
                shutil.copytree(os.path.join(last.folder, "capture"), os.path.join(reference, name))
            elif reference and os.path.isdir(reference):
                compare_frames(last, name, reference, check)
            else:
                # A comparison that cannot run is a failure: a pass would claim frames nobody compared.
                check.failures.append("no reference frames from the x86_64 twin (%s)" % (reference or "SMEARSCOPE_REFERENCE unset"))
        if check.failures:
            failed += 1
            print("FAIL %s: %s (see %s)" % (name, "; ".join(check.failures), last.folder))
        else:
            notes = "; frames against the twin's: " + ", ".join(check.notes) if check.notes else ""
            print("PASS %s (%.0f s%s)" % (name, time.time() - started, notes))
        sys.stdout.flush()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
