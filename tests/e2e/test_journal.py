#!/usr/bin/python3
"""Recording and playing back raw input on a real X server: typing and clicks recorded with the
journal recorder come back the same through the program's recorded macros; Esc cancels a
playback; a damaged file finishes without a crash; no key or button is left held, also when the
program ends during a playback."""
import os
import select
import shutil
import subprocess
import sys
import time

import e2e
import journal_files as jf


def start_keylog(box, title, clicks=False):
    out = os.path.join(box.root, title.replace(" ", "_") + ".txt")
    ready = out + ".ready"
    argv = [os.environ["KEYLOG_BIN"], "--title", title, "--out", out, "--sentinel", "F12",
            "--ready", ready]
    if clicks:
        argv += ["--clicks", "1"]
    proc = box.start(argv)
    e2e.wait_for(lambda: os.path.exists(ready) and open(ready).read().strip(), 10,
                 "keylog to take the focus")
    window = open(ready).read().strip()
    steady = [0]

    def focus_is_steady():
        focused = e2e.xdotool("getwindowfocus").stdout.strip() == window
        steady[0] = steady[0] + 1 if focused else 0
        if not focused:
            e2e.xdotool("windowactivate", window)
        return steady[0] >= 4
    e2e.wait_for(focus_is_steady, 10, "the focus to stay on keylog")
    return proc, window, out


def wait_log(log, expected, seconds=10):
    try:
        e2e.wait_for(lambda: open(log).read() == expected, seconds, repr(expected))
    except AssertionError as error:
        raise AssertionError(f"{error}; keylog got {open(log).read()!r}") from None


def held_buttons():
    return subprocess.run([os.environ["JOURNALTOOL_BIN"], "buttons"],
                          env=dict(os.environ, DISPLAY=e2e.display()), stdout=subprocess.PIPE,
                          text=True).stdout.strip()


def stop_process(proc):
    proc.terminate()
    proc.wait(10)


def window_position(window):
    out = e2e.xdotool("getwindowgeometry", "--shell", window).stdout
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return int(values["X"]), int(values["Y"])


def record(box, path, keys_only, actions):
    argv = [os.environ["JOURNALTOOL_BIN"], "record", path] + (["--keys-only"] if keys_only else [])
    proc = subprocess.Popen(argv, env=box.env(), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            text=True)
    ready, _, _ = select.select([proc.stdout], [], [], 10)
    e2e.check(ready and proc.stdout.readline().strip() == "ready", "the recording did not start")
    actions()
    time.sleep(0.3)
    proc.stdin.write("stop\n")
    proc.stdin.flush()
    e2e.check(proc.wait(10) == 0, "the recorder failed")
    e2e.check(os.path.exists(path), "no recording file")
    with open(path, "rb") as f:
        events = jf.decode_events(f.read())
    balance = {}
    for _, kind, detail, _, _, _ in events:
        if kind in (jf.KEY_DOWN, jf.BUTTON_DOWN):
            balance[(kind, detail)] = 1
        elif kind in (jf.KEY_UP, jf.BUTTON_UP):
            balance[(kind - 1, detail)] = 0
    e2e.check(sum(balance.values()) == 0, f"the recording leaves input held: {balance}")
    return events


def play_macro(box, name, recording, macro_type, speed=1):
    shutil.copy(recording, os.path.join(box.program_folder, name + ".dat"))
    box.write_catalogue(f"[Main]\nEntries=1\nFirstRun=0\n[Macro1]\nName={name}\nType={macro_type}\n"
                        f"FileName={name}.dat\nSpeed={speed}\n")
    proc = box.start([box.macros, "/Open:" + name, "/Close"])
    try:
        return proc.wait(60)
    except subprocess.TimeoutExpired:
        raise AssertionError("the program did not end after the playback")


def run_keys(box):
    first, _, log = start_keylog(box, "keylog typing")
    recording = os.path.join(box.root, "typed.dat")

    # Shift is still down from before the recording; the stop key ends what is kept.
    e2e.xdotool("keydown", "shift")

    def type_text():
        e2e.xdotool("keyup", "shift")
        e2e.xdotool("type", "--delay", "30", "Hello, World")
        e2e.xdotool("key", "Return")
        e2e.xdotool("type", "--delay", "30", "ok")
        e2e.xdotool("key", "shift+ctrl+F12")
        e2e.xdotool("type", "--delay", "30", "zz")
    events = record(box, recording, True, type_text)
    e2e.check(all(kind in (jf.KEY_DOWN, jf.KEY_UP) for _, kind, *_ in events),
              "a keys-only recording holds pointer events")
    e2e.check(events[0][1] == jf.KEY_DOWN, "the release of a key held at the start was recorded")
    f12 = jf.keycodes(e2e.display())["F12"]
    e2e.check(all(detail != f12 for _, _, detail, *_ in events), "the stop key was recorded")
    e2e.check(open(log).read() == "Hello, World\nok<C-F12>zz",
              f"keylog got {open(log).read()!r} while recording")
    typed = "Hello, World\nok"
    stop_process(first)
    _, _, replay_log = start_keylog(box, "keylog replay")
    e2e.check(play_macro(box, "Typed", recording, 2) == 0, "the program failed")
    got = open(replay_log).read()
    e2e.check(got == typed, f"replayed {got!r}, recorded {typed!r}")
    e2e.check(e2e.held_keys() == "", "keys held: " + e2e.held_keys())
    print("keys: replayed exactly")


def run_mouse(box):
    first, window, log = start_keylog(box, "keylog mouse", clicks=True)
    x, y = window_position(window)
    recording = os.path.join(box.root, "mouse.dat")

    def act():
        e2e.xdotool("mousemove", str(x + 100), str(y + 50))
        e2e.xdotool("click", "1")
        e2e.xdotool("type", "--delay", "30", "ab")
        e2e.xdotool("mousemove", str(x + 300), str(y + 120))
        e2e.xdotool("click", "3")
        e2e.xdotool("type", "--delay", "30", "c")
    events = record(box, recording, False, act)
    e2e.check(any(kind == jf.MOTION for _, kind, *_ in events), "no pointer motion recorded")
    done = open(log).read()
    e2e.check(done == f"<B1 {x + 100},{y + 50}>ab<B3 {x + 300},{y + 120}>c",
              f"keylog got {done!r} while recording")
    stop_process(first)
    e2e.xdotool("mousemove", "5", "5")
    _, window, replay_log = start_keylog(box, "keylog mouse replay", clicks=True)
    e2e.xdotool("windowmove", "--sync", window, str(x), str(y))
    e2e.wait_for(lambda: window_position(window) == (x, y), 5, "keylog to move")
    started = time.monotonic()
    e2e.check(play_macro(box, "Clicks", recording, 3) == 0, "the program failed")
    took = time.monotonic() - started
    got = open(replay_log).read()
    e2e.check(got == done, f"replayed {got!r}, recorded {done!r}")
    e2e.check(e2e.held_keys() == "", "keys held: " + e2e.held_keys())
    open(replay_log, "w").close()
    e2e.xdotool("mousemove", "5", "5")
    started = time.monotonic()
    e2e.check(play_macro(box, "Clicks", recording, 3, speed=2) == 0, "the program failed")
    fast = time.monotonic() - started
    got = open(replay_log).read()
    e2e.check(got == done, f"replayed {got!r} at high speed, recorded {done!r}")
    print(f"keys and mouse: replayed exactly at the recorded speed in {took:.2f} s, "
          f"at high speed in {fast:.2f} s")


def run_cancel(box):
    _, _, log = start_keylog(box, "keylog cancel")
    codes = jf.keycodes(e2e.display())
    events = (jf.key_tap(codes, "Escape", 0, 20) +
              [(20, jf.KEY_DOWN, codes["Shift_L"], 0, 0, jf.keysym("Shift_L"))] +
              jf.key_tap(codes, "a", 20, 20) + jf.key_tap(codes, "b", 4000, 20) +
              [(20, jf.KEY_UP, codes["Shift_L"], 0, 0, jf.keysym("Shift_L"))])
    path = os.path.join(box.root, "long.dat")
    with open(path, "wb") as f:
        f.write(jf.encode(events))
    proc = subprocess.Popen([os.environ["JOURNALTOOL_BIN"], "play", path], env=box.env(),
                            stdout=subprocess.PIPE, text=True)
    # The recording's own Esc comes first and must not cancel it.
    wait_log(log, "\x1bA")
    pressed = time.monotonic()
    e2e.xdotool("key", "Escape")
    out, _ = proc.communicate(timeout=10)
    took = time.monotonic() - pressed
    e2e.check("user_cancel=1" in out, "no user cancel reported: " + out)
    e2e.check(took < 1.0, f"the cancel took {took:.2f} s")
    got = open(log).read()
    e2e.check(got == "\x1bA\x1b", f"typed {got!r}")
    e2e.check(e2e.held_keys() == "", "keys held: " + e2e.held_keys())
    print(f"cancel: ended {took:.2f} s after Esc with UserCancel")


def run_damaged(box):
    _, _, log = start_keylog(box, "keylog damaged")
    codes = jf.keycodes(e2e.display())
    path = os.path.join(box.root, "broken.dat")
    with open(path, "wb") as f:
        f.write(jf.encode(jf.key_tap(codes, "a", 0, 10) * 4)[:-5])
    e2e.check(play_macro(box, "Broken", path, 3) == 0, "the program crashed")
    stderr = open(os.path.join(box.root, "macros.log")).read()
    e2e.check("truncated" in stderr and "Broken.dat" in stderr, "no clear message: " + stderr)
    e2e.check(open(log).read() == "", "a damaged file typed something")
    e2e.check(e2e.held_keys() == "", "keys held: " + e2e.held_keys())
    print("damaged file: reported, finished, nothing typed")


def run_end_during_playback(box):
    _, _, log = start_keylog(box, "keylog ending")
    codes = jf.keycodes(e2e.display())
    events = ([(0, jf.KEY_DOWN, codes["Shift_L"], 0, 0, jf.keysym("Shift_L")),
               (0, jf.BUTTON_DOWN, 2, 0, 0, 0)] +
              jf.key_tap(codes, "a", 20, 20) + jf.key_tap(codes, "b", 60000, 20))
    with open(os.path.join(box.program_folder, "Long.dat"), "wb") as f:
        f.write(jf.encode(events, keys_only=False))
    box.write_catalogue("[Main]\nEntries=1\nFirstRun=0\n[Macro1]\nName=Long\nType=3\n"
                        "FileName=Long.dat\nSpeed=1\n")
    proc = box.start([box.macros, "/Open:Long"])
    wait_log(log, "A")
    e2e.check(e2e.held_keys() != "" and held_buttons() == "2", "the playback holds no Shift")
    proc.terminate()
    proc.wait(10)
    e2e.check(e2e.held_keys() == "", "keys held after the program ended: " + e2e.held_keys())
    e2e.check(open(log).read() == "A", "typed more than the first key")
    print("program ended during a playback: nothing left held")


def main():
    for scenario in (run_keys, run_mouse, run_cancel, run_damaged, run_end_during_playback):
        box = e2e.Sandbox()
        try:
            scenario(box)
        finally:
            box.close()
        e2e.check(e2e.held_keys() == "", "keys held: " + e2e.held_keys())
        e2e.check(held_buttons() == "", "buttons held: " + held_buttons())
    print("journal test passed")


if __name__ == "__main__":
    sys.exit(main())
