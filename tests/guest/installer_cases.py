#!/usr/bin/env python3
# The installer's cases, run under Wine on the packager's setup program: install, run, upgrade, a
# DLL in use, an upgrade cancelled while the standalone program runs, uninstall; then the players it
# finds from stand-in installs, silently and on its page. Each case prints "PASS name" or
# "FAIL name: reason"; see installer_suite.sh.
import configparser
import glob
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zipfile

from guest_common import settings_text, winpath

WINE = os.environ.get("WINE", "wine")
TIMEOUT = int(os.environ.get("SMEARSCOPE_INSTALLER_TIMEOUT", "300"))
PLAYER_KEY = r"HKCU\Software\Winamp"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Smearscope"
DLL = "vis_Smearscope.dll"
UNINSTALLER = "Smearscope-uninstall.exe"
# The texts installed beside the DLL, by their names in the zip: the same bytes in both downloads.
TEXTS = {"Smearscope-README.txt": "README.txt", "Smearscope-LICENSE.txt": "LICENSE",
         "Smearscope-THIRD-PARTY-NOTICES.txt": "THIRD-PARTY-NOTICES.txt"}
INSTALLED = [DLL, *TEXTS]
# What our own folder keeps beside the app: the uninstaller and its record of the places.
PLACES = "places.ini"
OURS = {UNINSTALLER, PLACES}
APP = "smearscope.exe"
# Beside the app, under the zip's names, as its About box names them.
APP_TEXTS = ["LICENSE", "THIRD-PARTY-NOTICES.txt"]
# The optional part's Start-menu entries (all users') and the arguments each runs the app with.
START_MENU = r"C:\ProgramData\Microsoft\Windows\Start Menu\Programs"
LINKS = {"Smearscope.lnk": "", "Smearscope settings.lnk": "--config"}
SW_SHOWNORMAL = 1  # a shell link's show command, at offset 0x3C of its header
RENDER_EVENT = '"event":"render"'  # one line of the host's log per Render call
APP_FRAME_EVENT = '"event":"first_frame"'  # the app's log, once it draws
# A small window keeps the emulated PC's frames quick; the plug-in rewrites the file at Quit.
SETTINGS = settings_text(Width=160, Height=95)


# Where the players' installers record them: the keys each row clears first, in both registry views.
UNINSTALL_ROOT = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall"
PLAYER_KEYS = [rf"{UNINSTALL_ROOT}\Winamp", rf"{UNINSTALL_ROOT}\WACUP", rf"{UNINSTALL_ROOT}\MediaPortal",
               r"HKEY_CURRENT_USER\Software\Winamp",
               r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\App Paths\winamp.exe"]
# Our folder by its C: path: its Unix path runs through dosdevices/c:, which no Windows program takes.
OUR_FOLDER = r"C:\Program Files\Smearscope"
CANNOT_LOAD = "64-bit: cannot load this plug-in"
# The user's winamp.ini, where a stand-in's paths.ini sends Winamp: {26} is the user's AppData.
USER_INI_FOLDER = "Smearscope Stand-in Winamp"

I386, AMD64, ARMNT = 0x014C, 0x8664, 0x01C4  # the PE machine field of 32-bit, x64 and ARM programs
CANNOT_TELL = "setup cannot tell whether it is 32-bit"
# What the pages' check says of a text wider or taller than its control.
CUT = "cut: "


def pe_stub(machine):
    """A player's program as the installer reads it: the PE header's machine field and no more."""
    header = bytearray(0x48)
    header[0:2] = b"MZ"
    struct.pack_into("<I", header, 0x3C, 0x40)
    header[0x40:0x44] = b"PE\0\0"
    struct.pack_into("<H", header, 0x44, machine)
    return bytes(header)


class Failure(Exception):
    pass


def check(condition, reason):
    if not condition:
        raise Failure(reason)


def wine(*args, timeout=TIMEOUT):
    return subprocess.run([WINE, *args], stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=timeout).returncode


def wine_command_line(program, arguments):
    """Runs PROGRAM with ARGUMENTS as one raw command line. NSIS reads /D= and _?= unquoted up
    to the line's end, and Wine quotes every argument that holds a space: cmd passes it as is."""
    check(" " not in winpath(program), f"{program}: cmd would split the program's path")
    return wine("cmd", "/c", f"{winpath(program)} {arguments}")


def reg_value(key, name=None):
    """A registry string as Wine's reg prints it, or None when the key or value is missing."""
    which = ["/ve"] if name is None else ["/v", name]
    result = subprocess.run([WINE, "reg", "query", key, *which], stdin=subprocess.DEVNULL,
                            capture_output=True, text=True, errors="replace", timeout=TIMEOUT)
    if result.returncode != 0:
        return None
    for line in result.stdout.splitlines():
        fields = re.split(r"\s{2,}|\t", line.strip(), maxsplit=2)
        if len(fields) == 3 and fields[1].startswith("REG_"):
            return fields[2]
    return None


def tree(folder):
    """Every file and folder under FOLDER, relative, with each file's SHA-256."""
    found = {}
    for root, dirs, files in os.walk(folder):
        for name in dirs:
            found[os.path.relpath(os.path.join(root, name), folder) + "/"] = None
        for name in files:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                found[os.path.relpath(path, folder)] = hashlib.sha256(f.read()).hexdigest()[:12]
    return found


def stamped_tree(folder, names=None):
    """tree() with each file's modification time, so that a rewrite with the same bytes shows;
    NAMES limits it to those files. The settings are the user's, not the installer's."""
    found = {}
    for name, digest in tree(folder).items():
        if (names is None or name in names) and os.path.basename(name) != "Smearscope.ini":
            found[name] = digest and (digest, int(os.path.getmtime(os.path.join(folder, name))))
    return found


def reg_values(key):
    """Every value under KEY as Wine's reg prints it: {name: (type, data)}."""
    result = subprocess.run([WINE, "reg", "query", key], stdin=subprocess.DEVNULL, capture_output=True,
                            text=True, errors="replace", timeout=TIMEOUT)
    values = {}
    for line in result.stdout.splitlines():
        fields = re.split(r"\s{2,}|\t", line.strip(), maxsplit=2)
        if len(fields) >= 2 and fields[1].startswith("REG_"):
            values[fields[0]] = (fields[1], fields[2] if len(fields) == 3 else "")
    return values


def tree_difference(actual, expected):
    extra = sorted(set(actual) - set(expected))
    missing = sorted(set(expected) - set(actual))
    changed = sorted(k for k in set(actual) & set(expected) if actual[k] != expected[k])
    return ", ".join(f"{label} {names}" for label, names in
                     (("extra", extra), ("missing", missing), ("changed", changed)) if names)


def wait_for(predicate, seconds=TIMEOUT):
    deadline = time.monotonic() + seconds
    while not predicate():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.2)
    return True


def pe_version(path):
    """(FILEVERSION as a.b.c.d, the ProductVersion string) from a PE file's version resource."""
    with open(path, "rb") as f:
        data = f.read()
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    check(at >= 0, f"{path} has no version resource")
    ms, ls = struct.unpack_from("<II", data, at + 8)
    fixed = f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
    key = "ProductVersion\0".encode("utf-16-le")
    value = re.search(re.escape(key) + rb"(?:\0\0)?((?:[^\0]\0)+)\0\0", data)
    return fixed, value.group(1).decode("utf-16-le") if value else None


def read_text(path):
    try:
        with open(path, errors="replace") as f:
            return f.read()
    except FileNotFoundError:
        return ""


def local_app_data(variable="LOCALAPPDATA"):
    """The Unix path of the Wine user's %LOCALAPPDATA% (or another folder variable)."""
    result = subprocess.run([WINE, "cmd", "/c", f"echo %{variable}%"], stdin=subprocess.DEVNULL,
                            capture_output=True, text=True, timeout=TIMEOUT)
    windows = result.stdout.strip()
    check(re.match(r"^[A-Za-z]:\\", windows), f"no %{variable}% from Wine: {windows!r}")
    unix = subprocess.run([WINE, "winepath", "-u", windows], stdin=subprocess.DEVNULL,
                          capture_output=True, text=True, timeout=TIMEOUT).stdout.strip()
    check(unix.startswith("/"), f"winepath gave {unix!r} for {windows}")
    return unix


def unix_path(path):
    return subprocess.run([WINE, "winepath", "-u", path], stdin=subprocess.DEVNULL, capture_output=True,
                          text=True, timeout=TIMEOUT).stdout.strip()


def read_record(path):
    """The uninstaller's record: [(player, Windows folder, 1 when setup made the folder)]."""
    record = configparser.ConfigParser(interpolation=None)
    record.read_string(read_text(path))
    count = record.getint("Places", "Count", fallback=0)
    return [(record.get(f"Place{n}", "Player", fallback=""), record.get(f"Place{n}", "Folder", fallback=""),
             record.getint(f"Place{n}", "Created", fallback=-1)) for n in range(1, count + 1)]


def sha(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()[:12]


class Suite:
    def __init__(self, bin_dir, setup, version, work):
        self.bin_dir, self.setup, self.version, self.work = bin_dir, setup, version, work
        # A made-up player, with a space in its name, another plug-in and the user's settings.
        self.player = os.path.join(work, "Made Up Player")
        self.plugins = os.path.join(self.player, "Plugins")
        self.other = os.path.join(work, "Other Player")
        os.makedirs(self.plugins)
        for name, data in (("winamp.exe", pe_stub(I386)),
                           ("Plugins/vis_other.dll", b"someone else's plug-in"),
                           ("Plugins/Smearscope.ini", SETTINGS)):
            with open(os.path.join(self.player, name), "wb") as f:
                f.write(data)
        self.before_install = tree(self.player)
        self.installed = None
        self.ours = unix_path(OUR_FOLDER)  # the uninstaller, its record, the app
        self.user_folder = None  # the app's %LOCALAPPDATA%\Smearscope, once the app part ran
        with zipfile.ZipFile(setup.replace("-setup.exe", ".zip")) as archive:
            self.texts = {f"Plugins/{name}": hashlib.sha256(archive.read(member)).hexdigest()[:12]
                          for name, member in TEXTS.items()}
            self.app_texts = {name: hashlib.sha256(archive.read(name)).hexdigest()[:12] for name in APP_TEXTS}

    def run_setup(self, arguments=""):
        return wine_command_line(self.setup, "/S " + arguments)

    def case_install_through_registry(self):
        # Found through HKCU, over an earlier build's install that kept its uninstaller in Plugins:
        # that one goes, and its place is recorded once.
        check(wine("reg", "add", PLAYER_KEY, "/ve", "/t", "REG_SZ", "/d", winpath(self.player),
                   "/f") == 0, "could not record the player's folder in the registry")
        check(wine("reg", "add", UNINSTALL_KEY, "/v", "InstallLocation", "/t", "REG_SZ", "/d", winpath(self.player),
                   "/f") == 0, "could not write an earlier install's entry")
        with open(os.path.join(self.plugins, UNINSTALLER), "wb") as f:
            f.write(b"an earlier build's uninstaller")
        rc = self.run_setup()
        check(rc == 0, f"setup /S exited with {rc}")
        expected = dict(self.before_install)
        expected[f"Plugins/{DLL}"] = sha(os.path.join(self.bin_dir, DLL))
        expected.update(self.texts)
        self.installed = tree(self.player)
        difference = tree_difference(self.installed, expected)
        check(not difference, f"the player's folder after install: {difference}")
        check(set(tree(self.ours)) == OURS, f"our folder holds {sorted(tree(self.ours))}")
        self.check_record([("Winamp", self.plugins, 0)])

    def case_installed_version(self):
        fixed, product = pe_version(os.path.join(self.plugins, DLL))
        check((fixed, product) == (self.version + ".0", self.version),
              f"installed DLL says {fixed} / {product!r}, expected {self.version}")

    def case_uninstall_entry(self):
        values = {name: reg_value(UNINSTALL_KEY, name) for name in
                  ("DisplayVersion", "UninstallString", "QuietUninstallString", "InstallLocation")}
        uninstaller = OUR_FOLDER + "\\" + UNINSTALLER
        expected = {"DisplayVersion": self.version, "UninstallString": f'"{uninstaller}"',
                    "QuietUninstallString": f'"{uninstaller}" /S', "InstallLocation": OUR_FOLDER}
        wrong = {k: v for k, v in values.items() if v is None or v.lower() != expected[k].lower()}
        check(not wrong, f"uninstall entry {wrong}, expected {expected}")
        return self.check_entry_icon_and_size(UNINSTALLER, [self.plugins])

    def check_entry_icon_and_size(self, icon, places):
        """The list of programs shows ICON (a file of our folder) and, as EstimatedSize, every file
        this install put at PLACES and in our folder, in KB."""
        shown = reg_value(UNINSTALL_KEY, "DisplayIcon") or ""
        check(shown.lower() == f'"{OUR_FOLDER}\\{icon}",0'.lower(), f"DisplayIcon is {shown!r}, not our {icon}")
        paths = [os.path.join(folder, name) for folder in places for name in INSTALLED]
        paths += [os.path.join(self.ours, name) for name in os.listdir(self.ours)]
        size = (sum(os.path.getsize(p) for p in paths) + 1023) // 1024
        estimated = int(reg_value(UNINSTALL_KEY, "EstimatedSize") or "-1", 0)
        check(estimated == size, f"EstimatedSize is {estimated} KB; what was installed takes {size} KB")
        return f"{size} KB"

    def host_command(self, log, frames):
        return [WINE, os.path.join(self.bin_dir, "smearscope-host.exe"), "--plugin",
                winpath(os.path.join(self.plugins, DLL)), "--frames", str(frames), "--log", winpath(log)]

    # NOTE: i686 Wine in the emulated PC now and then dies of a signal in the middle of a frame
    # (seen with the DLL run from any folder, stripped or not); the host runs below get one more
    # try, so a real fault still fails twice.
    def case_host_runs_installed_plugin(self):
        log = os.path.join(self.work, "host.log")
        for attempt in (1, 2):
            result = subprocess.run(self.host_command(log, 3) + ["--no-pause"], stdin=subprocess.DEVNULL,
                                    capture_output=True, cwd=self.work, timeout=TIMEOUT)
            if result.returncode >= 0:
                break
        check(result.returncode == 0, f"host exited with {result.returncode} (try {attempt}): "
              f"{result.stderr.decode(errors='replace')[-300:]}")
        frames = read_text(log).count(RENDER_EVENT)
        check(frames >= 3, f"the host logged {frames} frames")
        with open(os.path.join(self.plugins, "Smearscope.ini"), "rb") as f:
            saved = f.read()
        # Quit saves beside the DLL that ran: the small window read at Init is written back.
        check(b"Width=160" in saved and b"Height=95" in saved,
              f"the settings beside the installed DLL are now {saved!r}")
        self.installed = tree(self.player)
        return "second try" if attempt > 1 else ""

    def case_upgrade_replaces_older_dll(self):
        with open(os.path.join(self.plugins, DLL), "wb") as f:
            f.write(b"an older Smearscope")
        rc = self.run_setup()
        check(rc == 0, f"setup /S over an older install exited with {rc}")
        difference = tree_difference(tree(self.player), self.installed)
        check(not difference, f"after the upgrade: {difference}")

    def case_dll_in_use_changes_nothing(self):
        # The player stand-in holds the DLL loaded while setup runs; setup must give up without
        # writing anything: the older install's record and uninstaller stay as they were.
        uninstaller = os.path.join(self.ours, UNINSTALLER)
        log = os.path.join(self.work, "busy.log")
        for attempt in (1, 2):
            check(wine("reg", "add", UNINSTALL_KEY, "/v", "DisplayVersion", "/t", "REG_SZ", "/d",
                       "0.9.0", "/f") == 0, "could not mark the install as older")
            os.utime(uninstaller, (1e9, 1e9))
            if os.path.exists(log):
                os.remove(log)
            host = subprocess.Popen(self.host_command(log, 100000), stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, cwd=self.work)
            try:
                drawing = wait_for(lambda: host.poll() is not None or RENDER_EVENT in read_text(log))
                rc = self.run_setup() if host.poll() is None else None
                held = host.poll() is None
            finally:
                host.kill()
                host.wait(timeout=TIMEOUT)
            if held:
                break
        check(drawing and held, f"the host ended before setup was done (try {attempt}); nothing held the DLL")
        check(rc == 2, f"setup /S with the DLL in use exited with {rc}, expected 2 (aborted)")
        check(reg_value(UNINSTALL_KEY, "DisplayVersion") == "0.9.0",
              "setup rewrote the uninstall entry although it gave up")
        check(int(os.path.getmtime(uninstaller)) == 1e9, "setup rewrote the uninstaller although it gave up")
        check(wine("reg", "add", UNINSTALL_KEY, "/v", "DisplayVersion", "/t", "REG_SZ", "/d",
                   self.version, "/f") == 0, "could not restore the uninstall entry")
        # The host's Quit may have rewritten the settings; that is the user's file, not ours.
        self.installed = tree(self.player)
        return "second try" if attempt > 1 else ""

    def case_second_player_by_folder_option(self):
        # /D= names a player we do not know instead of the one the registry names; the place
        # recorded before is kept current (the same bytes), and the record names both.
        os.makedirs(self.other)
        registry_player = tree(self.player)
        rc = self.run_setup("/D=" + winpath(self.other))
        check(rc == 0, f"setup /S /D= exited with {rc}")
        check(os.path.exists(os.path.join(self.other, "Plugins", DLL)), "nothing landed in the /D= folder")
        check(not tree_difference(tree(self.player), registry_player),
              "setup /D= changed the registry's player folder")
        return self.check_record([("Winamp", self.plugins, 0),
                                  ("Another player", os.path.join(self.other, "Plugins"), 1)])

    def case_without_winamp_part(self):
        # /WITHOUTWINAMP: the app and a plug-in of its own in their folder, and two Start-menu entries.
        rc = self.run_setup("/WITHOUTWINAMP /D=" + winpath(self.other))
        check(rc == 0, f"setup /S /WITHOUTWINAMP exited with {rc}")
        folder = reg_value(UNINSTALL_KEY, "StandaloneFolder")
        check(folder, "the uninstall entry does not name the app's folder")
        self.standalone, self.start_menu = unix_path(folder), unix_path(START_MENU)
        check(self.standalone == self.ours, f"the app went to {folder}, not beside the uninstaller")
        expected = {name: sha(os.path.join(self.bin_dir, name)) for name in (APP, DLL)}
        expected.update(self.app_texts)
        difference = tree_difference(self.app_files(), expected)
        check(not difference, f"the app's folder {folder}: {difference}")
        with open(os.path.join(self.standalone, APP), "rb") as f:
            program = f.read()
        check(all(name.encode() in program for name in APP_TEXTS), f"About does not name {APP_TEXTS}")
        notes = ["entry " + self.check_entry_icon_and_size(APP, [self.plugins, os.path.join(self.other, "Plugins")])]
        for name, arguments in LINKS.items():
            with open(os.path.join(self.start_menu, name), "rb") as f:
                link = f.read()
            check(APP.encode() in link or APP.encode("utf-16-le") in link, f"{name} does not start {APP}")
            if arguments:
                check(arguments.encode("utf-16-le") in link, f"{name} does not run the app with {arguments}")
            check("--listen".encode("utf-16-le") not in link, f"{name} still passes the bench's --listen")
            show = struct.unpack_from("<I", link, 0x3C)[0]
            check(show == SW_SHOWNORMAL, f"{name} starts the app with show command {show}, not normal")
        # The installed pair runs as the Start-menu entry starts it (with a bound on frames): the
        # app copies the plug-in to the user's folder, whose settings it then keeps, and listens
        # (or says there is nothing to listen to).
        self.user_folder = os.path.join(local_app_data(), "Smearscope")
        shutil.rmtree(self.user_folder, ignore_errors=True)
        os.makedirs(self.user_folder)
        with open(os.path.join(self.user_folder, "Smearscope.ini"), "wb") as f:
            f.write(SETTINGS)
        for start, copied in (("first", "true"), ("second", "false")):
            log = os.path.join(self.work, f"app-{start}.log")
            for attempt in (1, 2):
                result = subprocess.run([WINE, os.path.join(self.standalone, APP), "--frames", "2", "--log",
                                         winpath(log)], stdin=subprocess.DEVNULL, capture_output=True,
                                        cwd=self.work, timeout=TIMEOUT)
                if result.returncode >= 0:
                    break
            text = read_text(log)
            check(result.returncode == 0 and '"frames_drawn":2' in text and '"event":"listen' in text,
                  f"the installed app's {start} start exited with {result.returncode}: {text[-600:]}")
            check(f'"copied":{copied}' in text, f"the {start} start's log does not say copied {copied}: {text[:400]}")
            check(sha(os.path.join(self.user_folder, DLL)) == expected[DLL], "the user folder's plug-in is not the installed one")
            with open(os.path.join(self.user_folder, "Smearscope.ini"), "rb") as f:
                saved = f.read()
            check(b"Width=160" in saved and b"Height=95" in saved, f"after the {start} start the settings are {saved!r}")
            notes += [f"{start} start: second try"] if attempt > 1 else []
        check(not tree_difference(self.app_files(), expected), "the app wrote into its Program Files folder")
        return ", ".join(notes)

    def case_upgrade_with_standalone_running_changes_nothing(self):
        # The standalone program runs, holding its copy of the plug-in; an upgrade that keeps its
        # part must find that before the first write, and /S (Cancel) must leave every file of both
        # parts and every value of the uninstall entry as it was.
        plugins = os.path.join(self.other, "Plugins")
        parts = ((plugins, None), (self.plugins, None), (self.standalone, None), (self.start_menu, set(LINKS)))
        log = os.path.join(self.work, "standalone.log")
        for attempt in (1, 2):
            check(wine("reg", "add", UNINSTALL_KEY, "/v", "DisplayVersion", "/t", "REG_SZ", "/d",
                       "0.9.0", "/f") == 0, "could not mark the install as older")
            for folder, names in parts:
                for name, digest in stamped_tree(folder, names).items():
                    if digest:
                        os.utime(os.path.join(folder, name), (1e9, 1e9))
            before = [stamped_tree(folder, names) for folder, names in parts]
            values = reg_values(UNINSTALL_KEY)
            if os.path.exists(log):
                os.remove(log)
            program = subprocess.Popen([WINE, os.path.join(self.standalone, APP), "--frames", "100000",
                                        "--log", winpath(log)], stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, cwd=self.work)
            try:
                drawing = wait_for(lambda: program.poll() is not None or APP_FRAME_EVENT in read_text(log))
                rc = self.run_setup("/D=" + winpath(self.other)) if program.poll() is None else None
                held = program.poll() is None
            finally:
                program.kill()
                program.wait(timeout=TIMEOUT)
            if held:
                break
        check(drawing, f"the app drew no frame within {TIMEOUT} s (its log: {read_text(log)[-300:]!r})")
        check(held, f"the app ended before setup was done (try {attempt})")
        check(rc == 2, f"setup /S with the standalone program running exited with {rc}, expected 2 (aborted)")
        for (folder, names), old in zip(parts, before):
            difference = tree_difference(stamped_tree(folder, names), old)
            check(not difference, f"{folder} after the cancelled upgrade: {difference}")
        now = reg_values(UNINSTALL_KEY)
        check(now == values, f"the uninstall entry after the cancelled upgrade: {now}, before {values}")
        check(wine("reg", "add", UNINSTALL_KEY, "/v", "DisplayVersion", "/t", "REG_SZ", "/d",
                   self.version, "/f") == 0, "could not restore the uninstall entry")
        return "second try" if attempt > 1 else ""

    def case_uninstall_keeps_settings(self):
        # Every recorded place loses our files; the folder setup made goes, the settings stay.
        self.uninstall_as_a_script()
        expected = {k: v for k, v in self.installed.items() if k not in [f"Plugins/{n}" for n in INSTALLED]}
        difference = tree_difference(tree(self.player), expected)
        check(not difference, f"the player's folder after uninstall: {difference}")
        check(not os.listdir(self.other), f"left in the /D= folder: {sorted(tree(self.other))}")
        check(not os.path.exists(self.ours), f"left in our folder: {sorted(tree(self.ours))}")
        check(reg_value(UNINSTALL_KEY, "DisplayVersion") is None, "the uninstall entry is still there")
        kept = sorted(tree(self.user_folder))
        check("Smearscope.ini" in kept and DLL not in kept and "smearscope.log" not in kept,
              f"the app's user folder holds {kept}: its settings stay, its plug-in and log go")

    def case_full_removal_on_request(self):
        # A Plugins folder that setup made goes again, with the settings and their VirtualStore
        # copy when asked, through the uninstaller as the list of programs runs it: it carries on
        # from a copy of itself.
        rc = self.run_setup("/WITHOUTWINAMP /D=" + winpath(self.other))
        check(rc == 0, f"setup /S /WITHOUTWINAMP /D= exited with {rc}")
        plugins = os.path.join(self.other, "Plugins")
        store = os.path.join(local_app_data(), "VirtualStore", os.path.abspath(plugins).lstrip("/"))
        os.makedirs(store, exist_ok=True)
        for folder in (plugins, store):
            with open(os.path.join(folder, "Smearscope.ini"), "wb") as f:
                f.write(SETTINGS)
        rc = wine(os.path.join(self.ours, UNINSTALLER), "/S", "/DELETESETTINGS")
        check(rc == 0, f"uninstaller /S /DELETESETTINGS exited with {rc}")
        check(wait_for(lambda: not os.listdir(self.other)),
              f"left behind after uninstall: {sorted(tree(self.other))}")
        kept = os.path.exists(os.path.join(store, "Smearscope.ini"))
        if not kept:
            os.removedirs(store)  # the empty folders made above, up to the first one in use
        check(not kept, "the settings' VirtualStore copy is still there")
        check(reg_value(UNINSTALL_KEY, "DisplayVersion") is None, "the uninstall entry is still there")
        check(wait_for(lambda: not os.path.exists(self.ours)), f"left in our folder: {sorted(tree(self.ours))}")
        check(self.user_folder and not os.path.exists(self.user_folder),
              f"left in the user's folder: {sorted(tree(self.user_folder or '.'))}")
        for name in LINKS:
            check(not os.path.exists(os.path.join(self.start_menu, name)), f"the Start-menu entry {name} is still there")

    def uninstall_as_a_script(self):
        """As a script waits for an NSIS uninstaller: a copy run with _?= and waited for."""
        copy = os.path.join(self.work, "uninstall-copy.exe")
        shutil.copy(os.path.join(self.ours, UNINSTALLER), copy)
        rc = wine_command_line(copy, "/S _?=" + OUR_FOLDER)
        check(rc == 0, f"uninstaller /S exited with {rc}")

    def app_files(self):
        return {k: v for k, v in tree(self.standalone).items() if k not in OURS}

    def check_record(self, expected):
        """Our folder's record of the places against EXPECTED [(player, Unix folder, made by us)];
        returns it in words for the closing line."""
        record = read_record(os.path.join(self.ours, PLACES))
        want = [(player, winpath(folder).lower(), created) for player, folder, created in expected]
        got = [(player, folder.lower(), created) for player, folder, created in record]
        check(got == want, f"the record of the places is {record}, expected {want}")
        return "record: " + "; ".join(f"{player} {folder}{' (made)' if created else ''}"
                                      for player, folder, created in record)



# Stand-in installs of the players: the folder (under the work folder) with its program's PE
# header, the registry value its installer writes (key, name, view; {folder} is the folder's Windows
# path), files beside it ("DIR/" a folder), the current user's winamp.ini, and the places the
# plug-in must go (folders made by setup: none, each exists already).
STAND_INS = {
    "winamp_visdir_elsewhere": dict(
        player="Winamp", folder="Winamp", program="winamp.exe", machine=I386,
        registry=(rf"{UNINSTALL_ROOT}\Winamp", "InstallLocation", 32, "{folder}"),
        files={"paths.ini": "[Winamp]\r\ninidir={26}\\" + USER_INI_FOLDER + "\r\n", "../Winamp Visuals/": None},
        user_ini="[Winamp]\r\nVISDir=%WINAMP_PROGRAM_DIR%\\..\\Winamp Visuals\r\n",
        places=["Winamp/Plugins", "Winamp Visuals"]),
    "winamp_visdir_beside": dict(
        player="Winamp", folder="Winamp", program="winamp.exe", machine=I386,
        registry=(r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\App Paths\winamp.exe", "Path", 32,
                  "{folder}"),
        files={"winamp.ini": "[Winamp]\r\nVISDir=Vis\r\n", "Vis/": None},
        places=["Winamp/Plugins", "Winamp/Vis"]),
    "wacup": dict(
        player="WACUP", folder="WACUP", program="wacup.exe", machine=I386,
        registry=(rf"{UNINSTALL_ROOT}\WACUP", "InstallLocation", 64, "{folder}"),
        places=["WACUP/Plugins"]),
    "wacup_64_bit": dict(
        player="WACUP", folder="WACUP 64", program="wacup.exe", machine=AMD64,
        registry=(rf"{UNINSTALL_ROOT}\WACUP", "UninstallString", 64, '"{folder}\\uninstall.exe"'),
        files={"uninstall.exe": ""}, places=[]),
    # Programs setup cannot read as a PE header of a machine it knows: listed, not ticked.
    "winamp_short": dict(
        player="Winamp", folder="Winamp", program="winamp.exe", machine=None, data=b"MZ\x90\0\3\0\0",
        registry=(rf"{UNINSTALL_ROOT}\Winamp", "InstallLocation", 32, "{folder}"), places=["Winamp/Plugins"]),
    "wacup_not_pe": dict(
        player="WACUP", folder="WACUP", program="wacup.exe", machine=None, data=b"not a program\r\n" * 20,
        registry=(rf"{UNINSTALL_ROOT}\WACUP", "InstallLocation", 64, "{folder}"), places=[]),
    "mediaportal_arm": dict(
        player="MediaPortal", folder="MediaPortal", program="MediaPortal.exe", machine=ARMNT,
        registry=(rf"{UNINSTALL_ROOT}\MediaPortal", "InstallPath", 32, "{folder}"), places=[]),
    "mediaportal": dict(
        player="MediaPortal", folder="MediaPortal", program="MediaPortal.exe", machine=I386,
        registry=(rf"{UNINSTALL_ROOT}\MediaPortal", "InstallPath", 32, "{folder}"),
        files={"MusicPlayer/plugins/visualizations/Plugins/": None},
        places=["MediaPortal/MusicPlayer/plugins/visualizations/Plugins"]),
}
UNKNOWN_PLAYER = "Unknown Player"
# name, stand-ins (in the order setup looks for them), the page's actions (None: /S), setup's
# status. Each row that installs also upgrades (/S) and uninstalls.
ROWS = [
    ("winamp_visdir_elsewhere", ["winamp_visdir_elsewhere"], None, 0),
    ("wacup", ["wacup"], None, 0),
    ("wacup_64_bit_passed_over", ["wacup_64_bit"], None, 2),
    ("mediaportal", ["mediaportal"], None, 0),
    ("none_found", [], None, 2),
    ("unreadable_programs_passed_over", ["winamp_short", "wacup_not_pe", "mediaportal_arm"], None, 2),
    ("page_lists_every_player", ["winamp_visdir_beside", "wacup_64_bit", "mediaportal"], [], 0),
    ("page_at_120_dpi", ["winamp_visdir_elsewhere", "wacup", "mediaportal"], ["dpi:120"], 0),
    ("page_at_144_dpi", ["winamp_visdir_elsewhere", "wacup", "mediaportal"], ["dpi:144"], 0),
    ("page_unreadable_programs", ["winamp_short", "wacup_not_pe", "mediaportal_arm"], ["tick:Winamp"], 0),
    ("none_found_directory_page", [], ["folder:" + UNKNOWN_PLAYER], 0),
]
# In the emulated PC each Wine session of a copied prefix takes about 10 minutes: there the 144-dpi
# row stands for the 120-dpi one, which runs wherever Wine runs at full speed.
NATIVE_SPEED_ONLY = {"page_at_120_dpi"}
# What the finish page says of choosing the plug-in in each player it went to.
CHOOSING = {"Winamp": "In Winamp: Options > Preferences", "WACUP": "In WACUP: Options > Preferences",
            "MediaPortal": "In MediaPortal: choose", "Another player": "In another player: choose"}


def reg_file(text_lines):
    return "Windows Registry Editor Version 5.00\r\n\r\n" + "\r\n".join(text_lines) + "\r\n"


def reg_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


class PlayerRows:
    """Each row: stand-in players, setup (silent or through its page), upgrade, uninstall."""

    def __init__(self, suite):
        self.suite, self.work = suite, os.path.join(suite.work, "players")
        self.driver = os.path.join(suite.bin_dir, "smearscope-installer-driver.exe")
        self.user_ini = os.path.join(local_app_data("APPDATA"), USER_INI_FOLDER)
        self.ours = suite.ours
        # A win32 prefix has one registry view: everything goes there.
        self.views = (32, 64) if os.path.isdir(unix_path(r"C:\windows\syswow64")) else (None,)

    def set_registry(self, stand_ins):
        """The players' keys cleared in every view, then the stand-ins' values written. NOTE: Wine
        shares some keys between the views (App Paths): clearing one view after writing the other
        took the value away again."""
        for step in ("cleared", "written"):
            for view in self.views:
                lines = [f"[-{key}]" for key in PLAYER_KEYS] if step == "cleared" else []
                for stand_in in stand_ins if step == "written" else []:
                    key, name, at, data = stand_in["registry"]
                    if view in (at, None):
                        folder = winpath(os.path.join(self.work, stand_in["folder"]))
                        lines += [f"[{key}]", f"{reg_string(name)}={reg_string(data.format(folder=folder))}"]
                path = os.path.join(self.work, f"players-{view}-{step}.reg")
                with open(path, "w", newline="") as f:
                    f.write(reg_file(lines))
                rc = wine("reg", "import", winpath(path), *([f"/reg:{view}"] if view else []))
                check(rc == 0, f"reg import of {path} exited with {rc}")

    def make(self, stand_ins):
        shutil.rmtree(self.work, ignore_errors=True)
        shutil.rmtree(self.user_ini, ignore_errors=True)
        os.makedirs(os.path.join(self.work, UNKNOWN_PLAYER))
        for stand_in in stand_ins:
            folder = os.path.join(self.work, stand_in["folder"])
            os.makedirs(os.path.join(folder, "Plugins"))
            program = stand_in["data"] if "data" in stand_in else pe_stub(stand_in["machine"])
            files = {stand_in["program"]: program, "Plugins/vis_other.dll": "another plug-in",
                     **stand_in.get("files", {})}
            for name, data in files.items():
                path = os.path.normpath(os.path.join(folder, name))
                os.makedirs(path if data is None else os.path.dirname(path), exist_ok=True)
                if data is not None:
                    with open(path, "wb") as f:
                        f.write(data if isinstance(data, bytes) else data.encode())
            if "user_ini" in stand_in:
                os.makedirs(self.user_ini)
                with open(os.path.join(self.user_ini, "winamp.ini"), "w", newline="") as f:
                    f.write(stand_in["user_ini"])
        self.set_registry(stand_ins)

    def drive(self, program, actions, name):
        """The driver at PROGRAM's pages: (status, what it printed); the pages' pictures and text go
        to the case's folder."""
        shots = os.path.join(self.suite.work, name)
        os.makedirs(shots, exist_ok=True)
        arguments = [a.replace("folder:", "folder:" + winpath(self.work) + "\\") for a in actions]
        result = subprocess.run([WINE, self.driver, winpath(program), *arguments, "shots:" + winpath(shots),
                                 f"timeout:{TIMEOUT}"], stdin=subprocess.DEVNULL, capture_output=True, text=True,
                                errors="replace", timeout=TIMEOUT + 30)
        with open(os.path.join(shots, "pages.txt"), "w") as f:
            f.write(result.stdout)
        return result.returncode, result.stdout

    def run_setup(self, actions, name):
        if actions is None:
            return self.suite.run_setup(), ""
        return self.drive(self.suite.setup, actions, name)

    def check_pages(self, pages, parts):
        """Every text whole, and each part in the tree of parts named with a description."""
        cut = [line.strip() for line in pages.splitlines() if line.strip().startswith(CUT)]
        check(not cut, f"texts cut off: {cut}")
        lines = [line.strip() for line in pages.splitlines()]
        items = [(line[6:], lines[i + 1][7:] if lines[i + 1:i + 2] and lines[i + 1].startswith("about: ") else "")
                 for i, line in enumerate(lines) if line.startswith("item: ")]
        check([name for name, _ in items] == parts and all(len(about) > 20 for _, about in items),
              f"the parts and their descriptions: {items}, expected {parts}")

    def uninstall_through_pages(self, name, places):
        """The uninstaller's pages: the first names every recorded place and our folder."""
        copy = os.path.join(self.suite.work, "uninstall-copy.exe")
        shutil.copy(os.path.join(self.ours, UNINSTALLER), copy)
        rc, pages = self.drive(copy, ["arguments:_?=" + OUR_FOLDER], name + "-uninstall")
        check(rc == 0, f"the uninstaller exited with {rc}: {pages[-600:]}")
        first = pages[pages.find("page:"):pages.find("page:", pages.find("page:") + 1)].lower()
        missing = [folder for folder in [*(winpath(f) for f in places), OUR_FOLDER] if folder.lower() not in first]
        check(not missing, f"the uninstaller's first page does not name {missing}: {first[:600]}")
        self.check_pages(pages, ["Smearscope", "Your settings"])

    def expected_boxes(self, stand_ins):
        boxes = []
        for stand_in in stand_ins:
            text = f"{stand_in['player']} ({winpath(os.path.join(self.work, stand_in['folder']))})"
            if stand_in["machine"] == I386:
                boxes.append(f"[x] {text}")
            elif stand_in["machine"] == AMD64:
                boxes.append(f"[ ] {text}: {CANNOT_LOAD} (greyed)")
            else:
                boxes.append(f"[ ] {text}: {CANNOT_TELL}")
        return boxes + [f"[{' ' if stand_ins else 'x'}] Another folder..."]

    def check_places(self, places):
        for player, folder, created in places:
            for name in INSTALLED:
                check(os.path.exists(os.path.join(folder, name)), f"no {name} in {folder}")
            check(sha(os.path.join(folder, DLL)) == sha(os.path.join(self.suite.bin_dir, DLL)),
                  f"the DLL in {folder} is not the built one")
        return self.suite.check_record(places)

    def run(self, name, names, actions, status):
        dpi = next((int(a[4:]) for a in actions or [] if a.startswith("dpi:")), None)
        if dpi:
            with prefix_at_dpi(dpi):
                return self.run_row(name, names, [a for a in actions if not a.startswith("dpi:")], status, dpi)
        return self.run_row(name, names, actions, status, 96)

    def run_row(self, name, names, actions, status, dpi):
        stand_ins = [STAND_INS[n] for n in names]
        self.make(stand_ins)
        before = tree(self.work)
        rc, pages = self.run_setup(actions, name)
        check(rc == status, f"setup exited with {rc}, expected {status}; pages: {pages[-600:]}")
        if actions is not None:
            check(f"dpi: {dpi}" in pages, f"the pages were not at {dpi} dpi: {pages[:200]}")
            boxes = [line.strip() for line in pages.splitlines() if line.strip()[:3] in ("[x]", "[ ]")]
            want = self.expected_boxes(stand_ins)
            check([b.lower() for b in boxes[:len(want)]] == [w.lower() for w in want],
                  f"the players page shows {boxes}, expected {want}")
            self.check_pages(pages, ["Plug-in", "Without Winamp"])
        bits = {I386: "32-bit", AMD64: "64-bit"}
        found = ", ".join(f"{s['player']} ({bits.get(s['machine'], 'unreadable')})" for s in stand_ins)
        if status != 0:
            difference = tree_difference(tree(self.work), before)
            check(not difference, f"setup exited with {rc} but wrote {difference}")
            check(not os.path.exists(self.ours), f"setup exited with {rc} but made {self.ours}")
            return f"found: {found or 'none'}; nothing written"
        if stand_ins:
            places = [(s["player"], os.path.join(self.work, place), 0) for s in stand_ins for place in s["places"]]
        else:
            places = [("Another player", os.path.join(self.work, UNKNOWN_PLAYER, "Plugins"), 1)]
        record = self.check_places(places)
        if actions is not None:
            # The finish page: every place, our folder, and how to choose it in each player.
            finish = pages[pages.rfind("page:"):].lower()
            named = [winpath(folder) for _, folder, _ in places] + [OUR_FOLDER]
            named += [CHOOSING[player] for player, _, _ in places]
            missing = [text for text in named if text.lower() not in finish]
            check(not missing, f"the finish page does not name {missing}: {finish[:600]}")
        # Upgrade: an older DLL at every place, every one replaced by one silent run.
        for _, folder, _ in places:
            with open(os.path.join(folder, DLL), "wb") as f:
                f.write(b"an older Smearscope")
        rc = self.suite.run_setup()
        check(rc == 0, f"the upgrade exited with {rc}")
        self.check_places(places)
        if actions is not None:
            self.uninstall_through_pages(name, [folder for _, folder, _ in places])
        else:
            self.suite.uninstall_as_a_script()
        difference = tree_difference(tree(self.work), before)
        check(not difference, f"the players' folders after uninstall: {difference}")
        check(not os.path.exists(self.ours), f"left in our folder: {sorted(tree(self.ours))}")
        check(reg_value(UNINSTALL_KEY, "DisplayVersion") is None, "the uninstall entry is still there")
        return f"found: {found or 'none'}; {record}"

    def clean(self):
        self.set_registry([])
        shutil.rmtree(self.user_ini, ignore_errors=True)

class prefix_at_dpi:
    """Wine's prefix copied, with LogPixels at DPI, for the calls made inside the block: its own
    registry (the copy's); drive C: and the display stay the same."""

    def __init__(self, dpi):
        self.dpi = dpi

    def __enter__(self):
        self.original = os.environ.get("WINEPREFIX", os.path.expanduser("~/.wine"))
        self.copy = tempfile.mkdtemp(prefix=f"prefix-{self.dpi}-", dir=os.path.dirname(self.original))
        for name in os.listdir(self.original):
            if name not in ("drive_c", "dosdevices"):
                source = os.path.join(self.original, name)
                (shutil.copytree if os.path.isdir(source) else shutil.copy2)(source, os.path.join(self.copy, name))
        os.makedirs(os.path.join(self.copy, "dosdevices"))
        for name in os.listdir(os.path.join(self.original, "dosdevices")):
            if not os.path.islink(os.path.join(self.original, "dosdevices", name)):
                continue
            target = os.readlink(os.path.join(self.original, "dosdevices", name))
            if name == "c:":
                target = os.path.join(self.original, "drive_c")
            os.symlink(target, os.path.join(self.copy, "dosdevices", name))
        os.environ["WINEPREFIX"] = self.copy
        check(wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d",
                   str(self.dpi), "/f") == 0, f"could not set {self.dpi} dpi")
        return self

    def __exit__(self, *error):
        subprocess.run(["wineserver", "-k"], stdin=subprocess.DEVNULL, capture_output=True, timeout=TIMEOUT)
        os.environ["WINEPREFIX"] = self.original
        shutil.rmtree(self.copy, ignore_errors=True)
        return False


CASES = ["install_through_registry", "installed_version", "uninstall_entry",
         "host_runs_installed_plugin", "upgrade_replaces_older_dll", "dll_in_use_changes_nothing",
         "second_player_by_folder_option", "without_winamp_part",
         "upgrade_with_standalone_running_changes_nothing", "uninstall_keeps_settings",
         "full_removal_on_request"]


def main(bin_dir):
    dist = os.environ.get("SMEARSCOPE_DIST")
    setups = sorted(glob.glob(os.path.join(dist, "smearscope-*-setup.exe"))) if dist else []
    if not setups:
        # A suite that cannot run fails: a quiet pass here would claim an install that never happened.
        print("FAIL installer: no setup program (SMEARSCOPE_DIST unset or empty)")
        return 1
    setup = setups[-1]
    version = re.search(r"smearscope-([\d.]+)-setup\.exe$", setup).group(1)
    out = os.environ.get("OUT")
    work = os.path.join(out, "installer") if out else tempfile.mkdtemp(prefix="installer-")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    failed = 0
    try:
        suite = Suite(os.path.abspath(bin_dir), setup, version, work)
        rows = PlayerRows(suite)
        cases = [(name, getattr(suite, "case_" + name)) for name in CASES]
        emulated = os.environ.get("SMEARSCOPE_EMULATED_PC") == "1"
        cases += [(f"players_{row[0]}", lambda row=row: rows.run(*row)) for row in ROWS
                  if not (emulated and row[0] in NATIVE_SPEED_ONLY)]
        if emulated:
            print(f"NOTE installer: {sorted(NATIVE_SPEED_ONLY)} run at full speed only (the twin, wine32)")
        # SMEARSCOPE_CASES (a regular expression) picks some: each players_ row stands alone, the
        # others build on the ones before them.
        only = re.compile(os.environ.get("SMEARSCOPE_CASES", ""))
        for name, case in [(name, case) for name, case in cases if only.search(name)]:
            started = time.monotonic()
            try:
                note = case()
                print(f"PASS {name} ({time.monotonic() - started:.1f} s{', ' + note if note else ''})",
                      flush=True)
            except (Failure, subprocess.TimeoutExpired, OSError) as error:
                failed += 1
                print(f"FAIL {name}: {error}", flush=True)
        rows.clean()
    finally:
        wine("reg", "delete", PLAYER_KEY, "/f")
        wine("reg", "delete", UNINSTALL_KEY, "/f")
        shutil.rmtree(unix_path(OUR_FOLDER), ignore_errors=True)  # what a failed case left
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
