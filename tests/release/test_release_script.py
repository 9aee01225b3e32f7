"""What scripts/release.sh refuses before it builds anything, each with one
line that says why: no licence string; a licence file that is empty, holds
more than one line, begins with a byte-order mark, or has blanks around the
string; two ways of signing at once, a token key without its library or
certificate or with the PIN in its URI, signing without a timestamp, and a
PIN or password file that its group or others may open.
Run in a temporary copy of the tree, so that a refusal that fails to come
builds nothing here."""

import os
import shutil
import subprocess
import tempfile
import unittest

SOURCE = os.environ.get("KESTRUM_SOURCE", "")

NO_LICENCE = ("release: no licence string: the Document Manager would refuse the program, and /T and /P would fail"
              " on every machine; give --license-file FILE, or --test-package for a package meant only for tests")
NO_TIMESTAMP = ("release: %s needs --timestamp URL: without a timestamp, Windows stops accepting the signature"
                " when the certificate expires; give --no-timestamp to sign without one all the same")
BECOMES_PART = ", which would become part of the string"
OPEN_FILE = "release: the %s %s has mode %s, open to its group or others: make it its owner's alone (chmod 600 %s)"


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

    def file(self, name, data, mode=None):
        path = os.path.join(self.folder, name)
        with open(path, "wb") as handle:
            handle.write(data)
        if mode is not None:
            os.chmod(path, mode)
        return path

    def test_refusals(self):
        licence = self.file("license.txt", b"Testfirma:swdocmgr-1\n")
        empty = self.file("empty.txt", b"")
        only_line_break = self.file("line-break.txt", b"\n")
        two_lines = self.file("two-lines.txt", b"Testfirma:swdocmgr-1\nzweite Zeile\n")
        # What an editor may put in unseen.
        bom = self.file("bom.txt", b"\xef\xbb\xbfTestfirma:swdocmgr-1\n")
        leading_space = self.file("leading-space.txt", b" Testfirma:swdocmgr-1\n")
        leading_tab = self.file("leading-tab.txt", b"\tTestfirma:swdocmgr-1\n")
        trailing_space = self.file("trailing-space.txt", b"Testfirma:swdocmgr-1 \n")
        trailing_tab = self.file("trailing-tab.txt", b"Testfirma:swdocmgr-1\t\r\n")
        cert = self.file("signer.pfx", b"not looked at before the refusal")
        module = self.file("module.so", b"not looked at before the refusal")
        chain = self.file("chain.pem", b"not looked at before the refusal")
        pin = self.file("pin.txt", b"not looked at before the refusal")
        signed = self.file("signed.exe", b"not looked at before the refusal")
        # Secrets that others may read (or change), by the mode bits alone:
        # the tests run as root.
        pin_for_all = self.file("pin-0644.txt", b"not looked at before the refusal", 0o644)
        password_for_group = self.file("password-0640.txt", b"not looked at before the refusal", 0o640)
        password_for_others = self.file("password-0604.txt", b"not looked at before the refusal", 0o604)
        password_group_writes = self.file("password-0620.txt", b"not looked at before the refusal", 0o620)
        key = "pkcs11:token=kestrum;object=signer;type=private"
        token = ["--pkcs11-module", module, "--pkcs11-key", key, "--cert", chain]
        # (name, arguments, the line on standard error)
        cases = [
            ("no_arguments", [], NO_LICENCE),
            ("sign_only", ["--sign", cert, "--no-timestamp"], NO_LICENCE),
            ("empty_licence_file", ["--license-file", empty], "release: the licence file %s is empty" % empty),
            ("only_a_line_break", ["--license-file", only_line_break],
             "release: the licence file %s is empty" % only_line_break),
            ("two_lines", ["--license-file", two_lines],
             "release: the licence file %s holds more than one line" % two_lines),
            ("byte_order_mark", ["--license-file", bom],
             "release: the licence file %s begins with a byte-order mark%s: save it as UTF-8 without one"
             % (bom, BECOMES_PART)),
            ("leading_space", ["--license-file", leading_space],
             "release: the licence string in %s begins with a space%s" % (leading_space, BECOMES_PART)),
            ("leading_tab", ["--license-file", leading_tab],
             "release: the licence string in %s begins with a tab%s" % (leading_tab, BECOMES_PART)),
            ("trailing_space", ["--license-file", trailing_space],
             "release: the licence string in %s ends with a space%s" % (trailing_space, BECOMES_PART)),
            ("trailing_tab_before_crlf", ["--license-file", trailing_tab],
             "release: the licence string in %s ends with a tab%s" % (trailing_tab, BECOMES_PART)),
            ("sign_without_timestamp", ["--license-file", licence, "--sign", cert], NO_TIMESTAMP % "--sign"),
            ("test_package_sign_without_timestamp", ["--test-package", "--sign", cert], NO_TIMESTAMP % "--sign"),
            ("token_without_timestamp", ["--license-file", licence] + token, NO_TIMESTAMP % "--pkcs11-key"),
            ("pfx_and_token", ["--license-file", licence, "--sign", cert, "--no-timestamp"] + token,
             "release: --sign and --pkcs11-key exclude each other: the program is signed one way"),
            ("token_and_attach", ["--license-file", licence, "--attach-signature", signed] + token,
             "release: --pkcs11-key and --attach-signature exclude each other: the program is signed one way"),
            ("token_without_module", ["--license-file", licence, "--pkcs11-key", key, "--cert", chain,
                                      "--no-timestamp"],
             "release: --pkcs11-key needs --pkcs11-module MODULE.so, the token's PKCS#11 library"),
            ("token_without_certificate", ["--license-file", licence, "--pkcs11-module", module, "--pkcs11-key", key,
                                           "--no-timestamp"],
             "release: --pkcs11-key needs --cert CHAIN.pem, the signer's certificate and its chain"),
            ("pin_file_without_token", ["--license-file", licence, "--sign", cert, "--pin-file", pin,
                                        "--no-timestamp"],
             "release: --pkcs11-module, --cert and --pin-file go with --pkcs11-key"),
            ("pin_in_the_key_uri", ["--license-file", licence, "--pkcs11-module", module, "--pkcs11-key",
                                    key + ";pin-value=123456", "--cert", chain, "--no-timestamp"],
             "release: the key URI holds the PIN (pin-value): it would stand on a command line; give it with"
             " --pin-file FILE, or let the token ask for it"),
            ("key_not_a_uri", ["--license-file", licence, "--pkcs11-module", module, "--pkcs11-key", "signer",
                               "--cert", chain, "--no-timestamp"],
             "release: --pkcs11-key takes the pkcs11: URI (RFC 7512) of the private key, not signer"),
            ("timestamp_with_attach", ["--license-file", licence, "--attach-signature", signed, "--no-timestamp"],
             "release: --timestamp and --no-timestamp go with --sign or --pkcs11-key"),
            ("ca_file_without_attach", ["--license-file", licence, "--ca-file", chain],
             "release: --ca-file goes with --attach-signature"),
            ("pin_file_for_all", ["--license-file", licence] + token + ["--pin-file", pin_for_all, "--no-timestamp"],
             OPEN_FILE % ("PIN file", pin_for_all, "0644", pin_for_all)),
            ("password_file_for_group", ["--test-package", "--sign", cert, "--password-file", password_for_group,
                                         "--no-timestamp"],
             OPEN_FILE % ("password file", password_for_group, "0640", password_for_group)),
            ("password_file_for_others", ["--license-file", licence, "--sign", cert, "--password-file",
                                          password_for_others, "--no-timestamp"],
             OPEN_FILE % ("password file", password_for_others, "0604", password_for_others)),
            ("password_file_group_writes", ["--license-file", licence, "--sign", cert, "--password-file",
                                            password_group_writes, "--no-timestamp"],
             OPEN_FILE % ("password file", password_group_writes, "0620", password_group_writes)),
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
