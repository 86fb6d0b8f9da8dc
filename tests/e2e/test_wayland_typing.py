#!/usr/bin/python3
"""Typing into a Qt text field on a headless sway, through the compositor's virtual keyboard."""
import os
import random
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wayland_desktop import WaylandDesktop, clear_arrival, read_arrival  # noqa: E402

LINE = "café €5 naïve ß Ω ñ ü Ä — “quotes” ½"


def random_ascii(length=2000, seed=16):
    rng = random.Random(seed)
    return "".join(chr(rng.randint(0x20, 0x7e)) for _ in range(length))


class WaylandTyping(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.desktop = WaylandDesktop().__enter__()
        cls.out = cls.desktop.path("field.txt")
        cls.desktop.open_field("Receiver", cls.out)

    @classmethod
    def tearDownClass(cls):
        cls.desktop.close()

    def type_file(self, text):
        path = self.desktop.path("text.txt")
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        os.chmod(path, 0o644)
        clear_arrival(self.out)
        result = self.desktop.run([os.environ["TYPETEXT_BIN"], "--file", path])
        self.assertEqual(result.returncode, 0, result.stderr)
        return read_arrival(self.out)

    def test_texts_arrive_exactly(self):
        # The first text of a run goes first: its first key is the one most at risk.
        for name, text in (("line outside the layout", LINE),
                           ("random printable ASCII", random_ascii()),
                           ("line again, after a restored keymap", LINE + "\n" + LINE)):
            with self.subTest(name):
                self.assertEqual(self.type_file(text), text)

    def test_key_strings_with_modifiers_and_braced_keys(self):
        # Ctrl+A selects what was typed so far, so the later text replaces it.
        cases = [("abc^a{DEL}xy{LEFT}z{ENTER}", "xz\ny"),
                 ("one{BKSP}{BKSP}{BKSP}two{HOME}{DEL}^{END}!", "wo!")]
        for keys, expected in cases:
            with self.subTest(keys):
                clear_arrival(self.out)
                self.assertEqual(self.desktop.run(
                    [os.environ["TYPETEXT_BIN"], "--keys", keys + "{F12}"]).returncode, 0)
                self.assertEqual(read_arrival(self.out), expected)


if __name__ == "__main__":
    unittest.main()
