#!/usr/bin/python3
"""Typing on a headless GNOME Shell through the desktop portal's remote desktop, once the user has
allowed it in the desktop's question: texts arrive exactly in a Qt field (characters the layout
has no key for are left out, never replaced), a hot key types its macro, and without the shell
extension a macro run from the command line still types and the program says how to enable the extension."""
import os
import random
import shutil
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
if shutil.which("gnome-shell") is None:
    print("gnome-shell is not installed")
    sys.exit(77)
from gnome_desktop import UUID, GnomeDesktop, wait_until  # noqa: E402
from wayland_desktop import clear_arrival, read_arrival  # noqa: E402

LINE = "café €5 naïve ß Ω ñ ü Ä — “quotes” ½"
SHIFT_CTRL, F5 = 0x2000 | 0x4000, 0x74


def random_ascii(length=2000, seed=19):
    rng = random.Random(seed)
    return "".join(chr(rng.randint(0x20, 0x7e)) for _ in range(length))


class GnomeTyping(unittest.TestCase):
    def desktop(self, **options):
        d = GnomeDesktop(**options)
        d.__enter__()
        self.addCleanup(d.close)
        return d

    def test_texts_arrive_exactly(self):
        d = self.desktop()
        out = d.path("field.txt")
        d.open_field("Receiver", out)
        in_layout = "".join(c for c in LINE if c < "\x80")
        through_extension = d.watch_calls("TypeKeys")
        for name, text, expected in (("random printable ASCII", random_ascii(), None),
                                     ("line outside the layout", LINE, in_layout)):
            with self.subTest(text=name):
                path = d.path("text.txt")
                d.write(path, text)
                clear_arrival(out)
                result = d.type_allowed(["--file", path], "Receiver")
                self.assertEqual(result.returncode, 0, result.stdout)
                self.assertEqual(read_arrival(out), expected or text)
        self.assertGreater(through_extension(), 0, "typed through the portal, not the extension")

    def test_hot_key_types_its_macro(self):
        d = self.desktop()
        out = d.path("field.txt")
        d.write_catalogue("[Main]\nEntries=1\nFirstRun=0\n"
                          f"[Macro1]\nName=Greet\nType=4\nFileName=Greet.key\nHotKey={SHIFT_CTRL | F5}\n")
        d.write_side_file("Greet.key", "hello <<SHIFT>>w<<F12>>")
        through_extension = d.watch_calls("TypeKeys")
        d.start_macros(settled=True)
        d.open_field("Receiver", out)  # in front of the program's own windows
        d.press("Control", "Shift", "F5")
        self.assertEqual(read_arrival(out), "hello W")
        self.assertGreater(through_extension(), 0, "typed through the portal, not the extension")

    def test_without_the_extension_the_command_line_types(self):
        d = self.desktop(extension=False)
        out = d.path("field.txt")
        d.write_catalogue("[Main]\nEntries=1\nFirstRun=0\n"
                          "[Macro1]\nName=Line\nType=4\nFileName=Line.key\n")
        d.write_side_file("Line.key", "typed all the same<<F12>>")
        d.open_field("Receiver", out)
        proc = d.start_macros("/Open:Line", "/Close")
        self.assertEqual(proc.wait(60), 0)
        self.assertEqual(read_arrival(out), "typed all the same")
        wait_until("the start-up message", lambda: f"gnome-extensions enable {UUID}" in
                   d.macros_log())


if __name__ == "__main__":
    unittest.main()
