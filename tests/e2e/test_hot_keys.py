#!/usr/bin/python3
"""Hot keys and window triggers on a real X server: a real press of Shift+Ctrl+K runs the macro
with NumLock on and with CapsLock on too, typing its text exactly and leaving the locks as they
were; a combination that another client holds leaves the program running, its macro still runs
by its window trigger, and the program takes the key at the next layout change after the other
client let it go; a window titled " untitled - notepad " runs its trigger macro once, a second
such window runs it again, also after the window manager restarted, and a restart of the program
runs it for the window still open."""
import os
import subprocess
import time

import e2e

HOT_KEY = "24651"  # Shift+Ctrl+K


def lock_state():
    out = subprocess.run(["xset", "q"], env=dict(os.environ, DISPLAY=e2e.display()),
                         stdout=subprocess.PIPE, text=True).stdout
    def on(name):
        part = out.split(name + ":")[1].split()[0]
        return part == "on"
    return {"caps": on("Caps Lock"), "num": on("Num Lock")}


def set_lock(name, keysym, wanted):
    if lock_state()[name] != wanted:
        e2e.xdotool("key", keysym)
    e2e.wait_for(lambda: lock_state()[name] == wanted, 5, f"{name} lock {wanted}")


def start_program(box):
    """Starts the program and returns once it has registered its hot keys: start-up empties every
    FoundHandle after that, so the catalogue's stale entry going away tells."""
    catalogue = box.read_catalogue()
    box.write_catalogue(catalogue.replace("[Macro1]\n", "[Macro1]\nFoundHandle=1,2\n", 1))
    proc = box.start([box.macros])
    e2e.wait_for(lambda: "FoundHandle=1,2" not in box.read_catalogue(), 15, "the program to start")
    return proc


def press_hot_key():
    e2e.xdotool("keydown", "shift", "keydown", "ctrl", "keydown", "k")
    e2e.xdotool("keyup", "k", "keyup", "ctrl", "keyup", "shift")


def run_with_locks(box):
    box.write_catalogue("[Main]\nEntries=1\nFirstRun=0\n[Macro1]\nName=Hot\nType=4\n"
                        f"HotKey={HOT_KEY}\nFileName=Hot.key\n")
    box.write_side_file("Hot.key", "Typed By Hot Key, exactly.<<F12>>")
    proc = start_program(box)
    for caps in (False, True):
        set_lock("num", "Num_Lock", True)
        set_lock("caps", "Caps_Lock", caps)
        log = box.start_keylog(title=f"keylog hot {caps}")
        press_hot_key()
        e2e.wait_for(lambda: os.path.exists(log + ".done"), 10, "the macro's last key")
        got = open(log, encoding="utf-8").read()
        e2e.check(got == "Typed By Hot Key, exactly.<F12>", f"caps {caps}: typed {got!r}")
        e2e.check(lock_state() == {"caps": caps, "num": True}, f"locks now {lock_state()}")
        e2e.check(e2e.held_keys() == "", "keys held: " + e2e.held_keys())
        e2e.check(proc.poll() is None, "the program ended")
    set_lock("caps", "Caps_Lock", False)
    set_lock("num", "Num_Lock", False)
    proc.terminate()
    proc.wait(10)
    print("hot key with NumLock and CapsLock: exact")


def setxkbmap(*args):
    subprocess.run(["setxkbmap", *args], env=dict(os.environ, DISPLAY=e2e.display()), check=True)


def run_release_and_layout(box):
    # Shift+Ctrl+V sits, on the us layout, on the key where dvorak puts K: after the switch the
    # K of macro 1 must still be grabbed, not refused as the combination macro 2 had.
    box.write_catalogue("[Main]\nEntries=2\nFirstRun=0\n[Macro1]\nName=Late\nType=4\n"
                        f"HotKey={HOT_KEY}\nFileName=Late.key\n"
                        "[Macro2]\nName=Vee\nType=4\nHotKey=24662\nFileName=Vee.key\n")
    box.write_side_file("Late.key", "late<<F12>>")
    proc = start_program(box)
    log = box.start_keylog(title="keylog late")
    e2e.xdotool("keydown", "shift", "keydown", "ctrl", "keydown", "k")
    e2e.xdotool("keyup", "k", "keyup", "ctrl")
    time.sleep(0.7)
    e2e.check(open(log).read() == "", "typed while Shift was still held: " + open(log).read())
    released = time.monotonic()
    e2e.xdotool("keyup", "shift")
    e2e.wait_for(lambda: os.path.exists(log + ".done"), 10, "the macro after Shift came up")
    after = time.monotonic() - released
    e2e.check(open(log).read() == "late<F12>", "typed " + open(log).read())
    e2e.check(after < 0.5, f"the macro started {after:.2f} s after the release")
    # A layout on which K lies on another key: the grab follows it.
    try:
        setxkbmap("-layout", "us", "-variant", "dvorak")
        time.sleep(0.5)
        log = box.start_keylog(title="keylog dvorak")
        press_hot_key()
        e2e.wait_for(lambda: os.path.exists(log + ".done"), 10, "the macro on the new layout")
        e2e.check(open(log).read() == "late<F12>", "typed " + open(log).read())
    finally:
        setxkbmap("-layout", "us")
    e2e.check(e2e.held_keys() == "", "keys held: " + e2e.held_keys())
    e2e.check(proc.poll() is None, "the program ended")
    print(f"hot key waits for Shift ({after * 1000:.0f} ms after its release), follows the layout")


def run_taken(box):
    config = os.path.join(box.root, "sxhkdrc")
    marker = os.path.join(box.root, "sxhkd.ran")
    with open(config, "w") as f:
        f.write(f"shift + ctrl + k\n    touch {marker}\n")
    # sxhkd refuses to start without a shell to run its commands with, and a CI job may set none.
    sxhkd = box.start(["sxhkd", "-c", config], SHELL="/bin/sh")
    time.sleep(1.0)  # sxhkd grabs its keys at start
    e2e.check(sxhkd.poll() is None, "sxhkd ended at start: see sxhkd.log")
    box.write_catalogue("[Main]\nEntries=1\nFirstRun=0\n[Macro1]\nName=Taken\nType=4\n"
                        f"HotKey={HOT_KEY}\nFileName=Taken.key\nTrigger=keylog taken\n")
    box.write_side_file("Taken.key", "by trigger<<F12>>")
    proc = start_program(box)
    log = box.start_keylog(title="keylog taken")
    e2e.wait_for(lambda: os.path.exists(log + ".done"), 10, "the trigger macro")
    got = open(log).read()
    e2e.check(got == "by trigger<F12>", f"typed {got!r}")
    e2e.check(proc.poll() is None, "the program ended")
    press_hot_key()
    e2e.wait_for(lambda: os.path.exists(marker), 5, "sxhkd to keep its key")
    e2e.check(e2e.held_keys() == "", "keys held: " + e2e.held_keys())
    # Once sxhkd has let the key go, the next keyboard mapping change gets it for the program.
    sxhkd.terminate()
    sxhkd.wait(10)
    setxkbmap("-layout", "us")
    time.sleep(0.5)
    log = box.start_keylog(title="keylog freed")
    press_hot_key()
    e2e.wait_for(lambda: os.path.exists(log + ".done"), 10, "the hot key after sxhkd ended")
    got = open(log).read()
    e2e.check(got == "by trigger<F12>", f"typed {got!r}")
    proc.terminate()
    proc.wait(10)
    print("key held by another client: program runs, trigger works, key taken when let go")


def run_triggers(box):
    count = os.path.join(box.root, "count.txt")
    open(count, "w").close()
    box.write_catalogue(
        "[Main]\nEntries=2\nFirstRun=0\n[Macro1]\nName=Other\nType=4\nFileName=x.key\n"
        "Trigger=Something Else\n[Macro2]\nName=Notepad\nType=1\n"
        f"FileName=/bin/sh~~-c 'echo fired >> {count}'~~{box.root}\n"
        "Trigger=Untitled - Notepad\n")

    def fired():
        return open(count).read().count("fired")

    def window(name):
        out = os.path.join(box.root, name + ".txt")
        return box.start([os.environ["KEYLOG_BIN"], "--title", " untitled - notepad ",
                          "--out", out])

    proc = start_program(box)
    # The window manager starts afresh under the running poll, which goes on.
    subprocess.run(["openbox", "--restart"], env=dict(os.environ, DISPLAY=e2e.display()))
    time.sleep(1.5)
    e2e.check(proc.poll() is None, "the program ended when the window manager restarted")
    first = window("first")
    e2e.wait_for(lambda: fired() == 1, 10, "the first window to fire")
    time.sleep(1.0)
    e2e.check(fired() == 1, f"fired {fired()} times for one window")
    second = window("second")
    e2e.wait_for(lambda: fired() == 2, 10, "the second window to fire")
    time.sleep(1.0)
    e2e.check(fired() == 2, f"fired {fired()} times for two windows")
    found = box.read_catalogue()
    e2e.check(found.count(",") >= 1, "FoundHandle lists both windows: " + found)
    proc.terminate()
    proc.wait(10)
    first.terminate()
    first.wait(10)
    start_program(box)
    e2e.wait_for(lambda: fired() == 3, 10, "the open window to fire after the restart")
    time.sleep(1.0)
    e2e.check(fired() == 3, f"fired {fired()} times in all")
    second.terminate()
    print("window triggers: once per window, again after a restart")


def main():
    for run in (run_with_locks, run_release_and_layout, run_taken, run_triggers):
        box = e2e.Sandbox()
        try:
            run(box)
        finally:
            box.close()
            e2e.check(e2e.held_keys() == "", "keys held: " + e2e.held_keys())


if __name__ == "__main__":
    main()
