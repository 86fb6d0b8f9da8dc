#!/usr/bin/python3
"""The scanner on real filesystems of loop devices: a tree and its home as two btrfs subvolumes of
one device are both scanned, each file once; a tick stays with its filesystem when another mount
takes its place in the drive list; files already in the move folder are never moved again; and a
stick unmounts while the program runs, right after a cleaning on it.

Needs the superuser and loop devices; without them the test is skipped (exit status 77)."""
import os
import re
import shutil
import subprocess
import sys
import tempfile

import e2e

SKIP = 77


class Mounts:
    """Loop devices and mounts below a private folder, all undone by close() whatever happened."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="dregmoor-mounts-")
        self.loops, self.points = [], []

    def path(self, name):
        return os.path.join(self.root, name)

    def device(self, name, kind, size_mb=300):
        image = self.path(name + ".img")
        with open(image, "wb") as f:
            f.truncate(size_mb * 1024 * 1024)
        mkfs = ["mkfs.btrfs", "-q", "-f"] if kind == "btrfs" else ["mkfs.ext4", "-q", "-F"]
        run(mkfs + [image])
        loop = run(["losetup", "--find", "--show", image]).stdout.strip()
        self.loops.append(loop)
        return loop

    def mount(self, device, point, options=None):
        os.makedirs(point, exist_ok=True)
        run(["mount"] + (["-o", options] if options else []) + [device, point])
        self.points.append(point)

    def unmount(self, point):
        run(["umount", point])  # never lazy: a busy drive must show
        self.points.remove(point)

    def close(self):
        for point in reversed(self.points):
            subprocess.run(["umount", point], stderr=subprocess.DEVNULL)
        for loop in self.loops:
            subprocess.run(["losetup", "-d", loop], stderr=subprocess.DEVNULL)
        shutil.rmtree(self.root, ignore_errors=True)


def run(argv, **kwargs):
    result = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                            **kwargs)
    if result.returncode != 0:
        raise AssertionError(f"{argv} failed ({result.returncode}): {result.stderr}")
    return result


def write(path, text="junk"):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


class Scanner:
    """The program's command line with a private home and settings."""

    def __init__(self, root):
        self.home = os.path.join(root, "home")
        self.config = os.path.join(self.home, ".config", "ostrevin")
        os.makedirs(self.config, exist_ok=True)

    def env(self):
        return dict(os.environ, HOME=self.home, XDG_CONFIG_HOME=os.path.dirname(self.config),
                    XDG_DATA_HOME=os.path.join(self.home, ".local", "share"), LC_ALL="C.UTF-8",
                    QT_QPA_PLATFORM="offscreen")

    def __call__(self, *args):
        return subprocess.run([os.environ["DREGMOOR_BIN"], *args], env=self.env(),
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)

    def settings_file(self):
        return os.path.join(self.config, "DREGMOOR.INI")

    def write_settings(self, text):
        with open(self.settings_file(), "w") as f:
            f.write(text)

    def settings(self):
        with open(self.settings_file()) as f:
            return f.read()

    def positions(self, *points):
        """The drive-list positions of mount points, from "--drives"."""
        listing = self("--drives").stdout
        rows = {line.split("\t")[2].rstrip("/"): int(line.split("\t")[0])
                for line in listing.splitlines()}
        return [rows.get(p.rstrip("/")) for p in points], listing

    def scan_ticking(self, points, extra=""):
        """Scans with the drives of these mount points ticked; the drive list is read again
        afterwards, and the scan repeated if another program's mount moved it meanwhile."""
        for _ in range(3):
            found, listing = self.positions(*points)
            e2e.check(None not in found, f"{points} not all in the drive list:\n{listing}")
            self.write_settings("[Settings]\nDrives=" + "".join(f"{p}," for p in found) +
                                "\n[Scan]\nScanFor=*.tmp,1,\nCheck1=0\nCheck2=0\nCheck3=0\n" +
                                extra)
            out = self("--scan")
            if self.positions(*points)[1] == listing:
                e2e.check(out.returncode == 0, f"--scan failed: {out.stderr}")
                return [line.split("\t")[0] for line in out.stdout.splitlines()[:-1]]
        raise AssertionError("the drive list kept changing")


def check_subvolumes(mounts, scanner):
    """Fedora and openSUSE put / and /home on two subvolumes of one btrfs device."""
    device = mounts.device("system", "btrfs")
    top = mounts.path("top")
    mounts.mount(device, top)
    run(["btrfs", "subvolume", "create", os.path.join(top, "@")])
    run(["btrfs", "subvolume", "create", os.path.join(top, "@home")])
    tree = mounts.path("tree")
    mounts.mount(device, tree, "subvol=@")
    os.makedirs(os.path.join(tree, "home"))
    mounts.mount(device, os.path.join(tree, "home"), "subvol=@home")
    junk = [os.path.join(tree, "var", "a.tmp"), os.path.join(tree, "home", "me", "b.tmp")]
    for path in junk:
        write(path)
    found = scanner.scan_ticking([tree, os.path.join(tree, "home")])
    e2e.check(sorted(found) == sorted(junk), f"subvolumes: found {found}, expected {junk}")
    # The whole device mounted as well: its walk does not enter the subvolumes, which have
    # rows of their own, so nothing is listed twice.
    write(os.path.join(top, "c.tmp"))
    found = scanner.scan_ticking([top, tree, os.path.join(tree, "home")])
    junk.append(os.path.join(top, "c.tmp"))
    e2e.check(sorted(found) == sorted(junk), f"with the top: found {found}, expected {junk}")


def check_tick_keeps_its_filesystem(mounts, scanner):
    """A drive ticked at one position; then another mount sorts before it and takes that place."""
    kept, newcomer = mounts.path("m/kept"), mounts.path("m/a-newcomer")
    mounts.mount(mounts.device("kept", "ext4", 32), kept)
    write(os.path.join(kept, "mine.tmp"))
    found = scanner.scan_ticking([kept])
    e2e.check(found == [os.path.join(kept, "mine.tmp")], f"before: found {found}")
    e2e.check(re.search(r"^DriveIds=\d+:[0-9a-f]{16},$", scanner.settings(), re.M),
              f"the ticked filesystem was not recorded:\n{scanner.settings()}")
    stored = scanner.settings()
    (old,), _ = scanner.positions(kept)
    mounts.mount(mounts.device("newcomer", "ext4", 32), newcomer)
    write(os.path.join(newcomer, "not-mine.tmp"))
    (now,), listing = scanner.positions(kept)
    e2e.check(now != old, f"the drive kept position {old}:\n{listing}")
    scanner.write_settings(stored)
    out = scanner("--scan")
    found = [line.split("\t")[0] for line in out.stdout.splitlines()[:-1]]
    e2e.check(found == [os.path.join(kept, "mine.tmp")],
              f"after another mount took the place: found {found}")


def check_move_folder_inside(mounts, scanner):
    """The move folder lies inside the scanned tree: what is there stays as it is."""
    tree = mounts.path("scanned")
    moved = os.path.join(tree, "data", "Cleaned")
    write(os.path.join(tree, "x.tmp"))
    scanner.write_settings("[Settings]\nDeleteOption=3\n[Scan]\nScanFor=*.tmp,1,\n")
    for round in range(2):
        out = scanner("--clean", "--folder", tree, "--move-to", moved)
        e2e.check(out.returncode == 0, f"--clean failed: {out.stderr}")
        moves = [line for line in out.stdout.splitlines() if line.startswith("moved")]
        e2e.check(len(moves) == 1 - round, f"round {round}: {out.stdout}")
    e2e.check(os.listdir(moved) == ["x.tmp"], f"the move folder holds {os.listdir(moved)}")


def check_stick_unmounts_after_cleaning(mounts, scanner):
    """The window program cleans a stick into its trash, stays open, and the stick unmounts."""
    import test_dregmoor_window as window
    stick = mounts.path("stick")
    mounts.mount(mounts.device("stick", "ext4", 32), stick)
    junk = [os.path.join(stick, "sub", "x.tmp"), os.path.join(stick, "y.tmp")]
    for path in junk:
        write(path)
    (position,), listing = scanner.positions(stick)
    e2e.check(position is not None, f"the stick is not in the drive list:\n{listing}")
    box = window.Box()
    try:
        box.write_settings(f"[Settings]\nDrives={position},\nDeleteOption=2\n"
                           "[Scan]\nScanFor=*.tmp,1,\nCheck1=0\nCheck2=0\nCheck3=0\n"
                           "[Schedule]\nAutoScan=0\n")
        proc = box.start_dregmoor()
        window.press("push button", "Scan Now")
        window.status("Total Files: ", "Total Files: 0k")
        rows = window.result_rows()
        e2e.check(sorted(r[1] + r[0] for r in rows) == sorted(junk), f"rows {rows}")
        window.press("push button", "Clean All")
        window.status("Space Cleaned: ", "Space Cleaned: 0k")
        trash = os.path.join(stick, f".Trash-{os.getuid()}", "files")
        e2e.check(sorted(os.listdir(trash)) == ["x.tmp", "y.tmp"], f"trash {os.listdir(trash)}")
        mounts.unmount(stick)
        e2e.check(proc.poll() is None, "the program ended")
    except Exception:
        log = box.path("dregmoor.log")
        if os.path.exists(log):
            print("program output:\n" + open(log, errors="replace").read(), file=sys.stderr)
        raise
    finally:
        box.close()


def loops_usable():
    if os.geteuid() != 0:
        return "loop devices need the superuser"
    if not os.path.exists("/dev/loop-control"):
        return "this system has no loop devices (/dev/loop-control is missing)"
    for tool in ("losetup", "mkfs.btrfs", "mkfs.ext4", "btrfs"):
        if not shutil.which(tool):
            return f"{tool} is not installed"
    return None


def main():
    reason = loops_usable()
    if reason:
        print(f"skipped: {reason}")
        return SKIP
    mounts = Mounts()
    try:
        scanner = Scanner(mounts.root)
        check_subvolumes(mounts, scanner)
        check_tick_keeps_its_filesystem(mounts, scanner)
        check_move_folder_inside(mounts, scanner)
        check_stick_unmounts_after_cleaning(mounts, scanner)
    finally:
        mounts.close()
    print("dregmoor mounts test passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
