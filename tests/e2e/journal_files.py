"""Writes journal files (docs/journal-format.md) for tests and benchmarks, and finds the keycodes
of the display's keys."""
import os
import struct
import subprocess

KEY_DOWN, KEY_UP, BUTTON_DOWN, BUTTON_UP, MOTION = 1, 2, 3, 4, 5


def keycodes(display):
    """First-level symbol name -> keycode, from the display's keymap."""
    out = subprocess.run(["xmodmap", "-pke"], env=dict(os.environ, DISPLAY=display),
                         stdout=subprocess.PIPE, text=True, check=True).stdout
    codes = {}
    for line in out.splitlines():
        left, _, right = line.partition("=")
        words = right.split()
        if words and words[0] not in codes:
            codes[words[0]] = int(left.split()[1])
    return codes


KEYSYMS = {"Shift_L": 0xffe1, "Return": 0xff0d, "Escape": 0xff1b, "F12": 0xffc9, "space": 0x20}


def keysym(name):
    return KEYSYMS.get(name, ord(name) if len(name) == 1 else 0)


def encode(events, width=1280, height=1024, keys_only=False, layout="evdev,pc105,us,,"):
    """events: (delay_ms, kind, detail, x, y, keysym)."""
    data = b"KEYLOOMJ" + struct.pack("<HHHHH", 1, 1 if keys_only else 0, width, height,
                                     len(layout)) + layout.encode() + struct.pack("<I", len(events))
    for delay, kind, detail, x, y, sym in events:
        data += struct.pack("<IBBHhhI", delay, kind, detail, 0, x, y, sym)
    return data


def decode_events(data):
    """The events of a journal file, as encode() takes them."""
    layout_length = struct.unpack_from("<H", data, 16)[0]
    offset = 18 + layout_length
    count = struct.unpack_from("<I", data, offset)[0]
    offset += 4
    events = []
    for _ in range(count):
        delay, kind, detail, _, x, y, sym = struct.unpack_from("<IBBHhhI", data, offset)
        events.append((delay, kind, detail, x, y, sym))
        offset += 16
    return events


def key_tap(codes, name, delay_down, delay_up):
    code = codes[name]
    return [(delay_down, KEY_DOWN, code, 0, 0, keysym(name)),
            (delay_up, KEY_UP, code, 0, 0, keysym(name))]
