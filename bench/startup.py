"""Start-up benchmark: the time from exec of Keyloom, with a catalogue of 100 macros, until its
icon is embedded in the tray (trayer), and its resident memory at that moment; median of runs.

The tray is watched by listing the tray panel's child windows, so the time includes the tray
host's embedding, as a user sees the icon appear."""
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
import processes  # noqa: E402

RUNS = 7


def catalogue():
    lines = ["[Main]", "Entries=100", "FirstRun=0"]
    for n in range(1, 101):
        lines += [f"[Macro{n}]", f"Name=Macro number {n}", "Type=4", f"FileName=Macro number {n}.key",
                  f"HotKey={0x6000 + 0x70 + n % 12 if n <= 12 else 0}",
                  f"Trigger=Window {n}" if n % 10 == 0 else "Trigger="]
    return "\n".join(lines) + "\n"


def children(env, panel):
    out = subprocess.run(["xwininfo", "-id", panel, "-tree"], env=env,
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout
    return '("macros"' in out


def find_panel(env):
    """The trayer window that holds the embedded icons."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], env=env, stdout=subprocess.PIPE,
                          text=True).stdout
    for line in tree.splitlines():
        if '"panel": ("panel" "trayer")' in line:
            return line.split()[0]
    raise SystemExit("no tray panel")


def rss_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        return int(re.search(r"VmRSS:\s+(\d+)", f.read()).group(1)) / 1024


def main():
    build = sys.argv[1]
    program = os.path.join(build, "bin", "macros")
    processes.end_on_signals()  # through the finally below: the desktop and Keyloom end too
    folder = tempfile.mkdtemp(prefix="keyloom-startup-")
    state = os.path.join(folder, "state.json")
    group = processes.Processes()
    try:
        subprocess.run(["/usr/bin/python3", os.path.join(HERE, "..", "tests", "e2e", "desktop.py"),
                        "start", state], check=True, stdout=subprocess.DEVNULL)
        with open(state) as f:
            display = json.load(f)["display"]
        env = dict(os.environ, DISPLAY=display, LC_ALL="C.UTF-8")
        panel = find_panel(env)
        times, memory = [], []
        for run in range(RUNS):
            home = os.path.join(folder, f"home{run}")
            config = os.path.join(home, ".config")
            os.makedirs(os.path.join(config, "ostrevin"))
            with open(os.path.join(config, "ostrevin", "macros.ini"), "w") as f:
                f.write(catalogue())
            run_env = dict(env, HOME=home, XDG_CONFIG_HOME=config)
            start = time.monotonic()
            proc = group.start([program], run_env)
            while not children(env, panel):
                if time.monotonic() - start > 20 or proc.poll() is not None:
                    raise SystemExit(f"the tray icon did not appear (exit {proc.poll()})")
                time.sleep(0.002)
            times.append((time.monotonic() - start) * 1000)
            memory.append(rss_mb(proc.pid))
            processes.end(proc, 10)
            time.sleep(0.3)  # the tray settles before the next icon comes
        print("runs ms:", " ".join(f"{t:.0f}" for t in times))
        print("runs MB:", " ".join(f"{m:.1f}" for m in memory))
        print(f"startup tray_ready_ms={statistics.median(times):.0f} "
              f"rss_mb={statistics.median(memory):.1f}")
    finally:
        group.close()
        subprocess.run(["/usr/bin/python3", os.path.join(HERE, "..", "tests", "e2e", "desktop.py"),
                        "stop", state], stdout=subprocess.DEVNULL)
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
