"""What scripts/release.sh refuses before it builds anything, each with one
line that says why: no licence string, a licence file that is empty or holds
more than one line, and signing without a timestamp. Run in a temporary copy
of the tree, so that a refusal that fails to come builds nothing here."""

import os
import shutil
import subprocess
import tempfile
import unittest

SOURCE = os.environ.get("KESTRUM_SOURCE", "")

NO_LICENCE = ("release: no licence string: the Document Manager would refuse the program, and /T and /P would fail"
              " on every machine; give --license-file FILE, or --test-package for a package meant only for tests")
NO_TIMESTAMP = ("release: --sign needs --timestamp URL: without a timestamp, Windows stops accepting the signature"
                " when the certificate expires; give --no-timestamp to sign without one all the same")


class RefusalTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="kestrum-release-script-")
        cls.tree = os.path.join(cls.folder, "tree")
        os.mkdir(cls.tree)
        subprocess.run(["bash", os.path.join(SOURCE, "tests", "release", "copy-tree.sh"), cls.tree], check=True,
                       timeout=600)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, True)

    def file(self, name, data):
        path = os.path.join(self.folder, name)
        with open(path, "wb") as handle:
            handle.write(data)
        return path

    def test_refusals(self):
        licence = self.file("license.txt", b"Testfirma:swdocmgr-1\n")
        empty = self.file("empty.txt", b"")
        only_line_break = self.file("line-break.txt", b"\n")
        two_lines = self.file("two-lines.txt", b"Testfirma:swdocmgr-1\nzweite Zeile\n")
        cert = self.file("signer.pfx", b"not looked at before the refusal")
        # (name, arguments, the line on standard error)
        cases = [
            ("no_arguments", [], NO_LICENCE),
            ("sign_only", ["--sign", cert, "--no-timestamp"], NO_LICENCE),
            ("empty_licence_file", ["--license-file", empty], "release: the licence file %s is empty" % empty),
            ("only_a_line_break", ["--license-file", only_line_break],
             "release: the licence file %s is empty" % only_line_break),
            ("two_lines", ["--license-file", two_lines],
             "release: the licence file %s holds more than one line" % two_lines),
            ("sign_without_timestamp", ["--license-file", licence, "--sign", cert], NO_TIMESTAMP),
            ("test_package_sign_without_timestamp", ["--test-package", "--sign", cert], NO_TIMESTAMP),
        ]
        for name, args, line in cases:
            with self.subTest(name):
                # What a refusal that failed to come built is not left for the next case.
                shutil.rmtree(os.path.join(self.tree, "build", "release-win64"), True)
                result = subprocess.run(["bash", os.path.join(self.tree, "scripts", "release.sh")] + args,
                                        capture_output=True, text=True, timeout=1200,
                                        env=dict(os.environ, SOURCE_DATE_EPOCH="1"))
                self.assertEqual(result.returncode, 2, result.stdout[-2000:])
                self.assertEqual(result.stderr, line + "\n")
                self.assertEqual(result.stdout, "")
                self.assertFalse(os.path.exists(os.path.join(self.tree, "build", "release-win64")), "it built")


if __name__ == "__main__":
    unittest.main()
