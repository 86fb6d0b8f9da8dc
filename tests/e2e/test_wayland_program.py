#!/usr/bin/python3
"""The programs as native clients of a headless sway (which has no XWayland here): a macro run
from the command line types into a Qt text field and the program ends after it; the scanner opens
its window."""
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
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
