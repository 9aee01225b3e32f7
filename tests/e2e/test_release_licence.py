"""The Document Manager licence string in the release: packages built with
scripts/release.sh in a temporary copy of the tree, once with --license-file
holding a made-up string and once with --test-package, run "/T" against the
stand-in Document Manager that accepts only that string
(KESTRUM_DOCMGR_ACCEPTED_LICENSE). The licensed program writes the preview;
the test package's program shows the licence refusal and writes nothing.
Needs a prefix with the stand-in Document Manager 28."""

import os
import re
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrum_e2e as k  # noqa: E402
import preview_images as img  # noqa: E402

JPEG_START = bytes.fromhex("FFD8FF")
ACCEPTED = "KESTRUM_DOCMGR_ACCEPTED_LICENSE"


def project_version():
    with open(os.path.join(k.SOURCE, "CMakeLists.txt"), encoding="utf-8") as handle:
        return re.search(r"project\(KestrumHelper VERSION (\S+)", handle.read()).group(1)


class ReleaseLicenceTest(k.WineTestCase):
    @classmethod
    def setUpClass(cls):
        if not (k.WINE and os.environ.get("WINEPREFIX")):
            raise unittest.SkipTest("no Wine test prefix: run through scripts/test.sh")
        cls.copy = k.ReleaseCopy()
        try:
            # Made up for this run, with characters that need escaping on the
            # way into the program, and one outside ASCII.
            cls.licence = 'Testfirma:swdocmgr_general-%s-\\;"]=]$(x)\u00e4' % os.urandom(6).hex()
            licence_file = os.path.join(cls.copy.folder, "license.txt")
            with open(licence_file, "w", encoding="utf-8") as handle:
                handle.write(cls.licence + "\n")
            version = project_version()
            cls.builds = {}
            for name, args, package in (
                    ("licensed", ["--license-file", licence_file], "KestrumHelper-%s-win64.zip" % version),
                    ("test_package", ["--test-package"], "KestrumHelper-%s-win64-unlicensed.zip" % version)):
                result = cls.copy.release(*args)
                names = cls.copy.package_names()
                program = None
                if result.returncode == 0 and names == [package]:
                    program = cls.copy.program(package, os.path.join(cls.copy.folder, name))
                cls.builds[name] = (result, names, package, program)
        except BaseException:
            cls.copy.remove()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.copy.remove()

    def setUp(self):
        super().setUp()
        self.folder = self.temp_folder("kestrum-licence-")

    def test_each_build_names_its_package_and_keeps_the_string_to_itself(self):
        said = {"licensed": "licence string: set (%d characters)" % len(self.licence),
                "test_package": "licence string: none (--test-package): /T and /P fail on every machine,"
                                " the package is for tests only"}
        for name, (result, names, package, program) in self.builds.items():
            with self.subTest(name):
                self.assertEqual(result.returncode, 0, result.stdout[-4000:])
                self.assertEqual(names, [package])
                self.assertIn(said[name], result.stdout.splitlines())
                self.assertNotIn(self.licence, result.stdout)
                self.assertIsNotNone(program)

    def test_only_the_licensed_program_opens_the_document(self):
        # (name, build, the string the stand-in accepts, whether the preview is written)
        cases = [("licensed", "licensed", self.licence, True),
                 ("test_package", "test_package", self.licence, False),
                 ("licensed_against_another_string", "licensed", self.licence + "x", False)]
        not_opened = None
        for name, build, accepted, opens in cases:
            with self.subTest(name):
                program = self.builds[build][3]
                self.assertIsNotNone(program, "no package")
                document = k.make_document(os.path.join(self.folder, name + ".SLDPRT"), img.bmp(64, 48))
                preview = os.path.join(self.folder, name + ".sldprtKS")
                not_opened = 'Dokument "%s" kann nicht ge\u00f6ffnet werden. ' % k.windows_path(document)
                env = dict(os.environ, **{ACCEPTED: accepted})
                env.pop("KESTRUM_DOCMGR_FAULT", None)
                if opens:
                    started = time.monotonic()
                    ran = k.wine([program, "/T", k.windows_path(document)], timeout=60, env=env)
                    self.assertEqual(ran.returncode, 0)
                    # An error box holds the program: it does not end at once.
                    self.assertLess(time.monotonic() - started, 30, "the program did not end at once")
                    self.assertIsNone(k.dialog(wait=0), "an error box is left")
                    self.assertTrue(os.path.exists(preview), "no preview written")
                    self.assertTrue(k.read(preview).startswith(JPEG_START))
                else:
                    proc = self.launch(["/T", k.windows_path(document)], exe=program, env={ACCEPTED: accepted})
                    found = k.dialog(wait=30, press=True)
                    self.assertIsNotNone(found, "no error box")
                    k.stop(proc)
                    k.wait_for(lambda: not k.leftovers(), timeout=10)
                    text = k.box_text(found)
                    # The platform's text for CLASS_E_NOTLICENSED (or the OLE
                    # error text); no open error code.
                    self.assertTrue(text.startswith(not_opened) and len(text) > len(not_opened) + 1, text)
                    self.assertNotIn("Fehlercode", text)
                    self.assertFalse(os.path.exists(preview))


if __name__ == "__main__":
    k.main()
