#!/usr/bin/python3
"""Key strings typed through the real sender and X11 keyboard arrive exactly, on the US, German and
French layouts, with characters the layout lacks; no key stays held, and lent keys go back."""
import os
import subprocess
import sys

import e2e
import texts


def setxkbmap(layout):
    subprocess.run(["setxkbmap", "-layout", layout], env=dict(os.environ, DISPLAY=e2e.display()),
                   check=True)


def type_and_read(box, text, name):
    log = box.start_keylog(title="keylog " + name)
    path = os.path.join(box.root, name + ".txt")
    with open(path, "w") as f:
        f.write(text)
    done = log + ".done"
    result = subprocess.run([os.environ["TYPETEXT_BIN"], "--file", path, "--wait-file", done],
                            env=box.env(), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            text=True, timeout=120)
    e2e.check(result.returncode == 0, f"{name}: typetext failed: {result.stderr}")
    box.group.close()
    with open(log, encoding="utf-8", errors="replace") as f:
        got = f.read()
    os.unlink(log)
    os.unlink(done)
    return got[:-len("<F12>")] if got.endswith("<F12>") else got, result.stdout.strip()


def check_layout_change_while_running(box):
    """One running keyboard layer follows a layout change made between two texts."""
    setxkbmap("us")
    log = box.start_keylog(title="keylog layout change")
    text = "zy@ü{~}\n"
    paths = {}
    for name in ("first", "second"):
        paths[name] = os.path.join(box.root, name + ".txt")
        with open(paths[name], "w") as f:
            f.write(text)
    go = os.path.join(box.root, "go")
    proc = subprocess.Popen([os.environ["TYPETEXT_BIN"], "--file", paths["first"], "--wait-file",
                             log + ".done", "--then-file", paths["second"], "--go-file", go,
                             "--wait-file2", log + ".done2"], env=box.env())
    e2e.wait_for(lambda: os.path.exists(log + ".done"), 20, "the first text")
    os.unlink(log + ".done")
    setxkbmap("de")
    open(go, "w").close()
    e2e.wait_for(lambda: os.path.exists(log + ".done"), 20, "the second text")
    open(log + ".done2", "w").close()
    proc.wait(20)
    got = open(log, encoding="utf-8").read()
    want = text + "<F12>" + text + "<F12>"
    e2e.check(got == want, f"after a layout change: typed {got!r}, wanted {want!r}")
    e2e.check(e2e.held_keys() == "", "keys held after a layout change: " + e2e.held_keys())
    setxkbmap("us")
    print("layout change while running: exact")


def first_difference(want, got):
    for i, (a, b) in enumerate(zip(want, got)):
        if a != b:
            return f"at {i}: wanted {want[i:i+20]!r}, got {got[i:i+20]!r}"
    return f"lengths differ: wanted {len(want)}, got {len(got)}"


def main():
    box = e2e.Sandbox()
    before = e2e.spare_keycodes()
    try:
        for layout in ("us", "de", "fr"):
            setxkbmap(layout)
            for name, text in (("ascii", texts.ascii_text()), ("unicode", texts.UNICODE_LINE)):
                got, timing = type_and_read(box, text, f"{layout}-{name}")
                e2e.check(got == text, f"{layout} {name}: " + first_difference(text, got))
                e2e.check(e2e.held_keys() == "", f"{layout} {name}: keys held: {e2e.held_keys()}")
                print(f"{layout} {name}: exact ({timing})")
        setxkbmap("us")
        after = e2e.spare_keycodes()
        e2e.check(after == before, "lent keycodes were not given back: "
                  f"{sorted(set(before) ^ set(after))}")

        check_layout_change_while_running(box)

        log = box.start_keylog(title="keylog error")
        result = subprocess.run([os.environ["TYPETEXT_BIN"], "--keys", "~a^b}c"], env=box.env(),
                                stdout=subprocess.PIPE, text=True, timeout=30)
        e2e.check("Invalid token" in result.stdout, "no error for a stray brace: " + result.stdout)
        e2e.check(e2e.held_keys() == "", "keys held after an error: " + e2e.held_keys())
        e2e.wait_for(lambda: open(log).read() == "A<C-b>", 5, "the keys before the error")
    finally:
        setxkbmap("us")
        box.close()
    print("typing test passed")


if __name__ == "__main__":
    sys.exit(main())
