"""The texts of the release package, as the build writes them: the
third-party notices (each licence's identifying lines; a missing or empty
licence text fails) and the deployment notes taken from the README, with
what the administrator needs and nothing meant for the developers."""

import os
import subprocess
import sys
import tempfile
import unittest

BUILD = os.environ.get("KESTRUM_BUILD", "")
SOURCE = os.environ.get("KESTRUM_SOURCE", "")
CMAKE = os.environ.get("KESTRUM_CMAKE", "cmake")
NOTICES_SCRIPT = os.path.join(SOURCE, "cmake", "KestrumNotices.cmake")

IJG_SENTENCE = "This software is based in part on the work of the Independent JPEG Group."

# (name, a line the notices hold as it stands, from the licence it identifies)
NOTICE_LINES = [
    ("ijg_acknowledgement", IJG_SENTENCE),
    ("ijg_licence", "The authors make NO WARRANTY or representation, either express or implied,"),
    ("libjpeg_turbo_licences", "libjpeg-turbo is covered by three compatible BSD-style open source licenses:"),
    ("modified_bsd_licence", "The Modified (3-clause) BSD License"),
    ("zlib_licence", " This software is provided 'as-is', without any express or implied"),
    ("mingw_w64_runtime", "Upstream-Name: mingw-w64"),
    ("mingw_w64_runtime_licence", "License: ZPL-2.1"),
    ("winpthreads", "Files: mingw-w64-libraries/winpthreads/*"),
    ("winpthreads_licence", " Permission is hereby granted, free of charge, to any person obtaining"),
    ("gcc_runtime_library_exception", "GCC RUNTIME LIBRARY EXCEPTION"),
    ("gcc_runtime_library_exception_version", "Version 3.1, 31 March 2009"),
]

# (name, a point the deployment notes make to the administrator, in words
# they hold, line breaks aside)
ADMINISTRATOR_POINTS = [
    ("check_the_checksum", "`SHA256SUMS` beside it holds its SHA-256"),
    ("check_the_signature", "`Get-AuthenticodeSignature .\\KestrumHelper.exe` must say `Valid`"),
    ("unblock_before_extracting", "Unblock the zip before extracting it"),
    ("mark_written_by_the_downloading_client", "is written by the client that downloads the file"),
    ("mark_kept_by_a_copy", "A copy keeps a mark the file has (on NTFS, and on SMB shares)"),
    ("no_mark_from_a_share", "a copy from a share adds none"),
    ("mark_of_the_web_copied", "Explorer copies the zip's mark to every file it extracts"),
    ("software_distribution", "deploy through software distribution, which puts no mark on the files"),
    ("group_policy_preferences_file_item", "a Group Policy Preferences file item"),
    ("group_policy_software_installation_msi_only",
     "Group Policy software installation takes MSI packages only, not a bare exe"),
    ("smart_app_control_cloud_first", "Smart App Control asks Microsoft's cloud service first"),
    ("smart_app_control_signature_without_verdict",
     "looks at the signature only when the service has no verdict on the exe"),
    ("smart_app_control_rsa", "runs the exe only when it is signed with an RSA key"),
    ("smart_app_control_trusted_provider", "under a certificate from a provider Windows trusts"),
    ("smart_app_control_no_elliptic_curve", "one signed with an elliptic-curve (ECC) key, which it does not support"),
    ("prevalence_rule", '"Block executable files from running unless they meet a prevalence, age, or trusted list'
                        ' criterion" (`01443614-cd74-433a-b99e-2ecdc07bfc25`)'),
    ("prevalence_rule_thresholds", "more than about 1,000 machines or is less than 24 hours old"),
    ("prevalence_rule_every_release", "Every new release of the helper fails it, signed or not"),
    ("prevalence_rule_intune_exclusion", "in Intune as a per-rule exclusion of this rule"),
    ("prevalence_rule_powershell_exclusion", "`Add-MpPreference -AttackSurfaceReductionOnlyExclusions"),
    ("prevalence_rule_first_days", "At least the first days of every release need it"),
    ("applocker_by_publisher", "AppLocker: allow the exe by publisher, not by hash"),
    ("applocker_publisher_rule", 'the subject of the signer\'s certificate together with the product name "KesTrum"'
                                 ' and the original file name "KestrumHelper.exe"'),
    ("app_control_by_publisher", "App Control for Business (WDAC): allow the exe by publisher"),
    ("app_control_publisher_level", "plus the common name of the signer's certificate"),
    ("app_control_renewal_from_another_ca", "a renewed certificate issued by another intermediate CA breaks the rule"),
    ("app_control_document_manager", "the Document Manager's DLLs"),
    ("controlled_folder_access", "-ControlledFolderAccessAllowedApplications"),
    ("smartscreen_per_hash_and_certificate", "SmartScreen builds its reputation per file hash and per signing"
                                             " certificate"),
    ("smartscreen_new_certificate", "a new certificate starts with no reputation"),
    ("create_process", "The main product should start the helper with `CreateProcess`"),
    ("no_zone_checks", "`SEE_MASK_NOZONECHECKS`"),
]

# (name, what the deployment notes must not hold: the developers' matters)
DEVELOPER_MATTERS = [
    ("interface_binding", "documents/swdocmgr.h"),
    ("interface_slots", "ISwDMDocument10"),
    ("interface_identifiers", "KESTRUM_INTERFACE_ID"),
]


def read_lines(path):
    with open(path, "rb") as handle:
        data = handle.read()
    return data, data.decode("utf-8").split("\r\n")


class NoticesTest(unittest.TestCase):
    def test_each_licence_has_its_lines(self):
        data, lines = read_lines(os.path.join(BUILD, "THIRD_PARTY_NOTICES.txt"))
        self.assertNotIn(b"\n", data.replace(b"\r\n", b""), "line ends other than CR LF")
        for name, line in NOTICE_LINES:
            with self.subTest(name):
                self.assertTrue(line in lines, "missing line: %r" % line)

    def test_a_missing_or_empty_licence_text_fails(self):
        with tempfile.TemporaryDirectory(prefix="kestrum-notices-") as folder:
            present = os.path.join(folder, "present.txt")
            with open(present, "w") as handle:
                handle.write("Copyright line\n")
            empty = os.path.join(folder, "empty.txt")
            open(empty, "w").close()
            output = os.path.join(folder, "THIRD_PARTY_NOTICES.txt")
            # (name, the faulty source, what the failure says)
            cases = [
                ("missing_file", os.path.join(folder, "absent.txt"), "is missing"),
                ("folder", folder, "is missing"),
                ("empty_file", empty, "is empty"),
            ]
            for name, faulty, message in cases:
                with self.subTest(name):
                    # An old output must not survive the failure.
                    with open(output, "w") as handle:
                        handle.write("old")
                    sources = "Present|%s;Faulty|%s" % (present, faulty)
                    result = subprocess.run(
                        [CMAKE, "-DNOTICES_OUTPUT=" + output, "-DNOTICES_SOURCES=" + sources, "-P", NOTICES_SCRIPT],
                        capture_output=True, timeout=60)
                    self.assertNotEqual(result.returncode, 0)
                    self.assertIn(message, result.stderr.decode("utf-8", "replace"))
                    self.assertFalse(os.path.exists(output))
            # The control: with both present the notices are written.
            result = subprocess.run(
                [CMAKE, "-DNOTICES_OUTPUT=" + output, "-DNOTICES_SOURCES=Present|" + present, "-P", NOTICES_SCRIPT],
                capture_output=True, timeout=60)
            self.assertEqual(result.returncode, 0, result.stderr.decode("utf-8", "replace"))
            self.assertIn("Copyright line", read_lines(output)[1])


class DeployNotesTest(unittest.TestCase):
    def test_the_readme_section_whole_and_alone(self):
        _, lines = read_lines(os.path.join(BUILD, "DEPLOY.txt"))
        text = "\n".join(lines)
        self.assertTrue(lines[0].startswith("KestrumHelper ") and lines[0].endswith(": deploying on Windows"),
                        lines[0])
        # From the first lines of the section to its last, and nothing after.
        self.assertIn("is one self-contained file", text)
        self.assertIn("THIRD_PARTY_NOTICES.txt", text)
        self.assertIn(IJG_SENTENCE, " ".join(lines))
        self.assertIn("LongPathsEnabled", text)
        self.assertFalse("## " in text, "another section follows")
        self.assertFalse("| Folder | Contents |" in text, "the layout section follows")

    def test_what_the_administrator_needs(self):
        _, lines = read_lines(os.path.join(BUILD, "DEPLOY.txt"))
        words = " ".join(" ".join(lines).split())
        for name, point in ADMINISTRATOR_POINTS:
            with self.subTest(name):
                self.assertTrue(point in words, "DEPLOY.txt does not say %r" % point)

    def test_nothing_for_the_developers(self):
        _, lines = read_lines(os.path.join(BUILD, "DEPLOY.txt"))
        words = " ".join(" ".join(lines).split())
        for name, text in DEVELOPER_MATTERS:
            with self.subTest(name):
                self.assertFalse(text in words, "DEPLOY.txt holds %r" % text)
        # The notes stand alone: they name no other section of the README.
        with open(os.path.join(SOURCE, "README.md"), encoding="utf-8") as handle:
            sections = [line[3:].strip() for line in handle if line.startswith("## ")]
        self.assertIn("Release", sections)
        for section in sections:
            with self.subTest(section):
                self.assertFalse('"%s"' % section in words, "DEPLOY.txt names the section %r" % section)


if __name__ == "__main__":
    unittest.main()
