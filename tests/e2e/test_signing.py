"""The signed release: scripts/release.sh --test-package, run in a temporary
copy of the tree, with --sign and a throwaway self-signed code-signing
certificate (made here with openssl), and --no-timestamp (there is no network
here). The package holds an Authenticode signature (SHA-256) whose digest
matches the program, and the signed program still runs "/T". The chain is
expected to be untrusted. Signing without a timestamp is refused unless
--no-timestamp is given. Needs a prefix with the stand-in Document Manager
28."""

import os
import re
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrum_e2e as k  # noqa: E402
import preview_images as img  # noqa: E402

JPEG_START = bytes.fromhex("FFD8FF")
PASSWORD = "throwaway-test-password"
NO_TIMESTAMP_REFUSAL = ("release: --sign needs --timestamp URL: without a timestamp, Windows stops accepting the"
                        " signature when the certificate expires; give --no-timestamp to sign without one all the"
                        " same")


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, timeout=300, **kwargs)


class SigningTest(k.WineTestCase):
    @classmethod
    def setUpClass(cls):
        if not (k.WINE and os.environ.get("WINEPREFIX")):
            raise unittest.SkipTest("no Wine test prefix: run through scripts/test.sh")
        cls.copy = k.ReleaseCopy()

    @classmethod
    def tearDownClass(cls):
        cls.copy.remove()

    def setUp(self):
        super().setUp()
        self.folder = self.temp_folder("kestrum-signing-")

    def path(self, name):
        return os.path.join(self.folder, name)

    def certificate(self):
        """A self-signed code-signing certificate with its key, as a
        password-protected PKCS#12 file; the password in a file."""
        with open(self.path("password.txt"), "w") as handle:
            handle.write(PASSWORD + "\n")
        result = run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                      "-subj", "/CN=Kestrum throwaway test signer",
                      "-addext", "keyUsage=critical,digitalSignature",
                      "-addext", "extendedKeyUsage=codeSigning",
                      "-keyout", self.path("key.pem"), "-out", self.path("cert.pem")])
        self.assertEqual(result.returncode, 0, result.stderr)
        result = run(["openssl", "pkcs12", "-export", "-inkey", self.path("key.pem"), "-in", self.path("cert.pem"),
                      "-out", self.path("signer.pfx"), "-passout", "file:" + self.path("password.txt")])
        self.assertEqual(result.returncode, 0, result.stderr)
        return self.path("signer.pfx"), self.path("password.txt")

    def package(self, *args):
        """Builds a test package with release.sh and the given arguments in
        the copy, whose package folder is emptied first; the CompletedProcess
        and the program taken out of the package (None without one)."""
        shutil.rmtree(self.copy.packages, True)
        result = self.copy.release("--test-package", *args)
        names = self.copy.package_names()
        program = None
        if result.returncode == 0:
            self.assertEqual(len(names), 1, names)
            program = self.copy.program(names[0], self.path("unpacked"))
        return result, program

    def verify(self, program):
        """osslsigncode's verdict: (number of signatures, digest in the
        signature, digest of the file, digest algorithm, whole output)."""
        result = run(["osslsigncode", "verify", "-in", program])
        output = (result.stdout + result.stderr).decode("utf-8", "replace")

        def field(label):
            found = re.search(r"^%s\s*:\s*(\S+)" % re.escape(label), output, re.MULTILINE)
            return found.group(1) if found else None

        signatures = len(re.findall(r"^Signature Index: \d+", output, re.MULTILINE))
        return (signatures, field("Current message digest"), field("Calculated message digest"),
                field("Message digest algorithm"), output)

    def test_signed_package(self):
        cert, password_file = self.certificate()
        result, program = self.package("--sign", cert, "--password-file", password_file, "--no-timestamp")
        self.assertEqual(result.returncode, 0, result.stdout[-4000:])
        self.assertIn("release: KestrumHelper.exe is signed with %s, NOT timestamped (--no-timestamp): the signature"
                      " ends with the certificate" % cert, result.stdout.splitlines())

        signatures, stored, calculated, algorithm, output = self.verify(program)
        self.assertEqual(signatures, 1, output)
        self.assertEqual(algorithm, "SHA256", output)
        self.assertIsNotNone(stored, output)
        self.assertEqual(stored, calculated, output)
        self.assertIn("Subject: /CN=Kestrum throwaway test signer", output)
        # The chain ends in the throwaway certificate, which nobody trusts.
        self.assertIn("self-signed certificate", output)
        self.assertIn("Timestamp is not available", output)
        # The build's own program is left unsigned.
        self.assertEqual(self.verify(self.copy.built_program())[0], 0)

        # A changed byte in the signed program no longer matches the digest.
        data = bytearray(k.read(program))
        data[0x400] ^= 0xFF
        k.write(self.path("changed.exe"), bytes(data))
        _, stored_changed, calculated_changed, _, output = self.verify(self.path("changed.exe"))
        self.assertEqual(stored_changed, stored, output)
        self.assertNotEqual(calculated_changed, stored, output)

        # The signed program still does its work.
        document = k.make_document(self.path("Signed.SLDPRT"), img.bmp(64, 48))
        ran = k.wine([program, "/T", k.windows_path(document)], timeout=60)
        self.assertEqual(ran.returncode, 0)
        self.assertIsNone(k.dialog(wait=0), "an error box is left")
        self.assertTrue(k.read(self.path("Signed.sldprtKS")).startswith(JPEG_START))

    def test_unsigned_package(self):
        result, program = self.package()
        self.assertEqual(result.returncode, 0, result.stdout[-4000:])
        self.assertIn("release: KestrumHelper.exe is NOT signed (no --sign given)", result.stdout.splitlines())
        self.assertEqual(self.verify(program)[0], 0)
        self.assertTrue(k.read(program) == k.read(self.copy.built_program()), "the packed program is not the build's")

    def test_signing_failures_fail_the_package(self):
        cert, password_file = self.certificate()
        with open(self.path("wrong.txt"), "w") as handle:
            handle.write("not the password\n")
        # (name, release.sh arguments after --test-package, what the failure says)
        cases = [
            ("no_timestamp_named", ["--sign", cert, "--password-file", password_file], NO_TIMESTAMP_REFUSAL),
            ("missing_certificate", ["--sign", self.path("absent.pfx"), "--no-timestamp"],
             "release: %s does not exist" % self.path("absent.pfx")),
            ("wrong_password", ["--sign", cert, "--password-file", self.path("wrong.txt"), "--no-timestamp"],
             "Signing KestrumHelper.exe failed"),
            ("missing_password_file", ["--sign", cert, "--password-file", self.path("absent.txt"), "--no-timestamp"],
             "release: %s does not exist" % self.path("absent.txt")),
        ]
        for name, args, message in cases:
            with self.subTest(name):
                result, _ = self.package(*args)
                self.assertNotEqual(result.returncode, 0)
                # CMake wraps its messages: compared with the lines joined.
                self.assertIn(message, " ".join(result.stdout.split()))
                self.assertEqual(self.copy.package_names(), [])


if __name__ == "__main__":
    k.main()
