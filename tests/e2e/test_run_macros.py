#!/usr/bin/python3
"""Macros run from the command line on a real X server: an advanced macro types exactly, starts a
program, waits for its window, focuses back, and the program ends soon after; a macro that runs
itself is stopped with a message; a missing macro file is reported and types nothing."""
import os
import subprocess
import sys
import time

import e2e

DAILY = """Hello <<SHIFT>>w<<REP3>>ab<<ENDREP>>!
<<CTRL>>b<<SHIFT>><<LEFT>><<CTRL>><<HOME>><<ALT>>x<<enter>>
Date: <<SHORTDATE>>
<<EXECUTE:{keylog}~~--title "Delayed Window" --out "{other}" --delay 1500~~{root}>><<LOOKFOR:Delayed Window~~SECS:10>><<FOCUS:keylog target>>
Done ~^@ {{braces}} é€ <<F12>>
"""


def expected_daily():
    return ("Hello Wababab!\n<C-b><Left><C-Home><A-x>\n\nDate: " + time.strftime("%m/%d/%y") +
            "\n\nDone ~^@ {braces} é€ <F12>")


def error_box():
    return e2e.find_windows("Keyloom")


def run_daily(box):
    log = box.start_keylog()
    other = os.path.join(box.root, "other.txt")
    box.write_catalogue("[Main]\nEntries=2\nFirstRun=0\n[Macro1]\nName=Something Else\nType=4\n"
                        "FileName=Other.key\n[Macro2]\nName=Daily Report\nType=4\n"
                        "FileName=Daily Report.key\n")
    box.write_side_file("Other.key", "must not be typed")
    box.write_side_file("Daily Report.key", DAILY.format(
        keylog=os.environ["KEYLOG_BIN"], other=other, root=box.root).replace("\n", "\r\n"))
    spare = e2e.spare_keycodes()
    proc = box.start([box.macros, "/Open:daily report", "/Close"])
    e2e.wait_for(lambda: os.path.exists(log + ".done"), 30, "the macro's last key")
    last_key = time.monotonic()
    try:
        proc.wait(10)
    except subprocess.TimeoutExpired:
        raise AssertionError("the program did not end after the macro")
    ended_after = time.monotonic() - last_key
    got = open(log, encoding="utf-8").read()
    e2e.check(got == expected_daily(), f"typed {got!r}, wanted {expected_daily()!r}")
    e2e.check(ended_after < 2.0, f"the program ended {ended_after:.2f} s after the last key")
    e2e.check(open(other).read() == "", "keys went to the started program's window")
    e2e.check(e2e.held_keys() == "", "keys held: " + e2e.held_keys())
    e2e.check(e2e.spare_keycodes() == spare, "the program left lent keycodes in the keymap")
    print(f"daily report: exact, ended {ended_after:.2f} s after the last key")


def run_self(box):
    log = box.start_keylog(title="keylog loop")
    box.write_catalogue("[Main]\nEntries=1\n[Macro1]\nName=Loop\nType=4\nFileName=Loop.key\n")
    box.write_side_file("Loop.key", "x<<RUN:Loop>>")
    proc = box.start([box.macros, "Loop"])
    boxes = e2e.wait_for(error_box, 20, "the error box")
    e2e.check(proc.poll() is None, "the program died")
    e2e.xdotool("windowactivate", "--sync", str(boxes[0]))
    e2e.xdotool("key", "Return")
    e2e.wait_for(lambda: not error_box(), 10, "the error box to close")
    # Still alive and answering: its list window comes up once the command line is done.
    e2e.wait_for(lambda: e2e.find_windows("Ostrevin Keyloom"), 10, "the list window")
    e2e.check(proc.poll() is None, "the program ended")
    e2e.check(e2e.held_keys() == "", "keys held: " + e2e.held_keys())
    typed = open(log).read()
    e2e.check(typed == "x" * 33, f"typed {typed!r}")
    stderr = open(os.path.join(box.root, "macros.log")).read()
    e2e.check("32 levels" in stderr, "no depth message: " + stderr)
    proc.terminate()
    proc.wait(10)
    print("self-running macro: stopped with a message")


def run_missing(box):
    log = box.start_keylog(title="keylog missing")
    box.write_catalogue("[Main]\nEntries=1\nFirstRun=0\n[Macro1]\nName=Gone\nType=4\n"
                        "FileName=Gone.key\n")
    open(os.path.join(box.root, "macros.log"), "w").close()
    proc = box.start([box.macros, "/Open:Gone", "/Close"])
    boxes = e2e.wait_for(error_box, 20, "the error box")
    stderr = open(os.path.join(box.root, "macros.log")).read()
    path = os.path.join(box.program_folder, "Gone.key")
    e2e.check("Cannot open file " + path in stderr, "wrong message: " + stderr)
    e2e.xdotool("windowactivate", "--sync", str(boxes[0]))
    e2e.xdotool("key", "Return")
    time.sleep(1.5)
    e2e.check(proc.poll() is None, "the program ended though no macro finished")
    e2e.check(open(log).read() == "", "something was typed")
    proc.terminate()
    proc.wait(10)
    print("missing file: reported, nothing typed")


def main():
    for scenario in (run_daily, run_self, run_missing):
        box = e2e.Sandbox()
        try:
            scenario(box)
        finally:
            box.close()
    print("run macros test passed")


if __name__ == "__main__":
    sys.exit(main())
