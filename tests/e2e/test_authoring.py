#!/usr/bin/python3
"""Making macros the way a user does, from the keyboard on a real X server: the wizard creates an
advanced macro, a launch macro, a keystroke recording and a mouse-and-keyboard recording, each
with its own hot key, and each hot key then types (or starts a program that types) exactly what
was composed or recorded; a recording renamed in the properties dialog keeps its hot key and its
".dat" file carries the new name."""
import os
import sys
import time

import e2e

LIST = "Ostrevin Keyloom"
WIZARD = "Macro Assistant"


def key(*names):
    for name in names:
        e2e.xdotool("key", "--clearmodifiers", name)
        time.sleep(0.15)


def type_text(text):
    e2e.xdotool("type", "--delay", "60", "--", text)
    time.sleep(0.2)


def press_hot_key(letter):
    e2e.xdotool("keydown", "shift", "keydown", "ctrl", "keydown", letter)
    e2e.xdotool("keyup", letter, "keyup", "ctrl", "keyup", "shift")


def activate(title):
    window = e2e.wait_for(lambda: e2e.find_windows(title), 15, f"the window {title!r}")[0]
    e2e.wait_for(lambda: activated(window), 10, f"{title!r} to take the focus")
    return window


def activated(window):
    if e2e.xdotool("getactivewindow").stdout.strip() == str(window):
        return True
    e2e.xdotool("windowactivate", str(window))
    return False


def gone(title):
    e2e.wait_for(lambda: not e2e.find_windows(title), 15, f"{title!r} to close")


def list_command(tabs):
    """Focuses the macro list by a click into it, then presses the button `tabs` steps on."""
    window = activate(LIST)
    e2e.xdotool("mousemove", "--window", str(window), "60", "60", "click", "1")
    time.sleep(0.3)
    key("Home", *(["Tab"] * tabs), "space")


def name_and_hot_key(name, letter):
    key("Return")  # Start page: Next
    type_text(name)
    key("Return")
    key(f"ctrl+shift+{letter}")
    key("Return")


def finish():
    key("alt+n")
    key("alt+f")
    gone(WIZARD)


def wait_log(log, expected):
    """keylog's text, allowing the recorded stop key at its end."""
    def done():
        text = open(log, encoding="utf-8").read() if os.path.exists(log) else ""
        return text in (expected, expected + "<F12>")
    try:
        e2e.wait_for(done, 15, repr(expected))
    except AssertionError as error:
        got = open(log, encoding="utf-8").read() if os.path.exists(log) else ""
        raise AssertionError(f"{error}; keylog got {got!r}") from None


def make_advanced():
    list_command(2)
    activate(WIZARD)
    name_and_hot_key("Composed", "a")
    type_text("Composed text")
    key("Return")  # Enter presses Next in the advanced text
    key("Return")  # Finished
    gone(WIZARD)


def make_launch():
    list_command(2)
    activate(WIZARD)
    key("alt+s")  # Start an Application
    name_and_hot_key("Launcher", "l")
    key("shift+Tab")  # from Browse back to the command line
    type_text(os.environ["TYPETEXT_BIN"])
    key("Tab", "Tab")  # past Browse to the parameters
    type_text("--keys Launched{F12}")
    finish()


def record_keystrokes(box):
    list_command(2)
    activate(WIZARD)
    key("alt+p")
    name_and_hot_key("Typed", "t")
    key("Return")  # keystrokes only
    key("space")  # Start Recording
    time.sleep(0.5)
    type_text("rec")
    press_hot_key("F12")
    e2e.wait_for(lambda: os.path.exists(os.path.join(box.program_folder, "Typed.dat")), 10,
                 "the keystroke recording")
    activate(WIZARD)
    finish()


def record_mouse_and_keyboard(box):
    list_command(2)
    activate(WIZARD)
    key("alt+p")
    name_and_hot_key("Moved", "m")
    key("Down", "Return")  # all mouse and keyboard actions
    key("space")  # Start Recording: the windows go away
    gone(WIZARD)
    e2e.check(not e2e.find_windows(LIST), "the list window stayed up while recording")
    box.start_keylog(title="keylog recording")
    type_text("mk")
    press_hot_key("F12")
    activate(WIZARD)
    e2e.check(e2e.find_windows(LIST), "the list window did not come back")
    finish()


def rename_typed(box):
    list_command(0)
    key("Down", "Down", "Tab", "Tab", "Tab", "space")  # third row, Edit Macro
    activate("Macro Properties")
    key("ctrl+a")
    type_text("Renamed Keys")
    key("Return")
    gone("Macro Properties")
    folder = box.program_folder
    e2e.wait_for(lambda: os.path.exists(os.path.join(folder, "Renamed Keys.dat")), 10,
                 "the renamed recording")
    e2e.check(not os.path.exists(os.path.join(folder, "Typed.dat")), "Typed.dat is still there")
    e2e.check("FileName=Renamed Keys.dat" in box.read_catalogue(), box.read_catalogue())


def run_by_hot_key(box, letter, expected, title):
    log = box.start_keylog(title=title)
    press_hot_key(letter)
    wait_log(log, expected)


def main():
    box = e2e.Sandbox()
    try:
        box.write_catalogue("[Main]\nShow Hints=0\n")
        box.start([box.macros])
        activate(LIST)
        make_advanced()
        make_launch()
        record_keystrokes(box)
        record_mouse_and_keyboard(box)
        catalogue = box.read_catalogue()
        for expected in ("Entries=4", "Name=Composed", "Type=4", "HotKey=24641",
                         "Name=Launcher", "Type=1", "HotKey=24652", "Name=Typed", "Type=2",
                         "HotKey=24660", "Name=Moved", "Type=3", "HotKey=24653", "Speed=1"):
            e2e.check(expected in catalogue, f"{expected} missing from\n{catalogue}")
        with open(os.path.join(box.program_folder, "Composed.key"), newline="") as f:
            e2e.check(f.read() == "Composed text\r\n", "Composed.key is not the composed text")
        run_by_hot_key(box, "a", "Composed text", "keylog composed")
        run_by_hot_key(box, "l", "Launched<F12>", "keylog launched")
        run_by_hot_key(box, "t", "rec", "keylog typed")
        run_by_hot_key(box, "m", "mk", "keylog moved")
        rename_typed(box)
        run_by_hot_key(box, "t", "rec", "keylog renamed")
        e2e.check(e2e.held_keys() == "", "keys held: " + e2e.held_keys())
    finally:
        box.close()
    print("authoring test passed")


if __name__ == "__main__":
    sys.exit(main())
