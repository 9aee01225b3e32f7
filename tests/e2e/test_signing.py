"""The signed release: scripts/release.sh --test-package, run in a temporary
copy of the tree (one build, reused by every test), signed three ways, each
with --no-timestamp (there is no network here):
- --sign with a throwaway self-signed code-signing certificate (PKCS#12,
  made here with openssl): the package holds an Authenticode signature
  (SHA-256) whose digest matches the program, and the signed program still
  runs "/T"; the chain is expected to be untrusted;
- --pkcs11-key with the (RSA) key on a throwaway SoftHSM2 token made in the
  test's folder and a certificate from a made-up CA (with an elliptic-curve
  key, its certificate first in the chain): the program verifies against
  that CA and runs "/T", and the token's PIN, read from a file, stands on no
  command line (release.sh runs under strace), not in the output and in no
  file of the copy;
- --attach-signature: the signature of this build's program, signed outside
  the script (once with a timestamp of a made-up authority), is attached
  and verified (also one whose signer's RSA certificate an elliptic-curve
  CA issued); one made for a program with one byte changed, one whose chain leads to no known authority, and an
  unsigned program are refused with one line, and no package is left.
Signing without a timestamp is refused unless --no-timestamp is given. A
signer whose key is not RSA (an elliptic-curve key in a PKCS#12 file, on
the token, or behind an attached signature) is refused before the build,
with nothing packed. Needs a prefix with the stand-in Document Manager 28."""

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
SOFTHSM_MODULE = "/usr/lib/softhsm/libsofthsm2.so"
NOT_TIMESTAMPED = "NOT timestamped (--no-timestamp): the signature ends with the certificate"
# The refusal of a signer's key that is not RSA, after what names the key.
NOT_RSA = (" is an elliptic-curve (EC) key, not RSA: Smart App Control accepts RSA signatures only and blocks the"
           " program like an unsigned one; sign with an RSA key: nothing packed")
# New keys, by the algorithm's name.
KEY_OPTIONS = {
    "RSA": ["-algorithm", "RSA", "-pkeyopt", "rsa_keygen_bits:2048"],
    "EC": ["-algorithm", "EC", "-pkeyopt", "ec_paramgen_curve:P-256"],
}
NO_TIMESTAMP_REFUSAL = ("release: --sign needs --timestamp URL: without a timestamp, Windows stops accepting the"
                        " signature when the certificate expires; give --no-timestamp to sign without one all the"
                        " same")


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, timeout=300, **kwargs)


def secret_file(path, text):
    """Writes text and a line break into a new file that only its owner can read."""
    descriptor = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
    with os.fdopen(descriptor, "w") as handle:
        handle.write(text + "\n")
    return path


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

    def certificate(self, algorithm="RSA"):
        """A self-signed code-signing certificate with a new key of the
        algorithm (KEY_OPTIONS), as a password-protected PKCS#12 file; the
        password in a file that only its owner can read."""
        name = "signer" if algorithm == "RSA" else "signer-" + algorithm
        password_file = self.path("password.txt")
        if not os.path.exists(password_file):
            secret_file(password_file, PASSWORD)
        key, _ = self.key_pair(name, algorithm)
        result = run(["openssl", "req", "-x509", "-key", key, "-days", "2",
                      "-subj", "/CN=Kestrum throwaway test signer",
                      "-addext", "keyUsage=critical,digitalSignature",
                      "-addext", "extendedKeyUsage=codeSigning",
                      "-out", self.path(name + ".pem")])
        self.assertEqual(result.returncode, 0, result.stderr)
        result = run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", self.path(name + ".pem"),
                      "-out", self.path(name + ".pfx"), "-passout", "file:" + password_file])
        self.assertEqual(result.returncode, 0, result.stderr)
        return self.path(name + ".pfx"), password_file

    def authority(self, name="ca", algorithm="RSA"):
        """A made-up certificate authority with a key of the algorithm
        (KEY_OPTIONS), its certificate in NAME.pem and its key in
        NAME-key.pem; the certificate's path."""
        key, _ = self.key_pair(name, algorithm)
        result = run(["openssl", "req", "-x509", "-key", key, "-days", "2",
                      "-subj", "/CN=Kestrum made-up test CA " + name,
                      "-addext", "basicConstraints=critical,CA:true",
                      "-addext", "keyUsage=critical,keyCertSign,cRLSign",
                      "-out", self.path(name + ".pem")])
        self.assertEqual(result.returncode, 0, result.stderr)
        return self.path(name + ".pem")

    def key_pair(self, name, algorithm="RSA"):
        """A new key of the algorithm (KEY_OPTIONS) in NAME-key.pem, its
        public key in NAME-public.pem."""
        result = run(["openssl", "genpkey", *KEY_OPTIONS[algorithm], "-out", self.path(name + "-key.pem")])
        self.assertEqual(result.returncode, 0, result.stderr)
        result = run(["openssl", "pkey", "-in", self.path(name + "-key.pem"), "-pubout",
                      "-out", self.path(name + "-public.pem")])
        self.assertEqual(result.returncode, 0, result.stderr)
        return self.path(name + "-key.pem"), self.path(name + "-public.pem")

    def code_signing_chain(self, name, public_key, usage="codeSigning", authority="ca", authority_first=False):
        """A certificate from the made-up CA (authority(), by its name) for
        the public key, for code signing (or the extended key usage given),
        followed by the CA's certificate (or preceded, authority_first), in
        NAME-chain.pem; its path."""
        with open(self.path(name + ".cnf"), "w") as handle:
            handle.write("keyUsage=critical,digitalSignature\nextendedKeyUsage=%s\n" % usage)
        result = run(["openssl", "x509", "-new", "-subj", "/CN=Kestrum test signer " + name,
                      "-force_pubkey", public_key, "-CA", self.path(authority + ".pem"),
                      "-CAkey", self.path(authority + "-key.pem"),
                      "-days", "2", "-extfile", self.path(name + ".cnf"), "-out", self.path(name + ".pem")])
        self.assertEqual(result.returncode, 0, result.stderr)
        certificates = [k.read(self.path(name + ".pem")), k.read(self.path(authority + ".pem"))]
        if authority_first:
            certificates.reverse()
        k.write(self.path(name + "-chain.pem"), b"".join(certificates))
        return self.path(name + "-chain.pem")

    def token(self, algorithm="RSA", **chain):
        """A throwaway SoftHSM2 token in the test's folder holding a private
        key of the algorithm (KEY_OPTIONS; made here and imported, its file
        removed again) whose code-signing certificate a made-up CA issued
        (authority() first; the chain as code_signing_chain() takes it).
        Returns the release.sh arguments that sign with it, PIN file
        included, and the environment that finds the token (the same for
        every token of the test)."""
        name = "token" if algorithm == "RSA" else "token-" + algorithm
        tokens = self.path("tokens")
        os.makedirs(tokens, exist_ok=True)
        with open(self.path("softhsm2.conf"), "w") as handle:
            handle.write("directories.tokendir = %s\nobjectstore.backend = file\nlog.level = ERROR\n" % tokens)
        env = {"SOFTHSM2_CONF": self.path("softhsm2.conf")}
        token_env = dict(os.environ, **env)
        # Made up for this run; release.sh gets it only in the PIN file.
        pin_file = secret_file(self.path(name + "-pin.txt"), os.urandom(8).hex())
        pin = k.read(pin_file).decode("ascii").strip()
        label = "kestrum-" + os.urandom(4).hex()
        result = run(["softhsm2-util", "--init-token", "--free", "--label", label,
                      "--so-pin", os.urandom(8).hex(), "--pin", pin], env=token_env)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        key, public_key = self.key_pair(name, algorithm)
        result = run(["softhsm2-util", "--import", key, "--token", label, "--label", "signer", "--id", "4b53",
                      "--pin", pin], env=token_env)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        os.remove(key)
        chain = self.code_signing_chain(name, public_key, **chain)
        uri = "pkcs11:token=%s;object=signer;type=private" % label
        return ["--pkcs11-module", SOFTHSM_MODULE, "--pkcs11-key", uri, "--cert", chain, "--pin-file", pin_file], env

    def verify_against(self, program, authority):
        """osslsigncode verify with the CA file: (exit code, output)."""
        result = run(["osslsigncode", "verify", "-CAfile", authority, "-in", program])
        return result.returncode, (result.stdout + result.stderr).decode("utf-8", "replace")

    def assert_runs_preview(self, program, name):
        """The program's "/T" writes the preview of a new document."""
        document = k.make_document(self.path(name + ".SLDPRT"), img.bmp(64, 48))
        ran = k.wine([program, "/T", k.windows_path(document)], timeout=60)
        self.assertEqual(ran.returncode, 0)
        self.assertIsNone(k.dialog(wait=0), "an error box is left")
        self.assertTrue(k.read(self.path(name + ".sldprtKS")).startswith(JPEG_START))

    def package(self, *args, env=None):
        """Builds a test package with release.sh and the given arguments (and
        environment variables) in the copy, whose package folder is emptied
        first; the CompletedProcess and the program taken out of the package
        (None without one)."""
        shutil.rmtree(self.copy.packages, True)
        result = self.copy.release("--test-package", *args, env=env)
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
        self.assertIn("release: KestrumHelper.exe is signed with %s, %s" % (cert, NOT_TIMESTAMPED),
                      result.stdout.splitlines())

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
        self.assert_runs_preview(program, "Signed")

    def test_token_signed_package(self):
        # The CA's key is an elliptic-curve one and its certificate comes
        # first in the chain: the signer's certificate is found in any
        # order, and only its key must be RSA.
        authority = self.authority("ca-EC", "EC")
        token_args, env = self.token(authority="ca-EC", authority_first=True)
        pin_file = token_args[-1]
        key, chain = token_args[3], token_args[5]
        temporary = self.path("tmp")
        os.mkdir(temporary)
        trace = self.path("execve.log")
        shutil.rmtree(self.copy.packages, True)
        result = self.copy.release(
            "--test-package", *token_args, "--no-timestamp", env=dict(env, TMPDIR=temporary),
            wrapper=["strace", "-f", "-qq", "-v", "-xx", "-s", "1000000", "-e", "trace=execve", "-o", trace])
        self.assertEqual(result.returncode, 0, result.stdout[-4000:])
        self.assertIn("release: KestrumHelper.exe is signed with the key %s (certificate %s), %s"
                      % (key, chain, NOT_TIMESTAMPED), result.stdout.splitlines())

        # The PIN stands on no command line and in no environment (the trace
        # holds the signing command, with the PIN file's path), not in the
        # output and in no file of the copy or the temporary folder.
        signing_option = "".join("\\x%02x" % byte for byte in b"-pkcs11module").encode("ascii")
        self.assertTrue(signing_option in k.read(trace), "the trace has no signing command")
        self.assertNotIn(k.read(pin_file).decode("ascii").strip(), result.stdout)
        find_text = [sys.executable, "-B", os.path.join(k.SOURCE, "tests", "release", "find_text.py"), pin_file]
        for name, path in (("command_lines", trace), ("copy", self.copy.tree), ("temporary_folder", temporary)):
            with self.subTest(name):
                found = run(find_text + [path])
                self.assertEqual(found.returncode, 0, found.stdout)

        names = self.copy.package_names()
        self.assertEqual(len(names), 1, names)
        program = self.copy.program(names[0], self.path("unpacked"))
        code, output = self.verify_against(program, authority)
        self.assertEqual(code, 0, output)
        self.assertIn("Subject: /CN=Kestrum test signer token", output)
        self.assertIn("Signature verification: ok", output)
        signatures, stored, calculated, algorithm, output = self.verify(program)
        self.assertEqual((signatures, algorithm), (1, "SHA256"), output)
        self.assertEqual(stored, calculated, output)
        # Trusted through the made-up CA only.
        self.assertIn("Signature verification: failed", output)
        self.assert_runs_preview(program, "TokenSigned")

    def test_attached_signature(self):
        # The program of this build (the copy's first build when this test
        # runs first), signed here from a key file, as a signing machine would.
        result, _ = self.package()
        self.assertEqual(result.returncode, 0, result.stdout[-4000:])
        authority = self.authority()
        key, public_key = self.key_pair("elsewhere")
        chain = self.code_signing_chain("elsewhere", public_key)

        # A timestamp authority of the made-up CA, which osslsigncode plays itself.
        timestamp_key, timestamp_public_key = self.key_pair("timestamps")
        timestamp_chain = self.code_signing_chain("timestamps", timestamp_public_key,
                                                  usage="critical,timeStamping")

        def signed(name, data, *further, signer=(chain, key)):
            k.write(self.path(name + "-unsigned.exe"), data)
            signing = run(["osslsigncode", "sign", "-certs", signer[0], "-key", signer[1], "-h", "sha256", *further,
                           "-in", self.path(name + "-unsigned.exe"), "-out", self.path(name + ".exe")])
            self.assertEqual(signing.returncode, 0, signing.stdout + signing.stderr)
            return self.path(name + ".exe")

        # A signer with an elliptic-curve key, from the same CA; and one with
        # an RSA key from a CA with an elliptic-curve key, the CA first in
        # the chain: only the signer's own key counts.
        ec_key, ec_public_key = self.key_pair("elsewhere-EC", "EC")
        ec_chain = self.code_signing_chain("elsewhere-EC", ec_public_key)
        ec_authority = self.authority("ca-EC", "EC")
        under_ec_chain = self.code_signing_chain("under-EC-CA", public_key, authority="ca-EC", authority_first=True)

        built = k.read(self.copy.built_program())
        this_build = signed("this-build", built)
        timestamped = signed("timestamped", built, "-TSA-certs", timestamp_chain, "-TSA-key", timestamp_key)
        changed = bytearray(built)
        changed[0x400] ^= 0xFF
        one_byte_changed = signed("one-byte-changed", bytes(changed))
        elliptic_curve = signed("elliptic-curve", built, signer=(ec_chain, ec_key))
        under_ec_authority = signed("under-elliptic-curve-ca", built, signer=(under_ec_chain, key))
        unsigned = self.path("this-build-unsigned.exe")
        attached = "release: KestrumHelper.exe carries the signature of %s, verified, "
        # (name, SIGNED.exe, further arguments, the line release.sh prints
        # when it packs, or (start, end, before the build) of the line it
        # ends with when it refuses). Run in this order without emptying the
        # package folder: a refusal leaves no package of an earlier run.
        cases = [
            ("this_build", this_build, ["--ca-file", authority],
             attached % this_build + "NOT timestamped: the signature ends with the certificate"),
            ("timestamped", timestamped, ["--ca-file", authority], attached % timestamped + "timestamped"),
            ("rsa_signer_under_elliptic_curve_ca", under_ec_authority, ["--ca-file", ec_authority],
             attached % under_ec_authority + "NOT timestamped: the signature ends with the certificate"),
            ("elliptic_curve_key", elliptic_curve, ["--ca-file", authority],
             ("release: the key that made the signature of %s%s" % (elliptic_curve, NOT_RSA), "", True)),
            ("one_byte_changed", one_byte_changed, ["--ca-file", authority],
             ("release: the signature of %s is not for this build's KestrumHelper.exe (an exe of another build,"
              " licence string or source was signed): nothing packed" % one_byte_changed, "", False)),
            ("chain_to_no_known_authority", this_build, [],
             ("release: the signature of %s does not verify against the system's certificate authorities"
              % this_build, ": nothing packed", False)),
            ("unsigned", unsigned, ["--ca-file", authority],
             ("release: %s carries no signature to take out: nothing packed" % unsigned, "", True)),
        ]
        for name, signed_elsewhere, args, said in cases:
            with self.subTest(name):
                result = self.copy.release("--test-package", "--attach-signature", signed_elsewhere, *args)
                lines = result.stdout.splitlines()
                if isinstance(said, str):
                    self.assertEqual(result.returncode, 0, result.stdout[-4000:])
                    self.assertIn(said, lines)
                    names = self.copy.package_names()
                    self.assertEqual(len(names), 1, names)
                    program = self.copy.program(names[0], self.path("unpacked-" + name))
                    code, output = self.verify_against(program, args[args.index("--ca-file") + 1])
                    self.assertEqual(code, 0, output)
                    # The signature attached to the build is the program signed elsewhere.
                    self.assertTrue(k.read(program) == k.read(signed_elsewhere), "not the program signed elsewhere")
                else:
                    self.assertNotEqual(result.returncode, 0)
                    self.assertTrue(lines and lines[-1].startswith(said[0]) and lines[-1].endswith(said[1]),
                                    result.stdout[-2000:])
                    self.assertEqual(len([line for line in lines if line.startswith("release: ")]), 1,
                                     result.stdout[-2000:])
                    if said[2]:
                        self.assertNotIn("licence string:", result.stdout, "it built")
                    self.assertEqual(self.copy.package_names(), [])
                    self.assertFalse(os.path.exists(os.path.join(self.copy.packages, "SHA256SUMS")))

    def test_unsigned_package(self):
        result, program = self.package()
        self.assertEqual(result.returncode, 0, result.stdout[-4000:])
        self.assertIn("release: KestrumHelper.exe is NOT signed (no --sign, --pkcs11-key or --attach-signature given)",
                      result.stdout.splitlines())
        self.assertEqual(self.verify(program)[0], 0)
        self.assertTrue(k.read(program) == k.read(self.copy.built_program()), "the packed program is not the build's")

    def test_signing_failures_fail_the_package(self):
        cert, password_file = self.certificate()
        ec_cert, _ = self.certificate("EC")
        wrong = secret_file(self.path("wrong.txt"), "not the password")
        self.authority()
        token_args, token_env = self.token()
        ec_token_args, _ = self.token("EC")
        wrong_pin = token_args[:-1] + [wrong]
        # (name, release.sh arguments after --test-package, what the failure
        # says; a line of release.sh's own is its refusal before the build,
        # and its last line)
        cases = [
            ("no_timestamp_named", ["--sign", cert, "--password-file", password_file], NO_TIMESTAMP_REFUSAL),
            ("missing_certificate", ["--sign", self.path("absent.pfx"), "--no-timestamp"],
             "release: %s does not exist" % self.path("absent.pfx")),
            ("wrong_password", ["--sign", cert, "--password-file", wrong, "--no-timestamp"],
             "release: %s does not open with the password in %s: nothing packed" % (cert, wrong)),
            ("missing_password_file", ["--sign", cert, "--password-file", self.path("absent.txt"), "--no-timestamp"],
             "release: %s does not exist" % self.path("absent.txt")),
            ("wrong_pin", wrong_pin + ["--no-timestamp"], "PIN incorrect"),
            ("elliptic_curve_key_in_pkcs12", ["--sign", ec_cert, "--password-file", password_file, "--no-timestamp"],
             "release: the key of %s%s" % (ec_cert, NOT_RSA)),
            ("elliptic_curve_key_on_token", ec_token_args + ["--no-timestamp"],
             "release: the key of the signer's certificate in %s%s" % (ec_token_args[5], NOT_RSA)),
        ]
        for name, args, message in cases:
            with self.subTest(name):
                result, _ = self.package(*args, env=token_env)
                self.assertNotEqual(result.returncode, 0)
                # CMake wraps its messages: compared with the lines joined.
                self.assertIn(message, " ".join(result.stdout.split()))
                if message.startswith("release: "):
                    self.assertEqual(result.stdout.splitlines()[-1], message)
                    self.assertNotIn("licence string:", result.stdout, "it built")
                self.assertEqual(self.copy.package_names(), [])


if __name__ == "__main__":
    k.main()
