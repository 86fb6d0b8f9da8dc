#!/usr/bin/python3
"""The X11 window layer against a real window manager: windows listed front to back with their
titles and visibility, found by exact title, read and set as the foreground window."""
import os
import subprocess
import sys

import e2e


def tool(*args):
    result = subprocess.run([os.environ["WINDOWTOOL_BIN"], *args],
                            env=dict(os.environ, DISPLAY=e2e.display()),
                            stdout=subprocess.PIPE, text=True, timeout=20)
    return result.returncode, result.stdout.strip()


def main():
    box = e2e.Sandbox()
    try:
        box.start_keylog(title="first window")
        box.start_keylog(title="Zweites Fenster ü")
        second = int(tool("find", "Zweites Fenster ü")[1])
        first = int(tool("find", "first window")[1])
        e2e.check(first and second and first != second, f"find gave {first} and {second}")
        e2e.check(tool("find", "FIRST WINDOW")[1] == "0", "find is not exact")
        e2e.check(tool("active")[1] == str(second), "the newest window is not in front")
        listing = [line.split(" ", 2) for line in tool("list")[1].splitlines()]
        ids = [int(entry[0]) for entry in listing]
        e2e.check(ids.index(second) < ids.index(first), f"not front to back: {listing}")
        e2e.check(all(entry[1] == "1" for entry in listing if int(entry[0]) in (first, second)),
                  f"visible windows listed as hidden: {listing}")
        rc, _ = tool("activate", str(first))
        e2e.check(rc == 0 and tool("active")[1] == str(first), "activate did not take effect")
        listing = [int(line.split(" ", 1)[0]) for line in tool("list")[1].splitlines()]
        e2e.check(listing.index(first) < listing.index(second), "the raised window is not in front")
        e2e.xdotool("windowminimize", "--sync", str(first))

        # The window is unmapped before the window manager marks it hidden.
        def listed_hidden():
            line = [ln for ln in tool("list")[1].splitlines() if ln.startswith(f"{first} ")]
            return line and line[0].split(" ")[1] == "0"
        e2e.wait_for(listed_hidden, 10, "the minimized window to be listed as hidden")
    finally:
        box.close()
    print("windows test passed")


if __name__ == "__main__":
    sys.exit(main())
