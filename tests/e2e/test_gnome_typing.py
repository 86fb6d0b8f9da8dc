#!/usr/bin/python3
"""Typing on a headless GNOME Shell through the desktop portal's remote desktop, once the user has
allowed it in the desktop's question: texts arrive exactly in a Qt field (characters the layout
has no key for are pasted, and the user's clipboard and primary selection given back as they
were), a hot key types its macro, and without the shell
extension a macro run from the command line still types and the program says how to enable the extension."""
import os
import random
import shutil
import sys
import threading
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
if shutil.which("gnome-shell") is None:
    print("gnome-shell is not installed")
    sys.exit(77)
from gnome_desktop import UUID, GnomeDesktop, wait_until  # noqa: E402
from gi.repository import Gio, GLib  # noqa: E402
from wayland_desktop import clear_arrival, read_arrival  # noqa: E402

LINE = "café €5 naïve ß Ω ñ ü Ä — “quotes” ½"
SHIFT_CTRL, F5 = 0x2000 | 0x4000, 0x74
SHELL = ("org.example.ostrevin.KeyloomShell", "/org/example/ostrevin/KeyloomShell",
         "org.example.ostrevin.KeyloomShell")
MUTTER = "org.gnome.Mutter.RemoteDesktop"


class ClipboardOwner:
    """A program holding the clipboard with several types, as a user's program would: a
    remote-desktop clipboard of its own, whose reads it serves from a thread until closed."""

    def __init__(self, d, contents):
        self.d, self.contents = d, dict(contents)
        (self.path,) = d.call(MUTTER, "/org/gnome/Mutter/RemoteDesktop", MUTTER, "CreateSession")
        self.context = GLib.MainContext.new()
        self.context.push_thread_default()
        try:
            self.watch = d.bus.signal_subscribe(None, MUTTER + ".Session", "SelectionTransfer",
                                                self.path, None, Gio.DBusSignalFlags.NONE,
                                                self._transfer)
        finally:
            self.context.pop_thread_default()
        self.loop = GLib.MainLoop.new(self.context, False)
        self.thread = threading.Thread(target=self.loop.run)
        self.thread.start()
        self._session("EnableClipboard", GLib.Variant("(a{sv})", ({},)))
        self._session("SetSelection", GLib.Variant("(a{sv})", (
            {"mime-types": GLib.Variant("as", list(self.contents))},)))

    def _session(self, method, args=None):
        return self.d.call(MUTTER, self.path, MUTTER + ".Session", method, args)

    def _transfer(self, conn, sender, path, iface, signal, params):
        mime, serial = params.unpack()
        reply, fds = self.d.bus.call_with_unix_fd_list_sync(
            MUTTER, self.path, MUTTER + ".Session", "SelectionWrite",
            GLib.Variant("(u)", (serial,)), None, Gio.DBusCallFlags.NONE, 5000, None, None)
        fd = fds.get(reply.unpack()[0])
        os.write(fd, self.contents[mime])
        os.close(fd)
        self._session("SelectionWriteDone", GLib.Variant("(ub)", (serial, True)))

    def close(self):
        self.d.bus.signal_unsubscribe(self.watch)
        self.loop.quit()
        self.thread.join()  # the session ends with the fixture's bus connection


def random_ascii(length=2000, seed=19):
    rng = random.Random(seed)
    return "".join(chr(rng.randint(0x20, 0x7e)) for _ in range(length))


class GnomeTyping(unittest.TestCase):
    def desktop(self, **options):
        d = GnomeDesktop(**options)
        d.__enter__()
        self.addCleanup(d.close)
        return d

    def selections(self, d):
        """Every type of the clipboard and the primary selection with its bytes, as the shell
        hands them to programs."""
        return [[(t, bytes(b)) for t, b in d.call(*SHELL, "GetSelection",
                                                  GLib.Variant("(u)", (which,)))[0]]
                for which in (0, 1)]

    def test_texts_arrive_exactly_and_the_clipboard_comes_back(self):
        d = self.desktop()
        out = d.path("field.txt")
        d.open_field("Receiver", out)
        through_extension = d.watch_calls("TypeKeys")
        path = d.path("text.txt")
        d.write(path, random_ascii())
        clear_arrival(out)
        result = d.type_allowed(["--file", path], "Receiver")
        self.assertEqual(result.returncode, 0, result.stdout)
        self.assertEqual(read_arrival(out), random_ascii())
        self.assertGreater(through_extension(), 0, "typed through the portal, not the extension")

        # The US layout has ASCII only: the line is pasted. The clipboard holds a text and bytes
        # of a type that is no text, the primary selection a text.
        owner = ClipboardOwner(d, {"text/plain;charset=utf-8": "kept ✓".encode(),
                                   "application/x-keyloom-test": b"\x01\x02 also kept"})
        self.addCleanup(owner.close)
        d.call(*SHELL, "SetSelection", GLib.Variant("(ua(say))", (
            1, [("text/plain;charset=utf-8", "primary ✓".encode())])))
        before = self.selections(d)
        self.assertEqual(sorted(len(kept) for kept in before), [1, 2])
        d.write(path, LINE)
        clear_arrival(out)
        # The restored clipboard lives in the sender: read while it still serves it.
        keep = d.path("keep")
        seen = {}

        def look():
            try:
                seen["arrival"] = read_arrival(out, 120)
                seen["after"] = self.selections(d)
            finally:
                d.write(keep, "")
        looking = threading.Thread(target=look)
        looking.start()
        result = d.type_allowed(["--file", path, "--keep-file", keep], "Receiver")
        looking.join()
        self.assertEqual(result.returncode, 0, result.stdout)
        self.assertEqual(seen.get("arrival"), LINE)
        self.assertEqual(seen.get("after"), before)

    def test_hot_key_types_its_macro(self):
        d = self.desktop()
        out = d.path("field.txt")
        d.write_catalogue("[Main]\nEntries=1\nFirstRun=0\n"
                          f"[Macro1]\nName=Greet\nType=4\nFileName=Greet.key\nHotKey={SHIFT_CTRL | F5}\n")
        d.write_side_file("Greet.key", "hello <<SHIFT>>w<<F12>>")
        through_extension = d.watch_calls("TypeKeys")
        d.start_macros(settled=True)
        d.open_field("Receiver", out)  # in front of the program's own windows
        d.press("Control", "Shift", "F5")
        self.assertEqual(read_arrival(out), "hello W")
        self.assertGreater(through_extension(), 0, "typed through the portal, not the extension")

    def test_without_the_extension_the_command_line_types(self):
        d = self.desktop(extension=False)
        out = d.path("field.txt")
        d.write_catalogue("[Main]\nEntries=1\nFirstRun=0\n"
                          "[Macro1]\nName=Line\nType=4\nFileName=Line.key\n")
        d.write_side_file("Line.key", "typed all the same<<F12>>")
        d.open_field("Receiver", out)
        proc = d.start_macros("/Open:Line", "/Close")
        self.assertEqual(proc.wait(60), 0)
        self.assertEqual(read_arrival(out), "typed all the same")
        wait_until("the start-up message", lambda: f"gnome-extensions enable {UUID}" in
                   d.macros_log())


if __name__ == "__main__":
    unittest.main()
