"""Window-trigger poll benchmark: Keyloom's share of one core over 30 s, from its own CPU time,
with 100 window triggers and 50 open windows at the default 250 ms; beside it the share of a poll
that reads the catalogue and enumerates the windows once per trigger, in the same run."""
import os
import subprocess
import sys
import time

from _trigger_desktop import Bench

TRIGGERS = 100
WINDOWS = 50
SECONDS = 30


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def main():
    bench = Bench(sys.argv[1])
    try:
        lines = [f"[Main]\nEntries={TRIGGERS}\nFirstRun=0\nSearchInterval=250\n"]
        for n in range(1, TRIGGERS + 1):
            lines.append(f"[Macro{n}]\nName=Watch {n}\nType=4\nFileName=Watch.key\n"
                         f"Trigger=Report window {n}\n")
        bench.write(bench.catalogue(), "".join(lines))
        bench.start([bench.tool, "windows", str(WINDOWS)])
        keyloom = bench.start_macros()
        time.sleep(2.0)
        start_cpu, start = cpu_seconds(keyloom.pid), time.monotonic()
        time.sleep(SECONDS)
        ours = 100.0 * (cpu_seconds(keyloom.pid) - start_cpu) / (time.monotonic() - start)
        bench.stop(keyloom)
        out = subprocess.run([bench.tool, "plain", str(SECONDS)], env=bench.env, timeout=120,
                             stdout=subprocess.PIPE, text=True).stdout.split()
        plain = float(out[0])
    finally:
        bench.close()
    print(f"poll cpu_percent={ours:.2f} triggers={TRIGGERS} windows={WINDOWS} "
          f"one_enumeration_per_trigger_cpu_percent={plain:.2f}")


if __name__ == "__main__":
    main()
