#!/usr/bin/python3
"""SIGTERM ends the program within a second whatever it is doing (an error box, the depth message,
the input prompt, a pause, a wait for a window, typing), with no key held and no keycode still
lent; and macros whose names look like toolkit options run by their names."""
import os
import signal
import subprocess
import sys
import time

import e2e


def catalogue(name, file_name):
    return (f"[Main]\nEntries=1\nFirstRun=0\n[Macro1]\nName={name}\nType=4\n"
            f"FileName={file_name}\n")


def typed_something(log):
    return lambda: os.path.exists(log) and os.path.getsize(log) > 0


# Each case: the macro's text, and what shows that the program has reached the state in question.
CASES = [
    ("error box", "ok<<SECSx>>no", lambda log: lambda: e2e.find_windows("Keyloom")),
    ("depth message", "x<<RUN:Case>>", lambda log: lambda: e2e.find_windows("Keyloom")),
    ("input prompt", "<<INPUT:Your name?>>", lambda log: lambda: e2e.find_windows(
        "Keyloom Input Box")),
    ("pause", "a<<SECS30>>b", typed_something),
    ("window wait", "a<<LOOKFOR:Never There~~SECS:60>>b", typed_something),
    ("typing", "<<REP100000>>ab€ü<<ENDREP>>", typed_something),
]


def run_case(box, name, text, reached):
    log = box.start_keylog(title="keylog " + name)
    box.write_catalogue(catalogue("Case", "Case.key"))
    box.write_side_file("Case.key", text)
    spare = e2e.spare_keycodes()
    proc = box.start([box.macros, "/Open:Case", "/Close"])
    e2e.wait_for(reached(log), 20, name)
    time.sleep(0.3)
    e2e.check(proc.poll() is None, f"{name}: the program ended by itself")
    sent = time.monotonic()
    proc.send_signal(signal.SIGTERM)
    try:
        proc.wait(3)
    except subprocess.TimeoutExpired:
        proc.kill()
        raise AssertionError(f"{name}: still running 3 s after SIGTERM")
    took = time.monotonic() - sent
    e2e.check(took < 1.0, f"{name}: ended {took:.2f} s after SIGTERM")
    e2e.check(e2e.held_keys() == "", f"{name}: keys held: {e2e.held_keys()}")
    e2e.check(e2e.spare_keycodes() == spare, f"{name}: lent keycodes were not given back")
    print(f"{name}: ended {took:.2f} s after SIGTERM, nothing held")


def run_option_like_names(box):
    for name in ("-reverse", "-style"):
        log = box.start_keylog(title="keylog " + name)
        box.write_catalogue(catalogue(name, name + ".key"))
        box.write_side_file(name + ".key", "ran " + name + "<<F12>>")
        for argv in ([name, "/Close"], ["/Open:" + name, "/Close"]):
            open(log, "w").close()
            proc = box.start([box.macros, *argv])
            e2e.wait_for(lambda: os.path.exists(log + ".done"), 20, f"{argv} to type")
            proc.wait(10)
            os.unlink(log + ".done")
            got = open(log).read()
            e2e.check(got == f"ran {name}<F12>", f"{argv}: typed {got!r}")
    print("macros named like toolkit options run by their names")


def main():
    for name, text, reached in CASES:
        box = e2e.Sandbox()
        try:
            run_case(box, name, text, reached)
        finally:
            box.close()
    box = e2e.Sandbox()
    try:
        run_option_like_names(box)
    finally:
        box.close()
    print("signals test passed")


if __name__ == "__main__":
    sys.exit(main())
