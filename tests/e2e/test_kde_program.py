#!/usr/bin/python3
"""The program on a headless KDE Plasma desktop: a macro run from the command line types into a
Qt text field and the program ends after it; a recording plays back through KWin's fake input,
its click moving the focus; hot keys come through the portal's global shortcuts and type their
macros; SIGTERM in the middle of typing leaves no portal session, no shortcut and no key held."""
import os
import signal
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import journal_files as jf  # noqa: E402
from kde_desktop import KdeDesktop, available  # noqa: E402
from wayland_desktop import clear_arrival, read_arrival, wait_until  # noqa: E402

SHIFT_CTRL = 0x2000 | 0x4000
F5, F7 = 0x74, 0x76
ACCEL = ("org.kde.kglobalaccel", "/component/keyloom", "org.kde.kglobalaccel.Component.")


class KdeProgram(unittest.TestCase):
    def setUp(self):
        self.desktop = KdeDesktop()
        self.desktop.__enter__()
        self.addCleanup(self.desktop.close)

    def bound(self, trigger):
        """The name of our shortcut on that trigger that holds a key now; None when none does."""
        infos = self.desktop.call(*ACCEL[:2], ACCEL[2] + "allShortcutInfos").stdout.decode()
        for entry in infos.split("), ("):
            name = entry.split("'")[1] if "'" in entry else ""
            if name.endswith("-" + trigger) and "[]" not in entry.split("Default Context")[-1]:
                return name
        return None

    def portal_sessions(self):
        tree = self.desktop.run(["busctl", "--user", "tree", "--list",
                                 "org.freedesktop.portal.Desktop"]).stdout.decode()
        return [line for line in tree.split() if "/desktop/session/" in line]

    def test_open_and_close_switches_run_a_macro(self):
        d = self.desktop
        d.write_catalogue("[Main]\nEntries=2\nFirstRun=0\n[Macro1]\nName=Other\nType=4\n"
                          "FileName=Other.key\n[Macro2]\nName=Report\nType=4\n"
                          "FileName=Report.key\n")
        d.write_side_file("Other.key", "must not be typed")
        d.write_side_file("Report.key", "Total: <<SHIFT>>a 5%<<ENTER>>x<<CTRL>>adone!<<F12>>")
        out = d.path("field.txt")
        d.open_field("Receiver", out)
        proc = d.start_macros("/Open:report", "/Close")
        self.assertEqual(read_arrival(out, 30), "done!")
        try:
            proc.wait(20)
        except subprocess.TimeoutExpired:
            self.fail("the program did not end after the macro")
        self.assertEqual(proc.returncode, 0)

    def test_recording_plays_back_with_its_click(self):
        d = self.desktop
        # Recorded on a 1280x1024 X screen (evdev keycodes); the output here is 1280x800, with a
        # field on each half. The click lands in the left field, which lacks the focus.
        events = [(20, jf.MOTION, 0, 320, 500, 0), (20, jf.BUTTON_DOWN, 1, 320, 500, 0),
                  (20, jf.BUTTON_UP, 1, 320, 500, 0)]
        for code, sym in ((32, ord("o")), (45, ord("k")), (96, 0xffc9)):
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
        d.place("Left Field", 0, 0, 640, 800)
        d.place("Right Field", 640, 0, 640, 800)
        proc = d.start_macros("/Open:Clicks", "/Close")
        self.assertEqual(read_arrival(left, 30), "ok", "the keys went elsewhere; the right "
                         f"field got {read_arrival(right, 0)!r}")
        self.assertFalse(os.path.exists(right + ".done"))
        proc.wait(20)

    def test_hot_keys_from_start_to_sigterm(self):
        d = self.desktop
        d.write_catalogue("[Main]\nEntries=2\nFirstRun=0\n"
                          f"[Macro1]\nName=Greet\nType=4\nFileName=Greet.key\nHotKey={SHIFT_CTRL | F5}\n"
                          f"[Macro2]\nName=Long\nType=4\nFileName=Long.key\nHotKey={SHIFT_CTRL | F7}\n")
        d.write_side_file("Greet.key", "hello <<SHIFT>>w<<F12>>")
        # Every character needs Shift held around its own key: most of the time a key is down.
        d.write_side_file("Long.key", "<<REP300>>ABCDEFGH<<ENDREP>>")
        out = d.path("field.txt")
        first = d.path("first-key")
        proc = d.start_macros(settled=True)
        d.open_field("Receiver", out, ["--first", first])

        def invoke(trigger):
            return d.call(*ACCEL[:2], ACCEL[2] + "invokeShortcut", self.bound(trigger))

        wait_until("the hot keys to be bound",
                   lambda: self.bound("CTRL+SHIFT+F5") and self.bound("CTRL+SHIFT+F7"), 30)
        self.assertEqual(invoke("CTRL+SHIFT+F5").returncode, 0)
        self.assertEqual(read_arrival(out, 20), "hello W")
        clear_arrival(out)
        self.assertNotEqual(self.portal_sessions(), [], "the hot keys hold no portal session")
        invoke("CTRL+SHIFT+F7")
        wait_until("the long macro to start typing", lambda: os.path.exists(first))
        os.killpg(proc.pid, signal.SIGTERM)
        proc.wait(10)
        result = d.run([os.environ["TYPETEXT_BIN"], "--keys", "{F12}"])
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIsNotNone(read_arrival(out, 60))
        with open(out + ".held") as f:
            self.assertEqual(f.read(), "", "a key the program pressed is still down")
        self.assertEqual(self.portal_sessions(), [], "a portal session outlived the program")
        self.assertIsNone(self.bound("CTRL+SHIFT+F5"), "a shortcut is still bound")


if __name__ == "__main__":
    if not available():
        sys.exit(77)  # no KWin here: skipped, not failed
    unittest.main()
