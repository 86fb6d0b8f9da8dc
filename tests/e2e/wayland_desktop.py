"""A throw-away Wayland desktop for end-to-end tests: a headless sway run by a throw-away user.

The compositor refuses to run as root, so it and every program of a test run as the user
USER_NAME, created here when missing, with a runtime folder of their own. Use it as a context
manager: leaving it ends every process it started (by process group) and removes what it made.
"""
import json
import os
import pwd
import shutil
import signal
import subprocess
import tempfile
import time

USER_NAME = "keyloomwl"


# The bound only says when to give up on a state that never comes; a machine loaded by parallel
# tests once took over 20 s to start a compositor that starts in one.
def wait_until(what, check, seconds=60.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if check():
            return True
        time.sleep(0.02)
    raise AssertionError(f"{what} did not happen within {seconds:.0f} s")


def ensure_user():
    """The throw-away user, created on first use; a second run finds and keeps it."""
    try:
        return pwd.getpwnam(USER_NAME)
    except KeyError:
        subprocess.run(["useradd", "-m", "-s", "/usr/sbin/nologin", USER_NAME], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return pwd.getpwnam(USER_NAME)


def remove_user():
    subprocess.run(["userdel", "-r", USER_NAME], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


class WaylandDesktop:
    def __init__(self, extra_config=""):
        self.extra_config = extra_config
        self.procs = []
        self.folder = None

    def __enter__(self):
        try:
            self._start()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()

    def _start(self):
        user = ensure_user()
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

    def path(self, name):
        """A file in the user's runtime folder, which both the test and the user can reach."""
        return os.path.join(self.runtime, name)

    def spawn(self, argv, env=None, log=None):
        """Starts argv as the user, in a process group of its own that close() ends."""
        env = dict(self.env if env is None else env)
        cmd = ["runuser", "-u", USER_NAME, "--", "env", "-i"] + \
            [f"{k}={v}" for k, v in env.items()] + list(argv)
        out = open(os.path.join(self.folder, log or "programs.log"), "ab")
        proc = subprocess.Popen(cmd, stdin=subprocess.DEVNULL, stdout=out, stderr=out,
                                start_new_session=True)
        out.close()
        self.procs.append(proc)
        return proc

    def run(self, argv, timeout=60):
        """Runs argv as the user and returns the finished process with its output."""
        cmd = ["runuser", "-u", USER_NAME, "--", "env", "-i"] + \
            [f"{k}={v}" for k, v in self.env.items()] + list(argv)
        proc = subprocess.Popen(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, start_new_session=True)
        try:
            out, err = proc.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)  # the program too, not just runuser
            proc.communicate()
            raise
        return subprocess.CompletedProcess(cmd, proc.returncode, out, err)

    def swaymsg(self, *args):
        return self.run(["swaymsg"] + list(args), timeout=10)

    def tree(self):
        return json.loads(self.swaymsg("-t", "get_tree", "-r").stdout or b"{}")

    def open_field(self, title, out, extra=()):
        """A Qt text field, returned once it has the keyboard focus."""
        ready = out + ".ready"
        proc = self.spawn([os.environ["QTFIELD_BIN"], "--title", title, "--out", out,
                           "--ready", ready, *extra], dict(self.env, QT_QPA_PLATFORM="wayland"))
        wait_until(f"the field {title} taking the focus", lambda: os.path.exists(ready))
        return proc

    def program_folder(self):
        """A folder the user owns holding a copy of the program, its side files and catalogue
        beside it (XDG_CONFIG_HOME points into it)."""
        folder = self.path("program")
        if not os.path.isdir(folder):
            for sub in ("", "config", "config/ostrevin"):
                os.makedirs(os.path.join(folder, sub), exist_ok=True)
            shutil.copy2(os.environ["MACROS_BIN"], os.path.join(folder, "macros"))
            self.give(folder)
        return folder

    def write(self, path, text):
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(text)
        self.give(path)

    def give(self, path):
        """Hands a file, or a folder with everything in it, to the user."""
        os.chown(path, self.user.pw_uid, self.user.pw_gid)
        for root, dirs, files in os.walk(path):
            for name in dirs + files:
                os.chown(os.path.join(root, name), self.user.pw_uid, self.user.pw_gid)

    def start_macros(self, *args, settled=False):
        """Starts the program; with settled, returns once its list window is up and no window
        has come or gone for a few looks (without a tray host it opens messages at start)."""
        folder = self.program_folder()
        env = dict(self.env, XDG_CONFIG_HOME=os.path.join(folder, "config"))
        proc = self.spawn([os.path.join(folder, "macros")] + list(args), env, log="macros.log")
        if settled:
            seen = [None, 0]

            def steady():
                listing = self.windows()
                seen[1] = seen[1] + 1 if listing == seen[0] else 0
                seen[0] = listing
                return seen[1] >= 5 and any(t == "Ostrevin Keyloom" for _, _, t in listing)
            wait_until("the program's windows to settle", steady)
        return proc

    def windows(self):
        """(id, visible, title) of every window, front to back, as the program's layer sees them."""
        out = self.run([os.environ["WINDOWTOOL_BIN"], "list"]).stdout.decode()
        return [tuple(line.split(" ", 2)) for line in out.splitlines() if line.count(" ") >= 2]

    def write_catalogue(self, text):
        self.write(os.path.join(self.program_folder(), "config", "ostrevin", "macros.ini"), text)

    def write_side_file(self, name, text):
        self.write(os.path.join(self.program_folder(), name), text)

    def end(self, proc):
        try:
            os.killpg(proc.pid, signal.SIGTERM)
        except ProcessLookupError:
            return
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait(10)

    def close(self):
        for proc in reversed(self.procs):
            if proc.poll() is None:
                self.end(proc)
        self.procs = []
        if self.folder:
            log = os.path.join(self.folder, "sway.log")
            if os.path.exists(log) and os.environ.get("E2E_KEEP_LOGS"):
                shutil.copy(log, os.environ["E2E_KEEP_LOGS"])
            shutil.rmtree(self.folder, ignore_errors=True)
            self.folder = None
        remove_user()


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
