"""What the throw-away desktops of the end-to-end tests share: a folder of their own, programs
started in process groups of their own that closing ends, and a copy of the program with its
catalogue and side files beside it.

A desktop whose compositor refuses to run as root runs everything as a throw-away user and sets
`user` (a pwd entry); one that runs as root leaves it None, and the test's own user runs
everything. A subclass starts its desktop in _start(), and sets `folder` (removed at the end),
`runtime` (where files both sides reach live) and `env` (what its programs see).
"""
import os
import pwd
import shutil
import signal
import subprocess
import time


# The bound only says when to give up on a state that never comes; a machine loaded by parallel
# tests once took over 20 s to start a compositor that starts in one.
def wait_until(what, check, seconds=60.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if check():
            return True
        time.sleep(0.02)
    raise AssertionError(f"{what} did not happen within {seconds:.0f} s")


def wait_for(check, seconds):
    """Whether check() came true within the time."""
    try:
        return wait_until("", check, seconds)
    except AssertionError:
        return False


def ensure_user(name):
    """The throw-away user, created on first use; a second run finds and keeps it."""
    try:
        return pwd.getpwnam(name)
    except KeyError:
        subprocess.run(["useradd", "-m", "-s", "/usr/sbin/nologin", name], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return pwd.getpwnam(name)


def remove_user(name):
    subprocess.run(["userdel", "-r", name], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


class DesktopFixture:
    user = None
    field_env = {"QT_QPA_PLATFORM": "wayland"}  # what the test fields see on top of env

    def __init__(self):
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
        raise NotImplementedError

    def close(self):
        self._end_all()
        self._remove_folder(())

    def path(self, name):
        """A file in the desktop's runtime folder, which both the test and the desktop's user
        can reach."""
        return os.path.normpath(os.path.join(self.runtime, name))

    def _command(self, argv, env):
        """The command line, and the environment to start it with, that run argv with env as
        the desktop's user (env -i passes it through runuser, which would drop it)."""
        if self.user is None:
            return list(argv), env
        return ["runuser", "-u", self.user.pw_name, "--", "env", "-i"] + \
            [f"{k}={v}" for k, v in env.items()] + list(argv), None

    def spawn(self, argv, env=None, log=None):
        """Starts argv in a process group of its own that close() ends."""
        cmd, cmd_env = self._command(argv, dict(self.env if env is None else env))
        out = open(os.path.join(self.folder, log or "programs.log"), "ab")
        proc = subprocess.Popen(cmd, env=cmd_env, stdin=subprocess.DEVNULL, stdout=out,
                                stderr=out, start_new_session=True)
        out.close()
        self.procs.append(proc)
        return proc

    def run(self, argv, timeout=60, env=None):
        """Runs argv and returns the finished process with its output."""
        cmd, cmd_env = self._command(argv, dict(self.env if env is None else env))
        proc = subprocess.Popen(cmd, env=cmd_env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                start_new_session=True)
        try:
            out, err = proc.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)  # the program too, not just runuser
            proc.communicate()
            raise
        return subprocess.CompletedProcess(cmd, proc.returncode, out, err)

    def write(self, path, text):
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(text)
        self.give(path)

    def give(self, path):
        """Hands a file, or a folder with everything in it, to the desktop's user."""
        if self.user is None:
            return
        os.chown(path, self.user.pw_uid, self.user.pw_gid)
        for root, dirs, files in os.walk(path):
            for name in dirs + files:
                os.chown(os.path.join(root, name), self.user.pw_uid, self.user.pw_gid)

    def program_folder(self):
        """A folder the desktop's user owns holding a copy of the program, its side files and
        catalogue beside it (XDG_CONFIG_HOME points into it)."""
        folder = self.path("program")
        if not os.path.isdir(folder):
            os.makedirs(os.path.join(folder, "config", "ostrevin"))
            shutil.copy2(os.environ["MACROS_BIN"], os.path.join(folder, "macros"))
            self.give(folder)
        return folder

    def write_catalogue(self, text):
        self.write(os.path.join(self.program_folder(), "config", "ostrevin", "macros.ini"), text)

    def write_side_file(self, name, text):
        self.write(os.path.join(self.program_folder(), name), text)

    def open_field(self, title, out, extra=()):
        """A Qt text field, returned once it has the keyboard focus."""
        ready = out + ".ready"
        proc = self.spawn([os.environ["QTFIELD_BIN"], "--title", title, "--out", out,
                           "--ready", ready, *extra], dict(self.env, **self.field_env))
        wait_until(f"the field {title} taking the focus", lambda: os.path.exists(ready))
        return proc

    def _settle(self):
        """Returns once the program's list window is up and no window has come or gone for a
        few looks of windows() (without a tray host the program opens messages at start)."""
        seen = [None, 0]

        def steady():
            listing = self.windows()
            seen[1] = seen[1] + 1 if listing == seen[0] else 0
            seen[0] = listing
            return seen[1] >= 5 and any(t == "Ostrevin Keyloom" for _, _, t in listing)
        wait_until("the program's windows to settle", steady)

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

    def _end_all(self):
        for proc in reversed(self.procs):
            if proc.poll() is None:
                self.end(proc)
        self.procs = []

    def _remove_folder(self, logs):
        """Removes the desktop's folder, first copying those of its logs into the folder that
        E2E_KEEP_LOGS names, if it names one."""
        if not self.folder:
            return
        keep = os.environ.get("E2E_KEEP_LOGS")
        for log in logs if keep else ():
            try:
                os.makedirs(keep, exist_ok=True)
                shutil.copy(os.path.join(self.folder, log), os.path.join(keep, log))
            except OSError:
                pass  # a log that is not there, or a folder that cannot take it
        shutil.rmtree(self.folder, ignore_errors=True)
        self.folder = None
