#!/usr/bin/python3
"""Windows on a headless GNOME Shell as the program sees them through its shell extension: a
trigger fires once for each window with its title and again for a reopened one, <<LOOKFOR: finds
a window and <<FOCUS: brings it to the front; without the extension the program still starts,
says how to enable it, and runs a macro from the command line."""
import os
import shutil
import stat
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
if shutil.which("gnome-shell") is None:
    print("gnome-shell is not installed")
    sys.exit(77)
from gnome_desktop import UUID, GnomeDesktop, file_lines, wait_until  # noqa: E402


def mark_macro(desktop, name, mark_file):
    """A macro that appends a line to mark_file: seen without typing anything."""
    folder = desktop.program_folder()
    script = os.path.join(folder, "mark.sh")
    if not os.path.exists(script):
        desktop.write(script, '#!/bin/sh\necho x >> "$1"\n')
        os.chmod(script, os.stat(script).st_mode | stat.S_IXUSR)
    return f"<<EXECUTE:{script}~~{mark_file}~~{folder}>>"


class GnomeWindows(unittest.TestCase):
    def desktop(self, **options):
        d = GnomeDesktop(**options)
        d.__enter__()
        self.addCleanup(d.close)
        return d

    def test_trigger_fires_once_per_window(self):
        d = self.desktop()
        invoice, marker = d.path("invoice.marks"), d.path("marker.marks")
        d.write_catalogue("[Main]\nEntries=2\nFirstRun=0\n"
                          "[Macro1]\nName=Greet\nType=4\nFileName=Greet.key\nTrigger=Invoice\n"
                          "[Macro2]\nName=Mark\nType=4\nFileName=Mark.key\nTrigger=Marker\n")
        d.write_side_file("Greet.key", mark_macro(d, "Greet", invoice))
        d.write_side_file("Mark.key", mark_macro(d, "Mark", marker))
        d.start_macros(settled=True)
        for round_, count in (("first window", 1), ("reopened window", 2)):
            with self.subTest(round_):
                field = d.open_field("Invoice", d.path("invoice.txt"))
                wait_until("the trigger to fire", lambda: len(file_lines(invoice)) >= count)
                # The marker's macro runs on a later poll: by then a second firing for the
                # same window would have come.
                other = d.open_field("Marker", d.path("marker.txt"))
                wait_until("the marker to fire", lambda: len(file_lines(marker)) >= count)
                self.assertEqual(len(file_lines(invoice)), count, "fired twice")
                d.end(other)
                d.end(field)
                wait_until("the windows to go", lambda: not any(
                    t in ("Invoice", "Marker") for _, _, t in d.windows()))

    def test_look_for_and_focus_reach_a_window(self):
        d = self.desktop()
        found = d.path("found.marks")
        # The window is there before the macro looks: found at once, not after the minute.
        d.open_field("Left Field", d.path("left.txt"))
        d.open_field("Right Field", d.path("right.txt"))
        d.write_catalogue("[Main]\nEntries=1\nFirstRun=0\n"
                          "[Macro1]\nName=Jump\nType=4\nFileName=Jump.key\n")
        d.write_side_file("Jump.key", "<<LOOKFOR:Left Field~~SECS:60>><<FOCUS:Left Field>>" +
                          mark_macro(d, "Jump", found))
        proc = d.start_macros("/Open:Jump", "/Close")
        wait_until("the macro to find the window", lambda: file_lines(found), 20)
        proc.wait(10)

        def focused_title():
            focused, listing = d.extension_call("ListWindows")
            return [t for i, t, _ in listing if i == focused]
        wait_until("the window to take the focus", lambda: focused_title() == ["Left Field"])

    def test_without_the_extension(self):
        d = self.desktop(extension=False)
        ran = d.path("ran.marks")
        d.write_catalogue("[Main]\nEntries=1\nFirstRun=0\n"
                          "[Macro1]\nName=Mark\nType=4\nFileName=Mark.key\n")
        d.write_side_file("Mark.key", mark_macro(d, "Mark", ran))
        proc = d.start_macros("/Open:Mark", "/Close")
        self.assertEqual(proc.wait(30), 0)
        wait_until("the macro's program to run", lambda: file_lines(ran) == ["x"])
        self.assertIn(f"gnome-extensions enable {UUID}", d.macros_log())


if __name__ == "__main__":
    unittest.main()
