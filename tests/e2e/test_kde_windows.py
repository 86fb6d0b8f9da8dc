#!/usr/bin/python3
"""Windows on a headless KWin as the program sees them through the script it runs inside the
window manager: front to back with titles and visibility, and activation; a window keeps its
number while it lives, so a trigger fires once for each window with its title and again for a
reopened one; <<FOCUS: types into another window and <<LOOKFOR: waits for one; and no script or
script file is left behind once a program that loaded one has ended, by SIGTERM too."""
import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kde_desktop  # noqa: E402
from kde_desktop import KdeDesktop  # noqa: E402
from wayland_desktop import clear_arrival, read_arrival, wait_until  # noqa: E402

KWIN = "org.kde.KWin"


def windows(d):
    """(id, visible, title) of every window, front to back, as a fresh program sees them."""
    out = d.run([os.environ["WINDOWTOOL_BIN"], "list"]).stdout.decode()
    return [tuple(line.split(" ", 2)) for line in out.splitlines() if line.count(" ") >= 2]


def windowtool(d, *args):
    return d.run([os.environ["WINDOWTOOL_BIN"], *args]).returncode


def loaded_scripts(d):
    """The objects of the scripts KWin has loaded (Plasma 5 puts them at /N, Plasma 6 under
    /Scripting)."""
    out = d.run(["busctl", "--user", "tree", "--list", KWIN], timeout=10).stdout.decode()
    return [p for p in out.split() if re.fullmatch(r"/\d+|/Scripting/Script\d+", p)]


def script_files(d):
    return [n for n in os.listdir(d.runtime) if n.startswith("keyloom-kwin-")]


def run_kwin_script(d, source):
    """Runs a script of the test's own in KWin and unloads it again."""
    path = d.path("test-script.js")
    d.write(path, source)
    out = d.call(KWIN, "/Scripting", "org.kde.kwin.Scripting.loadScript", path, "keyloom-test")
    number = re.search(r"\d+", out.stdout.decode()).group(0)
    for obj in (f"/Scripting/Script{number}", f"/{number}"):
        if d.call(KWIN, obj, "org.kde.kwin.Script.run").returncode == 0:
            break
    d.call(KWIN, "/Scripting", "org.kde.kwin.Scripting.unloadScript", "keyloom-test")


MINIMIZE = """
var all = workspace.windowList ? workspace.windowList() : workspace.clientList();
for (var i = 0; i < all.length; ++i) if (all[i].caption === "%s") all[i].minimized = true;
"""


class KdeWindows(unittest.TestCase):
    def setUp(self):
        self.desktop = KdeDesktop()
        self.desktop.__enter__()
        self.addCleanup(self.desktop.close)

    def test_front_to_back_visibility_and_activation(self):
        d = self.desktop
        d.open_field("Left Field", d.path("left.txt"))
        d.open_field("Right Field", d.path("right.txt"))
        listed = [("1", "1", "Right Field"), ("2", "1", "Left Field")]
        wait_until("both fields listed, the newer in front", lambda: windows(d) == listed)
        self.assertEqual(d.run([os.environ["WINDOWTOOL_BIN"], "active"]).stdout, b"1\n")
        focused = d.path("left.txt.ready")
        os.remove(focused)
        self.assertEqual(windowtool(d, "activate", "2"), 0)
        wait_until("the activated field taking the focus", lambda: os.path.exists(focused))
        self.assertEqual([t for _, _, t in windows(d)], ["Left Field", "Right Field"])
        run_kwin_script(d, MINIMIZE % "Left Field")
        wait_until("the minimized field listed as hidden",
                   lambda: ("0", "Left Field") in [(v, t) for _, v, t in windows(d)])
        left = next(i for i, _, t in windows(d) if t == "Left Field")
        self.assertEqual(windowtool(d, "activate", left), 0, "a minimized window is restored")
        self.assertEqual(windows(d)[0][1:], ("1", "Left Field"))
        # KWin lets go of an unloaded script's object a moment after it answers.
        wait_until("no script left in KWin", lambda: loaded_scripts(d) == [])
        self.assertEqual(script_files(d), [])

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
                self.assertEqual(read_arrival(invoice, 30), "hello")
                clear_arrival(invoice)
                # The marker's macro runs on a later poll: by then a second firing for the
                # same window would have come.
                clear_arrival(marker)
                other = d.open_field("Marker", marker)
                self.assertEqual(read_arrival(marker, 30), "mark")
                self.assertFalse(os.path.exists(invoice + ".done"), "fired twice")
                d.end(other)
                d.end(field)

    def test_focus_and_look_for_reach_other_windows(self):
        d = self.desktop
        d.write_catalogue("[Main]\nEntries=2\nFirstRun=0\n"
                          "[Macro1]\nName=Jump\nType=4\nFileName=Jump.key\n"
                          "[Macro2]\nName=Wait\nType=4\nFileName=Wait.key\n")
        d.write_side_file("Jump.key", "<<FOCUS:Left Field>>over here<<F12>>")
        d.write_side_file("Wait.key", "<<LOOKFOR:Late Field~~SECS:60>>found<<F12>>")
        left, right, late = d.path("left.txt"), d.path("right.txt"), d.path("late.txt")
        d.open_field("Left Field", left)
        d.open_field("Right Field", right)
        proc = d.start_macros("/Open:Jump", "/Close")
        self.assertEqual(read_arrival(left, 30), "over here")
        self.assertFalse(os.path.exists(right + ".done"))
        proc.wait(10)
        # Typed at once, the text would land in the field that has the focus now.
        clear_arrival(left)
        proc = d.start_macros("/Open:Wait", "/Close")
        wait_until("the program looking at the windows", lambda: loaded_scripts(d) != [], 30)
        d.open_field("Late Field", late)
        self.assertEqual(read_arrival(late, 30), "found")
        self.assertFalse(os.path.exists(left + ".done"))
        self.assertFalse(os.path.exists(right + ".done"))
        proc.wait(10)

    def test_sigterm_unloads_the_script(self):
        d = self.desktop
        d.write_catalogue("[Main]\nEntries=1\nFirstRun=0\n"
                          "[Macro1]\nName=Greet\nType=4\nFileName=Greet.key\nTrigger=Invoice\n")
        d.write_side_file("Greet.key", "hello")
        proc = d.start_macros()
        wait_until("the program's script running", lambda: loaded_scripts(d) != [], 30)
        d.end(proc)
        wait_until("no script left in KWin", lambda: loaded_scripts(d) == [])
        self.assertEqual(script_files(d), [])


if __name__ == "__main__":
    if not kde_desktop.available():
        sys.exit(77)
    unittest.main()
