#!/usr/bin/python3
"""The program in the notification area: its icon embedded in the tray (a screenshot of the tray
is kept), Open from the tray menu, [Position] written by Exit only after the list was opened,
desktop shortcuts that run their macro as a desktop runs them, and the printed list as a PDF."""
import os
import re
import shutil
import subprocess
import sys
import time

import e2e

ARTIFACTS = os.environ.get("E2E_ARTIFACTS", os.path.join(os.path.dirname(
    os.environ["E2E_STATE"]), "artifacts"))
ODD_NAME = 'a "b" $HOME %f \\x'


def tray_icon(box):
    """The absolute place and size of our icon inside the tray, once it is embedded."""
    env = dict(os.environ, DISPLAY=e2e.display())
    tree = subprocess.run(["xwininfo", "-root", "-tree"], env=env, stdout=subprocess.PIPE,
                          text=True).stdout
    inside_panel = False
    for line in tree.splitlines():
        if '"panel": ("panel" "trayer")' in line:
            inside_panel = True
            panel_indent = len(line) - len(line.lstrip())
            continue
        if inside_panel:
            indent = len(line) - len(line.lstrip())
            if indent <= panel_indent:
                inside_panel = False
            elif '("macros"' in line:
                m = re.search(r"(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)", line)
                if m:
                    w, h, x, y = map(int, m.groups())
                    return x, y, w, h
    return None


def wait_for_tray(box):
    return e2e.wait_for(lambda: tray_icon(box), 15, "the tray icon to be embedded")


def tray_menu(box, key):
    x, y, w, h = wait_for_tray(box)
    # Under load the menu may open late: type the key only once it shows.
    e2e.open_menu(x + w // 2, y + h // 2, "macros")
    e2e.xdotool("key", key)


def exit_from_tray(box, proc):
    tray_menu(box, "e")
    proc.wait(10)


def check_tray_and_position(box):
    box.write_catalogue("[Main]\nEntries=1\nFirstRun=0\n[Macro1]\nName=Greeting\nType=4\n")
    proc = box.start([box.macros])
    x, y, w, h = wait_for_tray(box)
    os.makedirs(ARTIFACTS, exist_ok=True)
    shot = os.path.join(ARTIFACTS, "tray.png")

    def painted():
        # The icon is embedded before it is first painted: look until it shows.
        out = subprocess.run([os.environ["SCREENSHOT_BIN"], str(x - 40), str(max(0, y - 2)),
                              str(w + 80), str(h + 4), shot],
                             env=box.env(), stdout=subprocess.PIPE, text=True).stdout.strip()
        return int(out or 0) > 10 and out
    colours = e2e.wait_for(painted, 10, f"the icon to show in the tray area: {shot}")
    e2e.check(not e2e.find_windows("Ostrevin Keyloom"), "a later start showed the list")
    exit_from_tray(box, proc)
    e2e.check("[Position]" not in box.read_catalogue(), "Exit wrote [Position] before Open")

    proc = box.start([box.macros])
    tray_menu(box, "o")
    e2e.wait_for(lambda: e2e.find_windows("Ostrevin Keyloom"), 10, "Open to show the list")
    exit_from_tray(box, proc)
    catalogue = box.read_catalogue()
    e2e.check(re.search(r"\[Position\]\nWidth=\d+\nHeight=\d+\nTop=-?\d+\nLeft=-?\d+", catalogue),
              "Exit after Open wrote no [Position]:\n" + catalogue)
    print(f"tray icon at {x},{y} ({colours} colours in {shot}); [Position] only after Open")


def create_desktop_shortcut(box, window, row):
    """Chooses the row from the keyboard and the shortcut from the list's menu."""
    geometry = e2e.xdotool("getwindowgeometry", str(window)).stdout
    px, py = map(int, re.search(r"Position: (-?\d+),(-?\d+)", geometry).groups())
    e2e.xdotool("mousemove", str(px + 100), str(py + 200))  # below the rows, inside the list
    e2e.xdotool("click", "1")
    time.sleep(0.2)
    # End then Home select the first row; the menu: New, Delete, Create Shortcut..., On Desktop.
    for key in ["End", "Home"] + ["Down"] * row:
        e2e.xdotool("key", key)
        time.sleep(0.15)
    # Each menu opens at its own pace under load: go on only once it shows.
    for keys in (["Menu"], ["Down", "Down", "Down", "Right"]):
        before = e2e.visible_windows("macros")
        for key in keys:
            e2e.xdotool("key", key)
        e2e.wait_for(lambda: e2e.visible_windows("macros") - before, 10, f"the menu after {keys}")
    e2e.xdotool("key", "Return")


def run_shortcut(box, path, expected):
    log = box.start_keylog()
    subprocess.run(["desktop-file-validate", path], check=True)
    launched = subprocess.run(["gio", "launch", path], env=box.env(), stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, text=True)
    e2e.check(launched.returncode == 0, "gio launch failed: " + launched.stdout)
    e2e.wait_for(lambda: os.path.exists(log + ".done"), 20, "the shortcut's macro to type")
    got = open(log, encoding="utf-8").read()
    e2e.check(got == expected, f"typed {got!r}, wanted {expected!r}")

    def program_ended():
        out = subprocess.run(["pgrep", "-f", "^" + re.escape(box.macros) + " "],
                             stdout=subprocess.PIPE, text=True).stdout
        others = {str(p.pid) for p in box.processes}
        return not [pid for pid in out.split() if pid not in others]
    e2e.wait_for(program_ended, 10, "the program started by the shortcut to end")


def check_shortcuts(box):
    desktop = os.path.join(box.home, "Desktop")
    os.makedirs(desktop)
    box.write_catalogue(
        "[Main]\nEntries=2\n[Macro1]\nName=Daily Report\nType=4\nHotKey=24644\n"
        "FileName=Daily Report.key\n[Macro2]\nName=" + ODD_NAME + "\nType=4\n"
        "FileName=" + ODD_NAME + ".key\n")
    box.write_side_file("Daily Report.key", "daily<<F12>>")
    box.write_side_file(ODD_NAME + ".key", "odd one<<F12>>")
    proc = box.start([box.macros])
    window = e2e.wait_for(lambda: e2e.find_windows("Ostrevin Keyloom"), 15, "the list")[0]
    e2e.xdotool("windowactivate", "--sync", str(window))
    create_desktop_shortcut(box, window, 0)
    daily = os.path.join(desktop, "Daily Report.desktop")
    e2e.wait_for(lambda: os.path.exists(daily), 10, "the Daily Report shortcut")
    create_desktop_shortcut(box, window, 1)
    odd = os.path.join(desktop, ODD_NAME + ".desktop")
    e2e.wait_for(lambda: os.path.exists(odd), 10, "the odd name's shortcut")
    entry = open(daily).read()
    e2e.check("X-Ostrevin-HotKey=0x0344\n" in entry, "no shell hot key:\n" + entry)
    e2e.check(os.access(daily, os.X_OK), "the desktop shortcut is not marked executable")
    proc.terminate()
    proc.wait(10)
    run_shortcut(box, daily, "daily<F12>")
    run_shortcut(box, odd, "odd one<F12>")
    print("desktop shortcuts valid, and each ran its macro and ended")


def answer_until(title, done, what, tries=4):
    """Presses Return in the window of that title until done: a key that came before the window
    took the focus is lost, and is then given again while the window still shows."""
    for attempt in range(tries):
        e2e.wait_for(lambda: e2e.find_windows(title) or done(), 10, f"the window {title}")
        if done():
            return
        e2e.xdotool("key", "Return")
        try:
            e2e.wait_for(done, 3 if attempt < tries - 1 else 15, what)
            return
        except AssertionError:
            if attempt == tries - 1:
                raise


def printed_lines(pdf):
    text = subprocess.run(["pdftotext", "-layout", pdf, "-"], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, text=True).stdout
    return [re.sub(r"\s+", " ", line).strip() for line in text.splitlines() if line.strip()]


def check_printing(box):
    box.write_catalogue(
        "[Main]\nEntries=3\nFirstRun=0\n[Macro1]\nName=Daily Report\nType=4\nHotKey=24644\n"
        "[Macro2]\nName=No Key\nType=4\n[Macro3]\nName=Ten\nType=4\nHotKey=16505\n")
    pdf = os.path.join(box.home, "Keyloom Macro List.pdf")
    proc = box.start([box.macros])
    tray_menu(box, "p")
    # No printer in the fixture: a message says so, then the dialog offers the PDF file.
    e2e.wait_for(lambda: e2e.find_windows("Keyloom"), 10, "the no-printer message")
    answer_until("Keyloom", lambda: e2e.find_windows("Print"), "the print dialog")
    answer_until("Print", lambda: os.path.exists(pdf) and os.path.getsize(pdf) > 0,
                 "the PDF file")
    wanted = ["HOTKEY MACRO NAME", "_" * 33, "Shift+Ctrl+D Daily Report", "Ctrl+F10 Ten"]
    # The file grows while it is written: read it until it holds the whole list.
    seen = []

    def whole():
        seen[:] = printed_lines(pdf)
        return seen == wanted
    try:
        e2e.wait_for(whole, 15, "the whole list in the PDF")
    except AssertionError:
        raise AssertionError(f"printed {seen!r}, wanted {wanted!r}")
    lines = seen
    proc.terminate()
    proc.wait(10)
    print("printed list:", lines)


def main():
    for check in (check_tray_and_position, check_shortcuts, check_printing):
        box = e2e.Sandbox()
        try:
            check(box)
        finally:
            box.close()
    print("tray program test passed")


if __name__ == "__main__":
    sys.exit(main())
