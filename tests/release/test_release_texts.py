"""The texts of the release package, as the build writes them: the
third-party notices (each licence's identifying lines; a missing or empty
licence text fails) and the deployment notes taken from the README, with
what the administrator needs."""

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
    ("mark_of_the_web_copied", "Explorer copies the mark to every file it extracts"),
    ("software_distribution", "deploy through software distribution"),
    ("smart_app_control", "Smart App Control runs only programs signed by a provider Windows trusts"),
    ("applocker_wdac_by_publisher", "allow the exe by publisher"),
    ("controlled_folder_access", "-ControlledFolderAccessAllowedApplications"),
    ("create_process", "The main product should start the helper with `CreateProcess`"),
    ("no_zone_checks", "`SEE_MASK_NOZONECHECKS`"),
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


if __name__ == "__main__":
    unittest.main()
