#!/usr/bin/python3
"""The shell extension's fast typing on a headless GNOME Shell: it types for no caller but the
one whose own remote desktop session the user allowed, and a key that a program held when it
vanished is let go."""
import os
import re
import shutil
import signal
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
if shutil.which("gnome-shell") is None:
    print("gnome-shell is not installed")
    sys.exit(77)
from gnome_desktop import GnomeDesktop, wait_until  # noqa: E402
from gi.repository import GLib  # noqa: E402
from wayland_desktop import clear_arrival  # noqa: E402

VK_SHIFT = 0x10
KEYCODE_A = 38  # XKB's, in the US layout


class ShellTyping(unittest.TestCase):
    def setUp(self):
        self.d = GnomeDesktop()
        self.d.__enter__()
        self.addCleanup(self.d.close)
        self.out = self.d.path("field.txt")
        self.d.open_field("Receiver", self.out)

    def held_at_sentinel(self):
        """The keys the field saw held when F12 came."""
        clear_arrival(self.out)
        self.d.press("F12")
        wait_until("the sentinel", lambda: os.path.exists(self.out + ".done"))
        with open(self.out + ".held", encoding="utf-8") as f:
            return f.read().split()

    def test_types_for_its_allowed_caller_alone_and_lets_go_when_it_vanishes(self):
        seen = self.d.watch_portal()
        holding = self.d.path("holding")
        proc = self.d.spawn([os.environ["TYPETEXT_BIN"], "--hold-key", str(VK_SHIFT),
                             "--hold-file", holding])
        self.d.answer_remote_desktop(seen)
        wait_until("the key held", lambda: os.path.exists(holding))
        wait_until("the field back in front", lambda: self.d.focused_title() == "Receiver")
        wait_until("Shift held in the field", lambda: self.held_at_sentinel() != [])

        allowed = re.search(r'object path "(/org/freedesktop/portal/desktop/session/[^"]+)"',
                            seen()).group(1)
        mine = self.d.bus.get_unique_name()[1:].replace(".", "_")
        for name, session in (("another program's allowed session", allowed),
                              ("a session it does not hold",
                               f"/org/freedesktop/portal/desktop/session/{mine}/t")):
            with self.subTest(name):
                with self.assertRaises(GLib.Error) as refused:
                    self.d.extension_call("TypeKeys", GLib.Variant(
                        "(oa(ub))", (session, [(KEYCODE_A, True), (KEYCODE_A, False)])))
                self.assertIn("AccessDenied", refused.exception.message)

        os.killpg(proc.pid, signal.SIGKILL)
        proc.wait(10)
        wait_until("Shift let go", lambda: self.held_at_sentinel() == [], seconds=10)


if __name__ == "__main__":
    unittest.main()
