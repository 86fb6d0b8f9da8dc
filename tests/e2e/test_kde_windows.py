#!/usr/bin/python3
"""Windows on a headless KWin as the program's layer sees them through the script it runs inside
the window manager: front to back with titles and visibility, activation, and no script or script
file left behind once a program that loaded one has ended."""
import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kde_desktop  # noqa: E402
from kde_desktop import KdeDesktop  # noqa: E402
from wayland_desktop import wait_until  # noqa: E402

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

    def test_a_window_keeps_its_number_and_a_reopened_one_gets_a_new_one(self):
        # What a window trigger relies on to fire once for each window, and again for a
        # reopened one, in a program that keeps looking.
        d = self.desktop
        watcher = d.spawn([os.environ["WINDOWTOOL_BIN"], "watch"], log="watch.log")
        log = os.path.join(d.folder, "watch.log")

        def listing():
            with open(log) as f:
                lines = f.read().splitlines()
            return [tuple(w.split(" ", 1)) for w in lines[-1].split(";") if w] if lines else None
        wait_until("the watcher's first look", lambda: listing() == [])
        invoice = d.open_field("Invoice", d.path("invoice.txt"))
        wait_until("the invoice listed", lambda: [t for _, t in listing()] == ["Invoice"])
        first = listing()[0][0]
        d.open_field("Marker", d.path("marker.txt"))
        wait_until("the marker in front", lambda: [t for _, t in listing()] == ["Marker", "Invoice"])
        self.assertEqual(listing()[1][0], first)
        d.end(invoice)
        wait_until("the invoice gone", lambda: [t for _, t in listing()] == ["Marker"])
        d.open_field("Invoice", d.path("invoice.txt"))
        wait_until("the invoice back", lambda: "Invoice" in [t for _, t in listing()])
        with open(log) as f:
            seen = {w.split(" ", 1)[0] for line in f for w in line.strip().split(";") if w}
        self.assertEqual(len(seen), 3, "every window got a number of its own")
        d.end(watcher)
        wait_until("no script left in KWin", lambda: loaded_scripts(d) == [])
        self.assertEqual(script_files(d), [])


if __name__ == "__main__":
    if not kde_desktop.available():
        sys.exit(77)
    unittest.main()
