"""A throw-away desktop and a sandboxed Keyloom for the hot key and poll benchmarks."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
DESKTOP = os.path.join(HERE, "..", "tests", "e2e", "desktop.py")
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
import processes  # noqa: E402


def wait_for(check, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if check():
            return
        time.sleep(0.02)
    raise SystemExit(f"timed out waiting for {what}")


class Bench:
    def __init__(self, build):
        # Whatever ends the benchmark (an error, Ctrl+C, SIGTERM, SIGHUP) ends the desktop and the
        # programs on it.
        processes.end_on_signals()
        self.build = build
        self.folder = tempfile.mkdtemp(prefix="keyloom-bench-")
        self.state = os.path.join(self.folder, "state.json")
        self.group = processes.Processes()
        try:
            self.open()
        except BaseException:
            self.close()
            raise

    def open(self):
        build = self.build
        subprocess.run(["/usr/bin/python3", DESKTOP, "start", self.state], check=True,
                       stdout=subprocess.DEVNULL)
        with open(self.state) as f:
            display = json.load(f)["display"]
        self.home = os.path.join(self.folder, "home")
        self.config = os.path.join(self.home, ".config")
        os.makedirs(os.path.join(self.config, "ostrevin"))
        self.program = os.path.join(self.folder, "program")
        os.makedirs(self.program)
        shutil.copy2(os.path.join(build, "bin", "macros"), self.program)
        self.env = dict(os.environ, DISPLAY=display, HOME=self.home, XDG_CONFIG_HOME=self.config,
                        LC_ALL="C.UTF-8")
        self.tool = os.path.join(build, "bench", "trigger_bench_tool")

    def catalogue(self):
        return os.path.join(self.config, "ostrevin", "macros.ini")

    def write(self, name, text):
        with open(name, "w", newline="") as f:
            f.write(text)

    def start(self, argv, **extra_env):
        return self.group.start(argv, dict(self.env, **extra_env))

    def start_macros(self):
        """Starts Keyloom; returns once start-up has emptied the stale FoundHandle of macro 1,
        which comes after the hot keys are registered and the poll is set up."""
        text = open(self.catalogue()).read().replace("[Macro1]\n", "[Macro1]\nFoundHandle=1\n", 1)
        self.write(self.catalogue(), text)
        proc = self.start([os.path.join(self.program, "macros")])
        wait_for(lambda: "FoundHandle=1\n" not in open(self.catalogue()).read(), 20,
                 "Keyloom to start")
        return proc

    def stop(self, proc):
        processes.end(proc, 10)

    def close(self):
        self.group.close()
        subprocess.run(["/usr/bin/python3", DESKTOP, "stop", self.state])
        shutil.rmtree(self.folder, ignore_errors=True)
