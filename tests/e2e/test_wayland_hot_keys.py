#!/usr/bin/python3
"""Hot keys on a headless sway, as the compositor's own bindings: a hot key types its macro, a
combination the user's configuration binds stays the user's, and SIGTERM in the middle of typing
leaves no binding and no key held."""
import os
import signal
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wayland_desktop import WaylandDesktop, clear_arrival, read_arrival, wait_until  # noqa: E402

SHIFT_CTRL = 0x2000 | 0x4000
F5, F6, F7 = 0x74, 0x75, 0x76


class WaylandHotKeys(unittest.TestCase):
    def setUp(self):
        self.marker = None
        self.desktop = WaylandDesktop(
            extra_config="bindsym Ctrl+Shift+F6 exec touch $XDG_RUNTIME_DIR/users-own.ran\n")
        self.desktop.__enter__()
        self.addCleanup(self.desktop.close)

    def press(self, keys):
        result = self.desktop.run([os.environ["TYPETEXT_BIN"], "--keys", keys])
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_hot_keys_from_start_to_sigterm(self):
        d = self.desktop
        d.write_catalogue("[Main]\nEntries=3\nFirstRun=0\n"
                          f"[Macro1]\nName=Greet\nType=4\nFileName=Greet.key\nHotKey={SHIFT_CTRL | F5}\n"
                          f"[Macro2]\nName=Taken\nType=4\nFileName=Taken.key\nHotKey={SHIFT_CTRL | F6}\n"
                          f"[Macro3]\nName=Long\nType=4\nFileName=Long.key\nHotKey={SHIFT_CTRL | F7}\n")
        d.write_side_file("Greet.key", "hello <<SHIFT>>w<<F12>>")
        d.write_side_file("Taken.key", "taken<<F12>>")
        # Every character needs Shift held around its own key: most of the time a key is down.
        d.write_side_file("Long.key", "<<REP2000>>ABCDEFGH<<ENDREP>>")
        proc = d.start_macros(settled=True)
        out = d.path("field.txt")
        first = d.path("first-key")
        d.open_field("Receiver", out, ["--first", first])
        # The user's modifiers are still down when the macro starts; its keys are not affected.
        self.press("^~{F5}")
        self.assertEqual(read_arrival(out, 20), "hello W")
        clear_arrival(out)
        self.press("^~{F6}")
        wait_until("the configuration's own binding to run",
                   lambda: os.path.exists(d.path("users-own.ran")))
        self.press("^~{F5}")
        self.assertEqual(read_arrival(out, 20), "hello W", "the taken key ran its macro too")
        clear_arrival(out)
        if os.path.exists(first):
            os.remove(first)
        self.press("^~{F7}")
        wait_until("the long macro to start typing", lambda: os.path.exists(first))
        os.killpg(proc.pid, signal.SIGTERM)
        proc.wait(10)
        self.press("{F12}")
        self.assertIsNotNone(read_arrival(out, 20))
        with open(out + ".held") as f:
            self.assertEqual(f.read(), "", "a key the program pressed is still down")
        # Removing a binding that is not there fails: none of ours is left.
        result = d.swaymsg("--", "unbindsym", "Ctrl+Shift+F5")
        self.assertIn(b"Could not find binding", result.stdout, "a binding of ours is left")
        result = d.swaymsg("--", "unbindsym", "Ctrl+Shift+F6")
        self.assertEqual(result.returncode, 0, "the user's own binding went missing")


if __name__ == "__main__":
    unittest.main()
