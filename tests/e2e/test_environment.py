"""Preparation at start: per-user folders, the Document Manager's version
gate and its type-library registration, end to end under Wine."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrum_e2e as k  # noqa: E402

TYPELIB_KEY = r"HKCR\TypeLib\{4F55C30F-4CFD-49E9-A1A2-00C161EF4395}"
CLSID_KEY = r"HKCR\CLSID\{00AB5D8D-2B8F-416B-9761-92FACC8872BE}"
VERSION_TEXT = ("Die installierte SolidWorks Version wird nicht von Kestrum unterst\u00fctzt (bis Solidworks 2020)\r"
                "Bitte aktualisieren Sie Kestrum auf eine aktuellen Version\r"
                "Funktion wird abgebrochen!!!")
REFERENCE_TEXT = "Referenz wird ge\u00e4ndert..."


def reg(*args):
    return k.wine(["reg"] + list(args), timeout=60).returncode


def key_exists(key):
    return reg("query", key, "/reg:64") == 0


def helper_with_env(settings, args):
    """KestrumHelper.exe started through envrun with changed variables."""
    return [os.path.join(k.BIN, "envrun.exe")] + settings + ["--", k.HELPER] + args


class EnvironmentTest(k.DocmgrChangingTestCase):
    def setUp(self):
        super().setUp()
        self.appdata = self.temp_folder("kestrum-appdata-")

    def run_helper(self, args, settings=None, timeout=60):
        settings = settings if settings is not None else ["APPDATA=" + k.windows_path(self.appdata)]
        return k.wine(helper_with_env(settings, args), timeout=timeout)

    def wait_key(self, key, present=True, timeout=20):
        return k.wait_for(lambda: key_exists(key) == present, timeout=timeout, interval=0.5)

    def test_library_absent_does_nothing_with_documents_or_registry(self):
        k.set_docmgr("absent")
        self.assertFalse(key_exists(TYPELIB_KEY))
        started = time.monotonic()
        # With no library the preview operation returns at once: no error box.
        result = self.run_helper(["/T", r"C:\Docs\Missing.sldprt"])
        self.assertEqual(result.returncode, 0)
        self.assertLess(time.monotonic() - started, 20)
        time.sleep(2)
        self.assertFalse(key_exists(TYPELIB_KEY), "the registration was started")

    def test_version_28_with_key_present_starts_no_registration(self):
        k.set_docmgr("28")
        self.assertTrue(key_exists(TYPELIB_KEY))
        # A registration would write the class key back: remove it to see.
        self.assertEqual(reg("delete", CLSID_KEY, "/f"), 0)
        self.assertEqual(self.run_helper([]).returncode, 0)
        time.sleep(3)
        self.assertFalse(key_exists(CLSID_KEY), "a registration ran although the key was present")

    def test_missing_key_starts_the_registration(self):
        for variant in ("28", "noversion"):
            with self.subTest(variant):
                k.set_docmgr(variant)
                self.assertEqual(reg("delete", TYPELIB_KEY, "/f"), 0)
                result = self.run_helper([])
                self.assertEqual(result.returncode, 0, result.stderr.decode("utf-8", "replace"))
                self.assertTrue(self.wait_key(TYPELIB_KEY), "regsvr32 did not register the library")
                self.assertIsNone(k.dialog(wait=0))

    def test_version_29_shows_the_message_and_ends_without_status_window(self):
        k.set_docmgr("29")
        command = helper_with_env(["APPDATA=" + k.windows_path(self.appdata)], ["/R"])
        proc = self.launch(command[1:], exe=command[0])
        found = k.dialog(wait=30)
        self.assertIsNotNone(found, "no version message")
        box, children = found
        self.assertEqual(box.text, "Informationen")
        # Nothing of the program is on screen to keep it in sight.
        self.assertTrue(box.exstyle & k.WS_EX_TOPMOST, "the box can open behind other windows")
        texts = [c.text for c in children if c.cls == "Static" and c.ctrl_id == 0xFFFF]
        self.assertEqual(texts, [VERSION_TEXT])
        self.assertEqual(len(VERSION_TEXT), 180)
        self.assertEqual([c.text for c in children if c.cls == "Button" and c.visible], ["OK"])
        self.assertEqual(len([c for c in children if c.cls == "Static" and (c.style & k.SS_TYPEMASK) == k.SS_ICON]),
                         1)
        self.assertEqual([w for w in k.status_windows() if w.visible], [])
        self.assertIsNotNone(k.dialog(wait=1, press=True))
        self.assertEqual(proc.wait(timeout=30), 0)

    def test_data_folders_created_once(self):
        k.set_docmgr("absent")
        data = os.path.join(self.appdata, "KesTrum", "DBExt")
        self.assertEqual(self.run_helper([]).returncode, 0)
        self.assertTrue(os.path.isdir(data))
        marker = os.path.join(data, "keep.txt")
        with open(marker, "w") as f:
            f.write("x")
        before = os.stat(data).st_mtime_ns
        self.assertEqual(self.run_helper([]).returncode, 0)
        self.assertEqual(os.listdir(os.path.join(self.appdata, "KesTrum")), ["DBExt"])
        self.assertEqual(os.listdir(data), ["keep.txt"])
        self.assertEqual(os.stat(data).st_mtime_ns, before)

    def test_appdata_unset_or_empty_goes_on(self):
        k.set_docmgr("absent")
        for name, settings in (("unset", ["--unset", "APPDATA"]), ("empty", ["APPDATA="])):
            with self.subTest(name):
                self.assertEqual(self.run_helper([], settings=settings).returncode, 0)
                self.assertIsNone(k.dialog(wait=0))

    def test_relative_appdata_shows_the_folder_error_then_runs_the_command(self):
        k.set_docmgr("absent")
        command = helper_with_env(["APPDATA=kestrumrelative"], ["/R"])
        self.launch(command[1:], exe=command[0])
        found = k.dialog(wait=30, press=True)
        self.assertIsNotNone(found, "no error box")
        box, children = found
        self.assertEqual(box.text, "Kestrumhelper")
        texts = [c.text for c in children if c.cls == "Static" and c.ctrl_id == 0xFFFF]
        self.assertEqual(texts, ["Verzeichnis kann nicht erstellt werden."])
        # Owned by the hidden application window, which keeps nothing in sight.
        self.assertTrue(box.exstyle & k.WS_EX_TOPMOST, "the box can open behind other windows")
        self.assertIsNotNone(k.wait_status_window(text=REFERENCE_TEXT), "the command did not run")


if __name__ == "__main__":
    k.main()
