"""A throw-away KDE Plasma desktop for end-to-end tests: a headless KWin on a session bus of its
own, with the desktop portal and its KDE backend on that bus.

Everything runs as the user USER_NAME, created here when missing, with a runtime folder and XDG
folders of its own. The bus is a dbus-daemon of ours, so that every program of a test, and every
service the bus starts on demand, sees the same environment. KWin's binary carries a file
capability that a container may refuse to honour; a copy without it runs everywhere. Use it as a
context manager: leaving it ends every process it started (by process group) and removes what it
made. The method names are those of WaylandDesktop, so that tests read alike.
"""
import json
import os
import shutil
import tempfile

from desktop_fixture import DesktopFixture, ensure_user, remove_user, wait_until

USER_NAME = "keyloomkde"
SOCKET = "kwin-keyloom"
PORTAL = "org.freedesktop.portal.Desktop"


def available():
    return shutil.which("kwin_wayland") is not None


class KdeDesktop(DesktopFixture):
    # Qt on KWin reports a field's whole text to the input method several times after every key;
    # KWin, compositing in software on a loaded machine, reads that too slowly for a long text
    # typed fast and drops the field. No input method runs here, so the fields are given none, as
    # fields on sway have none. QT_QPA_PLATFORM is in the desktop's own environment.
    field_env = {"QT_IM_MODULE": "none"}

    def __init__(self):
        super().__init__()
        self.placements = 0

    def _start(self):
        user = ensure_user(USER_NAME)
        self.user = user
        self.folder = tempfile.mkdtemp(prefix="keyloom-kde-")
        os.chmod(self.folder, 0o700)
        os.chown(self.folder, user.pw_uid, user.pw_gid)
        self.runtime = self.folder
        xdg = {}
        for name in ("config", "data", "cache"):
            xdg[name] = os.path.join(self.folder, "xdg-" + name)
            os.makedirs(xdg[name])
            os.chown(xdg[name], user.pw_uid, user.pw_gid)
        bus = os.path.join(self.runtime, "bus")
        # The bus starts the portal and kglobalaccel with its own environment: everything they
        # need is set here, before the bus starts, the compositor's socket name included.
        self.env = {"HOME": user.pw_dir, "XDG_RUNTIME_DIR": self.runtime, "PATH": "/usr/bin:/bin",
                    "LANG": "C.UTF-8", "XDG_SESSION_TYPE": "wayland",
                    "XDG_CURRENT_DESKTOP": "KDE", "KDE_FULL_SESSION": "true",
                    "KDE_SESSION_VERSION": "5", "KWIN_COMPOSE": "Q", "QT_QPA_PLATFORM": "wayland",
                    "XDG_CONFIG_HOME": xdg["config"], "XDG_DATA_HOME": xdg["data"],
                    "XDG_CACHE_HOME": xdg["cache"], "WAYLAND_DISPLAY": SOCKET,
                    "DBUS_SESSION_BUS_ADDRESS": "unix:path=" + bus}
        self._grant_fake_input(xdg["data"])
        self.spawn(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                    "--address=unix:path=" + bus], log="bus.log")
        wait_until("the session bus", lambda: os.path.exists(bus))
        kwin = os.path.join(self.folder, "kwin_wayland")
        shutil.copy(shutil.which("kwin_wayland"), kwin)
        os.chown(kwin, user.pw_uid, user.pw_gid)
        self.spawn([kwin, "--virtual", "--no-lockscreen", "--socket", SOCKET, "--width", "1280",
                    "--height", "800"], log="kwin.log")
        wait_until("KWin's socket", lambda: os.path.exists(self.path(SOCKET)))
        wait_until("KWin on the bus", lambda: self.has_name("org.kde.KWin"), 30)
        # Started here rather than on the first call: the first program must not pay for it,
        # and a portal that cannot start fails the fixture, not the test.
        self.spawn(["/usr/libexec/xdg-desktop-portal", "--replace"], log="portal.log")
        wait_until("the desktop portal", lambda: self.has_name(PORTAL), 30)
        wait_until("the portal's remote desktop", lambda: b"RemoteDesktop" in self.run(
            ["gdbus", "introspect", "--session", "--dest", PORTAL, "--object-path",
             "/org/freedesktop/portal/desktop"], timeout=30).stdout, 30)

    def _grant_fake_input(self, data):
        """Installs desktop entries, as the package does, for the program's copy and the test
        sender, so that KWin offers them its fake input; any other program (a copy of the sender
        elsewhere) types through the portal. Written before KWin starts, which reads them then."""
        folder = os.path.join(data, "applications")
        os.makedirs(folder)
        programs = {"keyloom-test-macros": os.path.join(self.runtime, "program", "macros")}
        if os.environ.get("TYPETEXT_BIN"):
            programs["keyloom-test-typetext"] = os.path.realpath(os.environ["TYPETEXT_BIN"])
        for name, program in programs.items():
            self.write(os.path.join(folder, name + ".desktop"),
                       f"[Desktop Entry]\nType=Application\nName={name}\nExec=\"{program}\"\n"
                       "X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n")
        self.give(data)

    def has_name(self, name):
        result = self.run(["busctl", "--user", "status", name], timeout=10)
        return result.returncode == 0

    def call(self, dest, path, method, *args, timeout=20):
        """A method call on the desktop's bus through gdbus; the finished process."""
        return self.run(["gdbus", "call", "--session", "--dest", dest, "--object-path", path,
                         "--method", method, *args], timeout=timeout)

    def place(self, title, x, y, width, height):
        """Moves the window with that title to the given frame, through a KWin script (KWin
        places new windows by its own rules, which a test cannot predict); returns once KWin has
        the window there. KWin reads and runs a loaded script in the background, and moves a
        window it resizes only once the client has drawn the new size, so the script reports in
        KWin's log when the frame is in place, and is unloaded only then."""
        self.placements += 1
        marker = f"keyloom-test-place-{self.placements}:"
        script = self.path("place.js")
        self.write(script, f"var want = {{x: {x}, y: {y}, width: {width}, height: {height}}};\n"
                           "function report(w) {\n"
                           "    var g = w.frameGeometry;\n"
                           "    if (g.x == want.x && g.y == want.y && g.width == want.width &&\n"
                           "        g.height == want.height)\n"
                           f"        print({json.dumps(marker + ' placed')});\n"
                           "}\n"
                           "function place(w) {\n"
                           "    w.frameGeometryChanged.connect(function () { report(w); });\n"
                           "    w.frameGeometry = want;\n"
                           "    report(w);\n"
                           "}\n"
                           "var cs = workspace.clientList(), found = false;\n"
                           "for (var i = 0; i < cs.length; ++i)\n"
                           f"    if (cs[i].caption == {json.dumps(title)}) {{ found = true; "
                           "place(cs[i]); }\n"
                           f"if (!found) print({json.dumps(marker + ' missing')});\n")
        name = "keyloom-test-place"
        self._scripting("loadScript", script, name)
        try:
            self._scripting("start")
            wait_until(f"KWin to place {title}", lambda: marker in self._kwin_log(), 30)
        finally:
            self._scripting("unloadScript", name)
        if marker + " missing" in self._kwin_log():
            raise AssertionError(f"KWin lists no window {title}")

    def _scripting(self, method, *args):
        result = self.call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting." + method, *args)
        if result.returncode != 0:
            raise AssertionError(f"KWin's scripting refused {method}: {result.stderr}")

    def _kwin_log(self):
        with open(os.path.join(self.folder, "kwin.log"), encoding="utf-8", errors="replace") as f:
            return f.read()

    def start_macros(self, *args, settled=False):
        """Starts the program with its catalogue in the program folder; with settled, returns
        once it has put up its start-up message (which it writes to its log as it shows it), so
        that a window opened afterwards keeps the focus."""
        folder = self.program_folder()
        env = dict(self.env, XDG_CONFIG_HOME=os.path.join(folder, "config"))
        log = os.path.join(self.folder, "macros.log")
        seen = os.path.getsize(log) if os.path.exists(log) else 0
        proc = self.spawn([os.path.join(folder, "macros")] + list(args), env, log="macros.log")
        if settled:
            def shown():
                with open(log, "rb") as f:
                    f.seek(seen)
                    return b"Keyloom: " in f.read()
            wait_until("the program's start-up message", shown, 30)
        return proc

    def close(self):
        self._end_all()
        # Services the bus started on demand live in its process group and ended with it.
        self._remove_folder(("kwin.log", "portal.log", "macros.log", "programs.log"))
        remove_user(USER_NAME)
