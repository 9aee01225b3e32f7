"""The signed release: the package built with a throwaway self-signed
code-signing certificate (made here with openssl) holds an Authenticode
signature (SHA-256) whose digest matches the program, and the signed program
still runs "/T". The chain is expected to be untrusted. No timestamp server
is contacted. Needs a prefix with the stand-in Document Manager 28."""

import os
import re
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrum_e2e as k  # noqa: E402
import preview_images as img  # noqa: E402

BUILD = os.path.dirname(k.BIN)
JPEG_START = bytes.fromhex("FFD8FF")
PASSWORD = "throwaway-test-password"


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, timeout=300, **kwargs)


class SigningTest(k.WineTestCase):
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

    def package(self, *definitions):
        """Packs the build's release with the given cpack settings into the
        test folder; the CompletedProcess and the program taken out of it."""
        out = self.path("package")
        result = run(["cpack", "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-B", out]
                     + [argument for name_value in definitions for argument in ("-D", name_value)])
        program = None
        if result.returncode == 0:
            names = [name for name in os.listdir(out) if name.endswith("-win64.zip")]
            self.assertEqual(len(names), 1, names)
            with zipfile.ZipFile(os.path.join(out, names[0])) as archive:
                archive.extract("KestrumHelper.exe", self.path("unpacked"))
            program = self.path(os.path.join("unpacked", "KestrumHelper.exe"))
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
        result, program = self.package("KESTRUM_SIGN_CERT=" + cert, "KESTRUM_SIGN_PASSWORD_FILE=" + password_file)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

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
        self.assertEqual(self.verify(os.path.join(k.BIN, "KestrumHelper.exe"))[0], 0)

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
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertEqual(self.verify(program)[0], 0)
        self.assertTrue(k.read(program) == k.read(os.path.join(k.BIN, "KestrumHelper.exe")),
                        "the packed program is not the build's")

    def test_signing_failures_fail_the_package(self):
        cert, password_file = self.certificate()
        with open(self.path("wrong.txt"), "w") as handle:
            handle.write("not the password\n")
        # (name, cpack settings, what the failure says)
        cases = [
            ("missing_certificate", ["KESTRUM_SIGN_CERT=" + self.path("absent.pfx")], "is missing"),
            ("wrong_password", ["KESTRUM_SIGN_CERT=" + cert, "KESTRUM_SIGN_PASSWORD_FILE=" + self.path("wrong.txt")],
             "Signing KestrumHelper.exe failed"),
            ("missing_password_file", ["KESTRUM_SIGN_CERT=" + cert,
                                       "KESTRUM_SIGN_PASSWORD_FILE=" + self.path("absent.txt")], "is missing"),
        ]
        for name, definitions, message in cases:
            with self.subTest(name):
                result, _ = self.package(*definitions)
                self.assertNotEqual(result.returncode, 0)
                # CMake wraps its messages: compared with the lines joined.
                self.assertIn(message, " ".join((result.stdout + result.stderr).decode("utf-8", "replace").split()))
                out = self.path("package")
                self.assertEqual([n for n in os.listdir(out) if n.endswith(".zip")] if os.path.isdir(out) else [], [])


if __name__ == "__main__":
    k.main()
