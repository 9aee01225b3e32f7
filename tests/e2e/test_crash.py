"""Faults that nothing handles, raised inside the stand-in Document Manager
(its faults "crash", "crash-filter", "crash-filter-late", "crash-thread",
"crash-overflow") during
"/T", and one in the program itself (the test build's fault "access").

A fault on the GUI thread inside a handler is a failure of that handler: the
form's error box, the status text stays, and the run ends by its close timer
with exit code 0 (or, with no close timer armed, when the box is answered).
A fault on another thread and a stack overflow end with the "Anwendungsfehler"
box and exit code 1. Never the system's crash handling (no debugger, no
second box), and nothing left behind: no process, no window, no preview."""

import collections
import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrum_e2e as k  # noqa: E402
import preview_images as img  # noqa: E402

TITLE = "Kestrumhelper"
PREVIEW_TEXT = "Preview wird aktualisiert..."
ADDRESS = r"([0-9A-F]{16})"
HANDLER_AV = re.compile(r"Zugriffsverletzung bei Adresse %s in Modul swdocumentmgr\.dll\." % ADDRESS)
CRASH_AV = re.compile(r"Exception EAccessViolation in Modul swdocumentmgr\.dll bei %s\.\r\n"
                      r"Externe Exception C0000005\." % ADDRESS)
CRASH_OVERFLOW = re.compile(r"Exception EExternalException in Modul swdocumentmgr\.dll bei %s\.\r\n"
                            r"Externe Exception C00000FD\." % ADDRESS)
CLOSE_TIMER = 36  # s from "/T" arming it to the end of the run

# answered: the box's OK is pressed (else it is left alone); timer_end: the
# run ends by the close timer, ~36 s after its start (else within seconds of
# the answer).
Case = collections.namedtuple("Case", "name fault caption text answered exit_code timer_end")
CASES = [
    Case("AccessViolationInHandler", "crash", TITLE, HANDLER_AV, True, 0, True),
    # The library's own filter, put in with its application object, would
    # end the run silently with exit code 2.
    Case("LibraryFilterReplaced", "crash-filter", TITLE, HANDLER_AV, False, 0, True),
    # The same filter, put in only when the document is opened.
    Case("LibraryFilterPutInLate", "crash-filter-late", TITLE, HANDLER_AV, False, 0, True),
    Case("FaultOnLibraryThread", "crash-thread", "Anwendungsfehler", CRASH_AV, True, 1, False),
    Case("StackOverflow", "crash-overflow", "Anwendungsfehler", CRASH_OVERFLOW, True, 1, False),
]


def debuggers():
    """The process ids of Wine debuggers running in this test's prefix."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            command = k.read("/proc/%s/cmdline" % entry).lower()
            if b"winedbg" not in command:
                continue
            environment = k.read("/proc/%s/environ" % entry).split(b"\0")
        except OSError:
            continue
        if ("WINEPREFIX=" + os.environ["WINEPREFIX"]).encode() in environment:
            found.append(int(entry))
    return found


def end_debuggers():
    for pid in debuggers():
        try:
            os.kill(pid, 9)
        except OSError:
            pass


def own_windows(pid):
    return [w for w in k.top_windows() if w.pid == pid and w.cls in ("TfrmMain", "TApplication", "#32770")]


class CrashTest(k.WineTestCase):
    def setUp(self):
        super().setUp()
        self.addCleanup(end_debuggers)

    def assert_box(self, proc, caption, text_pattern):
        """The box that proc shows: caption, text, one OK button, the stop
        icon, above all other windows (it has no owner, or one that is
        topmost)."""
        found = k.dialog(wait=30)
        self.assertIsNotNone(found, "no box; exit code %r" % proc.poll())
        box, children = found
        self.assertEqual(box.text, caption)
        text = k.box_text(found) or ""
        match = text_pattern.fullmatch(text)
        self.assertIsNotNone(match, text)
        self.assertNotEqual(int(match.group(1), 16), 0, "no fault address")
        self.assertEqual([c.text for c in children if c.cls == "Button" and c.visible], ["OK"])
        self.assertEqual(len([c for c in children if c.cls == "Static" and (c.style & k.SS_TYPEMASK) == k.SS_ICON]),
                         1, "no icon")
        self.assertTrue(box.exstyle & k.WS_EX_TOPMOST, "the box can open behind other windows")
        return box

    def test_fault_in_the_document_manager(self):
        for case in CASES:
            with self.subTest(case.name):
                self.run_case(case)

    def run_case(self, case):
        folder = self.temp_folder("kestrum-crash-")
        document = k.make_document(os.path.join(folder, "Teil1.sldprt"), img.bmp(16, 16))
        preview = os.path.join(folder, "Teil1.sldprtKS")
        started = time.monotonic()
        proc = self.launch(["/T", k.windows_path(document)], env={"KESTRUM_DOCMGR_FAULT": case.fault})
        try:
            box = self.assert_box(proc, case.caption, case.text)
            # The status text shown before the fault stays.
            window = k.wait_status_window()
            self.assertIsNotNone(window, "no status window under the box")
            self.assertEqual(k.label_text(window), PREVIEW_TEXT)
            self.assertIsNone(proc.poll(), "ended before the box was answered")

            if case.answered:
                self.assertIsNotNone(k.dialog(wait=1, press=True))
                answered = time.monotonic()
                if case.timer_end:
                    # The run goes on after the box, as after any failed handler.
                    self.assertTrue(k.wait_for(lambda: k.dialog(wait=0) is None, timeout=10), "box not dismissed")
                    self.assertEqual(k.label_text(k.wait_status_window()), PREVIEW_TEXT)
                    self.assertIsNone(proc.poll(), "ended when the box was answered")
            exit_code = proc.wait(timeout=CLOSE_TIMER + 30)
            ended = time.monotonic()
            self.assertEqual(exit_code, case.exit_code)
            if case.timer_end:
                self.assertGreater(ended - started, CLOSE_TIMER - 1, "ended before the close timer")
                self.assertLess(ended - started, CLOSE_TIMER + 14, "ended long after the close timer")
            else:
                self.assertLess(ended - answered, 10, "did not end within seconds of the answer")

            self.assertIsNone(k.dialog(wait=3), "a second dialog came")
            self.assertEqual(own_windows(box.pid), [], "windows left behind")
            self.assertEqual(debuggers(), [], "the system's crash handling ran")
            self.assertFalse(os.path.exists(preview), "a preview was written")
        finally:
            k.stop(proc)

    def test_fault_in_a_handler_without_close_timer_ends_when_the_box_is_answered(self):
        # "/O" arms no close timer; its operation (the test build's) writes
        # through a null pointer in the program itself before the status
        # window comes on screen: the box's owner is the hidden application
        # window.
        proc = self.launch(["/O", r"C:\Tools\app.exe", r"C:\Docs\a.pdf"], exe=k.FAULT_HELPER,
                           env={"KESTRUM_FAULT_KIND": "access"})
        try:
            box = self.assert_box(proc, TITLE, re.compile(
                r"Zugriffsverletzung bei Adresse %s in Modul KestrumHelper\.exe\." % ADDRESS))
            owner = k.owner(box.hwnd)
            self.assertEqual((owner.cls, owner.visible), ("TApplication", False), owner)
            self.assertIsNone(proc.poll(), "ended before the box was answered")
            self.assertIsNotNone(k.dialog(wait=1, press=True))
            answered = time.monotonic()
            self.assertEqual(proc.wait(timeout=30), 0)
            self.assertLess(time.monotonic() - answered, 10, "did not end within seconds of the answer")
            self.assertEqual(own_windows(box.pid), [], "windows left behind")
            self.assertEqual(debuggers(), [], "the system's crash handling ran")
        finally:
            k.stop(proc)


if __name__ == "__main__":
    k.main()
