#!/usr/bin/env python3
"""The shipped i686 DLL's face: PE machine, export table name and its one export at ordinal 1,
only system DLLs imported, the configuration dialog resource present; released form: no debug
sections, a .gnu_debuglink whose CRC matches the debug file beside it, and the version resource
as windres reads it back. Usage: check_product_dll.py DLL VERSION
With --version-only, checks only the version resource (of the host, say)."""
import os
import re
import struct
import subprocess
import sys
import zlib
import pefile

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "opengl32.dll", "glu32.dll", "msvcrt.dll",
               "winmm.dll", "advapi32.dll"}


def section_names(pe, data):
    """Section names with the long ones ("/4") looked up in the COFF string table, as the linker
    writes every name longer than eight bytes (all of .debug_* and .gnu_debuglink)."""
    strings = pe.FILE_HEADER.PointerToSymbolTable + 18 * pe.FILE_HEADER.NumberOfSymbols
    names = []
    for section in pe.sections:
        name = section.Name.rstrip(b"\0").decode()
        if name.startswith("/") and name[1:].isdigit() and pe.FILE_HEADER.PointerToSymbolTable:
            start = strings + int(name[1:])
            name = data[start:data.index(b"\0", start)].decode()
        names.append((name, section))
    return names


def check_face(pe):
    failures = []
    if pe.FILE_HEADER.Machine != pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]:
        failures.append(f"machine {pe.FILE_HEADER.Machine:#x}, expected i386")
    exports = pe.DIRECTORY_ENTRY_EXPORT
    name = pe.get_string_at_rva(exports.struct.Name).decode()
    if name != "vis_Smearscope.dll":
        failures.append(f"export table names {name!r}")
    symbols = [(s.name.decode() if s.name else None, s.ordinal) for s in exports.symbols]
    if symbols != [("winampVisGetHeader", 1)] or exports.struct.Base != 1:
        failures.append(f"exports {symbols} base {exports.struct.Base}")
    imports = sorted(entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT)
    foreign = [dll for dll in imports if dll not in SYSTEM_DLLS]
    if foreign:
        failures.append(f"imports non-system DLLs {foreign}")
    dialogs = [entry for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries
               if entry.id == pefile.RESOURCE_TYPE["RT_DIALOG"]]
    if not dialogs or 101 not in [e.id for e in dialogs[0].directory.entries]:
        failures.append("no dialog resource 101")
    print("imports:", ", ".join(imports))
    return failures


def check_stripped(pe, data, path):
    failures = []
    names = section_names(pe, data)
    print("sections:", ", ".join(name for name, _ in names))
    debug = [name for name, _ in names if name.startswith((".debug", ".zdebug", "/"))]
    if debug:
        failures.append(f"debug sections left in the DLL: {debug}")
    if pe.FILE_HEADER.NumberOfSymbols:
        failures.append(f"symbol table of {pe.FILE_HEADER.NumberOfSymbols} entries left in the DLL")
    links = [section for name, section in names if name == ".gnu_debuglink"]
    if not links:
        return failures + ["no .gnu_debuglink section"]
    # The link: the debug file's name, NUL, padding to 4 bytes, then its CRC-32, little-endian.
    link = links[0].get_data()
    target = link[:link.index(b"\0")].decode()
    crc_offset = (len(target) + 1 + 3) & ~3
    (crc,) = struct.unpack_from("<I", link, crc_offset)
    debug_path = os.path.join(os.path.dirname(path), target)
    print(f"debug link: {target} crc {crc:#010x}")
    if not os.path.exists(debug_path):
        return failures + [f"debug file {debug_path} missing"]
    with open(debug_path, "rb") as f:
        actual = zlib.crc32(f.read())
    if actual != crc:
        failures.append(f"{target} has crc {actual:#010x}, the link says {crc:#010x}")
    print(f"debug file: {os.path.getsize(debug_path)} bytes")
    return failures


def windres_version(path):
    """The version resource as the cross toolchain's resource compiler decompiles it."""
    rc = subprocess.run(["i686-w64-mingw32-windres", "-i", path, "-O", "rc"], check=True,
                        capture_output=True, text=True, errors="replace").stdout
    fixed = re.search(r"^\s*FILEVERSION\s+([\d, ]+)$", rc, re.M)
    product = re.search(r"^\s*PRODUCTVERSION\s+([\d, ]+)$", rc, re.M)
    values = dict(re.findall(r'VALUE\s+"(\w+)",\s+"((?:[^"\\]|\\.)*?)(?:\\0)?"', rc))
    return (fixed.group(1).replace(" ", "") if fixed else None,
            product.group(1).replace(" ", "") if product else None, values)


def check_version(path, version, original_filename):
    failures = []
    fixed, product, values = windres_version(path)
    print("version resource:", fixed, values)
    expected_fixed = ",".join(version.split(".") + ["0"])
    if fixed != expected_fixed or product != expected_fixed:
        failures.append(f"FILEVERSION {fixed} PRODUCTVERSION {product}, expected {expected_fixed}")
    expected = {"FileVersion": version, "ProductVersion": version, "ProductName": "Smearscope",
                "OriginalFilename": original_filename}
    for key, want in expected.items():
        if values.get(key) != want:
            failures.append(f"{key} is {values.get(key)!r}, expected {want!r}")
    for key in ("FileDescription", "LegalCopyright"):
        if not values.get(key):
            failures.append(f"{key} is empty")
    return failures


def main(path, version, version_only=False):
    failures = check_version(path, version, os.path.basename(path))
    if not version_only:
        with open(path, "rb") as f:
            data = f.read()
        pe = pefile.PE(data=data)
        print(f"size: {len(data)} bytes")
        failures += check_face(pe) + check_stripped(pe, data, path)
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    arguments = [a for a in sys.argv[1:] if a != "--version-only"]
    sys.exit(main(*arguments, version_only="--version-only" in sys.argv))
