#!/usr/bin/env python3
"""Writes THIRD-PARTY-NOTICES.txt: every library linked into what ships, with its notice and licence
as Debian's copyright file of the package the build used states them.
Usage: notices.py VERSION BUILD_DIR OUT   (BUILD_DIR holds freeglut/src and kissfft/src from setup)"""
import glob
import os
import re
import subprocess
import sys

DOC = "/usr/share/doc"
# The program the downloads carry beside the DLL.
PROGRAM = "smearscope.exe"


def paragraphs(path):
    """A Debian machine-readable copyright file as a list of {field: value} (continuations kept)."""
    with open(path, encoding="utf-8") as f:
        blocks = f.read().split("\n\n")
    parsed = []
    for block in blocks:
        fields, name = {}, None
        for line in block.splitlines():
            if line[:1] in (" ", "\t") and name:
                fields[name] += "\n" + line
            elif ":" in line:
                name, value = line.split(":", 1)
                fields[name] = value.strip()
        if fields:
            parsed.append(fields)
    return parsed


def dep5_notice(path, folders=(), skip=()):
    """The stanzas for all files ("*") or for files under one of FOLDERS, but none under SKIP (nor
    debian/, the packaging), then the stand-alone licence texts they name."""
    stanzas = paragraphs(path)
    chosen, licences = [], []
    for stanza in stanzas:
        patterns = stanza.get("Files", "").split()
        if any(p == "*" or (p.startswith(tuple(folders)) and not p.startswith(tuple(skip))) for p in patterns):
            chosen.append(stanza)
            name = stanza["License"].split("\n")[0]
            licences += [n.strip() for n in name.replace(" or ", " and ").split(" and ")]
    standalone = {s["License"].split("\n")[0]: s for s in stanzas if "Files" not in s and "License" in s}
    text = []
    for stanza in chosen:
        text.append(f"Files: {stanza['Files']}\nCopyright: {stanza.get('Copyright', '')}\n"
                    f"License: {stanza['License']}")
    for name in dict.fromkeys(licences):
        if name in standalone and "\n" in standalone[name]["License"]:
            holders = [s["Copyright"] for s in chosen if "Copyright" in s and s["License"].split("\n")[0] == name]
            text.append("License: " + with_holder(standalone[name]["License"], holders))
    return "\n\n".join(text)


def with_holder(licence, holders):
    """A licence text copied from a template with its notice left blank ("Copyright (c)  . All rights
    reserved.", as kissfft's is) gets the holders of the files it covers written in."""
    if not holders:
        return licence
    notice = "Copyright (c) " + "; ".join(" ".join(h.split()) for h in holders) + ". All rights reserved."
    return re.sub(r"(?m)^( ?)Copyright \(c\)\s*\.\s*All rights reserved\.$", lambda m: m.group(1) + notice, licence)


def between(path, start, end):
    """The lines of PATH from the one that starts with START up to the one that starts with END."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    first = next(i for i, line in enumerate(lines) if line.startswith(start))
    last = next(i for i in range(first + 1, len(lines)) if lines[i].startswith(end))
    return "\n".join(lines[first:last]).strip()


def package_version(package):
    return subprocess.run(["dpkg-query", "-W", "-f=${Version}", package], capture_output=True,
                          text=True, check=True).stdout


def source_dir(build, name):
    found = sorted(glob.glob(os.path.join(build, name, "src", f"{name}-*", "debian", "copyright")))
    if not found:
        sys.exit(f"notices: no {name} source under {build}/{name}/src (run scripts/setup)")
    return found[0], os.path.basename(os.path.dirname(os.path.dirname(found[0]))).split("-", 1)[1]


def main(version, build, out):
    freeglut, freeglut_version = source_dir(build, "freeglut")
    kissfft, kissfft_version = source_dir(build, "kissfft")
    gcc = os.path.join(DOC, "gcc-mingw-w64-base", "copyright")
    mingw = os.path.join(DOC, "mingw-w64-common", "copyright")
    both = "vis_Smearscope.dll and smearscope.exe"
    # The C runtime and the threads library are linked in; the headers, tools and tests are not.
    mingw_notice = dep5_notice(mingw, ("mingw-w64-crt/", "mingw-w64-libraries/winpthreads/"),
                               ("mingw-w64-libraries/winpthreads/tests_pthread/",))
    # GCC's own licence and the runtime library exception that covers libgcc and libstdc++.
    gcc_notice = (between(gcc, "GCC is Copyright", "The libbacktrace library") + "\n\n"
                  + between(gcc, "GCC RUNTIME LIBRARY EXCEPTION", "libquadmath/"))
    sections = [
        ("freeglut " + freeglut_version, "vis_Smearscope.dll (its bitmap fonts)",
         "Debian source package freeglut, debian/copyright", dep5_notice(freeglut)),
        ("mingw-w64 runtime " + package_version("mingw-w64-common") + ", with its threads library winpthreads",
         both, "Debian package mingw-w64-common, " + mingw, mingw_notice),
        ("GCC runtime libraries libgcc and libstdc++ " + package_version("gcc-mingw-w64-base"),
         both, "Debian package gcc-mingw-w64-base, " + gcc, gcc_notice),
        ("kissfft " + kissfft_version, "smearscope.exe (the spectrum of the sound it hears)",
         "Debian source package kissfft, debian/copyright", dep5_notice(kissfft)),
    ]
    text = [f"Smearscope {version} - third-party notices", "=" * 40, "",
            "Smearscope itself is under the MIT licence (see LICENSE). The programs it ships are",
            "linked statically with the libraries below; each one's copyright notice and licence",
            "follow, as Debian's copyright file of the package the build used states them.", ""]
    for title, where, source, notice in sections:
        text += ["", title, "-" * len(title), f"In: {where}", f"From: {source}", "", notice, ""]
    with open(out, "w", encoding="utf-8") as f:
        f.write("\n".join(text))


if __name__ == "__main__":
    main(*sys.argv[1:4])
