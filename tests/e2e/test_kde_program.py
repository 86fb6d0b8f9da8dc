#!/usr/bin/python3
"""The program on a headless KDE Plasma desktop: a macro run from the command line types into a
Qt text field and the program ends after it; hot keys come through the portal's global shortcuts
and type their macros; SIGTERM in the middle of typing leaves no portal session, no shortcut and
no key held."""
import os
import signal
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
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
