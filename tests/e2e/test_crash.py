"""A fault that nothing handles (here an access violation inside the stand-in
Document Manager's GetPreviewBitmap, its fault "crash") ends with the
program's own "Anwendungsfehler" box and exit code 1: no crash dialog of the
system, no debugger started, no second box."""

import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrum_e2e as k  # noqa: E402
import preview_images as img  # noqa: E402

WS_DISABLED = 0x08000000
CRASH_TEXT = re.compile(r"Exception EAccessViolation in Modul swdocumentmgr\.dll bei ([0-9A-F]{16})\.\r\n"
                        r"Externe Exception C0000005\.")


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


class CrashTest(k.WineTestCase):
    def test_fault_in_the_document_manager_ends_with_the_programs_own_box(self):
        folder = self.temp_folder("kestrum-crash-")
        document = k.make_document(os.path.join(folder, "Teil1.sldprt"), img.bmp(16, 16))
        self.addCleanup(end_debuggers)
        proc = self.launch(["/T", k.windows_path(document)], env={"KESTRUM_DOCMGR_FAULT": "crash"})

        found = k.dialog(wait=30)
        self.assertIsNotNone(found, "no box")
        box, children = found
        self.assertEqual(box.text, "Anwendungsfehler")
        text = k.box_text(found)
        match = CRASH_TEXT.fullmatch(text or "")
        self.assertIsNotNone(match, text)
        self.assertNotEqual(int(match.group(1), 16), 0, "no fault address")
        self.assertEqual([c.text for c in children if c.cls == "Button" and c.visible], ["OK"])
        # Task-modal: the status window of the faulting thread is disabled under the box.
        window = k.wait_status_window(visible=False)
        self.assertIsNotNone(window)
        self.assertTrue(window.style & WS_DISABLED, "the box is not task-modal")
        self.assertIsNone(proc.poll(), "ended before the box was closed")

        self.assertIsNotNone(k.dialog(wait=1, press=True))
        pressed = time.monotonic()
        self.assertEqual(proc.wait(timeout=30), 1)
        self.assertLess(time.monotonic() - pressed, 10, "did not end within seconds")
        self.assertIsNone(k.dialog(wait=3), "a second dialog came")
        self.assertEqual(debuggers(), [])


if __name__ == "__main__":
    k.main()
