#!/usr/bin/python3
"""Typing into a Qt text field on a headless KDE Plasma desktop, both ways the program types
there: KWin's fake input (granted through the program's desktop entry) and the portal's remote
desktop (for a program KWin does not grant it). Characters the layout has no key for are pasted,
and the user's clipboard and primary selection are given back as they were, type for type."""
import os
import random
import shutil
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kde_desktop import KdeDesktop, available  # noqa: E402
from wayland_desktop import clear_arrival, read_arrival, wait_until  # noqa: E402

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

    def routes(self):
        return (("fake input", os.environ["TYPETEXT_BIN"]), ("portal", self.portal_sender))

    def selections(self):
        """Every type of the clipboard and the primary selection with its bytes, as another
        program reads them ("clipboard TYPE HEX" lines)."""
        dump = self.desktop.run([os.environ["CLIPTOOL_BIN"], "--dump"], timeout=30)
        self.assertEqual(dump.returncode, 0, dump.stderr)
        return sorted(dump.stdout.decode().splitlines())

    def hold_selections(self, label):
        """Puts the user's selections in place: the clipboard holds a text under a type of its
        own besides the UTF-8 text, the primary selection bytes of a type that is no text.
        Returns them as read back."""
        held = self.desktop.path("held")
        self.desktop.spawn([os.environ["CLIPTOOL_BIN"], "--hold", held,
                            "clipboard:text/plain;charset=utf-8=kept ✓ " + label,
                            "clipboard:text/x-keyloom-test=another text",
                            "primary:application/x-keyloom-test=\x01\x02 also kept"])
        wait_until("the user's selections", lambda: os.path.exists(held))
        os.remove(held)
        before = self.selections()
        self.assertEqual(len(before), 3)
        return before

    def type_file(self, sender, text):
        path = self.desktop.path("text.txt")
        self.desktop.write(path, text)
        clear_arrival(self.out)
        result = self.desktop.run([sender, "--file", path])
        self.assertEqual(result.returncode, 0, result.stderr)
        return read_arrival(self.out)

    def test_texts_arrive_exactly_either_way(self):
        for route, sender in self.routes():
            with self.subTest(route=route):
                self.assertEqual(self.type_file(sender, random_ascii()), random_ascii())

    def test_line_outside_the_layout_is_pasted_and_the_clipboard_comes_back(self):
        # The US layout of the headless seat has ASCII only.
        path = self.desktop.path("text.txt")
        self.desktop.write(path, LINE)
        for route, sender in self.routes():
            with self.subTest(route=route):
                before = self.hold_selections(route)
                keep = self.desktop.path("keep")
                clear_arrival(self.out)
                # The restored selections live in the sender: it serves them until told.
                typing = self.desktop.spawn([sender, "--file", path, "--keep-file", keep])
                try:
                    self.assertEqual(read_arrival(self.out), LINE)
                    self.assertEqual(self.selections(), before)
                finally:
                    self.desktop.write(keep, "")
                    self.assertEqual(typing.wait(30), 0)
                    os.remove(keep)

    def test_the_program_serves_the_clipboard_it_gave_back(self):
        # On Wayland the restored selections live in the program: it serves them from its event
        # loop after the macro, for as long as it runs.
        self.desktop.write_catalogue("[Main]\nEntries=1\nFirstRun=0\n"
                                     "[Macro1]\nName=Line\nType=4\nFileName=Line.key\n")
        self.desktop.write_side_file("Line.key", LINE + "<<F12>>")
        before = self.hold_selections("program")
        clear_arrival(self.out)
        program = self.desktop.start_macros("/Open:Line")
        try:
            self.assertEqual(read_arrival(self.out), LINE)
            self.assertEqual(self.selections(), before)
        finally:
            self.desktop.end(program)


if __name__ == "__main__":
    if not available():
        sys.exit(77)  # no KWin here: skipped, not failed
    unittest.main()
