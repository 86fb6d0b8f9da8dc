"""Programs that a test or a benchmark starts, ended whatever happens.

Each program starts in a session of its own, with its output in a log file (never the caller's
output, which a program left behind would hold open), so that ending it ends everything it started
too. libfaketime leaves a shared memory file and a semaphore in /dev/shm for each faked process
that does not end through exit(); they are removed with the process."""
import os
import signal
import subprocess
import time

SHM = "/dev/shm"


def faketime_leftovers(pid):
    return [os.path.join(SHM, f"faketime_shm_{pid}"), os.path.join(SHM, f"sem.faketime_sem_{pid}")]


def _signal_group(pid, sig):
    try:
        os.killpg(pid, sig)
    except (ProcessLookupError, PermissionError):
        pass


def _ended(pid):
    """Whether the process has ended, without reaping it: until it is reaped its id still names
    its session, so that signalling the session cannot reach a stranger that got the id."""
    try:
        return os.waitid(os.P_PID, pid, os.WEXITED | os.WNOHANG | os.WNOWAIT) is not None
    except ChildProcessError:
        return True


def end(proc, seconds=5):
    """Ends proc and the rest of its session: a polite SIGTERM, then SIGKILL for whatever of the
    session is left once proc has ended or the time is up. A process already reaped is left: its
    id may belong to another by now."""
    if proc.returncode is None:
        _signal_group(proc.pid, signal.SIGTERM)
        deadline = time.monotonic() + seconds
        while not _ended(proc.pid) and time.monotonic() < deadline:
            time.sleep(0.02)
        _signal_group(proc.pid, signal.SIGKILL)
        try:
            proc.wait(seconds)
        except subprocess.TimeoutExpired:
            pass
    for path in faketime_leftovers(proc.pid):
        try:
            os.unlink(path)
        except FileNotFoundError:
            pass


class Processes:
    """The programs started through start(), ended by close() in the reverse order."""

    def __init__(self):
        self.started = []

    def start(self, argv, env=None, log=None):
        out = open(log, "ab") if log else subprocess.DEVNULL
        try:
            proc = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=out,
                                    stderr=subprocess.STDOUT, start_new_session=True)
        finally:
            if log:
                out.close()
        self.started.append(proc)
        return proc

    def close(self):
        while self.started:
            end(self.started.pop())


def end_on_signals():
    """SIGTERM and SIGHUP (a runner that gives up, a closed terminal) end the caller through its
    finally blocks, as Ctrl+C does, so that what it started is ended too."""
    def leave(signum, _frame):
        raise SystemExit(128 + signum)
    for sig in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, leave)
