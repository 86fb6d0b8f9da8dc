"""KWin window list benchmark: on a headless KWin with 10 Qt 6 windows open, what one look at
the window list costs the program (the mean of 20,000 looks; the trigger poll looks several times
a second), beside what a look would cost if each loaded a script of its own (loading, running and
reading the answer of the one the program keeps), and one activation, in the same run."""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
from kde_desktop import KdeDesktop  # noqa: E402
from wayland_desktop import wait_until  # noqa: E402

WINDOWS = 10
LOOKS = 20000


def main():
    build = sys.argv[1]
    for name, path in (("QTFIELD_BIN", "tests/e2e/qtfield"), ("WINDOWTOOL_BIN",
                                                              "tests/e2e/windowtool")):
        os.environ.setdefault(name, os.path.join(build, path))
    with KdeDesktop() as desktop:
        for n in range(WINDOWS):
            desktop.open_field(f"Window {n}", desktop.path(f"field{n}.txt"))
        tool = os.environ["WINDOWTOOL_BIN"]
        wait_until("every window listed", lambda: len(
            desktop.run([tool, "list"]).stdout.splitlines()) == WINDOWS)
        runs = []
        for _ in range(5):
            out = desktop.run([tool, "time", str(LOOKS)]).stdout.decode().split()
            runs.append(dict(field.split("=") for field in out))
    middle = sorted(runs, key=lambda r: float(r["enumerate_us"]))[len(runs) // 2]
    print(f"kde-windows look_us={middle['enumerate_us']} script_per_look_ms={middle['open_ms']} "
          f"activate_ms={middle['activate_ms']} windows={middle['windows']}")


if __name__ == "__main__":
    main()
