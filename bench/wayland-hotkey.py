"""Wayland hot key benchmark: on a headless sway, the time from the release of a hot key until
the first character of its macro arrives in a Qt 6 text field, median of 20 presses; the same for
sway's own binding running "wtype x" on another combination, in the same run. The release is
stamped by the pressing process once the compositor has handled it, the arrival by the field, on
the same monotonic clock. Both bindings fire on the press, so a time below zero means
the first key arrived before the release did."""
import os
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
from wayland_desktop import WaylandDesktop, clear_arrival, wait_until  # noqa: E402

PRESSES = 20
SHIFT_CTRL_F5 = 0x2000 | 0x4000 | 0x74


def measure(desktop, first, keys):
    times, missed = [], 0
    for _ in range(PRESSES):
        clear_arrival(first)
        if os.path.exists(first):
            os.remove(first)
        stamp = desktop.path("released.txt")
        desktop.run([os.environ["TYPETEXT_BIN"], "--keys", keys, "--stamp", stamp])
        with open(stamp) as f:
            released = float(f.read())
        deadline = released + 5
        while not os.path.exists(first) and time.clock_gettime(time.CLOCK_MONOTONIC) < deadline:
            time.sleep(0.0005)
        try:
            with open(first) as f:
                times.append(float(f.read()) - released)
        except (OSError, ValueError):
            missed += 1
        # The next press starts from an empty field.
        desktop.run([os.environ["TYPETEXT_BIN"], "--keys", "^a{DEL}"])
    return (statistics.median(times) if times else float("nan")), missed


def main():
    build = sys.argv[1]
    for name, path in (("QTFIELD_BIN", "tests/e2e/qtfield"), ("TYPETEXT_BIN", "tests/e2e/typetext"),
                       ("MACROS_BIN", "bin/macros"), ("WINDOWTOOL_BIN", "tests/e2e/windowtool")):
        os.environ.setdefault(name, os.path.join(build, path))
    with WaylandDesktop(extra_config="bindsym Ctrl+Shift+F7 exec wtype x\n") as desktop:
        desktop.write_catalogue("[Main]\nEntries=1\nFirstRun=0\n[Macro1]\nName=Probe\nType=4\n"
                                f"HotKey={SHIFT_CTRL_F5}\nFileName=Probe.key\n")
        desktop.write_side_file("Probe.key", "x")
        desktop.start_macros(settled=True)
        # Binding events as the compositor sends them: a press that never reached the
        # compositor's binding is the presser's loss, not the program's.
        desktop.spawn(["swaymsg", "-m", "-t", "subscribe", '["binding"]'], log="bindings.log")
        out, first = desktop.path("field.txt"), desktop.path("first.txt")
        desktop.open_field("Benchmark field", out, ["--first", first])
        ours, ours_missed = measure(desktop, first, "^~{F5}")
        theirs, theirs_missed = measure(desktop, first, "^~{F7}")
        with open(os.path.join(desktop.folder, "bindings.log")) as f:
            events = f.read()
        ours_seen, theirs_seen = events.count("nop keyloom:"), events.count("exec wtype x")
    for who, missed, seen in (("ours", ours_missed, ours_seen),
                              ("sway exec wtype", theirs_missed, theirs_seen)):
        print(f"  {who}: {PRESSES - missed} of {PRESSES} presses typed, "
              f"{seen} reached the compositor's binding")
    print(f"wayland-hotkey ours_ms={ours * 1000:.1f} sway_wtype_ms={theirs * 1000:.1f} "
          f"ratio={ours / theirs:.2f}")


if __name__ == "__main__":
    main()
