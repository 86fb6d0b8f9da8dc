#!/usr/bin/python3
"""The focused window receives exactly the key events of the typed text: a line with characters
the layout lacks brings no extra key (such as the key the typing layer uses to wait for the
server) before it or after it, on the us and the de layout."""
import os
import subprocess
import sys
import time

import e2e

LINE = "café €5 naïve ß Ω ñ ü Ä — “quotes” ½"
MODIFIERS = {"Shift_L", "Shift_R", "Control_L", "Control_R", "Alt_L", "Alt_R", "Meta_L",
             "Meta_R", "ISO_Level3_Shift", "Mode_switch", "Super_L", "Super_R"}


def keymap():
    """keycode -> first keysym name, from the server's map as it is now."""
    out = subprocess.run(["xmodmap", "-pke"], env=dict(os.environ, DISPLAY=e2e.display()),
                         stdout=subprocess.PIPE, text=True, check=True).stdout
    names = {}
    for line in out.splitlines():
        left, _, right = line.partition("=")
        syms = right.split()
        names[int(left.split()[1])] = syms[0] if syms else None
    return names


def run_layout(box, layout):
    subprocess.run(["setxkbmap", "-layout", layout], env=dict(os.environ, DISPLAY=e2e.display()),
                   check=True)
    raw = os.path.join(box.root, f"raw-{layout}.txt")
    log = box.start_keylog(title="keylog raw " + layout, extra=("--raw", raw))
    names = keymap()
    box.write_catalogue("[Main]\nEntries=1\nFirstRun=0\n[Macro1]\nName=Line\nType=4\n"
                        "FileName=Line.key\n")
    box.write_side_file("Line.key", LINE + "<<F12>>")
    proc = box.start([box.macros, "/Open:Line", "/Close"])
    e2e.wait_for(lambda: os.path.exists(log + ".done"), 30, "the line")
    proc.wait(15)  # the program gives its lent keycodes back on the way out
    time.sleep(0.3)
    got = open(log, encoding="utf-8").read()
    e2e.check(got == LINE + "<F12>", f"{layout}: typed {got!r}")
    events = open(raw).read().split()
    presses = [int(e[1:]) for e in events if e[0] == "+"]
    releases = [int(e[1:]) for e in events if e[0] == "-"]
    e2e.check(sorted(presses) == sorted(releases), f"{layout}: unbalanced events {events}")
    keys = [kc for kc in presses if names.get(kc) not in MODIFIERS]
    # One press a character and one for F12; a lent keycode had no symbol before the line.
    e2e.check(len(keys) == len(LINE) + 1,
              f"{layout}: {len(keys)} key presses for {len(LINE) + 1} keys: {events}")
    e2e.check(names.get(keys[-1]) == "F12", f"{layout}: the last key was not F12: {events}")
    e2e.check(e2e.held_keys() == "", f"{layout}: keys held: {e2e.held_keys()}")
    print(f"{layout}: exactly {len(keys)} key presses, nothing else")


def main():
    try:
        for layout in ("us", "de"):
            box = e2e.Sandbox()
            try:
                run_layout(box, layout)
            finally:
                box.close()
    finally:
        subprocess.run(["setxkbmap", "-layout", "us"], env=dict(os.environ, DISPLAY=e2e.display()))
    print("raw key events test passed")


if __name__ == "__main__":
    sys.exit(main())
