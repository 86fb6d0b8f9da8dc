#!/usr/bin/python3
"""Windows on a headless sway as the program sees them through the compositor's window list: a
trigger fires once for each window with its title and again for a reopened one, and <<FOCUS:
types into another window."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wayland_desktop import WaylandDesktop, clear_arrival, read_arrival  # noqa: E402


class WaylandWindows(unittest.TestCase):
    def setUp(self):
        self.desktop = WaylandDesktop()
        self.desktop.__enter__()
        self.addCleanup(self.desktop.close)

    def test_trigger_fires_once_per_window(self):
        d = self.desktop
        d.write_catalogue("[Main]\nEntries=2\nFirstRun=0\n"
                          "[Macro1]\nName=Greet\nType=4\nFileName=Greet.key\nTrigger=Invoice\n"
                          "[Macro2]\nName=Mark\nType=4\nFileName=Mark.key\nTrigger=Marker\n")
        d.write_side_file("Greet.key", "hello<<F12>>")
        d.write_side_file("Mark.key", "mark<<F12>>")
        d.start_macros(settled=True)
        invoice, marker = d.path("invoice.txt"), d.path("marker.txt")
        for round_ in ("first window", "reopened window"):
            with self.subTest(round_):
                clear_arrival(invoice)
                field = d.open_field("Invoice", invoice)
                self.assertEqual(read_arrival(invoice, 20), "hello")
                clear_arrival(invoice)
                # The marker's macro runs on a later poll: by then a second firing for the
                # same window would have come.
                clear_arrival(marker)
                other = d.open_field("Marker", marker)
                self.assertEqual(read_arrival(marker, 20), "mark")
                self.assertFalse(os.path.exists(invoice + ".done"), "fired twice")
                d.end(other)
                d.end(field)

    def test_focus_types_into_another_window(self):
        d = self.desktop
        d.write_catalogue("[Main]\nEntries=1\nFirstRun=0\n"
                          "[Macro1]\nName=Jump\nType=4\nFileName=Jump.key\n")
        d.write_side_file("Jump.key", "<<FOCUS:Left Field>>over here<<F12>>")
        left, right = d.path("left.txt"), d.path("right.txt")
        d.open_field("Left Field", left)
        d.open_field("Right Field", right)
        proc = d.start_macros("/Open:Jump", "/Close")
        self.assertEqual(read_arrival(left, 20), "over here")
        self.assertFalse(os.path.exists(right + ".done"))
        proc.wait(10)


if __name__ == "__main__":
    unittest.main()
