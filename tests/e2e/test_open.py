"""The "/O" switch end to end under Wine: the program named by argument 2 is
started with the file of argument 3, in the file's folder, and the helper ends
as soon as the program is ready for input (or has had 30 seconds to get so).

The started programs are the test programs argdump.exe (console) and
argdump_gui.exe (windowed), which write what they saw of their start to the
file named by KESTRUM_ARGDUMP_OUT."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrum_e2e as k  # noqa: E402

CONSOLE_CHILD = os.path.join(k.BIN, "argdump.exe")
GUI_CHILD = os.path.join(k.BIN, "argdump_gui.exe")


def read_dump(path):
    dump = {"arg": []}
    with open(path, encoding="utf-8") as f:
        for line in f.read().splitlines():
            key, _, value = line.partition("=")
            if key == "arg":
                dump["arg"].append(value)
            else:
                dump[key] = value
    return dump


class OpenTest(k.WineTestCase):
    def setUp(self):
        super().setUp()
        self.folder = self.temp_folder("kestrum-open-")
        self.dump = os.path.join(self.folder, "dump.txt")

    def open_with(self, program, target, cwd=None, **child_env):
        """Runs KestrumHelper.exe /O program target, in the Unix folder cwd
        when given; returns (exit code, seconds)."""
        env = {"LC_ALL": "C.UTF-8", "KESTRUM_ARGDUMP_OUT": k.windows_path(self.dump)}
        env.update(child_env)
        started = time.monotonic()
        proc = self.launch(["/O", k.windows_path(program), target], env=env, cwd=cwd)
        code = proc.wait(timeout=90)
        return code, time.monotonic() - started

    def wait_child_end(self):
        self.assertTrue(k.wait_for(lambda: os.path.exists(self.dump + ".end"), timeout=30),
                        "the started program did not end")

    def test_file_reaches_program_as_one_argument_in_its_folder(self):
        docs = os.path.join(self.folder, "Meine Dateien \u00e4\u00f6\u00fc")
        os.makedirs(docs)
        document = os.path.join(docs, "Teil 1 \u00dcbersicht.pdf")
        open(document, "w").close()
        # Wine hands a quoted argument ending in a backslash over with the
        # backslash doubled; without blanks it is not quoted and stays as it is.
        plain = os.path.join(self.folder, "Ordner")
        os.makedirs(plain)
        # A file in the root of drive C:, opened while the helper's own
        # current folder is another one on C: (its Windows folder): the root
        # keeps its backslash, as "C:" alone names the current folder there.
        drive_c = os.path.join(os.environ["WINEPREFIX"], "drive_c")
        in_root = os.path.join(drive_c, "a.pdf")
        open(in_root, "w").close()
        self.addCleanup(os.remove, in_root)
        windows_folder = os.path.join(drive_c, "windows")
        result = k.wine([CONSOLE_CHILD], env=dict(os.environ, KESTRUM_ARGDUMP_OUT=k.windows_path(self.dump)),
                        cwd=windows_folder)
        self.assertEqual(result.returncode, 0)
        self.assertEqual(read_dump(self.dump)["cwd"], "C:\\windows", "a program started there is elsewhere")
        # The started program reports its current folder as GetCurrentDirectory
        # gives it: without a trailing backslash, but for a drive's root.
        cases = [
            ("windowed program, file with blanks and umlauts", GUI_CHILD, k.windows_path(document),
             k.windows_path(docs), None),
            ("console program, file with blanks and umlauts", CONSOLE_CHILD, k.windows_path(document),
             k.windows_path(docs), None),
            ("windowed program, folder ending in a backslash", GUI_CHILD, k.windows_path(plain) + "\\",
             k.windows_path(plain), None),
            ("windowed program, file in the root of the helper's drive", GUI_CHILD, "C:\\a.pdf", "C:\\",
             windows_folder),
        ]
        for name, program, target, working_folder, helper_folder in cases:
            with self.subTest(name):
                for stale in (self.dump, self.dump + ".end"):
                    if os.path.exists(stale):
                        os.remove(stale)
                code, seconds = self.open_with(program, target, cwd=helper_folder, KESTRUM_ARGDUMP_WAIT_MS="5000")
                self.assertEqual(code, 0)
                # Ended at once: long before the started program, which runs on.
                self.assertLess(seconds, 15)
                self.assertFalse(os.path.exists(self.dump + ".end"), "waited for the program's end")
                if program == GUI_CHILD:
                    self.assertTrue(os.path.exists(self.dump), "ended before the program was ready for input")
                self.assertTrue(k.wait_for(lambda: os.path.exists(self.dump), timeout=20), "nothing started")
                dump = read_dump(self.dump)
                self.assertEqual(dump["arg"], [target])
                self.assertEqual(dump["cwd"], working_folder)
                self.wait_child_end()

    def test_program_never_ready_for_input_lets_helper_end(self):
        document = os.path.join(self.folder, "Teil.pdf")
        open(document, "w").close()
        code, seconds = self.open_with(GUI_CHILD, k.windows_path(document), KESTRUM_ARGDUMP_HANG_MS="90000")
        self.assertEqual(code, 0)
        self.assertTrue(os.path.exists(self.dump), "the program did not start")
        self.assertGreater(seconds, 28, "did not wait for the program to get ready")
        self.assertLess(seconds, 45, "the wait for the program is not bounded")
        self.assertFalse(os.path.exists(self.dump + ".end"))
        # The hanging program is this test's to end.
        k.probe("kill", read_dump(self.dump)["window"])

    def test_missing_program_ends_at_once_without_message(self):
        code, seconds = self.open_with(os.path.join(self.folder, "fehlt.exe"), k.windows_path(self.dump))
        self.assertEqual(code, 0)
        self.assertLess(seconds, 15)
        self.assertIsNone(k.dialog(wait=1), "a message box came up")


if __name__ == "__main__":
    k.main()
