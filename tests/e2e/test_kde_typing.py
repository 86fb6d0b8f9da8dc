#!/usr/bin/python3
"""Typing into a Qt text field on a headless KDE Plasma desktop, both ways the program types
there: KWin's fake input (granted through the program's desktop entry) and the portal's remote
desktop (for a program KWin does not grant it). Characters the layout has no key for are left
out, never replaced by others."""
import os
import random
import shutil
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kde_desktop import KdeDesktop, available  # noqa: E402
from wayland_desktop import clear_arrival, read_arrival  # noqa: E402

LINE = "café €5 naïve ß Ω ñ ü Ä — “quotes” ½"


def random_ascii(length=2000, seed=16):
    rng = random.Random(seed)
    return "".join(chr(rng.randint(0x20, 0x7e)) for _ in range(length))


class KdeTyping(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.desktop = KdeDesktop().__enter__()
        cls.out = cls.desktop.path("field.txt")
        cls.desktop.open_field("Receiver", cls.out)
        # A copy elsewhere has no desktop entry, so KWin does not offer it the fake input.
        cls.portal_sender = cls.desktop.path("typetext-portal")
        shutil.copy(os.environ["TYPETEXT_BIN"], cls.portal_sender)
        cls.desktop.give(cls.portal_sender)

    @classmethod
    def tearDownClass(cls):
        cls.desktop.close()

    def type_file(self, sender, text):
        path = self.desktop.path("text.txt")
        self.desktop.write(path, text)
        clear_arrival(self.out)
        result = self.desktop.run([sender, "--file", path])
        self.assertEqual(result.returncode, 0, result.stderr)
        return read_arrival(self.out)

    def test_texts_arrive_exactly_either_way(self):
        # The US layout of the headless seat has ASCII only.
        in_layout = "".join(c for c in LINE if c < "\x80")
        for route, sender in (("fake input", os.environ["TYPETEXT_BIN"]),
                              ("portal", self.portal_sender)):
            for name, text, expected in (("random printable ASCII", random_ascii(), None),
                                         ("line outside the layout", LINE, in_layout)):
                with self.subTest(route=route, text=name):
                    self.assertEqual(self.type_file(sender, text), expected or text)


if __name__ == "__main__":
    if not available():
        sys.exit(77)  # no KWin here: skipped, not failed
    unittest.main()
