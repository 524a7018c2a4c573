# What the guest suites share: Wine's view of paths, and the expectations that the Wine tests read
# too (tests/expect), among them the settings file as the plug-in writes it.
import os
import re

EXPECT = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "expect")


def winpath(path):
    # Wine shows the Unix root as drive Z:.
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def read_expected(name):
    with open(os.path.join(EXPECT, name), "rb") as f:
        return f.read()


def settings_text(**values):
    """The settings file as the plug-in writes it, from the defaults with some values replaced."""
    text = read_expected("settings-defaults.ini")
    for key, value in values.items():
        text = re.sub(rb"(?m)^" + key.encode() + rb"=[^\r]*", key.encode() + b"=" + str(value).encode(), text)
    return text
