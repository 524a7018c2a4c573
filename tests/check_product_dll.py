#!/usr/bin/env python3
"""The shipped i686 DLL's face: PE machine, export table name and its one export at ordinal 1,
only system DLLs imported, and the configuration dialog resource present."""
import sys
import pefile

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "opengl32.dll", "glu32.dll", "msvcrt.dll",
               "winmm.dll", "advapi32.dll"}


def main(path):
    pe = pefile.PE(path)
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
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
