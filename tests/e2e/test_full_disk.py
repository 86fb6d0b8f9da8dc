#!/usr/bin/python3
"""With the configuration folder on a full disk, a window whose title is a macro's trigger gives
the error box instead of ending the program, only one however long the window stays, and after
OK a hot key still runs its macro. The disk is a small tmpfs; without the right to mount one the
test is skipped."""
import os
import subprocess
import sys
import tempfile

import e2e
from test_authoring import activate, key
from test_hot_keys import HOT_KEY, press_hot_key

SKIP = 77


def fill(folder):
    with open(os.path.join(folder, "filler"), "wb", buffering=0) as f:
        try:
            while True:
                f.write(b"\0" * 4096)
        except OSError:
            pass


def main():
    mount = tempfile.mkdtemp(prefix="keyloom-full-")
    if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k,mode=0700", "tmpfs", mount],
                      stderr=subprocess.DEVNULL).returncode != 0:
        os.rmdir(mount)
        print("skipped: cannot mount a tmpfs here")
        return SKIP
    box = None
    try:
        box = e2e.Sandbox()
        catalogue = os.path.join(mount, "ostrevin", "macros.ini")
        os.makedirs(os.path.dirname(catalogue))
        with open(catalogue, "w") as f:
            f.write("[Main]\nEntries=2\nFirstRun=0\n"
                    "[Macro1]\nName=Trig\nType=4\nFileName=Trig.key\nTrigger=Full Disk Trigger\n"
                    "FoundHandle=1,2\n"
                    f"[Macro2]\nName=Hot\nType=4\nFileName=Hot.key\nHotKey={HOT_KEY}\n")
        box.write_side_file("Trig.key", "trigger ran")
        box.write_side_file("Hot.key", "hot key ran<<F12>>")
        proc = box.start([box.macros], XDG_CONFIG_HOME=mount)
        e2e.wait_for(lambda: "FoundHandle=1,2" not in open(catalogue).read(), 15,
                     "the program to start")
        fill(mount)
        box.start([os.environ["KEYLOG_BIN"], "--title", "Full Disk Trigger",
                   "--out", os.path.join(box.root, "trigger.txt")])
        boxes = e2e.wait_for(lambda: e2e.find_windows("Keyloom"), 15, "the error box")
        e2e.check(proc.poll() is None, "the program ended")
        e2e.check(len(boxes) == 1, f"{len(boxes)} error boxes")
        activate("Keyloom")
        key("Return")
        e2e.wait_for(lambda: not e2e.find_windows("Keyloom"), 10, "the error box to close")

        log = box.start_keylog(title="keylog hot key")
        press_hot_key()
        e2e.wait_for(lambda: os.path.exists(log + ".done"), 10, "the hot key's macro")
        got = open(log).read()
        e2e.check(got == "hot key ran<F12>", f"typed {got!r}")
        e2e.check(proc.poll() is None, "the program ended")
        e2e.check(not e2e.find_windows("Keyloom"), "the error box came back for the same window")
        e2e.check(not os.path.exists(os.path.join(box.root, "trigger.txt")) or
                  "trigger ran" not in open(os.path.join(box.root, "trigger.txt")).read(),
                  "the macro ran although its window could not be recorded")
    finally:
        if box:
            box.close()
        subprocess.run(["umount", mount])
        os.rmdir(mount)
    print("full disk test passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
