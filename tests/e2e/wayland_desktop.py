"""A throw-away Wayland desktop for end-to-end tests: a headless sway run by a throw-away user.

The compositor refuses to run as root, so it and every program of a test run as the user
USER_NAME, created here when missing, with a runtime folder of their own. Use it as a context
manager: leaving it ends every process it started (by process group) and removes what it made.
"""
import json
import os
import tempfile
import time

from desktop_fixture import DesktopFixture, ensure_user, remove_user, wait_until

USER_NAME = "keyloomwl"


class WaylandDesktop(DesktopFixture):
    def __init__(self, extra_config=""):
        super().__init__()
        self.extra_config = extra_config

    def _start(self):
        user = ensure_user(USER_NAME)
        self.user = user
        self.folder = tempfile.mkdtemp(prefix="keyloom-wayland-")
        os.chmod(self.folder, 0o700)
        os.chown(self.folder, user.pw_uid, user.pw_gid)
        self.runtime = self.folder
        self.env = {"HOME": user.pw_dir, "XDG_RUNTIME_DIR": self.runtime,
                    "PATH": "/usr/bin:/bin", "LANG": "C.UTF-8", "XDG_SESSION_TYPE": "wayland"}
        config = os.path.join(self.folder, "sway.config")
        with open(config, "w") as f:
            f.write("output HEADLESS-1 resolution 1280x800\n" + self.extra_config)
        os.chmod(config, 0o644)
        env = dict(self.env, WLR_BACKENDS="headless", WLR_RENDERER="pixman",
                   WLR_LIBINPUT_NO_DEVICES="1")
        self.sway = self.spawn(["sway", "-c", config], env, log="sway.log")
        wait_until("sway's socket", lambda: self._socket() is not None)
        self.env["WAYLAND_DISPLAY"] = self._socket()
        self.env["SWAYSOCK"] = self._ipc_socket()
        wait_until("sway's IPC", lambda: self.swaymsg("-t", "get_version").returncode == 0)
        # A headless seat has no keyboard: the one a desktop always has is stood in for, so
        # that clients bind theirs at start as they do there.
        held = self.path("keyboard.held")
        self.spawn([os.environ["TYPETEXT_BIN"], "--hold-file", held])
        wait_until("the stand-in keyboard", lambda: os.path.exists(held))

    def _socket(self):
        for name in sorted(os.listdir(self.runtime)):
            if name.startswith("wayland-") and not name.endswith(".lock"):
                return name
        return None

    def _ipc_socket(self):
        wait_until("sway's IPC socket", lambda: any(
            n.startswith("sway-ipc.") for n in os.listdir(self.runtime)))
        return os.path.join(self.runtime, next(
            n for n in os.listdir(self.runtime) if n.startswith("sway-ipc.")))

    def swaymsg(self, *args):
        return self.run(["swaymsg"] + list(args), timeout=10)

    def tree(self):
        return json.loads(self.swaymsg("-t", "get_tree", "-r").stdout or b"{}")

    def start_macros(self, *args, settled=False):
        """Starts the program; with settled, returns once its list window is up and no window
        has come or gone for a few looks (without a tray host it opens messages at start)."""
        folder = self.program_folder()
        env = dict(self.env, XDG_CONFIG_HOME=os.path.join(folder, "config"))
        proc = self.spawn([os.path.join(folder, "macros")] + list(args), env, log="macros.log")
        if settled:
            self._settle()
        return proc

    def windows(self):
        """(id, visible, title) of every window, front to back, as the program's layer sees them."""
        out = self.run([os.environ["WINDOWTOOL_BIN"], "list"]).stdout.decode()
        return [tuple(line.split(" ", 2)) for line in out.splitlines() if line.count(" ") >= 2]

    def close(self):
        self._end_all()
        self._remove_folder(("sway.log",))
        remove_user(USER_NAME)


def read_arrival(out, seconds=60, poll=0.02):
    """What the field held when the sentinel arrived; None when it never did."""
    deadline = time.monotonic() + seconds
    while not os.path.exists(out + ".done"):
        if time.monotonic() > deadline:
            return None
        time.sleep(poll)
    with open(out, encoding="utf-8") as f:
        return f.read()


def clear_arrival(out):
    for name in (out, out + ".done"):
        if os.path.exists(name):
            os.remove(name)
