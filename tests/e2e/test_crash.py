"""Faults that nothing handles, raised inside the stand-in Document Manager
during "/T" (its faults "crash", "crash-filter", "crash-filter-late",
"crash-thread", "crash-overflow", "crash-thread-nowait", "crash-loaderlock",
"crash-timerproc", "crash-twice"), and one in the program itself (the test
build's fault "access").

A fault on the GUI thread inside a handler is a failure of that handler: the
form's error box, the status text stays, and the run ends by its close timer
with exit code 0 (or, with no close timer armed, when the box is answered).
A fault on another thread and a stack overflow end with the "Anwendungsfehler"
box and exit code 1, also when nobody waits for the faulted thread. A box that
cannot come (the loader lock held) and a second fault end the run at once
with exit code 1. Nothing of the faulted library runs after the fault. Never
the system's crash handling (no debugger, no second box), and nothing left
behind: no process, no window, no preview."""

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
# The "Anwendungsfehler" box, or none where the system cannot show it.
MAYBE_CRASH_BOX = "Anwendungsfehler, if it can come"

# caption: the box's caption, MAYBE_CRASH_BOX when it may not come; answered: the box's
# OK is pressed (else it is left alone); end: TIMER, the run ends by the close
# timer, ~36 s after its start; ANSWER, within seconds of the answer; a number,
# by itself within that many seconds of the box or, without a box, of the
# status text. preview: False, no preview is written; None, not looked at (the
# GUI thread goes on after a fault on another thread). record: the stand-in's
# record shows that its timer procedure and window ran before the fault and
# never after it. hold: seconds the box is left alone before it is answered
# (the program finishes its command meanwhile), with it and the status text
# still there after them.
Case = collections.namedtuple("Case", "name fault caption text answered exit_code end preview record hold")
TIMER = "timer"
ANSWER = "answer"
CASES = [
    Case("AccessViolationInHandler", "crash", TITLE, HANDLER_AV, True, 0, TIMER, False, False, 0),
    # The library's own filter, put in with its application object, would
    # end the run silently with exit code 2.
    Case("LibraryFilterReplaced", "crash-filter", TITLE, HANDLER_AV, False, 0, TIMER, False, False, 0),
    # The same filter, put in only when the document is opened.
    Case("LibraryFilterPutInLate", "crash-filter-late", TITLE, HANDLER_AV, False, 0, TIMER, False, False, 0),
    Case("FaultOnLibraryThread", "crash-thread", "Anwendungsfehler", CRASH_AV, True, 1, ANSWER, False, False, 0),
    Case("StackOverflow", "crash-overflow", "Anwendungsfehler", CRASH_OVERFLOW, True, 1, ANSWER, False, False, 0),
    # The GUI thread finishes "/T" while the box is up: the run waits for the answer.
    Case("FaultOnThreadNobodyWaitsFor", "crash-thread-nowait", "Anwendungsfehler", CRASH_AV, True, 1, ANSWER,
         None, False, 5),
    # Another thread keeps the loader lock: the box comes, ready before the
    # fault, and its answer ends the run; where the system still needs the
    # loader for it (Wine asks it for comctl32's handle), the run ends
    # by itself within 15 s.
    Case("LoaderLockHeld", "crash-loaderlock", MAYBE_CRASH_BOX, CRASH_AV, True, 1, 15, False, False, 0),
    Case("LibraryTimerAndWindow", "crash-timerproc", TITLE, HANDLER_AV, False, 0, TIMER, False, True, 0),
    # The second fault comes 3 s after the first, while the first box is up.
    Case("SecondFault", "crash-twice", TITLE, HANDLER_AV, False, 1, 6, False, False, 0),
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
        topmost). Returns the box and when it was found."""
        found = k.dialog(wait=30)
        seen = time.monotonic()
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
        return box, seen

    def test_fault_in_the_document_manager(self):
        for case in CASES:
            with self.subTest(case.name):
                self.run_case(case)

    def assert_library_quiet_after_fault(self, record):
        """The stand-in's timer procedure and window ran before its fault,
        and nothing of them after it."""
        rows = [interface for interface, _slot in record.calls()]
        self.assertIn("Fault", rows, "the fault was not recorded")
        fault = rows.index("Fault")
        self.assertIn("Window", rows[:fault], "the record of the library's window does not work")
        after = [row for row in rows[fault + 1:] if row in ("Timer", "Window")]
        self.assertEqual(len(after), 0, "the faulted library ran %d times after its fault" % len(after))

    def run_case(self, case):
        folder = self.temp_folder("kestrum-crash-")
        document = k.make_document(os.path.join(folder, "Teil1.sldprt"), img.bmp(16, 16))
        preview = os.path.join(folder, "Teil1.sldprtKS")
        record = k.DocmgrCalls(folder)
        env = {"KESTRUM_DOCMGR_FAULT": case.fault}
        env.update(record.env())
        started = time.monotonic()
        proc = self.launch(["/T", k.windows_path(document)], env=env)
        try:
            if case.caption is MAYBE_CRASH_BOX:
                window = k.wait_status_window(text=PREVIEW_TEXT)
                self.assertIsNotNone(window, "no status text; exit code %r" % proc.poll())
                seen = time.monotonic()
                pid = window.pid
                if k.dialog(wait=case.end - 2, pid=pid) is None:
                    self.assertEqual(proc.wait(timeout=case.end), case.exit_code)
                    self.assertLess(time.monotonic() - seen, case.end, "did not end by itself")
                    self.assertEqual(own_windows(pid), [], "windows left behind")
                    self.assertEqual(debuggers(), [], "the system's crash handling ran")
                    return
                case = case._replace(caption="Anwendungsfehler", end=ANSWER)
                box, seen = self.assert_box(proc, case.caption, case.text)
            else:
                box, seen = self.assert_box(proc, case.caption, case.text)
                pid = box.pid
            if case.end in (TIMER, ANSWER):
                # The status text shown before the fault stays.
                window = k.wait_status_window()
                self.assertIsNotNone(window, "no status window under the box")
                self.assertEqual(k.label_text(window), PREVIEW_TEXT)
                self.assertIsNone(proc.poll(), "ended before the box was answered")

            if case.hold:
                time.sleep(case.hold)
                self.assertIsNone(proc.poll(), "ended under the box")
                self.assertIsNotNone(k.dialog(wait=0), "the box went away unanswered")
                self.assertEqual(k.label_text(k.wait_status_window()), PREVIEW_TEXT)
            if case.answered:
                self.assertIsNotNone(k.dialog(wait=1, press=True))
                answered = time.monotonic()
                if case.end == TIMER:
                    # The run goes on after the box, as after any failed handler.
                    self.assertTrue(k.wait_for(lambda: k.dialog(wait=0) is None, timeout=10), "box not dismissed")
                    self.assertEqual(k.label_text(k.wait_status_window()), PREVIEW_TEXT)
                    self.assertIsNone(proc.poll(), "ended when the box was answered")
            exit_code = proc.wait(timeout=CLOSE_TIMER + 30)
            ended = time.monotonic()
            self.assertEqual(exit_code, case.exit_code)
            if case.end == TIMER:
                self.assertGreater(ended - started, CLOSE_TIMER - 1, "ended before the close timer")
                self.assertLess(ended - started, CLOSE_TIMER + 14, "ended long after the close timer")
            elif case.end == ANSWER:
                self.assertLess(ended - answered, 10, "did not end within seconds of the answer")
            else:
                self.assertLess(ended - seen, case.end, "did not end by itself")

            self.assertIsNone(k.dialog(wait=3), "a second dialog came")
            self.assertEqual(own_windows(pid), [], "windows left behind")
            self.assertEqual(debuggers(), [], "the system's crash handling ran")
            if case.preview is False:
                self.assertFalse(os.path.exists(preview), "a preview was written")
            if case.record:
                self.assert_library_quiet_after_fault(record)
        finally:
            k.stop(proc)

    def test_the_forms_box_answerable_after_a_fault_on_a_library_thread(self):
        # A thread of the library's faults as GetPreviewBitmap returns and
        # nobody waits for it; then the handler fails on a picture wider
        # than a JPEG can be. Both boxes come: the form's takes keys and
        # clicks (the message loops after the fault still serve the
        # program's own boxes), and answering "Anwendungsfehler" ends the run.
        folder = self.temp_folder("kestrum-crash-")
        wide = img.emf(2000000, 2540)  # about 75,000 x 96 pixels
        document = k.make_document(os.path.join(folder, "Teil1.sldprt"), wide)
        proc = self.launch(["/T", k.windows_path(document)], env={"KESTRUM_DOCMGR_FAULT": "crash-thread-nowait"})
        try:
            crash = k.dialog(wait=30, caption="Anwendungsfehler")
            self.assertIsNotNone(crash, "no Anwendungsfehler box; exit code %r" % proc.poll())
            self.assertRegex(k.box_text(crash) or "", CRASH_AV)
            failure = k.dialog(wait=30, caption=TITLE)
            self.assertIsNotNone(failure, "no box of the handler's failure")
            self.assertEqual(k.box_text(failure), "JPEG-Fehler #41.")
            self.assertIsNotNone(k.dialog(wait=1, caption=TITLE, press=True))
            self.assertTrue(k.wait_for(lambda: k.dialog(wait=0, caption=TITLE) is None, timeout=10),
                            "the form's box does not answer")
            self.assertIsNone(proc.poll(), "ended before the Anwendungsfehler box was answered")
            self.assertIsNotNone(k.dialog(wait=1, caption="Anwendungsfehler", press=True))
            answered = time.monotonic()
            self.assertEqual(proc.wait(timeout=30), 1)
            self.assertLess(time.monotonic() - answered, 10, "did not end within seconds of the answer")
            self.assertEqual(own_windows(crash[0].pid), [], "windows left behind")
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
            box, _seen = self.assert_box(proc, TITLE, re.compile(
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
