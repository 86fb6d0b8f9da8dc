"""Scan-window benchmark: the scanner window scans the tree of the scan benchmark (300,000 files in
30,000 folders, the same five patterns, warm cache) while a 5 ms timer asks it to repaint; against
the same scan by the engine alone, taking turns in one process. The window's time should stay
within 1.2 times the engine's, and the longest gap between two repaints within 50 ms."""
import importlib.util
import os
import subprocess
import sys

RUNS = 5


def scan_benchmark():
    loader = importlib.util.spec_from_file_location(
        "scan_bench", os.path.join(os.path.dirname(os.path.abspath(__file__)), "scan.py"))
    module = importlib.util.module_from_spec(loader)
    loader.loader.exec_module(module)
    return module


def main():
    build = sys.argv[1]
    scan = scan_benchmark()
    scan.make_tree()
    tool = os.path.join(build, "dregmoor", "ui", "dregmoor_scan_window_bench")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    out = subprocess.run([tool, scan.TREE, str(RUNS), *scan.PATTERNS], env=env, check=True,
                         stdout=subprocess.PIPE, text=True).stdout.strip().splitlines()[-1]
    fields = dict(part.split("=") for part in out.split()[1:])
    seconds, engine = float(fields["seconds"]), float(fields["engine_seconds"])
    print(f"rows={fields['rows']} window/engine={seconds / engine:.2f}", file=sys.stderr)
    print(f"scan-window seconds={seconds:.3f} engine_seconds={engine:.3f} "
          f"max_stall_ms={fields['max_stall_ms']}")


if __name__ == "__main__":
    main()
