#!/usr/bin/env python3
# Listening with a real audio server (PulseAudio's null sink, through Wine's pulse driver): a tone
# played into the sink peaks in its bin and the bars fall to zero after it; the server stopped mid-run
# gives one line, the run goes on and the restarted server is heard again; a 16-bit 48 kHz mono
# device; no device at all. Prints the latency from a tone's start to its peak (paplay's start-up
# and the server's buffering included).
#   listen_test.py BIN_DIR     (environment: WINE; XDG_RUNTIME_DIR of a server scripts/test started)
import json
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import wave

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
HZ = 1000
failures = []


def pulse(*args):
    subprocess.run(["bash", os.path.join(TOP, "scripts", "pulse-server")] + list(args), check=True)


def expect(what, condition):
    if not condition:
        failures.append(what)
    return condition


def tone_wav(path, seconds, rate=44100):
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(b"".join(struct.pack("<hh", *[int(16384 * math.sin(2 * math.pi * HZ * i / rate))] * 2)
                               for i in range(int(seconds * rate))))


class Host:
    """A listening host running while the test acts; its log is read as it grows."""

    def __init__(self, folder, arguments):
        self.folder, self.log, self.read = folder, [], 0
        os.makedirs(folder)
        shutil.copy(os.path.join(BIN, "vis_Smearscope.dll"), folder)
        winpath = lambda p: "Z:" + p.replace("/", "\\")  # noqa: E731
        self.stderr = open(os.path.join(folder, "stderr.txt"), "wb")
        self.process = subprocess.Popen(
            [os.environ.get("WINE", "wine"), os.path.join(BIN, "smearscope-host.exe"), "--plugin",
             winpath(os.path.join(folder, "vis_Smearscope.dll")), "--log", winpath(os.path.join(folder, "log.jsonl")),
             "--listen"] + arguments, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=self.stderr)

    def poll(self):
        try:
            with open(os.path.join(self.folder, "log.jsonl"), encoding="utf-8") as f:
                f.seek(self.read)
                text = f.read()
        except OSError:
            return
        complete = text[:text.rfind("\n") + 1]
        self.read += len(complete.encode())
        self.log += [json.loads(line) for line in complete.splitlines() if line]

    def wait(self, what, test, start=0, timeout=30.0):
        """Index of the first line from `start` on that passes `test`, or -1 after the timeout."""
        deadline = time.monotonic() + timeout
        while True:
            for i in range(start, len(self.log)):
                if test(self.log[i]):
                    return i
            start = max(start, len(self.log))
            if time.monotonic() > deadline or self.process.poll() is not None:
                expect("no %s within %.0f s" % (what, timeout), False)
                return -1
            time.sleep(0.005)
            self.poll()

    def spectra(self, start=0):
        return [(i, line) for i, line in enumerate(self.log) if i >= start and line["event"] == "spectrum"]

    def end(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()
        self.stderr.close()
        with open(os.path.join(self.folder, "stderr.txt"), encoding="utf-8", errors="replace") as f:
            return f.read()


def event(name):
    return lambda line: line["event"] == name


def peak(bin_):
    return lambda line: line["event"] == "spectrum" and line["peak_bin_left"] == bin_ and line["peak_left"] > 150


def silent(line):
    return line["event"] == "spectrum" and line["peak_left"] == 0


def play_tone_and_fall(host, wav, bin_, start):
    """Once frames run silent, plays the tone: its peak within a few frames, then all zero within a
    second. Returns the zero line."""
    start = host.wait("a silent frame before the tone", silent, start)
    before = len(host.spectra())
    started = time.monotonic()
    player = subprocess.Popen(["paplay", wav])
    at = host.wait("the tone's bin %d peaking" % bin_, peak(bin_), start)
    latency = time.monotonic() - started
    frames = len(host.spectra()) - before
    player.wait()
    print("latency from paplay's start to bin %d peaking: %d frames, %.0f ms" % (bin_, frames, latency * 1000))
    zero = host.wait("the spectrum falling to zero after the tone", silent, at)
    if at < 0 or zero < 0:
        return zero
    last_tone = max(i for i, line in host.spectra(at) if i < zero and line["peak_left"] > 0)
    expect("zero %.2f s after the tone's last frame, not within 1 s" % (
        host.log[zero]["position"] - host.log[last_tone]["position"]),
        host.log[zero]["position"] - host.log[last_tone]["position"] <= 1.0)
    return zero


def main():
    folder = tempfile.mkdtemp(prefix="smearscope-listen-")
    wav = os.path.join(folder, "tone.wav")
    tone_wav(wav, 0.5)
    pulse("start")
    # The default server: the tone, the fall, the server lost and found, the queries while listening.
    host = Host(os.path.join(folder, "output"), ["--frames", "100000"])
    try:
        listen = host.wait("the listen event", event("listen"))
        if listen >= 0:
            line = host.log[listen]
            expect("Wine 8 has no loopback, so the output falls back: %r" % line,
                   line["fallback"] and not line["loopback"] and line["rate"] == 44100)
        bin_ = round(HZ * 1152 / 44100)
        at = play_tone_and_fall(host, wav, bin_, listen)
        pulse("stop")
        lost = host.wait("listen_lost after the server stopped", event("listen_lost"), max(at, 0))
        host.wait("frames going on silent", lambda line: line["event"] == "render", lost + 1)
        pulse("start")
        found = host.wait("listen_found after the server came back", event("listen_found"), lost, timeout=15)
        play_tone_and_fall(host, wav, bin_, found)
        queries = {(q["lparam"], str(q.get("answer"))) for q in host.log if q["event"] == "query"}
        name = host.log[listen]["device"] if listen >= 0 else None
        expect("queries answered playing, position 0, the device: %s" % sorted(queries),
               {(104, "1"), (125, "0"), (212, name)} >= queries and (104, "1") in queries)
    finally:
        stderr = host.end()
        pulse("start")
    expect("one fallback line and one lost line:\n" + stderr,
           stderr.count("cannot be captured here") == 1 and stderr.count("lost the capture device") == 1)

    # PCM 16 at 48 kHz, mono, on the recording device.
    pulse("stop")
    pulse("start", "format=s16le rate=48000 channels=1")
    host = Host(os.path.join(folder, "mono"), ["input", "--frames", "100000"])
    try:
        listen = host.wait("the listen event", event("listen"))
        if listen >= 0:
            line = host.log[listen]
            expect("48 kHz mono from the recording device: %r" % line,
                   (line["rate"], line["channels"], line["fallback"]) == (48000, 1, None))
        play_tone_and_fall(host, wav, round(HZ * 1152 / 48000), listen)
    finally:
        host.end()
        pulse("stop")

    # No server, no device: one line, and the run goes on to its end.
    host = Host(os.path.join(folder, "none"), ["--frames", "3"])
    host.process.wait()
    host.poll()
    stderr = host.end()
    pulse("start")
    expect("no device: exit %s, %s" % (host.process.returncode, stderr),
           host.process.returncode == 0 and stderr.count("no capture device") == 1 and
           [line.get("at_start") for line in host.log if line["event"] == "listen_lost"] == [True] and
           len([line for line in host.log if line["event"] == "render"]) == 3)

    for failure in failures:
        print("FAIL", failure)
    if failures:
        print("logs kept in", folder)
    else:
        shutil.rmtree(folder, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    BIN = os.path.abspath(sys.argv[1])
    # Run by hand, without the server scripts/test starts: one of its own, stopped at the end.
    own_server = not os.environ.get("XDG_RUNTIME_DIR")
    if own_server:
        os.environ["XDG_RUNTIME_DIR"] = tempfile.mkdtemp(prefix="smearscope-pulse-")
    status = main()
    if own_server:
        pulse("stop")
    sys.exit(status)
