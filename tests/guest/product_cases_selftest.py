#!/usr/bin/env python3
# The product suite's checks must turn red on a faulty host or plug-in: this runs three of its cases
# on the given build (the x86_64 twin, outside), then feeds each check doctored copies of the run.
#   product_cases_selftest.py BIN_DIR     one "PASS" / "FAIL" line per fault; exit status 1 if any
# A doctored run stands for what a fault would log: a record field read at a wrong offset, another
# box text or style, a settings file a byte off, a lost frame.
import copy
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import product_cases as cases  # noqa: E402


def set_field(event, key, value):
    def doctor(run):
        run.first(event)[key] = value
    return doctor


def drop_first(event):
    def doctor(run):
        run.log.remove(run.first(event))
    return doctor


def settings_with(old, new):
    def doctor(run):
        good = run.settings()
        run.settings = lambda: good.replace(old, new, 1)
    return doctor


# case whose run is doctored, what the fault is, how it shows in the run
FAULTS = [
    ("frames", "header description read at a wrong offset", set_field("header", "description", "'s OpenGL Smearscope")),
    ("frames", "header version read from a neighbouring field", set_field("header", "version", 0)),
    ("frames", "Init's result taken from the wrong register", set_field("init", "result", 1)),
    ("frames", "a frame that never swapped", drop_first("swap")),
    ("start-failure", "another box text", set_field("message_box", "text", "Can't Create A GL Rendering Context")),
    ("start-failure", "another box style", set_field("message_box", "style", 0)),
    ("start-failure", "a box after Init returned", drop_first("init")),
    ("keys", "a settings file a byte off", settings_with(b"ShowSongTitle=1", b"ShowSongTitle=0")),
    ("keys", "Escape not ending the run", set_field("quit", "event", "not-quit")),
]
CHECKS = {"frames": cases.check_records, "start-failure": cases.check_start_failure, "keys": cases.check_keys}
EXTRA_CHECKS = {"keys": cases.check_settings_bytes}


def run_checks(name, run):
    check = cases.Checks()
    CHECKS[name](run, check)
    if name in EXTRA_CHECKS:
        EXTRA_CHECKS[name](run, check)
    return check.failures


def main(argv):
    if len(argv) != 1:
        print("usage: product_cases_selftest.py BIN_DIR", file=sys.stderr)
        return 2
    cases.OUT = tempfile.mkdtemp(prefix="smearscope-selftest-")
    runs = {}
    failed = 0
    for name, arguments, settings, _, frames in cases.CASES:
        if name not in CHECKS:
            continue
        if callable(arguments):
            arguments = arguments()
        runs[name] = cases.run_host(os.path.abspath(argv[0]), name, arguments, settings, capture=frames)
        check = cases.Checks()
        got = run_checks(name, runs[name]) if cases.finished(check, runs[name]) else check.failures
        if got:
            failed += 1
            print("FAIL %s: the faultless run fails its own checks: %s" % (name, "; ".join(got)))
            del runs[name]
    for name, fault, doctor in FAULTS:
        if name not in runs:
            continue
        run = copy.deepcopy(runs[name])
        doctor(run)
        got = run_checks(name, run)
        if got:
            print("PASS %s, %s: %s" % (name, fault, got[0]))
        else:
            failed += 1
            print("FAIL %s, %s: the checks passed" % (name, fault))
    if not failed:
        shutil.rmtree(cases.OUT, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
