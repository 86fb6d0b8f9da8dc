#!/usr/bin/python3
"""`cmake --install` into a prefix the user owns: the program folder with the program, its help and
icon, the command link, a valid desktop entry naming the installed program, and the icons; for both
programs a manual page that renders without warnings and a valid AppStream description."""
import os
import shutil
import subprocess
import sys
import tempfile


def check_man_page_and_metainfo(prefix, program):
    page = os.path.join(prefix, "share", "man", "man1", f"{program}.1.gz")
    shown = subprocess.run(["man", "--warnings", "-l", page], check=True, capture_output=True,
                           text=True, env=dict(os.environ, MANWIDTH="80", MAN_KEEP_STDERR="1"))
    if shown.stderr or "EXIT STATUS" not in shown.stdout:
        raise AssertionError(f"{page} does not render cleanly:\n{shown.stderr}")
    metainfo = os.path.join(prefix, "share", "metainfo",
                            f"org.example.ostrevin.{program}.metainfo.xml")
    subprocess.run(["appstreamcli", "validate", "--no-net", "--pedantic", metainfo], check=True,
                   stdout=subprocess.DEVNULL)
    # Software centres start the program through the entry the description names.
    entry = os.path.join(prefix, "share", "applications", f"ostrevin-{program}.desktop")
    if f"<launchable type=\"desktop-id\">ostrevin-{program}.desktop<" not in open(metainfo).read() \
            or not os.path.isfile(entry):
        raise AssertionError(f"{metainfo} does not name the installed entry {entry}")


def main():
    build = os.environ["BUILD_DIR"]
    prefix = tempfile.mkdtemp(prefix="keyloom-install-")
    try:
        subprocess.run(["cmake", "--install", build, "--prefix", prefix], check=True,
                       stdout=subprocess.DEVNULL)
        folder = os.path.join(prefix, "lib", "keyloom")
        for name in ("macros", "Keyloom.html", "Keyloomfaq.html", "keyloom.png"):
            path = os.path.join(folder, name)
            if not os.path.isfile(path):
                raise AssertionError(f"{path} was not installed")
        if not os.access(os.path.join(folder, "macros"), os.X_OK):
            raise AssertionError("the program is not executable")
        link = os.path.join(prefix, "bin", "keyloom")
        if os.path.realpath(link) != os.path.realpath(os.path.join(folder, "macros")):
            raise AssertionError(f"{link} does not lead to the program")
        entry = os.path.join(prefix, "share", "applications", "ostrevin-keyloom.desktop")
        subprocess.run(["desktop-file-validate", entry], check=True)
        text = open(entry).read()
        wanted = f'Exec="{os.path.join(folder, "macros")}"\n'
        if wanted not in text:
            raise AssertionError(f"the entry does not start the installed program:\n{text}")
        for size in (16, 22, 24, 32, 48, 64, 128, 256):
            icon = os.path.join(prefix, "share", "icons", "hicolor", f"{size}x{size}", "apps",
                                "ostrevin-keyloom.png")
            with open(icon, "rb") as f:
                header = f.read(24)
            if header[:8] != b"\x89PNG\r\n\x1a\n" or \
                    int.from_bytes(header[16:20], "big") != size:
                raise AssertionError(f"{icon} is not a {size} pixel PNG")
        for program in ("keyloom", "dregmoor"):
            check_man_page_and_metainfo(prefix, program)
    finally:
        shutil.rmtree(prefix, ignore_errors=True)
    print("install test passed")


if __name__ == "__main__":
    sys.exit(main())
