#!/usr/bin/python3
"""The programs as native clients of a headless sway (which has no XWayland here): a macro run
from the command line types into a Qt text field and the program ends after it; the scanner opens
its window; a recording made on X11 plays back, its click moving the focus."""
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import journal_files as jf  # noqa: E402
from wayland_desktop import (WaylandDesktop, clear_arrival, read_arrival,  # noqa: E402
                             wait_until)

REPORT = "Total: <<SHIFT>>a ½ “ok” — Ω<<ENTER>>x<<CTRL>>adone é<<F12>>"


class WaylandProgram(unittest.TestCase):
    def setUp(self):
        self.desktop = WaylandDesktop()
        self.desktop.__enter__()
        self.addCleanup(self.desktop.close)

    def test_open_and_close_switches_run_a_macro(self):
        d = self.desktop
        d.write_catalogue("[Main]\nEntries=2\nFirstRun=0\n[Macro1]\nName=Other\nType=4\n"
                          "FileName=Other.key\n[Macro2]\nName=Report\nType=4\n"
                          "FileName=Report.key\n")
        d.write_side_file("Other.key", "must not be typed")
        d.write_side_file("Report.key", REPORT)
        out = d.path("field.txt")
        d.open_field("Receiver", out)
        clear_arrival(out)
        proc = d.start_macros("/Open:report", "/Close")
        self.assertEqual(read_arrival(out, 30), "done é")
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            self.fail("the program did not end after the macro")
        self.assertEqual(proc.returncode, 0)

    def test_recording_plays_back_with_its_click(self):
        d = self.desktop
        # Recorded on a 1280x1024 X screen (evdev keycodes); the output here is 1280x800, tiled
        # into a left and a right half. The click lands in the left field, which lacks the focus.
        keys = {"o": (32, ord("o")), "k": (45, ord("k")), "F12": (96, 0xffc9)}
        events = [(20, jf.MOTION, 0, 320, 500, 0), (20, jf.BUTTON_DOWN, 1, 320, 500, 0),
                  (20, jf.BUTTON_UP, 1, 320, 500, 0)]
        for name in ("o", "k", "F12"):
            code, sym = keys[name]
            events += [(20, jf.KEY_DOWN, code, 320, 500, sym), (20, jf.KEY_UP, code, 320, 500, sym)]
        path = os.path.join(d.program_folder(), "Clicks.dat")
        with open(path, "wb") as f:
            f.write(jf.encode(events))
        d.give(path)
        d.write_catalogue("[Main]\nEntries=1\nFirstRun=0\n"
                          "[Macro1]\nName=Clicks\nType=3\nFileName=Clicks.dat\n")
        left, right = d.path("left.txt"), d.path("right.txt")
        d.open_field("Left Field", left)
        d.open_field("Right Field", right)
        proc = d.start_macros("/Open:Clicks", "/Close")
        self.assertEqual(read_arrival(left, 30), "ok")
        self.assertFalse(os.path.exists(right + ".done"))
        proc.wait(10)

    def test_scanner_opens_its_window(self):
        d = self.desktop
        config = d.path("dregmoor-config")
        os.makedirs(config)
        d.give(config)
        proc = d.spawn([os.environ["DREGMOOR_BIN"]], dict(d.env, XDG_CONFIG_HOME=config),
                       log="dregmoor.log")
        wait_until("the scanner's window", lambda: any(
            "Dregmoor" in title for _, _, title in d.windows()))
        self.assertIsNone(proc.poll())


if __name__ == "__main__":
    unittest.main()
