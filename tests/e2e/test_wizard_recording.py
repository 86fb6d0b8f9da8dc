#!/usr/bin/python3
"""A keystroke recording ends with the wizard: Cancel during the recording leaves none running (a
key typed afterwards is in no file, also once the program has ended), and the next opening of the
wizard can record again."""
import os
import sys
import time

import e2e
from test_authoring import LIST, WIZARD, activate, gone, key, list_command, name_and_hot_key, \
    type_text


def recording_page(name, letter):
    list_command(2)
    activate(WIZARD)
    key("alt+p")  # recordings
    name_and_hot_key(name, letter)
    key("Return")  # keystrokes only
    key("space")  # Start Recording
    time.sleep(0.5)  # the capture connection comes up


def cancel_wizard():
    key("Escape")
    activate("Keyloom")  # "...Are you sure you want to exit the wizard?"
    key("alt+y")
    gone(WIZARD)


def main():
    box = e2e.Sandbox()
    try:
        box.write_catalogue("[Main]\nShow Hints=0\n")
        proc = box.start([box.macros])
        activate(LIST)
        recording_page("Cancelled", "c")
        type_text("ab")
        cancel_wizard()
        cancelled = os.path.join(box.program_folder, "Cancelled.dat")
        e2e.wait_for(lambda: os.path.exists(cancelled), 10, "Cancel to end the recording")
        kept = open(cancelled, "rb").read()

        log = box.start_keylog(title="keylog after cancel")
        type_text("zz")
        press_sentinel = e2e.xdotool("key", "F12")
        e2e.wait_for(lambda: os.path.exists(log + ".done"), 10, "keylog to get the keys")
        e2e.check(press_sentinel.returncode == 0, "xdotool failed")

        # The next opening records again: Start Recording works.
        recording_page("Again", "g")
        type_text("q")
        cancel_wizard()
        e2e.wait_for(lambda: os.path.exists(os.path.join(box.program_folder, "Again.dat")), 10,
                     "a recording on the next opening")
        e2e.check(proc.poll() is None, "the program ended")
        proc.terminate()
        proc.wait(10)
        e2e.check(open(cancelled, "rb").read() == kept,
                  "keys typed after Cancel went into the cancelled recording")
        dats = sorted(f for f in os.listdir(box.program_folder) if f.endswith(".dat"))
        e2e.check(dats == ["Again.dat", "Cancelled.dat"], f"recordings: {dats}")
        catalogue = box.read_catalogue()
        e2e.check("Name=Cancelled" not in catalogue, "the cancelled macro was stored")
    finally:
        box.close()
    print("wizard recording test passed")


if __name__ == "__main__":
    sys.exit(main())
