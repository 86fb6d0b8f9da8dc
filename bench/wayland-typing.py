"""Wayland typing benchmark: on a headless sway, our sender and wtype type the same texts into a
Qt 6 Wayland window, ten times each: 2,000 random printable ASCII characters, and a line of
characters that the US layout lacks. Each run is timed from the start of the typing process
until the window has received the sentinel key (F12) that the process presses last. The window
keeps the text of the keys without laying it out: a text field lays its paragraph out again after
every key, which on this kind of machine holds a 2,000-character line to some 2,000 characters a
second whoever types it, and would measure the field rather than the sender.

On a headless KDE Plasma (when KWin is installed) the same series run through KWin's fake input,
and the ASCII text also through the remote desktop portal (a copy of the sender that KWin does
not grant its fake input); wtype cannot type there. On a headless GNOME Shell the sender types
through the program's shell extension once the portal has asked the user: each run is timed from
the moment the question is answered and the window has the focus back; sent_cps times the same
runs until the sender has handed its last key to the shell and ended, which shows how much of the
time the receiving end takes. Those lines come before the last one, the KDE line after a note of
how much processor time the receiving window itself took per ASCII text."""
import os
import random
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
# In place of this folder, whose typing.py would hide the standard module of that name from the
# GNOME fixture's libraries.
sys.path[0] = os.path.join(HERE, "..", "tests", "e2e")
from kde_desktop import KdeDesktop, available as kde_available  # noqa: E402
from gnome_desktop import GnomeDesktop, wait_until  # noqa: E402
from wayland_desktop import WaylandDesktop, clear_arrival, read_arrival  # noqa: E402

RUNS = 10
PLAIN = ["--plain", "yes"]
LINE = "café €5 naïve ß Ω ñ ü Ä — “quotes” ½"


def ascii_text(length=2000, seed=16):
    rng = random.Random(seed)
    return "".join(chr(rng.randint(0x20, 0x7e)) for _ in range(length))


def measure(desktop, out, argvs, text):
    """(seconds, what arrived) of one run of the commands, one after the other."""
    clear_arrival(out)
    start = time.monotonic()
    for argv in argvs:
        desktop.run(argv, timeout=180)
    got = read_arrival(out, 60, poll=0.001)
    return time.monotonic() - start, got


def series(desktop, out, make_argvs, text):
    seconds, exact = 0.0, 0
    for _ in range(RUNS):
        elapsed, got = measure(desktop, out, make_argvs(), text)
        seconds += elapsed
        exact += got == text
    return len(text) * RUNS / seconds, exact


def cpu_seconds(session, name):
    """Processor time so far of the processes called name in that session."""
    total = 0.0
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/stat") as f:
                stat = f.read()
        except OSError:
            continue  # ended meanwhile
        fields = stat[stat.rindex(")") + 2:].split()
        if stat[stat.index("(") + 1:stat.rindex(")")] == name and int(fields[3]) == session:
            total += (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    return total


def kde_line(typetext):
    """The KDE result line, and a note of the receiving window's own processor time per ASCII
    text."""
    with KdeDesktop() as desktop:
        out = desktop.path("field.txt")
        field = desktop.open_field("Benchmark field", out, PLAIN)
        portal_sender = desktop.path("typetext-portal")
        shutil.copy(typetext, portal_sender)
        desktop.give(portal_sender)
        files = {}
        for name, text in (("ascii", ascii_text()), ("unicode", LINE)):
            files[name] = (desktop.path(name + ".txt"), text)
            desktop.write(files[name][0], text)

        def sender(program, name):
            return lambda: [[program, "--file", files[name][0]]]

        field_cpu = cpu_seconds(field.pid, "qtfield")
        ascii_cps, ascii_exact = series(desktop, out, sender(typetext, "ascii"), files["ascii"][1])
        field_cpu = (cpu_seconds(field.pid, "qtfield") - field_cpu) / RUNS
        _, unicode_exact = series(desktop, out, sender(typetext, "unicode"), LINE)
        portal_cps, portal_exact = series(desktop, out, sender(portal_sender, "ascii"),
                                          files["ascii"][1])
        wtype = desktop.run(["wtype", "x"], timeout=30).returncode
    wtype_figures = "wtype_cps=0 wtype_exact=0/10" if wtype != 0 else "wtype_cps=? wtype_exact=?"
    note = f"  KDE, the receiver's processor time per ASCII text: {field_cpu:.2f} s"
    return note, (f"wayland-typing desktop=kde ascii_cps={ascii_cps:.0f} "
                  f"ascii_exact={ascii_exact}/{RUNS} unicode_exact={unicode_exact}/{RUNS} "
                  f"portal_cps={portal_cps:.0f} portal_exact={portal_exact}/{RUNS} {wtype_figures}")


def gnome_line(typetext):
    with GnomeDesktop() as desktop:
        out = desktop.path("field.txt")
        desktop.open_field("Benchmark field", out, PLAIN)
        figures = []
        for name, text in (("ascii", ascii_text()), ("unicode", LINE)):
            path = desktop.path(name + ".txt")
            desktop.write(path, text)
            seconds, sent, exact = 0.0, 0.0, 0
            for _ in range(RUNS):
                clear_arrival(out)
                seen = desktop.watch_portal()
                go = desktop.path("go")
                if os.path.exists(go):
                    os.remove(go)
                proc = desktop.spawn([typetext, "--file", path, "--start-file", go])
                desktop.answer_remote_desktop(seen)
                wait_until("the field to have the focus back",
                           lambda: desktop.focused_title() == "Benchmark field")
                start = time.monotonic()
                desktop.write(go, "")
                sent_at = done_at = None
                while (sent_at is None or done_at is None) and time.monotonic() - start < 60:
                    now = time.monotonic()
                    if sent_at is None and proc.poll() is not None:
                        sent_at = now
                    if done_at is None and os.path.exists(out + ".done"):
                        done_at = now
                    time.sleep(0.001)
                proc.wait(60)
                got = read_arrival(out, 0)
                sent += (sent_at or time.monotonic()) - start
                seconds += (done_at or time.monotonic()) - start
                exact += got == text
            figures.append((len(text) * RUNS / seconds, len(text) * RUNS / sent, exact))
    (ascii_cps, sent_cps, ascii_exact), (_, _, unicode_exact) = figures
    return (f"wayland-typing desktop=gnome ascii_cps={ascii_cps:.0f} "
            f"ascii_exact={ascii_exact}/{RUNS} unicode_exact={unicode_exact}/{RUNS} "
            f"sent_cps={sent_cps:.0f} wtype_cps=0 wtype_exact=0/10")


def main():
    build = sys.argv[1]
    os.environ.setdefault("QTFIELD_BIN", os.path.join(build, "tests/e2e/qtfield"))
    os.environ.setdefault("TYPETEXT_BIN", os.path.join(build, "tests/e2e/typetext"))
    os.environ.setdefault("GNOME_EXTENSION_DIR",
                          os.path.join(HERE, "..", "packaging", "gnome-shell-extension"))
    typetext = os.environ["TYPETEXT_BIN"]
    with WaylandDesktop() as desktop:
        out = desktop.path("field.txt")
        desktop.open_field("Benchmark field", out, PLAIN)
        files = {}
        for name, text in (("ascii", ascii_text()), ("unicode", LINE)):
            files[name] = (desktop.path(name + ".txt"), text)
            desktop.write(files[name][0], text)

        def ours(name):
            return lambda: [[typetext, "--file", files[name][0]]]

        def wtype(name):
            # wtype types its argument; the sentinel needs a call of its own.
            return lambda: [["wtype", files[name][1]], ["wtype", "-k", "F12"]]

        ascii_cps, ascii_exact = series(desktop, out, ours("ascii"), files["ascii"][1])
        _, unicode_exact = series(desktop, out, ours("unicode"), LINE)
        wtype_cps, wtype_exact = series(desktop, out, wtype("ascii"), files["ascii"][1])
        _, wtype_unicode = series(desktop, out, wtype("unicode"), LINE)
    kde_note, kde = kde_line(typetext) if kde_available() else (None, None)
    gnome = gnome_line(typetext) if shutil.which("gnome-shell") else None
    print(f"  wtype, the line outside the layout: {wtype_unicode}/{RUNS} exact")
    for line in (kde_note, kde, gnome):
        if line:
            print(line)
    print(f"wayland-typing ascii_cps={ascii_cps:.0f} ascii_exact={ascii_exact}/{RUNS} "
          f"unicode_exact={unicode_exact}/{RUNS} wtype_cps={wtype_cps:.0f} "
          f"wtype_exact={wtype_exact}/{RUNS}")


if __name__ == "__main__":
    main()
