# What the guest suites share: Wine's view of paths, the expectations that the Wine tests read too
# (tests/expect), among them the settings file as the plug-in writes it, and the frames' PNG reader.
import json
import os
import re
import struct
import zlib

EXPECT = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "expect")


def winpath(path):
    # Wine shows the Unix root as drive Z:.
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def read_log(path, lines, offset):
    """Appends the complete lines written to the log since offset; returns the new offset."""
    try:
        with open(path, "rb") as f:
            f.seek(offset)
            text = f.read()
    except OSError:
        return offset
    complete = text[:text.rfind(b"\n") + 1]
    for line in complete.decode("utf-8", "replace").splitlines():
        try:
            lines.append(json.loads(line))
        except ValueError:
            pass
    return offset + len(complete)


def read_expected(name):
    with open(os.path.join(EXPECT, name), "rb") as f:
        return f.read()


def settings_text(**values):
    """The settings file as the plug-in writes it, from the defaults with some values replaced."""
    text = read_expected("settings-defaults.ini")
    for key, value in values.items():
        text = re.sub(rb"(?m)^" + key.encode() + rb"=[^\r]*", key.encode() + b"=" + str(value).encode(), text)
    return text


# PNG as the host writes it: 8-bit RGB or RGBA, not interlaced. Returns (width, height, rows of bytes).
def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(path + ": not a PNG")
    at, idat, width = 8, b"", 0
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour not in (2, 6) or interlace:
                raise ValueError("%s: depth %d colour %d interlace %d" % (path, depth, colour, interlace))
            step = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw, stride, rows, previous = zlib.decompress(idat), width * step, [], bytearray(width * step)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = line[x - step] if x >= step else 0
            b = previous[x]
            c = previous[x - step] if x >= step else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line[i] for i in range(stride) if i % step < 3))
        previous = line
    return width, height, rows


def frame_difference(path, reference):
    """(differing pixels, largest channel difference, pixels) between two PNG files."""
    w1, h1, a = read_png(path)
    w2, h2, b = read_png(reference)
    if (w1, h1) != (w2, h2):
        return None
    pixels, largest = 0, 0
    for ra, rb in zip(a, b):
        if ra == rb:
            continue
        for x in range(0, len(ra), 3):
            d = max(abs(ra[x + i] - rb[x + i]) for i in range(3))
            if d:
                pixels += 1
                largest = max(largest, d)
    return pixels, largest, w1 * h1
