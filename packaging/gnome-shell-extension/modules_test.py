#!/usr/bin/python3
"""The extension's ES module form, made for GNOME Shell 45 and later, as far as it can be tried
without such a shell: gjs loads it with the real libraries and stand-ins for the shell's own
modules, its default export is an extension with enable and disable, and the two forms' metadata
name the same extension for shell versions apart.
Usage: modules_test.py LEGACY_FOLDER MODULES_FOLDER"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

SHELL_URL = "resource:///org/gnome/shell/"
STAND_INS = {
    "ui/main.js": "export const wm = {allowKeybinding() {}};\nexport function activateWindow() {}\n",
    "extensions/extension.js":
        "export class Extension {\n    constructor(metadata) { this.metadata = metadata; }\n}\n",
}
CHECK = """import Keyloom from './extension.js';
import {Extension} from './shell/extensions/extension.js';
const extension = new Keyloom({uuid: 'keyloom@ostrevin.example.org'});
if (!(extension instanceof Extension) || typeof extension.enable !== 'function' ||
    typeof extension.disable !== 'function')
    throw new Error('the default export is no extension');
print('loaded');
"""
# Where Debian keeps the compositor's and the shell's libraries, outside the usual search path.
LIBRARIES = ["/usr/lib/x86_64-linux-gnu/mutter-11", "/usr/lib/gnome-shell"]


class ModuleForm(unittest.TestCase):
    legacy = modules = None

    def test_gjs_loads_the_module_form(self):
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(self.modules, "extension.js"), encoding="utf-8") as f:
                script = f.read()
            with open(os.path.join(folder, "extension.js"), "w", encoding="utf-8") as f:
                f.write(script.replace(SHELL_URL, "./shell/"))
            for name, text in STAND_INS.items():
                os.makedirs(os.path.join(folder, "shell", os.path.dirname(name)), exist_ok=True)
                with open(os.path.join(folder, "shell", name), "w", encoding="utf-8") as f:
                    f.write(text)
            with open(os.path.join(folder, "check.js"), "w", encoding="utf-8") as f:
                f.write(CHECK)
            env = dict(os.environ, GI_TYPELIB_PATH=":".join(LIBRARIES),
                       LD_LIBRARY_PATH=":".join(LIBRARIES))
            result = subprocess.run(["gjs", "-m", "check.js"], cwd=folder, env=env,
                                    capture_output=True, text=True, timeout=60)
            self.assertEqual((result.returncode, result.stdout.strip()), (0, "loaded"),
                             result.stderr)

    def test_metadata_names_one_extension_for_shells_apart(self):
        forms = []
        for folder in (self.legacy, self.modules):
            with open(os.path.join(folder, "metadata.json"), encoding="utf-8") as f:
                forms.append(json.load(f))
        legacy, modules = forms
        self.assertEqual(legacy["uuid"], modules["uuid"])
        self.assertTrue(all(int(v) < 45 for v in legacy["shell-version"]))
        self.assertTrue(modules["shell-version"] and
                        all(int(v) >= 45 for v in modules["shell-version"]))


if __name__ == "__main__":
    if shutil.which("gjs") is None or not all(map(os.path.isdir, LIBRARIES)):
        print("gjs or GNOME Shell is not installed")
        sys.exit(77)
    ModuleForm.legacy, ModuleForm.modules = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1])
