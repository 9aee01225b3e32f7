"""Calls into the stand-in Document Manager that do not return, or return
late (its faults "hang-open", "hang-preview", "hang-add", "hang-save",
"hang-close", "hang-release"), a handler's fault after which the GUI thread
is stuck in a message that a thread of the library's sends
("crash-sendhang"), and a fault on a thread of the library's that the save
waits for ("crash-thread-during-save").

An ordinary call of "/T" or "/P" that has itself run 30 s is given up: the
form's error box for system error 1460 comes, from a thread that is not
blocked, the status text stays, nothing more of the operation is done (also
when the call comes back late), and 6 s later the run ends with exit code 0
(36 s after the close timer was enabled, for a call made then). Calls that
each return within 30 s are never cut, however long they take together. A
save is never cut, unless a thread of the library's faults while it runs:
the "Anwendungsfehler" box comes, and once it is answered the run ends with
exit code 1 when the save returns (the document saved) or 30 s after the
fault, whichever comes first. A call that finishes work already done (after
a successful save, after the preview is written) ends the run 10 s after it
began; after a failed save the close is under the deadline.
After a handler's fault, the run ends 10 s after the close timer was due
even when the timer can no longer run.

A run that may show no box is watched for one until shortly before its
earliest end. The rows wait up to about a minute each, so they run side by
side, each program's boxes told apart by its process."""

import collections
import concurrent.futures
import os
import re
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrum_e2e as k  # noqa: E402
import preview_images as img  # noqa: E402

TITLE = "Kestrumhelper"
PREVIEW_TEXT = "Preview wird aktualisiert..."
PROPERTIES_TEXT = "Properties werden aktualisiert..."
TIMEOUT_TEXT = re.compile(r"Systemfehler\.  Code: 1460\.\r\n.+\.", re.S)
HANDLER_AV = re.compile(r"Zugriffsverletzung bei Adresse [0-9A-F]{16} in Modul swdocumentmgr\.dll\.")
CRASH_CAPTION = "Anwendungsfehler"
CRASH_AV = re.compile(r"Exception EAccessViolation in Modul swdocumentmgr\.dll bei [0-9A-F]{16}\.\r\n"
                      r"Externe Exception C0000005\.")
CLOSE_TIMER = 36  # s from "/T" or "/P" arming the close timer to its end
DEADLINE = 30     # s a call may run before it is given up
FAULT_BOUND = 30  # s from a fault during the save to the run's end, the box answered
FINISHING = 10    # s a call that finishes work already done may take
OLD_PREVIEW = b"\xff\xd8 an older preview, kept as it is \xff\xd9"
SAVE_SECONDS = 50
SLOW_CALL = 20  # s each of two calls takes, together longer than the close timer
SAVE_AFTER_FAULT = 3  # s a save waits for its faulted thread before it writes

# command: "/T" or "/P"; fault: the stand-in's; box: the box's text (None:
# no box may come); end: (earliest, latest) seconds from the start to the
# run's end, from the logged slot to it when since is given, or from the box
# when it is answered; since: the stand-in's slot (Document calls) whose
# first call starts the clock; then: a check of what the run left, given the
# row's folder; exit_code: the run's; answered: the box is the
# "Anwendungsfehler" box of a fault on a thread of the library's, answered
# as soon as it is found (else it is the program's own, left alone).
Case = collections.namedtuple("Case", "name command fault box end since then exit_code answered",
                              defaults=(0, False))

Row = collections.namedtuple("Row", "folder document preview record")


class HangTest(k.WineTestCase):
    def setUp(self):
        super().setUp()
        self.launching = threading.Lock()

    def row(self, case):
        folder = self.temp_folder("kestrum-hang-")
        document = os.path.join(folder, "Teil1.sldprt")
        props = [("Material", 30, "Stahl")]
        k.make_document(document, img.bmp(16, 16), props=props)
        preview = os.path.join(folder, "Teil1.sldprtKS")
        k.write(preview, OLD_PREVIEW)
        return Row(folder, document, preview, k.DocmgrCalls(folder))

    def props(self, document):
        result = k.tool([os.path.join(k.BIN, "dmfixture.exe"), "props", k.windows_path(document)], timeout=60)
        self.assertEqual(result.returncode, 0, result.stderr.decode("utf-8", "replace"))
        return [tuple(line.split("\t")) for line in result.stdout.decode("utf-8").split("\n")[:-1]]

    def launch_row(self, case, row):
        """Starts the row's program and waits for its status window, one row
        at a time, so that each window is known by its process; returns the
        process, the start and the Windows process id."""
        env = {"KESTRUM_DOCMGR_FAULT": case.fault}
        env.update(row.record.env())
        if case.command == "/P":
            prop_file = os.path.join(row.folder, "props.txt")
            k.write(prop_file, b"Material\r\nAlu\r\nNeu\r\nWert\r\n")
            args = ["/P", k.windows_path(row.document), k.windows_path(prop_file)]
        else:
            args = ["/T", k.windows_path(row.document)]
        with self.launching:
            known = [w.hwnd for w in k.status_windows()]
            started = time.monotonic()
            proc = self.launch(args, env=env)
            window = k.wait_status_window(timeout=60, exclude=known)
        self.assertIsNotNone(window, "no status window; exit code %r" % proc.poll())
        return proc, started, window

    def slot_called(self, row, slot):
        return ("Document", slot) in row.record.calls()

    def run_case(self, case):
        row = self.row(case)
        document_before = k.read(row.document)
        proc, started, window = self.launch_row(case, row)
        try:
            if case.box is not None:
                found = k.dialog(wait=CLOSE_TIMER + 20, pid=window.pid, press=case.answered)
                box_seen = time.monotonic() - started
                self.assertIsNotNone(found, "no box; exit code %r" % proc.poll())
                box, children = found
                self.assertEqual(box.text, CRASH_CAPTION if case.answered else TITLE)
                self.assertRegex(k.box_text(found) or "", case.box)
                self.assertEqual([c.text for c in children if c.cls == "Button" and c.visible], ["OK"])
                self.assertEqual(len([c for c in children
                                      if c.cls == "Static" and (c.style & k.SS_TYPEMASK) == k.SS_ICON]), 1, "no icon")
                self.assertTrue(box.exstyle & k.WS_EX_TOPMOST, "the box can open behind other windows")
                if case.box is TIMEOUT_TEXT:
                    self.assertGreater(box_seen, DEADLINE - 0.5, "the call was given up early")
                    self.assertLess(box_seen, DEADLINE + 8, "the box came late")
                    self.assertIsNone(k.owner(box.hwnd), "the box has an owner on the blocked thread")
                    # The status text stays under the box.
                    self.assertEqual(k.label_text(window), PREVIEW_TEXT if case.command == "/T" else PROPERTIES_TEXT)
                    self.assertIsNone(proc.poll(), "ended with the box")
            # An answered box starts the clock.
            clock = started + box_seen if case.answered else started
            if case.since is not None:
                self.assertTrue(k.wait_for(lambda: self.slot_called(row, case.since), timeout=60),
                                "slot %d never called" % case.since)
                clock = time.monotonic()
            earliest, latest = case.end
            with concurrent.futures.ThreadPoolExecutor(max_workers=1) as watch:
                box_came = None
                if case.box is None:
                    box_came = watch.submit(k.dialog, wait=max(0, earliest - 1 - (time.monotonic() - clock)),
                                            pid=window.pid)
                try:
                    exit_code = proc.wait(timeout=CLOSE_TIMER + SAVE_SECONDS)
                except subprocess.TimeoutExpired:
                    exit_code = None
                self.assertIsNotNone(exit_code, "did not end (waited %d s)" % (CLOSE_TIMER + SAVE_SECONDS))
                ended = time.monotonic() - clock
                found = box_came.result() if box_came is not None else None
                if found is not None:
                    self.fail("a box came: %r" % k.box_text(found))
            self.assertEqual(exit_code, case.exit_code)
            self.assertGreater(ended, earliest, "ended early")
            self.assertLess(ended, latest, "ended late")
            self.assertEqual([w for w in k.top_windows() if w.pid == window.pid], [], "windows left behind")
            case.then(self, row, document_before)
        finally:
            k.stop(proc)

    # What the rows leave.
    def old_preview_kept(self, row, _document_before):
        self.assertEqual(k.read(row.preview), OLD_PREVIEW, "the old preview was changed")

    def document_unchanged(self, row, document_before):
        self.assertEqual(k.read(row.document), document_before, "the document was changed")
        self.assertFalse(self.slot_called(row, 33), "the document was saved")

    def save_never_returned(self, row, document_before):
        self.assertTrue(self.slot_called(row, 33), "no save")
        self.assertEqual(k.read(row.document), document_before, "the document was changed")

    def properties_saved(self, row, _document_before):
        self.assertTrue(self.slot_called(row, 33), "no save")
        self.assertEqual(sorted(self.props(row.document)), [("Material", "30", "Alu"), ("Neu", "30", "Wert")])

    def whole_preview(self, row, _document_before):
        data = k.read(row.preview)
        self.assertEqual(img.jpeg_size(data), (16, 16), "no whole JPEG")
        self.assertTrue(data.endswith(b"\xff\xd9"), "the JPEG is cut")

    def test_calls_that_never_return(self):
        cases = [
            Case("OpenNeverReturns", "/T", "hang-open", TIMEOUT_TEXT, (CLOSE_TIMER - 1, CLOSE_TIMER + 8), None,
                 HangTest.old_preview_kept),
            # The preview comes back 3 s after the box: nothing is written.
            Case("PreviewReturnsAfterTheBox", "/T", "hang-preview:%d" % (DEADLINE + 3), TIMEOUT_TEXT,
                 (CLOSE_TIMER - 1, CLOSE_TIMER + 8), None, HangTest.old_preview_kept),
            Case("AddNeverReturns", "/P", "hang-add", TIMEOUT_TEXT, (CLOSE_TIMER - 1, CLOSE_TIMER + 8), None,
                 HangTest.document_unchanged),
            # Two calls of 20 s each, 40 s in all: neither is cut.
            Case("TwoSlowCallsEachWithinTheBound", "/T", "hang-open:%d,hang-preview:%d" % (SLOW_CALL, SLOW_CALL),
                 None, (2 * SLOW_CALL, 2 * SLOW_CALL + 14), None, HangTest.whole_preview),
            # A save of 50 s is never cut; the result's 1.5 s follow it.
            Case("LongSave", "/P", "hang-save:%d" % SAVE_SECONDS, None, (SAVE_SECONDS, SAVE_SECONDS + 12), None,
                 HangTest.properties_saved),
            # CloseDoc after a failed save: the work is not done, the close
            # stays under the deadline and brings the box.
            Case("CloseAfterFailedSaveNeverReturns", "/P", "save,hang-close", TIMEOUT_TEXT,
                 (CLOSE_TIMER - 1, CLOSE_TIMER + 8), None, HangTest.save_never_returned),
            # CloseDoc after the save: the work is done.
            Case("CloseAfterSaveNeverReturns", "/P", "hang-close", None, (FINISHING - 1, FINISHING + 6), 15,
                 HangTest.properties_saved),
            # The document's last release, after the preview is written.
            Case("ReleaseNeverReturns", "/T", "hang-release", None, (FINISHING - 1, FINISHING + 6), 15,
                 HangTest.whole_preview),
            # A handler's fault, then the GUI thread stuck in a message sent
            # by a thread of the library's: the close timer cannot end the
            # run, the watchdog does 10 s after it was due.
            Case("HandlerFaultThenSentMessageNeverReturns", "/T", "crash-sendhang", HANDLER_AV,
                 (CLOSE_TIMER + 8, CLOSE_TIMER + 16), None, HangTest.old_preview_kept),
            # A thread of the library's faults and the save waits for it for
            # good: the answered box does not wait for the save longer than
            # 30 s from the fault (the box comes a moment after it).
            Case("FaultDuringSaveThatNeverReturns", "/P", "crash-thread-during-save", CRASH_AV,
                 (FAULT_BOUND - 5, FAULT_BOUND + 10), None, HangTest.save_never_returned, exit_code=1, answered=True),
            # The save waits 3 s for its faulted thread, then writes: the
            # answer, which came before, ends the run once it has returned.
            Case("FaultDuringSaveThatReturns", "/P", "crash-thread-during-save:%d" % SAVE_AFTER_FAULT, CRASH_AV,
                 (0, SAVE_AFTER_FAULT + 8), None, HangTest.properties_saved, exit_code=1, answered=True),
        ]
        with concurrent.futures.ThreadPoolExecutor(max_workers=len(cases)) as pool:
            futures = [(case, pool.submit(self.run_case, case)) for case in cases]
            for case, future in futures:
                with self.subTest(case.name):
                    future.result()


if __name__ == "__main__":
    k.main()
