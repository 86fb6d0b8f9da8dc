"""Helpers shared by the end-to-end tests: the fixture's display, programs started on it, windows
looked up by title, and the keylog client."""
import json
import os
import shutil
import subprocess
import tempfile
import time

import processes


def display():
    with open(os.environ["E2E_STATE"]) as f:
        return json.load(f)["display"]


class Sandbox:
    """A private HOME and XDG_CONFIG_HOME, and a program folder holding a copy of the program,
    so that a test's catalogue and side files never touch the user's or another test's."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="keyloom-e2e-")
        self.home = os.path.join(self.root, "home")
        self.config = os.path.join(self.home, ".config")
        self.catalogue_folder = os.path.join(self.config, "ostrevin")
        self.program_folder = os.path.join(self.root, "program")
        for folder in (self.catalogue_folder, self.program_folder):
            os.makedirs(folder)
        self.macros = os.path.join(self.program_folder, "macros")
        shutil.copy2(os.environ["MACROS_BIN"], self.macros)
        self.group = processes.Processes()
        # A runner that gives up with SIGTERM still gets the programs ended and the folder removed.
        processes.end_on_signals()

    def env(self, **extra):
        env = dict(os.environ)
        env.update(DISPLAY=display(), HOME=self.home, XDG_CONFIG_HOME=self.config,
                   LC_ALL="C.UTF-8")
        env.update(extra)
        return env

    def write_catalogue(self, text):
        with open(os.path.join(self.catalogue_folder, "macros.ini"), "w") as f:
            f.write(text)

    def read_catalogue(self):
        with open(os.path.join(self.catalogue_folder, "macros.ini")) as f:
            return f.read()

    def write_side_file(self, name, text):
        with open(os.path.join(self.program_folder, name), "w", newline="") as f:
            f.write(text)

    @property
    def processes(self):
        return self.group.started

    def start(self, argv, **extra_env):
        return self.group.start(argv, self.env(**extra_env),
                                os.path.join(self.root, os.path.basename(argv[0]) + ".log"))

    def start_keylog(self, title="keylog target", sentinel="F12", extra=()):
        out = os.path.join(self.root, "keylog.txt")
        ready = os.path.join(self.root, "keylog.ready")
        for stale in (ready, out, out + ".done"):
            if os.path.exists(stale):
                os.unlink(stale)
        self.start([os.environ["KEYLOG_BIN"], "--title", title, "--out", out,
                    "--sentinel", sentinel, "--ready", ready, *extra])
        wait_for(lambda: os.path.exists(ready) and open(ready).read().strip(), 10,
                 "keylog to take the focus")
        window = open(ready).read().strip()
        # The window manager may still move the focus after the first FocusIn (a window that just
        # closed hands it on): only a focus that stays put counts.
        steady = [0]

        def focus_is_steady():
            focused = xdotool("getwindowfocus").stdout.strip() == window
            steady[0] = steady[0] + 1 if focused else 0
            if not focused:
                xdotool("windowactivate", window)
            return steady[0] >= 4
        wait_for(focus_is_steady, 10, "the focus to stay on keylog")
        return out

    def close(self):
        self.group.close()
        shutil.rmtree(self.root, ignore_errors=True)


def wait_for(check, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        result = check()
        if result:
            return result
        time.sleep(0.05)
    raise AssertionError(f"timed out after {seconds} s waiting for {what}")


def xdotool(*args):
    return subprocess.run(["xdotool", *args], env=dict(os.environ, DISPLAY=display()),
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)


def visible_windows(program):
    """Ids of the visible windows of a program (by the instance name of its window class, which is
    the program file's name)."""
    return set(xdotool("search", "--onlyvisible", "--classname", program).stdout.split())


def open_menu(x, y, program, tries=4):
    """Right-clicks at x, y and returns once a new window of the program (the menu) shows. A click
    that opened nothing (the icon was still being embedded, a grab was still held) is repeated."""
    for attempt in range(tries):
        before = visible_windows(program)
        xdotool("mousemove", str(x), str(y))
        xdotool("click", "3")
        try:
            wait_for(lambda: visible_windows(program) - before, 3, f"the menu of {program}")
            return
        except AssertionError:
            if attempt == tries - 1:
                raise


def find_windows(title):
    """Ids of the visible windows whose title is exactly the given one."""
    import re
    result = xdotool("search", "--onlyvisible", "--name", "^" + re.escape(title) + "$")
    return [int(w) for w in result.stdout.split()]


def held_keys():
    result = subprocess.run([os.environ["HELDKEYS_BIN"]], env=dict(os.environ, DISPLAY=display()),
                            stdout=subprocess.PIPE, text=True)
    return result.stdout.strip()


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def spare_keycodes():
    """The keycodes without any symbol: lent ones are missing from it."""
    out = subprocess.run(["xmodmap", "-pke"], env=dict(os.environ, DISPLAY=display()),
                         stdout=subprocess.PIPE, text=True, check=True).stdout
    return [line for line in out.splitlines() if line.strip().endswith("=")]
