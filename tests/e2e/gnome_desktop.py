"""A throw-away GNOME desktop for end-to-end tests: a headless GNOME Shell on a session bus of its
own, with a stand-in system bus for the shell's login manager, and the program's shell extension
installed into the desktop's own data folder (enabled unless asked not to be).

The shell runs as root here, unlike sway, so the test's own user runs everything. Use it as a
context manager: leaving it ends every process it started (by process group) and removes what it
made. Keys are pressed through the shell's own remote-desktop interface on a connection the
fixture keeps, since a remote session ends with the connection that made it.
"""
import os
import shutil
import signal
import subprocess
import tempfile

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

from desktop_fixture import DesktopFixture, wait_for, wait_until  # noqa: E402

UUID = "keyloom@ostrevin.example.org"
SHELL_NAME = "org.example.ostrevin.KeyloomShell"
SHELL_PATH = "/org/example/ostrevin/KeyloomShell"
DISPLAY_NAME = "keyloom-gnome-0"
SCREEN = (1280, 800)
# The remote-desktop question's window and the shell's top bar, in pixels.
DIALOG, TOP_BAR = (500, 300), 32

SYSTEM_BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path={path}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
    <allow own="*"/>
    <allow user="*"/>
  </policy>
</busconfig>
"""

# X keysyms of the keys tests press.
KEYSYMS = {"Shift": 0xffe1, "Control": 0xffe3, "Alt": 0xffe9,
           **{f"F{n}": 0xffbd + n for n in range(1, 13)}}


class GnomeDesktop(DesktopFixture):
    def __init__(self, extension=True):
        super().__init__()
        self.extension = extension
        self.bus = None
        self.remote = None

    def _start(self):
        self.folder = tempfile.mkdtemp(prefix="keyloom-gnome-")
        self.runtime = os.path.join(self.folder, "run")
        for sub in ("run", "home", "data", "config", "cache"):
            os.makedirs(os.path.join(self.folder, sub), mode=0o700)
        system_bus = os.path.join(self.folder, "system_bus")
        session_bus = os.path.join(self.runtime, "bus")
        self.env = {"HOME": self.path("../home"), "XDG_RUNTIME_DIR": self.runtime,
                    "XDG_DATA_HOME": os.path.join(self.folder, "data"),
                    "XDG_CONFIG_HOME": os.path.join(self.folder, "config"),
                    "XDG_CACHE_HOME": os.path.join(self.folder, "cache"),
                    "PATH": "/usr/bin:/bin", "LANG": "C.UTF-8", "XDG_SESSION_TYPE": "wayland",
                    "XDG_CURRENT_DESKTOP": "GNOME",
                    "DBUS_SYSTEM_BUS_ADDRESS": f"unix:path={system_bus}",
                    "DBUS_SESSION_BUS_ADDRESS": f"unix:path={session_bus}",
                    # Known before the shell starts, so that what the bus starts (the portal's
                    # dialogs) finds the display.
                    "WAYLAND_DISPLAY": DISPLAY_NAME}
        config = os.path.join(self.folder, "system-bus.conf")
        with open(config, "w") as f:
            f.write(SYSTEM_BUS_CONFIG.format(path=system_bus))
        self.spawn(["dbus-daemon", "--nofork", "--config-file=" + config], log="dbus.log")
        self.spawn(["dbus-daemon", "--nofork", "--session", "--address=unix:path=" + session_bus],
                   log="dbus.log")
        wait_until("the buses", lambda: os.path.exists(system_bus) and os.path.exists(session_bus))
        # The shell finds user extensions once, at its start.
        extensions = os.path.join(self.folder, "data", "gnome-shell", "extensions")
        os.makedirs(extensions)
        shutil.copytree(os.path.join(os.environ["GNOME_EXTENSION_DIR"], UUID),
                        os.path.join(extensions, UUID))
        # The bus makes its socket a moment before it takes connections on it.
        wait_until("the session bus to take connections", self._connect)
        self.shell = self.spawn(["gnome-shell", "--headless", "--wayland", "--no-x11",
                                 "--virtual-monitor", "%dx%d" % SCREEN, "--wayland-display",
                                 DISPLAY_NAME], log="shell.log")
        wait_until("the shell's display", lambda: os.path.exists(self.path(DISPLAY_NAME)))
        wait_until("the shell on the bus", lambda: self.has_owner("org.gnome.Shell"), 60)
        # The shell opens the overview once it has started; windows get no focus while it is up.
        wait_until("the shell's start", lambda: self._overview() is True, 60)
        wait_until("the overview to close", self._close_overview)
        if self.extension:
            result = self.run(["gnome-extensions", "enable", UUID])
            assert result.returncode == 0, result.stderr
            wait_until("the extension on the bus", lambda: self.has_owner(SHELL_NAME))

    def _connect(self):
        try:
            self.bus = Gio.DBusConnection.new_for_address_sync(
                self.env["DBUS_SESSION_BUS_ADDRESS"],
                Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT |
                Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
            return True
        except GLib.Error:
            return False

    def _overview(self):
        """Whether the overview is up; None while the shell serves no object yet."""
        try:
            return self.call("org.gnome.Shell", "/org/gnome/Shell",
                             "org.freedesktop.DBus.Properties", "Get",
                             GLib.Variant("(ss)", ("org.gnome.Shell", "OverviewActive")))[0]
        except GLib.Error:
            return None

    def _close_overview(self):
        self.call("org.gnome.Shell", "/org/gnome/Shell", "org.freedesktop.DBus.Properties", "Set",
                  GLib.Variant("(ssv)", ("org.gnome.Shell", "OverviewActive",
                                         GLib.Variant("b", False))))
        # Asked again only after the closing animation had its time.
        return wait_for(lambda: self._overview() is False, 1.0)

    def call(self, name, path, interface, method, args=None):
        reply = self.bus.call_sync(name, path, interface, method, args, None,
                                   Gio.DBusCallFlags.NONE, 10000, None)
        return reply.unpack() if reply else ()

    def has_owner(self, name):
        return self.call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                         "NameHasOwner", GLib.Variant("(s)", (name,)))[0]

    def extension_call(self, method, args=None):
        return self.call(SHELL_NAME, SHELL_PATH, SHELL_NAME, method, args)

    def watch_calls(self, member):
        """A function that answers how many calls of a method of that name the bus has carried
        since now (seen by a monitor of the fixture's own bus)."""
        log = os.path.join(self.folder, f"monitor-{member}.log")
        self.spawn(["dbus-monitor", "--session", f"type='method_call',member='{member}'"],
                   log=os.path.basename(log))

        def text():
            with open(log, encoding="utf-8", errors="replace") as f:
                return f.read()
        # It reports losing its own name as it starts to monitor.
        wait_until("the monitor", lambda: "NameLost" in text())
        return lambda: text().count(f"member={member}")

    def windows(self):
        """(id, visible, title) of every window, front to back, as the extension lists them."""
        _, listing = self.extension_call("ListWindows")
        return [(str(i), "1" if visible else "0", title) for i, title, visible in listing]

    def start_macros(self, *args, settled=False, allow=True):
        """Starts the program; with allow, answers the portal's question whether it may type
        as a user would; with settled, returns once its list window is up and no window has come
        or gone for a few looks (without a tray host it opens messages at start)."""
        folder = self.program_folder()
        env = dict(self.env, XDG_CONFIG_HOME=os.path.join(folder, "config"))
        seen = self.watch_portal() if allow else None
        proc = self.spawn([os.path.join(folder, "macros")] + list(args), env, log="macros.log")
        if seen:
            self.answer_remote_desktop(seen)
        if settled:
            self._settle()
        return proc

    def macros_log(self):
        try:
            with open(os.path.join(self.folder, "macros.log"), encoding="utf-8",
                      errors="replace") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def _remote_session(self):
        """A remote-desktop session of the shell's own, started once and kept."""
        if self.remote is None:
            desktop = ("org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop",
                       "org.gnome.Mutter.RemoteDesktop")
            (path,) = self.call(*desktop, "CreateSession")
            self.remote = ("org.gnome.Mutter.RemoteDesktop", path,
                           "org.gnome.Mutter.RemoteDesktop.Session")
            self.call(*self.remote, "Start")
            # The first key and the first pointer motion only make the virtual devices.
            self._key(KEYSYMS["Shift"], True)
            self._key(KEYSYMS["Shift"], False)
            self.call(*self.remote, "NotifyPointerMotionRelative", GLib.Variant("(dd)", (0.0, 0.0)))
        return self.remote

    def _key(self, keysym, down):
        self.call(*self.remote, "NotifyKeyboardKeysym", GLib.Variant("(ub)", (keysym, down)))

    def hold(self, *names):
        """Presses the named keys in order and keeps them down ("Control", "Shift")."""
        self._remote_session()
        for name in names:
            self._key(KEYSYMS[name], True)

    def release(self, *names):
        for name in names:
            self._key(KEYSYMS[name], False)

    def press(self, *names):
        """Presses the named keys in order and releases them in reverse ("Control", "F5")."""
        self.hold(*names)
        self.release(*reversed(names))

    def click(self, x, y):
        """A left click at a point of the screen through a remote pointer. Absolute motion needs
        a screen cast, which needs PipeWire: the pointer goes to the bottom right corner and from
        there (the top left one is the overview's hot corner, whose barrier stops the pointer)."""
        self._remote_session()
        for dx, dy in ((10000.0, 10000.0), (x - SCREEN[0] + 1.0, y - SCREEN[1] + 1.0)):
            self.call(*self.remote, "NotifyPointerMotionRelative", GLib.Variant("(dd)", (dx, dy)))
        for down in (True, False):
            self.call(*self.remote, "NotifyPointerButton", GLib.Variant("(ib)", (0x110, down)))

    def watch_portal(self):
        """A function that returns what a monitor of the bus has seen of the portal's
        remote-desktop Start calls and request answers since now."""
        log = os.path.join(self.folder, f"portal-{len(self.procs)}.log")
        self.spawn(["dbus-monitor", "--session",
                    "type='method_call',interface='org.freedesktop.portal.RemoteDesktop',"
                    "member='Start'",
                    "type='signal',interface='org.freedesktop.portal.Request',member='Response'"],
                   log=os.path.basename(log))

        def text():
            with open(log, encoding="utf-8", errors="replace") as f:
                return f.read()
        wait_until("the portal monitor", lambda: "NameLost" in text())
        return text

    def answer_remote_desktop(self, seen):
        """Allows what asked the portal for a remote desktop (its Start call, as the monitor
        `seen` saw it), clicking where the dialog puts its switch and Share until the portal has
        answered. Needs no window list, so it works without the extension too."""
        wait_until("the remote desktop question", lambda: "member=Start" in seen())

        def answered():
            text = seen()
            return "member=Response" in text[text.rindex("member=Start"):]
        left = (SCREEN[0] - DIALOG[0]) // 2
        top = TOP_BAR + (SCREEN[1] - TOP_BAR - DIALOG[1]) // 2

        def share():
            self.click(left + DIALOG[0] - 40, top + 23)  # in the header bar
            return wait_for(answered, 0.3)

        def round_():
            if answered():
                return True
            self.click(left + DIALOG[0] // 2, top + 60)  # the row of the switch
            return wait_for(share, 1.5)
        wait_until("the remote desktop question to be answered", round_, seconds=45)

    def focused_title(self):
        focused, listing = self.extension_call("ListWindows")
        return next((title for i, title, _ in listing if i == focused), None)

    def type_allowed(self, argv, focus, timeout=60):
        """Runs the sender typetext with argv, allows its remote desktop, and lets it type once
        the window titled focus has the focus back from the question; returns the finished
        process with its output."""
        seen = self.watch_portal()
        out = os.path.join(self.folder, f"run-{len(self.procs)}.out")
        start = out + ".start"
        proc = self.spawn([os.environ["TYPETEXT_BIN"], *argv, "--start-file", start],
                          log=os.path.basename(out))
        self.answer_remote_desktop(seen)
        wait_until(f"{focus} to have the focus back", lambda: self.focused_title() == focus)
        self.write(start, "")
        proc.wait(timeout)
        with open(out, encoding="utf-8", errors="replace") as f:
            return subprocess.CompletedProcess(argv, proc.returncode, f.read(), "")

    def allow_remote_desktop(self):
        """Answers the desktop's question whether a program may control the keyboard and
        pointer: switches the interaction on and clicks Share. The dialog sits at the middle of
        the work area below the top bar. It is listed a moment before it takes clicks, and Share
        works only once the switch's animation has ended: a round that Share does not end within
        a second and a half left the switch off, so the next round switches it on again. Needs
        the extension, which lists the windows."""
        dialog = "Remote desktop"
        wait_until("the question", lambda: any(t == dialog for _, _, t in self.windows()))
        left = (SCREEN[0] - DIALOG[0]) // 2
        top = TOP_BAR + (SCREEN[1] - TOP_BAR - DIALOG[1]) // 2

        def gone():
            return not any(t == dialog for _, _, t in self.windows())

        def share():
            self.click(left + DIALOG[0] - 40, top + 23)  # in the header bar
            return wait_for(gone, 0.3)

        def round_():
            if gone():
                return True
            self.click(left + DIALOG[0] // 2, top + 60)  # the row of the switch
            return wait_for(share, 1.5)
        wait_until("the question to be answered", round_)

    def _strays(self):
        """Processes of this desktop that left its process groups (the shell starts the input
        method daemon in a session of its own): found by the runtime folder they inherited."""
        mark = f"XDG_RUNTIME_DIR={self.runtime}".encode()
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open(f"/proc/{pid}/environ", "rb") as f:
                    environment = f.read().split(b"\0")
                with open(f"/proc/{pid}/stat", "rb") as f:
                    zombie = f.read().rsplit(b")", 1)[1].split()[0] == b"Z"
            except OSError:
                continue
            if mark in environment and not zombie:
                found.append(int(pid))
        return found

    def _end_strays(self):
        for sig in (signal.SIGTERM, signal.SIGKILL):
            for pid in self._strays():
                try:
                    os.kill(pid, sig)
                except ProcessLookupError:
                    pass
            if wait_for(lambda: not self._strays(), 5):
                return

    def close(self):
        if self.remote is not None:
            try:
                self.call(*self.remote, "Stop")
            except GLib.Error:
                pass
            self.remote = None
        if self.bus is not None:
            self.bus.close_sync(None)
            self.bus = None
        self._end_all()
        if self.folder:
            self._end_strays()
        self._remove_folder(("shell.log", "macros.log"))


def file_lines(path):
    """The lines a macro appended to a file, [] while it has none."""
    try:
        with open(path, encoding="utf-8") as f:
            return f.read().splitlines()
    except FileNotFoundError:
        return []
