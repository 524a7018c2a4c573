#!/usr/bin/env python3
# Listening with a real audio server (PulseAudio's null sink, through Wine's pulse driver): a tone
# played into the sink peaks in its bin and the bars fall to zero after it; the server stopped mid-run
# gives one line, the run goes on and the restarted server is heard again; two sinks listed, a
# device chosen by number and the second sink by name, with the gain keys lowering its tone's peak
# and the gain kept in a settings file, an absent device; a switch of Wine's default device followed
# while running; a 16-bit 48 kHz mono device; no
# device at all. Prints the latency from a tone's start to its peak (paplay's start-up and the
# server's buffering included) and from a default-device switch to the new device's tone peaking.
#   listen_test.py BIN_DIR     (environment: WINE; SMEARSCOPE_PULSE_RUNTIME, the runtime folder of the
#                               server scripts/test started; without it a private server of its own)
import json
import math
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import wave

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(TOP, "tests", "guest"))
from guest_common import read_log  # noqa: E402  (the suites' reader of a log as it grows)
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
        self.folder, self.log, self.read, self.tone_peaks = folder, [], 0, []
        os.makedirs(folder)
        shutil.copy(os.path.join(BIN, "vis_Smearscope.dll"), folder)
        self.stderr = open(os.path.join(folder, "stderr.txt"), "wb")
        self.process = subprocess.Popen(
            [WINE, os.path.join(BIN, "smearscope-host.exe"), "--plugin",
             winpath(os.path.join(folder, "vis_Smearscope.dll")), "--log", winpath(os.path.join(folder, "log.jsonl")),
             "--listen"] + arguments, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=self.stderr)

    def poll(self):
        self.read = read_log(os.path.join(self.folder, "log.jsonl"), self.log, self.read)

    def wait(self, what, test, start=0, timeout=30.0):
        """Index of the first line from `start` on that passes `test`, or -1 after the timeout."""
        deadline = time.monotonic() + timeout
        while True:
            for i in range(start, len(self.log)):
                if test(self.log[i]):
                    return i
            start = max(start, len(self.log))
            if time.monotonic() > deadline or self.process.poll() is not None:
                seen = [line for line in self.log if line["event"] not in ("render", "query", "swap")][-3:]
                expect("no %s within %.0f s (exit %s); the last lines: %s" % (
                    what, timeout, self.process.poll(), json.dumps(seen)[:600]), False)
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


def winpath(path):
    return "Z:" + path.replace("/", "\\")


def event(name):
    return lambda line: line["event"] == name


def peak(bin_):
    return lambda line: line["event"] == "spectrum" and line["peak_bin_left"] == bin_ and line["peak_left"] > 150


def silent(line):
    return line["event"] == "spectrum" and line["peak_left"] == 0


def play_tone_and_fall(host, wav, bin_, start, sink=None):
    """Once frames run silent, plays the tone (into `sink`, else the default): its peak within a few
    frames, then all zero within a second. Returns the zero line; the tone's loudest bin joins
    host.tone_peaks."""
    start = host.wait("a silent frame before the tone", silent, start)
    before = len(host.spectra())
    started = time.monotonic()
    player = subprocess.Popen(["paplay", wav] + (["-d", sink] if sink else []))
    at = host.wait("the tone's bin %d peaking" % bin_, peak(bin_), start)
    latency = time.monotonic() - started
    frames = len(host.spectra()) - before
    expect("paplay exits 0, not %s" % player.wait(), player.returncode == 0)
    print("latency from paplay's start to bin %d peaking: %d frames, %.0f ms" % (bin_, frames, latency * 1000))
    zero = host.wait("the spectrum falling to zero after the tone", silent, at)
    if at < 0 or zero < 0:
        return zero
    last_tone = max(i for i, line in host.spectra(at) if i < zero and line["peak_left"] > 0)
    host.tone_peaks.append(max(line["peak_left"] for i, line in host.spectra(at) if i < zero))
    expect("zero %.2f s after the tone's last frame, not within 1 s" % (
        host.log[zero]["position"] - host.log[last_tone]["position"]),
        host.log[zero]["position"] - host.log[last_tone]["position"] <= 1.0)
    return zero


listed_text = {}  # each program's last --list-devices output, its white space folded


def list_devices(program="smearscope-host.exe"):
    """--list-devices' rows as {(output, name): (number, id, default)}."""
    result = subprocess.run([WINE, os.path.join(BIN, program), "--list-devices"], capture_output=True,
                            text=True, timeout=120)
    expect("%s --list-devices exits 0: %d %s" % (program, result.returncode, result.stderr), result.returncode == 0)
    devices, output = {}, True
    for line in result.stdout.splitlines():
        output = output and not line.startswith("Input devices")
        row = re.match(r"^ +(\d+)  (.*?) +(\[default\])? +(\{\S*)$", line)
        if row:
            devices[(output, row.group(2))] = (int(row.group(1)), row.group(4), bool(row.group(3)))
    print(result.stdout, end="")
    listed_text[program] = " ".join(result.stdout.split())
    return devices


WINE_DRIVER_KEY = "HKCU\\Software\\Wine\\Drivers\\winepulse.drv"


def wine_default_output(device_id):
    """Wine's own default-device setting (winecfg's Audio tab), the one change Wine 8 notifies;
    None deletes it. Returns the seconds the registry tool took."""
    started = time.monotonic()
    command = ["reg", "add", WINE_DRIVER_KEY, "/v", "DefaultOutput", "/t", "REG_SZ", "/d", device_id, "/f"] \
        if device_id else ["reg", "delete", WINE_DRIVER_KEY, "/v", "DefaultOutput", "/f"]
    subprocess.run([WINE] + command, stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
    return time.monotonic() - started


def devices_and_gain(folder, wav, bin_, unit_peak):
    """Two sinks: both listed; --device takes a listed number, and picks the second sink, whose tone
    peaks, lowered 6 dB by two gain keys, while the first's does not; an absent device is one line;
    a switch of Wine's default output is followed while running."""
    pulse("add-sink", "second", "Second")
    devices = list_devices()
    for name in ("Null Output", "Second"):
        expect("%s listed as output and its monitor as input: %s" % (name, devices),
               (True, name) in devices and (False, "Monitor of " + name) in devices)
    expect("a default in each direction: %s" % devices,
           sorted(output for (output, _), row in devices.items() if row[2]) == [False, True])
    # The app, a window program, prints the same list on the console it was started from, and says
    # how its own --device takes them: kept, not followed as the bench's default is.
    expect("the app lists what the bench lists", list_devices("smearscope.exe") == devices)
    expect("each program says how its --device takes a device",
           "keeps it for the next start" in listed_text["smearscope.exe"] and
           "Without --device" in listed_text["smearscope-host.exe"] and
           "Without --device" not in listed_text["smearscope.exe"])
    # A number from the list names the same device in the next run; a name that is no device's gives
    # one line, and the run goes on silent to its end.
    number = str(devices.get((False, "Monitor of Second"), (0,))[0])
    for wanted, device in ((number, "Monitor of Second"), ("nosuch", None)):
        host = Host(os.path.join(folder, "pick-" + wanted), ["--device", wanted, "--frames", "3"])
        host.process.wait()
        host.poll()
        stderr = host.end()
        lost = [line["fault"] for line in host.log if line["event"] == "listen_lost"]
        expect("--device %s: exit %s, %s, %s" % (wanted, host.process.returncode, lost, stderr),
               host.process.returncode == 0 and len([l for l in host.log if l["event"] == "render"]) == 3 and
               ([line["device"] for line in host.log if line["event"] == "listen"] == [device] if device else
                lost == ['no device is called "nosuch"'] and stderr.count("nosuch") == 1))
    settings = os.path.join(folder, "listen.ini")
    # The -/_ key and the keypad's -: 3 dB each. Loopback refused, the output is recorded by its monitor.
    host = Host(os.path.join(folder, "second"), ["--device", "second", "--keys", "2:189,3:109",
                                                 "--listen-settings", winpath(settings), "--frames", "100000"])
    try:
        listen = host.wait("the listen event", event("listen"))
        expect("the second sink's monitor, no microphone notice: %r" % host.log[listen:listen + 1],
               listen >= 0 and host.log[listen]["device"] == "Monitor of Second" and
               not any(line["event"] == "listen_microphone" for line in host.log))
        gains = host.wait("the second gain key", lambda line: line["event"] == "listen_gain" and line["gain"] == 0.5)
        # The first sink's tone, its end and half a second after it: no peak.
        player = subprocess.Popen(["paplay", "-d", "smearscope", wav])
        player.wait()
        heard_until = host.wait("a frame after the first sink's tone", event("spectrum"), len(host.log))
        at = host.wait("half a second of frames after it", lambda line: line["event"] == "spectrum" and
                       line["position"] > host.log[heard_until]["position"] + 0.5, heard_until)
        expect("the first sink's tone is not heard on the second",
               not any(peak(bin_)(line) for line in host.log[gains:at]))
        play_tone_and_fall(host, wav, bin_, max(at, 0), sink="second")
        lowered = unit_peak - host.tone_peaks[-1] if host.tone_peaks else None
        print("the tone's peak at gain 1: %d, at gain 0.5: %s" % (unit_peak, host.tone_peaks))
        expect("gain 0.5 lowers the peak by 6 dB (25.6), not %s" % lowered,
               lowered is not None and abs(lowered - 25.6) <= 5)
    finally:
        host.end()
    with open(settings, encoding="latin-1") as f:
        kept = f.read()
    expect("the settings file keeps the gain: %r" % kept, "[Listen]" in kept and "Gain=0.5" in kept)

    # The default, followed. pactl set-default-sink changes nothing Wine shows (its default stays the
    # virtual "PulseAudio", whose stream PulseAudio itself moves); Wine's own setting does.
    second = devices.get((True, "Second"), (0, "", False))[1]
    host = Host(os.path.join(folder, "switch"), ["--listen-settings", winpath(settings), "--frames", "100000"])
    long_tone = os.path.join(folder, "long.wav")
    tone_wav(long_tone, 8)
    player = None
    try:
        listen = host.wait("the listen event", event("listen"))
        expect("the default at the kept gain: %r" % host.log[listen:listen + 1],
               listen >= 0 and host.log[listen]["gain"] == 0.5 and host.log[listen]["device"] == "PulseAudio")
        player = subprocess.Popen(["paplay", "-d", "second", long_tone])
        started = time.monotonic()
        before = host.wait("a frame half a second into the tone", lambda line: line["event"] == "spectrum" and
                           time.monotonic() > started + 0.5, listen)
        expect("the second sink unheard before the switch", not any(peak(bin_)(line) for line in host.log[listen:before]))
        switch_started = time.monotonic()
        took = wine_default_output(second)
        switched = host.wait("listen_switched to the second sink's monitor", event("listen_switched"), before)
        at = host.wait("the second sink's tone peaking after the switch", peak(bin_), max(switched, before))
        latency = time.monotonic() - switch_started
        print("latency from the default-device switch to the new device's tone peaking: %.0f ms "
              "(the registry tool's own run: %.0f ms)" % (latency * 1000, took * 1000))
        expect("the switch: %r" % host.log[switched:switched + 1], switched >= 0 and
               (host.log[switched]["from"], host.log[switched]["device"]) == ("PulseAudio", "Monitor of Second"))
        expect("followed within 3 s of the setting, not %.1f s" % (latency - took), at >= 0 and latency - took <= 3.0)
        wine_default_output(None)
        back = host.wait("listen_switched back to the virtual default", event("listen_switched"), max(at, switched + 1))
        expect("back to PulseAudio: %r" % host.log[back:back + 1], back >= 0 and host.log[back]["device"] == "PulseAudio")
    finally:
        if player:
            player.kill()
        host.end()
        wine_default_output(None)


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
    expect("the recording device's notice said once: %s" % [l for l in host.log if l["event"] == "listen_microphone"],
           [l["text"].count('"PulseAudio"') for l in host.log if l["event"] == "listen_microphone"] == [1])
    devices_and_gain(folder, wav, bin_, max(host.tone_peaks, default=0))

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


def with_test_server(run):
    """run()'s status, with the sound server made for tests. The tests stop, restart and reconfigure
    it, so they only ever work on such a one: scripts/test's, which that script marks, else a private
    one in a folder of its own. A desktop's XDG_RUNTIME_DIR names the user's own server, which must
    never be touched."""
    runtime = os.environ.get("SMEARSCOPE_PULSE_RUNTIME")
    private = not runtime
    if private:
        runtime = tempfile.mkdtemp(prefix="smearscope-pulse-")
    os.environ["XDG_RUNTIME_DIR"] = runtime
    os.environ.pop("PULSE_SERVER", None)  # it would name another server than the folder's
    try:
        return run()
    finally:
        if private:
            pulse("stop")
            shutil.rmtree(runtime, ignore_errors=True)


if __name__ == "__main__":
    BIN = os.path.abspath(sys.argv[1])
    WINE = os.environ.get("WINE", "wine")
    sys.exit(with_test_server(main))
