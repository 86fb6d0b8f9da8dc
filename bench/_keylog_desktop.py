"""A private desktop (the end-to-end fixture) with keylog holding the focus, for the benchmarks
that time keys arriving in a window."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
DESKTOP_PY = os.path.join(HERE, "..", "tests", "e2e", "desktop.py")
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
import processes  # noqa: E402


def wait_file(path, seconds):
    deadline = time.monotonic() + seconds
    while not os.path.exists(path):
        if time.monotonic() > deadline:
            return False
        time.sleep(0.0005)
    return True


class KeylogDesktop:
    def __init__(self, build):
        # Whatever ends the benchmark (an error, Ctrl+C, SIGTERM, SIGHUP) ends the desktop, keylog
        # and the typing programs, so none of them keeps the benchmark's output open.
        processes.end_on_signals()
        self.build = build
        self.folder = tempfile.mkdtemp(prefix="keyloom-bench-")
        self.state = os.path.join(self.folder, "state.json")
        self.group = processes.Processes()
        try:
            self.open()
        except BaseException:
            self.close()
            raise

    def open(self):
        subprocess.run(["/usr/bin/python3", DESKTOP_PY, "start", self.state], check=True,
                       stdout=subprocess.DEVNULL)
        with open(self.state) as f:
            self.display = json.load(f)["display"]
        self.env = dict(os.environ, DISPLAY=self.display, LC_ALL="C.UTF-8")
        self.log = os.path.join(self.folder, "keylog.txt")
        ready = os.path.join(self.folder, "ready")
        self.group.start([os.path.join(self.build, "tests/e2e/keylog"), "--title", "bench",
                          "--out", self.log, "--sentinel", "F12", "--ready", ready], self.env,
                         os.path.join(self.folder, "keylog.log"))
        if not wait_file(ready, 10):
            raise SystemExit("keylog did not get the focus")
        # The window manager may still move the focus after the first FocusIn: only a focus that
        # stays on keylog for a few looks counts.
        steady, deadline = 0, time.monotonic() + 10
        while steady < 4:
            if time.monotonic() > deadline:
                raise SystemExit("the focus did not stay on keylog")
            window = open(ready).read().strip()  # written just after the file is made
            focused = window and subprocess.run(["xdotool", "getwindowfocus"], env=self.env,
                                     stdout=subprocess.PIPE, text=True).stdout.strip() == window
            steady = steady + 1 if focused else 0
            time.sleep(0.05)

    def clear(self):
        open(self.log, "w").close()  # keylog keeps the file open: empty it, do not delete it
        if os.path.exists(self.log + ".done"):
            os.unlink(self.log + ".done")

    def read(self):
        """What keylog received, without the closing F12."""
        with open(self.log, encoding="utf-8", errors="replace") as f:
            got = f.read()
        return got[:-5] if got.endswith("<F12>") else got

    def start(self, argv):
        """A program on the desktop, ended with it."""
        return self.group.start(argv, self.env)

    def close(self):
        self.group.close()
        subprocess.run(["/usr/bin/python3", DESKTOP_PY, "stop", self.state])
        shutil.rmtree(self.folder, ignore_errors=True)
