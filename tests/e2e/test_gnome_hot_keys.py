#!/usr/bin/python3
"""Hot keys on a headless GNOME Shell, as accelerators grabbed through the program's shell
extension: a hot key runs its macro, a combination another program holds stays that program's,
neither SIGTERM nor SIGKILL leaves a grab behind (the key works for the next program), and a
macro waits for the user's modifiers, which the shell applies to every keyboard, to come up."""
import os
import shutil
import signal
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
if shutil.which("gnome-shell") is None:
    print("gnome-shell is not installed")
    sys.exit(77)
from gi.repository import GLib  # noqa: E402

from gnome_desktop import GnomeDesktop, file_lines, wait_until  # noqa: E402
from test_gnome_windows import mark_macro  # noqa: E402

SHIFT_CTRL = 0x2000 | 0x4000
F5, F6 = 0x74, 0x75
OURS, TAKEN = "<Shift><Control>F5", "<Shift><Control>F6"


class GnomeHotKeys(unittest.TestCase):
    def setUp(self):
        self.desktop = GnomeDesktop()
        self.desktop.__enter__()
        self.addCleanup(self.desktop.close)

    def grabbed(self):
        return self.desktop.extension_call("GrabbedAccelerators")[0]

    def test_hot_keys_from_start_to_the_end_of_the_program(self):
        d = self.desktop
        hot, taken = d.path("hot.marks"), d.path("taken.marks")
        d.write_catalogue("[Main]\nEntries=2\nFirstRun=0\n"
                          f"[Macro1]\nName=Hot\nType=4\nFileName=Hot.key\nHotKey={SHIFT_CTRL | F5}\n"
                          f"[Macro2]\nName=Taken\nType=4\nFileName=Taken.key\nHotKey={SHIFT_CTRL | F6}\n")
        d.write_side_file("Hot.key", mark_macro(d, "Hot", hot))
        d.write_side_file("Taken.key", mark_macro(d, "Taken", taken))
        # Another program holds one of the two combinations first.
        self.assertNotEqual(d.extension_call("GrabAccelerator", GLib.Variant("(s)", (TAKEN,))),
                            (0,))
        for end in (signal.SIGTERM, signal.SIGKILL):
            with self.subTest(signal.Signals(end).name):
                before = len(file_lines(hot))
                proc = d.start_macros(settled=True)
                self.assertEqual(sorted(self.grabbed()), sorted([OURS, TAKEN]))
                d.press("Control", "Shift", "F6")
                d.press("Control", "Shift", "F5")
                wait_until("the hot key's macro", lambda: len(file_lines(hot)) == before + 1)
                self.assertEqual(file_lines(taken), [], "the taken key ran the macro too")
                os.killpg(proc.pid, end)
                proc.wait(10)
                # The program's own clean-up or, after SIGKILL, the extension's watch of the bus.
                wait_until("the program's grab to go", lambda: self.grabbed() == [TAKEN])

    def test_macro_waits_for_the_users_modifiers(self):
        d = self.desktop
        hot = d.path("hot.marks")
        d.write_catalogue("[Main]\nEntries=1\nFirstRun=0\n"
                          f"[Macro1]\nName=Hot\nType=4\nFileName=Hot.key\nHotKey={SHIFT_CTRL | F5}\n")
        d.write_side_file("Hot.key", mark_macro(d, "Hot", hot))
        waits = d.watch_calls("WaitForRelease")
        d.start_macros(settled=True)
        d.hold("Control", "Shift")
        d.press("F5")
        wait_until("the program to wait for the keys to come up", lambda: waits() > 0)
        self.assertEqual(file_lines(hot), [], "the macro ran while the user held Ctrl and Shift")
        d.release("Shift", "Control")
        wait_until("the macro once the keys are up", lambda: file_lines(hot) == ["x"])


if __name__ == "__main__":
    unittest.main()
