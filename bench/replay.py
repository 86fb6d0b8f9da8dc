"""Replay benchmark: a recording of 2,000 key events with varied delays (1 to 25 ms) is played into
keylog at the recorded speed and at high speed.

At the recorded speed a second recorder captures what the X server received, and the delay of each
event as the server timed it is compared with the recorded one (timing_error_ms, the mean absolute
difference). At high speed the rate is the events divided by the time from the start of the
playback until it finished (the server has handled every event by then); the best of five runs
counts. lost counts the characters that did not arrive in keylog, over all runs. The peer figure
is xdotool pressing the same keys with no delay, timed from its start until keylog got the last."""
import os
import random
import select
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
import journal_files as jf  # noqa: E402
import processes  # noqa: E402
sys.path.insert(0, HERE)
from _keylog_desktop import KeylogDesktop, wait_file  # noqa: E402

EVENTS = 2000
HIGH_SPEED_RUNS = 5


class Desktop(KeylogDesktop):
    def tool(self):
        return os.path.join(self.build, "tests/e2e/journaltool")

    def typed(self):
        wait_file(self.log + ".done", 30)
        return self.read()


def make_recording(codes):
    rng = random.Random(20261208)
    letters = "abcdefghijklmnopqrstuvwxyz"
    events, text = [], ""
    for _ in range((EVENTS - 2) // 2):
        letter = rng.choice(letters)
        text += letter
        events += jf.key_tap(codes, letter, rng.randint(1, 25), rng.randint(1, 25))
    events += jf.key_tap(codes, "F12", rng.randint(1, 25), rng.randint(1, 25))
    events[0] = (0,) + events[0][1:]
    return events, text


def lost(expected, got):
    missing = max(0, len(expected) - len(got))
    return missing + sum(1 for a, b in zip(expected, got) if a != b)


def recorded_speed(desktop, path, events, text):
    capture_path = os.path.join(desktop.folder, "captured.dat")
    capture = subprocess.Popen([desktop.tool(), "record", capture_path, "--keys-only"],
                               env=desktop.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                               text=True, start_new_session=True)
    try:
        return recorded_with(desktop, path, events, text, capture, capture_path)
    finally:
        processes.end(capture)


def recorded_with(desktop, path, events, text, capture, capture_path):
    ready, _, _ = select.select([capture.stdout], [], [], 10)
    if not ready or capture.stdout.readline().strip() != "ready":
        raise SystemExit("the capture did not start")
    desktop.clear()
    subprocess.run([desktop.tool(), "play", path], env=desktop.env, check=True,
                   stdout=subprocess.DEVNULL, timeout=300)
    got = desktop.typed()
    time.sleep(0.2)
    capture.communicate("stop\n", timeout=30)
    with open(capture_path, "rb") as f:
        captured = jf.decode_events(f.read())
    pairs = list(zip(events, captured))[1:]
    error = statistics.mean(abs(want[0] - seen[0]) for want, seen in pairs)
    missing = max(0, len(events) - len(captured))
    return error, missing + lost(text, got)


def high_speed(desktop, path, text):
    rates, missing = [], 0
    for _ in range(HIGH_SPEED_RUNS):
        desktop.clear()
        out = subprocess.run([desktop.tool(), "play", path, "--high-speed"], env=desktop.env,
                             check=True, stdout=subprocess.PIPE, text=True, timeout=60).stdout
        seconds = float(out.split("seconds=")[1].split()[0])
        rates.append(EVENTS / seconds)
        missing += lost(text, desktop.typed())
        time.sleep(0.2)
    return max(rates), missing


def xdotool_rate(desktop, text):
    desktop.clear()
    start = time.monotonic()
    subprocess.run(["xdotool", "key", "--delay", "0", *text, "F12"], env=desktop.env, timeout=120)
    got = desktop.typed()
    return EVENTS / (time.monotonic() - start), lost(text, got)


def main():
    build = sys.argv[1]
    desktop = Desktop(build)
    try:
        events, text = make_recording(jf.keycodes(desktop.display))
        path = os.path.join(desktop.folder, "bench.dat")
        with open(path, "wb") as f:
            f.write(jf.encode(events, keys_only=True))
        error, lost_recorded = recorded_speed(desktop, path, events, text)
        rate, lost_fast = high_speed(desktop, path, text)
        peer_rate, peer_lost = xdotool_rate(desktop, text)
    finally:
        desktop.close()
    print(f"replay timing_error_ms={error:.3f} highspeed_events_per_s={rate:.0f} "
          f"lost={lost_recorded + lost_fast} xdotool_key_events_per_s={peer_rate:.0f} "
          f"xdotool_lost={peer_lost}")


if __name__ == "__main__":
    main()
