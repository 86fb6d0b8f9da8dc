"""A private desktop (the end-to-end fixture) with keylog holding the focus, for the benchmarks
that time keys arriving in a window."""
import json
import os
import shutil
import subprocess
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
DESKTOP_PY = os.path.join(HERE, "..", "tests", "e2e", "desktop.py")


def wait_file(path, seconds):
    deadline = time.monotonic() + seconds
    while not os.path.exists(path):
        if time.monotonic() > deadline:
            return False
        time.sleep(0.0005)
    return True


class KeylogDesktop:
    def __init__(self, build):
        self.build = build
        self.folder = tempfile.mkdtemp(prefix="keyloom-bench-")
        self.state = os.path.join(self.folder, "state.json")
        subprocess.run(["/usr/bin/python3", DESKTOP_PY, "start", self.state], check=True,
                       stdout=subprocess.DEVNULL)
        with open(self.state) as f:
            self.display = json.load(f)["display"]
        self.env = dict(os.environ, DISPLAY=self.display, LC_ALL="C.UTF-8")
        self.log = os.path.join(self.folder, "keylog.txt")
        ready = os.path.join(self.folder, "ready")
        self.keylog = subprocess.Popen([os.path.join(build, "tests/e2e/keylog"), "--title", "bench",
                                        "--out", self.log, "--sentinel", "F12", "--ready", ready],
                                       env=self.env)
        if not wait_file(ready, 10):
            raise SystemExit("keylog did not get the focus")
        time.sleep(0.3)

    def clear(self):
        open(self.log, "w").close()  # keylog keeps the file open: empty it, do not delete it
        if os.path.exists(self.log + ".done"):
            os.unlink(self.log + ".done")

    def read(self):
        """What keylog received, without the closing F12."""
        with open(self.log, encoding="utf-8", errors="replace") as f:
            got = f.read()
        return got[:-5] if got.endswith("<F12>") else got

    def close(self):
        self.keylog.terminate()
        subprocess.run(["/usr/bin/python3", DESKTOP_PY, "stop", self.state])
        shutil.rmtree(self.folder, ignore_errors=True)
