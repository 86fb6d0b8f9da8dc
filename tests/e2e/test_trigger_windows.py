#!/usr/bin/python3
"""Window triggers on a real X server as windows come and go: a window closed and opened again
with the same title by the same program fires its macro again (X usually hands the new window the
old one's id), and a second trigger window fires while the macro of the first still waits for a
window that comes later."""
import os
import sys

import e2e


def counter(box):
    path = os.path.join(box.root, "count.txt")
    open(path, "w").close()
    return path


def launch_entry(n, name, trigger, count, word):
    return (f"[Macro{n}]\nName={name}\nType=1\n"
            f"FileName=/bin/sh~~-c 'echo {word} >> {count}'~~/\nTrigger={trigger}\n")


def words(count):
    return open(count).read().split()


def start_program(box):
    """Returns once start-up has emptied every FoundHandle, so the poll is running."""
    catalogue = box.read_catalogue()
    box.write_catalogue(catalogue.replace("[Macro1]\n", "[Macro1]\nFoundHandle=1,2\n", 1))
    proc = box.start([box.macros])
    e2e.wait_for(lambda: "FoundHandle=1,2" not in box.read_catalogue(), 15, "the program to start")
    return proc


def window(box, title):
    """A window of the given title; returns its process and, once it is up, its id."""
    ready = os.path.join(box.root, "ready.txt")
    if os.path.exists(ready):
        os.unlink(ready)
    proc = box.start([os.environ["KEYLOG_BIN"], "--title", title, "--ready", ready,
                      "--out", os.path.join(box.root, "typed.txt")])
    e2e.wait_for(lambda: os.path.exists(ready) and open(ready).read().strip(), 10, title)
    return proc, open(ready).read().strip()


def found_handle(box, n):
    section = box.read_catalogue().split(f"[Macro{n}]\n", 1)[1].split("\n[", 1)[0]
    for line in section.splitlines():
        if line.startswith("FoundHandle="):
            return line[len("FoundHandle="):]
    return ""


def run_reopened(box):
    count = counter(box)
    box.write_catalogue("[Main]\nEntries=1\nFirstRun=0\n" +
                        launch_entry(1, "Reopened", "Reopened Window", count, "fired"))
    proc = start_program(box)
    first, first_id = window(box, "Reopened Window")
    e2e.wait_for(lambda: words(count) == ["fired"], 10, "the first window to fire")
    first.terminate()
    first.wait(10)
    # The poll forgets the window once it is gone; a user reopens it later than that.
    e2e.wait_for(lambda: found_handle(box, 1) == "", 10, "the closed window to be forgotten")
    second, second_id = window(box, "Reopened Window")
    e2e.wait_for(lambda: words(count) == ["fired", "fired"], 10, "the reopened window to fire")
    e2e.check(proc.poll() is None, "the program ended")
    second.terminate()
    reused = "the same id" if first_id == second_id else "another id"
    print(f"a window closed and reopened fires again ({reused})")


def run_nested(box):
    count = counter(box)
    box.write_catalogue(
        "[Main]\nEntries=3\nFirstRun=0\n"
        "[Macro1]\nName=Waits\nType=4\nFileName=Waits.key\nTrigger=First Trigger\n" +
        launch_entry(2, "Second", "Second Trigger", count, "second") +
        launch_entry(3, "After", "", count, "first-done"))
    box.write_side_file("Waits.key", "<<LOOKFOR:Later Window~~SECS:60>><<RUN:After>>")
    proc = start_program(box)
    window(box, "First Trigger")
    e2e.wait_for(lambda: found_handle(box, 1) != "", 10, "the first trigger to fire")
    window(box, "Second Trigger")
    e2e.wait_for(lambda: words(count) == ["second"], 10,
                 "the second trigger to fire while the first macro waits")
    window(box, "Later Window")
    e2e.wait_for(lambda: words(count) == ["second", "first-done"], 10,
                 "the first macro to end once its window came")
    e2e.check(proc.poll() is None, "the program ended")
    print("a second trigger window fires while the first one's macro waits")


def main():
    for run in (run_reopened, run_nested):
        box = e2e.Sandbox()
        try:
            run(box)
        finally:
            box.close()
    print("trigger windows test passed")


if __name__ == "__main__":
    sys.exit(main())
