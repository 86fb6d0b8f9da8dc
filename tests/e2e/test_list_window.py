#!/usr/bin/python3
"""The real program on a real X server shows its macro list window on the first start, and records
that the first start has happened."""
import sys

import e2e


def main():
    box = e2e.Sandbox()
    try:
        box.write_catalogue("[Main]\nEntries=2\n[Macro1]\nName=Greeting\nType=4\n"
                            "FileName=Greeting.key\nFoundHandle=123,456\n"
                            "[Macro2]\nName=Editor\nType=1\nHotKey=24699\n")
        proc = box.start([box.macros])
        windows = e2e.wait_for(lambda: e2e.find_windows("Ostrevin Keyloom"), 15,
                               "the macro list window")
        e2e.check(len(windows) == 1, f"expected one list window, found {windows}")
        e2e.check(proc.poll() is None, "the program ended on its own")
        catalogue = box.read_catalogue()
        e2e.check("FirstRun=0" in catalogue, "FirstRun was not cleared:\n" + catalogue)
        e2e.check("FoundHandle=123" not in catalogue, "FoundHandle was not reset at start")
        e2e.check(e2e.held_keys() == "", "keys held: " + e2e.held_keys())
    finally:
        box.close()
    print("list window test passed")


if __name__ == "__main__":
    sys.exit(main())
