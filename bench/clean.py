"""Cleaning benchmark: 5,000 files to the trash and 20,000 deleted by our command line, against
`gio trash` and a plain unlink loop, in the same run.

Each side gets a fresh set of files in 50 folders on the same filesystem as the trash (the home
trash of a private XDG_DATA_HOME), just written, so the caches are warm alike. What is timed:
- gio: the `gio trash` calls on the listed paths, 500 to a call (its start-ups included);
- unlink: a Python loop of os.unlink over the listed paths (the list is made before the clock);
- ours: `dregmoor --clean` minus `dregmoor --scan` of the same fresh tree, both whole processes.
  The peers get their file lists for free, so our scan (and our start-up, which the scan run has
  too) is taken out; what is left is the cleaning with its checks that each file is still the
  one the scan saw. The scan-only run goes first on each fresh tree, which leaves the clean the
  same warm cache the scan had.
The sides take turns, RUNS rounds; each figure is the best time divided by the number of files
(for ours, the best clean minus the best scan)."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

TRASHED, DELETED, FOLDERS, RUNS = 5_000, 20_000, 50, 5


def make_files(top, count):
    paths = []
    for f in range(FOLDERS):
        folder = os.path.join(top, f"f{f}")
        os.makedirs(folder, exist_ok=True)
        for i in range(count // FOLDERS):
            path = os.path.join(folder, f"junk{i}.tmp")
            with open(path, "wb") as out:
                out.write(b"j" * 100)
            paths.append(path)
    return paths


class Bench:
    def __init__(self, build):
        self.ours = os.path.join(build, "dregmoor", "engine", "dregmoor")
        self.work = tempfile.mkdtemp(prefix="dregmoor-clean-")
        self.config = os.path.join(self.work, "config")
        os.makedirs(os.path.join(self.config, "ostrevin"))
        self.env = dict(os.environ, XDG_CONFIG_HOME=self.config,
                        XDG_DATA_HOME=os.path.join(self.work, "data"))

    def fresh(self, count):
        shutil.rmtree(os.path.join(self.work, "data"), ignore_errors=True)
        top = os.path.join(self.work, "files")
        shutil.rmtree(top, ignore_errors=True)
        return top, make_files(top, count)

    def ours_once(self, count, option):
        """One fresh tree: seconds of the scan alone and of the clean."""
        with open(os.path.join(self.config, "ostrevin", "DREGMOOR.INI"), "w") as f:
            f.write(f"[Settings]\nDeleteOption={option}\n[Scan]\nScanFor=*.tmp,1,\n"
                    "Check1=0\nCheck2=0\nCheck3=0\n")
        top, _ = self.fresh(count)
        times = []
        for what in ("--scan", "--clean"):
            start = time.monotonic()
            subprocess.run([self.ours, what, "--folder", top], env=self.env, check=True,
                           stdout=subprocess.DEVNULL)
            times.append(time.monotonic() - start)
        left = sum(len(files) for _, _, files in os.walk(top))
        if left:
            raise SystemExit(f"{left} files were not cleaned")
        if option == 2:
            trashed = len(os.listdir(os.path.join(self.work, "data", "Trash", "files")))
            if trashed != count:
                raise SystemExit(f"the trash holds {trashed} files, not {count}")
        return times

    def gio_once(self, count):
        _, paths = self.fresh(count)
        start = time.monotonic()
        for i in range(0, len(paths), 500):
            done = subprocess.run(["gio", "trash"] + paths[i:i + 500], env=self.env,
                                  stderr=subprocess.PIPE, text=True)
            if done.returncode:
                raise SystemExit("gio trash failed: " + done.stderr[:300])
        return time.monotonic() - start

    def unlink_once(self, count):
        _, paths = self.fresh(count)
        start = time.monotonic()
        for path in paths:
            os.unlink(path)
        return time.monotonic() - start


def main():
    bench = Bench(sys.argv[1])
    # The sides take turns, so that a busy moment of the machine hits all of them alike.
    trash_scan, trash_clean, gio, delete_scan, delete_clean, unlink = ([] for _ in range(6))
    try:
        for _ in range(RUNS):
            scan, clean = bench.ours_once(TRASHED, 2)
            trash_scan.append(scan), trash_clean.append(clean)
            gio.append(bench.gio_once(TRASHED))
            scan, clean = bench.ours_once(DELETED, 1)
            delete_scan.append(scan), delete_clean.append(clean)
            unlink.append(bench.unlink_once(DELETED))
    finally:
        shutil.rmtree(bench.work, ignore_errors=True)
    for name, scans, cleans in (("trash", trash_scan, trash_clean),
                                ("delete", delete_scan, delete_clean)):
        print(f"ours {name}: best clean {min(cleans):.3f} s, best scan alone {min(scans):.3f} s",
              file=sys.stderr)
    trash = (min(trash_clean) - min(trash_scan)) / TRASHED * 1e6
    delete = (min(delete_clean) - min(delete_scan)) / DELETED * 1e6
    gio_us, unlink_us = min(gio) / TRASHED * 1e6, min(unlink) / DELETED * 1e6
    print(f"clean trash_us_per_file={trash:.1f} gio_trash_us_per_file={gio_us:.1f} "
          f"delete_us_per_file={delete:.1f} unlink_us_per_file={unlink_us:.1f}")


if __name__ == "__main__":
    main()
