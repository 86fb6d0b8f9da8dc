"""Typing benchmark: our sender and xdotool type the same texts into keylog, ten times each.

Each run is timed from the start of the typing process until keylog has received the sentinel key
that the process presses last, so both are measured the same way, start-up included."""
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
import texts  # noqa: E402
from _keylog_desktop import KeylogDesktop, wait_file  # noqa: E402

RUNS = 10


class Desktop(KeylogDesktop):
    def run(self, argvs, text):
        """Types with the commands, one after the other; returns (seconds, what arrived)."""
        self.clear()
        start = time.monotonic()
        for argv in argvs[:-1]:
            subprocess.run(argv, env=self.env, timeout=120)
        proc = self.start(argvs[-1])
        arrived = wait_file(self.log + ".done", 60)
        elapsed = time.monotonic() - start
        proc.wait(60)
        return elapsed, self.read() if arrived else None


def ours(desktop, path):
    # Types the file, then the sentinel key.
    return [[os.path.join(desktop.build, "tests/e2e/typetext"), "--file", path]]


def xdotool(text):
    # "type" takes every later word as text, so the sentinel needs a second call.
    return [["xdotool", "type", "--delay", "0", text], ["xdotool", "key", "F12"]]


def measure(desktop, make_argv, text, path):
    exact = 0
    seconds = 0.0
    for _ in range(RUNS):
        elapsed, got = desktop.run(make_argv(text, path), text)
        seconds += elapsed
        exact += got == text
        time.sleep(0.1)
    return len(text) * RUNS / seconds, exact


def main():
    build = sys.argv[1]
    desktop = Desktop(build)
    try:
        ascii_text = texts.ascii_text()
        unicode_text = texts.UNICODE_LINE
        paths = {}
        for name, text in (("ascii", ascii_text), ("unicode", unicode_text)):
            paths[name] = os.path.join(desktop.folder, name + ".txt")
            with open(paths[name], "w") as f:
                f.write(text)
        ascii_cps, ascii_exact = measure(desktop, lambda t, p: ours(desktop, p), ascii_text,
                                         paths["ascii"])
        _, unicode_exact = measure(desktop, lambda t, p: ours(desktop, p), unicode_text,
                                   paths["unicode"])
        x_cps, x_ascii_exact = measure(desktop, lambda t, p: xdotool(t), ascii_text, paths["ascii"])
        _, x_unicode_exact = measure(desktop, lambda t, p: xdotool(t), unicode_text,
                                     paths["unicode"])
    finally:
        desktop.close()
    print(f"typing ascii_cps={ascii_cps:.0f} ascii_exact={ascii_exact}/{RUNS} "
          f"unicode_exact={unicode_exact}/{RUNS} xdotool_ascii_cps={x_cps:.0f} "
          f"xdotool_ascii_exact={x_ascii_exact}/{RUNS} xdotool_unicode_exact={x_unicode_exact}/{RUNS}")


if __name__ == "__main__":
    main()
