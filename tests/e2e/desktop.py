#!/usr/bin/python3
"""A throw-away desktop for end-to-end tests: Xvfb on a free display, openbox and trayer.

  desktop.py start STATE   starts them, waits until each answers, and writes STATE (JSON)
  desktop.py stop STATE    ends them by their process ids

Every process is started in its own session with its output in a log beside STATE, so that the
test runner that starts them is not kept waiting on their pipes.
"""
import json
import os
import signal
import subprocess
import sys
import time


def spawn(argv, log, env, pass_fds=()):
    with open(log, "ab") as out:
        return subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=out, stderr=out,
                                env=env, start_new_session=True, pass_fds=pass_fds)


def wait_until(what, check, seconds=20.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if check():
            return
        time.sleep(0.05)
    raise SystemExit(f"desktop: {what} did not come up within {seconds:.0f} s")


def quiet(argv, env):
    return subprocess.run(argv, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, timeout=10)


def start_xvfb(folder, env):
    read_fd, write_fd = os.pipe()
    xvfb = spawn(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24",
                  "-nolisten", "tcp", "-noreset"], os.path.join(folder, "xvfb.log"), env,
                 pass_fds=(write_fd,))
    os.close(write_fd)
    number = b""
    deadline = time.monotonic() + 20
    while not number.endswith(b"\n") and time.monotonic() < deadline:
        chunk = os.read(read_fd, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_fd)
    if not number.strip():
        xvfb.kill()
        raise SystemExit("desktop: Xvfb gave no display number")
    return xvfb, ":" + number.decode().strip()


def start(state_path):
    folder = os.path.dirname(os.path.abspath(state_path))
    os.makedirs(folder, exist_ok=True)
    env = dict(os.environ)
    xvfb, display = start_xvfb(folder, env)
    env["DISPLAY"] = display
    pids = [xvfb.pid]
    state = {"display": display, "pids": pids}
    try:
        wait_until("Xvfb", lambda: quiet(["xdpyinfo"], env).returncode == 0)
        wm = spawn(["openbox", "--sm-disable"], os.path.join(folder, "openbox.log"), env)
        pids.append(wm.pid)
        wait_until("openbox", lambda: b"_NET_SUPPORTING_WM_CHECK(WINDOW)" in
                   quiet(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env).stdout)
        tray = spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
                      "--width", "120", "--height", "24"], os.path.join(folder, "trayer.log"), env)
        pids.append(tray.pid)
        wait_until("trayer", lambda: quiet(["xdotool", "search", "--classname", "panel"],
                                           env).returncode == 0 or
                   quiet(["xdotool", "search", "--class", "trayer"], env).returncode == 0)
    except BaseException:
        stop_pids(pids)
        raise
    with open(state_path, "w") as out:
        json.dump(state, out)
    print(f"desktop ready on {display}")


def live_members(groups):
    """The processes of these process groups that still run (a zombie has ended)."""
    members = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if fields[0] != "Z" and int(fields[2]) in groups:
            members.append(int(entry))
    return members


def stop_pids(pids, seconds=5.0):
    """Ends each process's group: SIGTERM, and SIGKILL for what is still running once every
    group has had the time to end."""
    for pid in reversed(pids):
        try:
            os.killpg(pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
    deadline = time.monotonic() + seconds
    while live_members(set(pids)) and time.monotonic() < deadline:
        time.sleep(0.05)
    for pid in pids:
        try:
            os.killpg(pid, signal.SIGKILL)
        except ProcessLookupError:
            pass


def stop(state_path):
    try:
        with open(state_path) as f:
            state = json.load(f)
    except FileNotFoundError:
        return
    stop_pids(state["pids"])
    os.unlink(state_path)


def leave(signum, _frame):
    # Through the finally blocks, so that a start cut short still ends what it started.
    raise SystemExit(128 + signum)


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("start", "stop"):
        raise SystemExit(__doc__)
    for sig in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, leave)
    (start if sys.argv[1] == "start" else stop)(sys.argv[2])
