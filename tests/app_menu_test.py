#!/usr/bin/env python3
# The app's menu as a user drives it, with real input from outside (xdotool) under Wine and the
# tests' PulseAudio: opened by M and the menu key in the picture and by a click on its notification
# icon (the system menu: app_test.cpp), found as a pop-up window where the app logged its items, the
# items clicked: the gain, fill, keep on top, and a switch to the second sink while running, heard in
# the app's spectrum lines; a second start with the same user folder hands over to the first and
# ends with status 0; keys typed reach the picture after a menu closed; Exit.
#   app_menu_test.py BIN_DIR   (environment: WINE, DISPLAY; SMEARSCOPE_PULSE_RUNTIME as for
#                               listen_test.py, else a private server)
import configparser
import os
import shutil
import subprocess
import sys
import tempfile
import time

import listen_test as lt
from listen_test import event, expect, pulse, tone_wav, winpath

PICTURE = "Korvath's OpenGL Smearscope"


class App(lt.Host):
    """smearscope.exe with a user folder of its own, its log read as it grows."""

    def __init__(self, folder, name="log.jsonl"):
        self.folder, self.log, self.read, self.tone_peaks = folder, [], 0, []
        os.makedirs(folder, exist_ok=True)
        self.stderr = open(os.path.join(folder, name + ".stderr"), "wb")
        self.process = subprocess.Popen(
            [WINE, os.path.join(BIN, "smearscope.exe"), "--user-folder", winpath(folder),
             "--log", winpath(os.path.join(folder, name))],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=self.stderr)

    def end(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()
        self.stderr.close()


def xdotool(*args):
    result = subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True, text=True, timeout=30)
    return result.stdout.split() if result.returncode == 0 else []


def bounded(what, probe, timeout=30.0):
    """probe()'s first true answer, polled until the bound; None (and a failure) after it."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        answer = probe()
        if answer:
            return answer
        time.sleep(0.05)
    expect("no %s within %.0f s" % (what, timeout), False)
    return None


def geometry(window):
    """(x, y, width, height) of an X window."""
    words = xdotool("getwindowgeometry", "--shell", window)
    values = dict(word.split("=") for word in words if "=" in word)
    return tuple(int(values.get(k, -1)) for k in ("X", "Y", "WIDTH", "HEIGHT"))


def menu_items(app, start, menu="menu"):
    """The items of the newest pop-up named `menu` logged from line `start` on: {text: line}."""
    items = {}
    for line in app.log[start:]:
        if line["event"] == "menu_item" and line["menu"] == menu:
            if line["index"] == 0:
                items = {}
            items[line["text"].split("\t")[0]] = line
    return items


def open_menu(app, how, opener, menu="menu"):
    """Opens the menu by `opener` and waits for its items; checks that X shows a pop-up window
    around them. Returns the items and the log index they start from."""
    start = len(app.log)
    opener()
    opened = app.wait("the menu opened by %s" % how, lambda l: l["event"] == "menu_open", start)
    app.wait("the menu's items by %s" % how, lambda l: l["event"] == "menu_item" and l["text"].startswith("Exit"),
             max(opened, start))
    items = menu_items(app, start, menu)
    if expect("menu by %s: %s" % (how, sorted(items)), {"Listen to", "Louder", "Quieter", "Normal", "Fill the screen",
                                                        "Keep on top", "Picture settings...", "Keys...",
                                                        "About Smearscope", "Exit"} <= set(items)):
        shown_around(items, how)
    return items, start


def shown_around(items, how):
    """A visible X window (the pop-up) holds every logged item rectangle."""
    left = min(i["left"] for i in items.values())
    top = min(i["top"] for i in items.values())
    right = max(i["right"] for i in items.values())
    bottom = max(i["bottom"] for i in items.values())

    def popup():
        for window in xdotool("search", "--onlyvisible", "--name", ""):
            x, y, w, h = geometry(window)
            if x <= left and y <= top and x + w >= right and y + h >= bottom and w < right - left + 16:
                return window
        return None
    bounded("a pop-up window around the menu items opened by %s (%d,%d to %d,%d)" % (how, left, top, right, bottom),
            popup, 10)


def click(item, button=1):
    x, y = (item["left"] + item["right"]) // 2, (item["top"] + item["bottom"]) // 2
    xdotool("mousemove", x, y)
    xdotool("click", button)


def press_in_picture(key):
    def do():
        picture = bounded("the picture's window", lambda: xdotool("search", "--onlyvisible", "--name", PICTURE))
        if picture:
            xdotool("windowactivate", picture[0])
            xdotool("windowfocus", picture[0])
            xdotool("key", key)
    return do


def click_icon(button):
    """Without a tray on the display, Wine's explorer shows the icons in a small captioned window of
    its own, the first icon at the bottom left (each icon a child window without an X window)."""
    def do():
        tray = bounded("the notification icons' window",
                       lambda: xdotool("search", "--onlyvisible", "--name", "Wine System Tray"))
        if tray:
            x, y, w, h = geometry(tray[0])
            xdotool("mousemove", x + 12, y + h - 12)
            xdotool("click", button)
    return do


def tray_icon_shown():
    """The notification icons' window as X shows it, kept as app-tray.png in the working folder;
    the first icon's cell (where click_icon clicks) holds our icon's tile and green bars."""
    tray = bounded("the notification icons' window", lambda: xdotool("search", "--onlyvisible", "--name",
                                                                     "Wine System Tray"))
    if not tray:
        return
    x, y, w, h = geometry(tray[0])
    subprocess.run(["import", "-window", tray[0], "app-tray.png"], capture_output=True, timeout=30)
    cell = subprocess.run(["import", "-window", tray[0], "-crop", "24x24+0+%d" % (h - 24), "-depth", "8", "rgb:-"],
                          capture_output=True, timeout=30).stdout
    pixels = [tuple(cell[i:i + 3]) for i in range(0, len(cell) - 2, 3)]
    tile = sum(1 for r, g, b in pixels if abs(r - 22) < 8 and abs(g - 26) < 8 and abs(b - 34) < 8)
    green = sum(1 for r, g, b in pixels if g > 150 and r < 80 and b < 80)
    expect("our icon in the tray's first cell: %d tile and %d green pixels of %d" % (tile, green, len(pixels)),
           tile >= 20 and green >= 4)


def press(key):
    """A key as the user types it: to whatever window has the keyboard, no window activated."""
    return lambda: xdotool("key", key)


def keys_after_menus(app):
    """After a menu of the app closes, the picture has the keyboard again, with no click and the
    pointer off the picture: M opens the menu, Escape closes it, then M and + reach the picture."""
    items, _ = open_menu(app, "M to leave the fill", press_in_picture("m"))
    if "Fill the screen" not in items:
        return
    start = len(app.log)
    click(items["Fill the screen"])
    app.wait("the fill left", lambda l: l["event"] == "fill" and not l["on"], start)
    picture = xdotool("search", "--onlyvisible", "--name", PICTURE)
    screen = tuple(int(v) for v in xdotool("getdisplaygeometry"))
    if not expect("the picture and the screen: %s %s" % (picture, screen), picture and len(screen) == 2):
        return
    x, y, w, h = geometry(picture[0])
    off = (screen[0] - 4, screen[1] - 4) if x + w < screen[0] - 4 or y + h < screen[1] - 4 else (2, 2)
    xdotool("mousemove", *off)
    for round_ in ("first", "second"):
        # The X server's side of the keyboard given back, which the typed keys follow.
        bounded("the X focus on the picture (%s time)" % round_, lambda: xdotool("getwindowfocus") == picture[:1], 10)
        open_menu(app, "M typed, %s time" % round_, press("m"))
        start = len(app.log)
        xdotool("key", "Escape")
        app.wait("the menu closed by Escape (%s time)" % round_, lambda l: l["event"] == "menu_closed", start)
        app.wait("the keyboard back to the picture (%s time)" % round_,
                 lambda l: l["event"] == "keyboard" and l["focus"], start)
    bounded("the X focus on the picture (after the menus)", lambda: xdotool("getwindowfocus") == picture[:1], 10)
    gain = [l["gain"] for l in app.log if l["event"] == "listen_gain"]
    start = len(app.log)
    press("KP_Add")()
    app.wait("the gain up by the keypad's + typed", lambda l: l["event"] == "listen_gain" and l["gain"] > (gain[-1] if gain else 1),
             start)


def kept(folder, section, key):
    ini = configparser.ConfigParser(interpolation=None)
    ini.read(os.path.join(folder, "smearscope-app.ini"), encoding="latin-1")
    return ini.get(section, key, fallback=None)


def drive(folder, bin_):
    app = App(os.path.join(folder, "app"))
    try:
        app.wait("the first frame", event("first_frame"))
        icon = app.wait("the icon", event("tray"))
        expect("the icon added: %r" % app.log[icon:icon + 1], icon >= 0 and app.log[icon]["added"])
        # Under Wine the default output is heard through its monitor, which the app cannot tell from a
        # microphone: it says so from the icon, not in a box.
        notice = app.wait("the microphone notice", event("microphone_notice"))
        expect("the notice from the icon: %r" % app.log[notice:notice + 1],
               notice >= 0 and app.log[notice]["how"] == "notification")

        # M in the picture: "Louder", 3 dB up, in the title and kept.
        items, _ = open_menu(app, "M in the picture", press_in_picture("m"))
        if "Louder" in items:
            start = len(app.log)
            click(items["Louder"])
            at = app.wait("the gain 3 dB up", lambda l: l["event"] == "listen_gain" and l["gain"] > 1.4, start)
            title = app.wait("the title with the gain", lambda l: l["event"] == "title" and "+3 dB" in l["text"], start)
            expect("the title says it: %r" % app.log[title:title + 1], at >= 0 and title >= 0)
            bounded("the gain kept", lambda: kept(app.folder, "Listen", "Gain") == "1.414")

        # The icon is ours: the dark tile and the bars' green where Wine's tray window draws it.
        tray_icon_shown()
        # The icon's right button: "Fill the screen" fills the monitor.
        items, _ = open_menu(app, "the icon", click_icon(3))
        if "Fill the screen" in items:
            start = len(app.log)
            click(items["Fill the screen"])
            at = app.wait("the fill", lambda l: l["event"] == "fill" and l["on"], start)
            screen = tuple(int(v) for v in xdotool("getdisplaygeometry"))
            picture = xdotool("search", "--onlyvisible", "--name", PICTURE)
            filled = geometry(picture[0])[2:] if picture else None
            expect("filled %s, the screen %s" % (filled, screen), at >= 0 and filled == screen)
            bounded("the fill kept", lambda: kept(app.folder, "App", "Fill") == "1")
        items, _ = open_menu(app, "the menu key", press_in_picture("Menu"))
        expect("Fill the screen checked while filled", items.get("Fill the screen", {}).get("checked"))

        # "Keep on top": the picture above the others, kept.
        if "Keep on top" in items:
            start = len(app.log)
            click(items["Keep on top"])
            at = app.wait("on top", lambda l: l["event"] == "on_top" and l["on"], start)
            expect("topmost: %r" % app.log[at:at + 1], at >= 0 and app.log[at]["topmost"])
            bounded("on top kept", lambda: kept(app.folder, "App", "OnTop") == "1")

        # "Listen to": the second sink while running; its tone then peaks in the app's spectrum lines.
        items, _ = open_menu(app, "M for a device", press_in_picture("m"))
        if "Listen to" in items:
            start = len(app.log)
            click(items["Listen to"])
            app.wait("the device list", lambda l: l["event"] == "menu_item" and l["menu"] == "Listen to", start)
            devices = menu_items(app, start, "Listen to")
            second = [line for text, line in devices.items() if text.endswith("  Monitor of Second (recording)")]
            expect("the default first and checked, then the devices: %s" % sorted(devices),
                   devices.get("The default output (follow it)", {}).get("index") == 0 and
                   devices["The default output (follow it)"]["checked"] and len(second) == 1)
            if second:
                clicked = time.monotonic()
                click(second[0])
                switched = app.wait("the switch", event("listen_switch"), start)
                listen = app.wait("listening to the second sink", lambda l: l["event"] == "listen" and
                                  l["device"] == "Monitor of Second", start)
                frames = app.wait("frames during the switch", event("spectrum"), start)
                lt.play_tone_and_fall(app, os.path.join(folder, "tone.wav"), bin_, max(listen, frames),
                                      sink="second")
                print("from the click to the second sink heard: switch %s ms, listening after %.0f ms" % (
                    app.log[switched]["ms"] if switched >= 0 else None, (time.monotonic() - clicked) * 1000))
                choice = app.wait("the choice", event("listen_choice"), start)
                bounded("the choice kept as --device keeps it (its id)",
                        lambda: choice >= 0 and kept(app.folder, "Listen", "Device") == app.log[choice]["device"])
                print("\n".join(json_line(l) for l in app.log[start:] if l["event"] in (
                    "menu_command", "listen_choice", "listen_switch", "listen")))

        # A second start in the same folder brings the first forward and ends with 0.
        second = App(app.folder, "second.jsonl")
        status = second.process.wait(timeout=60)
        handed = app.wait("the hand-over", event("handed_over"))
        second.end()
        lines = []
        lt.read_log(os.path.join(app.folder, "second.jsonl"), lines, 0)
        expect("the second start told the first and ended with 0, not %s: %s" % (status, lines),
               status == 0 and handed >= 0 and [l["event"] for l in lines] == ["hand_over"] and lines[0]["told"])

        keys_after_menus(app)

        items, _ = open_menu(app, "M to exit", press_in_picture("m"))
        if "Exit" in items:
            click(items["Exit"])
            expect("Exit ends the app with 0", app.process.wait(timeout=60) == 0)
    finally:
        app.end()


def json_line(line):
    return " ".join("%s=%s" % (k, v) for k, v in line.items())


def main():
    folder = tempfile.mkdtemp(prefix="smearscope-menu-")
    tone_wav(os.path.join(folder, "tone.wav"), 0.5)
    pulse("start")
    pulse("add-sink", "second", "Second")
    try:
        drive(folder, round(lt.HZ * 1152 / 44100))
    finally:
        pulse("stop")
        pulse("start")
    for failure in lt.failures:
        print("FAIL", failure)
    if lt.failures:
        print("logs kept in", folder)
    else:
        shutil.rmtree(folder, ignore_errors=True)
    return 1 if lt.failures else 0


if __name__ == "__main__":
    BIN = os.path.abspath(sys.argv[1])
    WINE = os.environ.get("WINE", "wine")
    sys.exit(lt.with_test_server(main))
