#!/usr/bin/env python3
"""What a user downloads, as scripts/package leaves it in DIST: the zip holds exactly the shipped
DLL and the app, smearscope.exe (byte for byte the built ones, beside each other; the app a window
program with its manifest, importing nothing of Windows 7's process-status functions), README.txt, LICENSE,
THIRD-PARTY-NOTICES.txt and CHANGELOG.md, as Notepad-ready text naming this version, the notices naming
every library linked in; the installer is a 32-bit PE with this version (the installer suite checks what
it installs); the debug files are in neither.
Usage: check_package.py DIST VERSION BUILT_DLL"""
import os
import re
import struct
import sys
import zipfile
import pefile

ZIP_FILES = ["vis_Smearscope.dll", "smearscope.exe", "README.txt", "LICENSE", "THIRD-PARTY-NOTICES.txt", "CHANGELOG.md"]
# Each library linked into what ships, by a line its notice must carry.
NOTICES = {"freeglut": "Pawel W. Olszta", "mingw-w64 runtime": "the mingw-w64 project",
           "winpthreads": "mingw-w64-libraries/winpthreads/", "libstdc++": "GCC RUNTIME LIBRARY EXCEPTION",
           "kissfft": "Mark Borgerding"}


def check_zip(path, version, built_dll):
    failures = []
    with zipfile.ZipFile(path) as archive:
        names = archive.namelist()
        print("zip:", ", ".join(f"{i.filename} {i.file_size}" for i in archive.infolist()))
        if sorted(names) != sorted(ZIP_FILES):
            return [f"zip holds {names}, expected exactly {ZIP_FILES}"]
        bad = archive.testzip()
        if bad:
            failures.append(f"{bad} is damaged in the zip")
        for name in ("vis_Smearscope.dll", "smearscope.exe"):
            with open(os.path.join(os.path.dirname(built_dll), name), "rb") as f:
                if archive.read(name) != f.read():
                    failures.append(f"the zip's {name} is not the built release one")
        if b".debug_info" in archive.read("smearscope.exe"):
            failures.append("the zip's app carries its debug information")
        failures += check_app(archive.read("smearscope.exe"))
        readme = archive.read("README.txt").decode("ascii")
        licence = archive.read("LICENSE").decode("ascii")
        changelog = archive.read("CHANGELOG.md").decode("utf-8")
        notices = archive.read("THIRD-PARTY-NOTICES.txt").decode("utf-8")
    for name, text in (("README.txt", readme), ("LICENSE", licence), ("CHANGELOG.md", changelog),
                       ("THIRD-PARTY-NOTICES.txt", notices)):
        if "\n" in text.replace("\r\n", ""):
            failures.append(f"{name} has bare line feeds; Notepad wants CRLF")
    if version not in readme or "@VERSION@" in readme:
        failures.append(f"README.txt does not name version {version}")
    for topic in ("Plugins", "Smearscope.ini", "VirtualStore", "Esc", "ERROR", "Windows Vista",
                  "Windows 7", "THIRD-PARTY-NOTICES.txt", "Visualization", "Without Winamp", "smearscope.exe",
                  "F11", "--fill-screen", "microphone", "WACUP", "MediaPortal", "64-bit: cannot load this plug-in"):
        if topic not in readme:
            failures.append(f"README.txt never mentions {topic!r}")
    for library, line in NOTICES.items():
        if library not in notices or line not in notices:
            failures.append(f"THIRD-PARTY-NOTICES.txt lacks {library} or its notice ({line!r})")
    if re.search(r"Copyright \(c\)\s*\.", notices):
        failures.append("THIRD-PARTY-NOTICES.txt has a copyright notice with no holder")
    if "MIT License" not in licence:
        failures.append("LICENSE is not the MIT licence")
    if f"## {version}" not in changelog:
        failures.append(f"CHANGELOG.md has no entry for {version}")
    return failures


def check_app(data):
    """The app as shipped: a window program, its manifest (run as the user, per-monitor DPI aware),
    no import from psapi or of K32GetProcessMemoryInfo, which Vista lacks, and the two exported
    values 1 that ask a laptop's drivers for the discrete graphics processor."""
    failures = []
    pe = pefile.PE(data=data)
    exported = {s.name.decode(): pe.get_dword_at_rva(s.address)
                for s in getattr(getattr(pe, "DIRECTORY_ENTRY_EXPORT", None), "symbols", []) if s.name}
    print("app exports:", exported)
    for name in ("NvOptimusEnablement", "AmdPowerXpressRequestHighPerformance"):
        if exported.get(name) != 1:
            failures.append(f"smearscope.exe exports {name} as {exported.get(name)}, not 1")
    if pe.OPTIONAL_HEADER.Subsystem != pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]:
        failures.append(f"smearscope.exe has subsystem {pe.OPTIONAL_HEADER.Subsystem}, not a window program's")
    imports = {entry.dll.decode().lower(): [i.name.decode() for i in entry.imports if i.name]
               for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])}
    print("app imports:", ", ".join(sorted(imports)))
    if "psapi.dll" in imports or any(name.startswith("K32") for names in imports.values() for name in names):
        failures.append("smearscope.exe imports the process-status functions")
    resources = pe.DIRECTORY_ENTRY_RESOURCE.entries if hasattr(pe, "DIRECTORY_ENTRY_RESOURCE") else []
    manifest = manifest_of(pe)
    for needed in (b'level="asInvoker"', b"true/pm", b"PerMonitorV2"):
        if needed not in manifest:
            failures.append(f"smearscope.exe's manifest lacks {needed.decode()}")
    return failures + check_icon(pe, resources)


def manifest_of(pe):
    resources = pe.DIRECTORY_ENTRY_RESOURCE.entries if hasattr(pe, "DIRECTORY_ENTRY_RESOURCE") else []
    for kind in resources:
        if kind.id == 24:
            entry = kind.directory.entries[0].directory.entries[0].data.struct
            return pe.get_data(entry.OffsetToData, entry.Size)
    return b""


def check_icon(pe, resources, group=1):
    """The icon group (GROUP, else the first) holds 16, 24, 32, 48 and 256 pixels; each bitmap size
    is drawn on its own grid (every pixel opaque or clear: a size scaled from another would blend its
    edges). The app's is group 1, which Explorer and the shell links show; the setup program's the
    same picture."""
    def data(entry):
        at = entry.directory.entries[0].data.struct
        return pe.get_data(at.OffsetToData, at.Size)
    kinds = {kind.id: {e.id if e.id is not None else str(e.name): e for e in kind.directory.entries}
             for kind in resources}
    groups = kinds.get(pefile.RESOURCE_TYPE["RT_GROUP_ICON"], {})
    group = groups.get(group) if group else next(iter(groups.values()), None)
    if not group:
        return ["no icon group"]
    raw = data(group)
    images = [struct.unpack_from("<BBBBHHIH", raw, 6 + 14 * i) for i in range(struct.unpack_from("<H", raw, 4)[0])]
    sizes = sorted(w or 256 for w, *_ in images)
    print("icon sizes:", sizes)
    failures = [] if sizes == [16, 24, 32, 48, 256] else [f"the icon has sizes {sizes}"]
    for width, _, _, _, _, bits, _, image_id in images:
        image = data(kinds[pefile.RESOURCE_TYPE["RT_ICON"]][image_id])
        if image[:4] == b"\x89PNG" or bits != 32:
            continue
        size = width or 256
        alphas = set(image[40 + 3:40 + 4 * size * size:4])
        if not alphas <= {0, 255}:
            failures.append(f"the {size}-pixel icon has partly clear pixels: not drawn on its own pixel grid")
    return failures


def check_installer(path, version):
    pe = pefile.PE(path)
    failures = []
    if pe.FILE_HEADER.Machine != pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]:
        failures.append(f"installer machine {pe.FILE_HEADER.Machine:#x}, expected i386")
    strings = {}
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            for table in getattr(entry, "StringTable", []):
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    print("installer version:", strings)
    if strings.get("ProductVersion") != version:
        failures.append(f"installer ProductVersion {strings.get('ProductVersion')!r}")
    # DPI-aware: Windows lays the pages out at the screen's dpi instead of stretching a 96-dpi bitmap.
    if not re.search(rb"<dpiAware[^>]*>true</dpiAware>", manifest_of(pe)):
        failures.append("the installer's manifest does not declare it DPI-aware")
    return failures + check_icon(pe, pe.DIRECTORY_ENTRY_RESOURCE.entries, group=None)


def main(dist, version, built_dll):
    name = f"smearscope-{version}"
    failures = []
    for suffix in (".zip", "-setup.exe"):
        path = os.path.join(dist, name + suffix)
        if not os.path.exists(path):
            failures.append(f"{path} missing")
        else:
            print(f"{name}{suffix}: {os.path.getsize(path)} bytes")
    if not failures:
        failures += check_zip(os.path.join(dist, name + ".zip"), version, built_dll)
        failures += check_installer(os.path.join(dist, name + "-setup.exe"), version)
    for debug in ("vis_Smearscope.dll.debug", "smearscope.exe.debug"):
        debug = os.path.join(dist, f"{name}-debug", debug)
        if not os.path.exists(debug):
            failures.append(f"{debug} missing: the release's debug information is not kept")
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
