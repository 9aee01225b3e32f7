"""Failures escaping a handler: the error box and how the program goes on.
Runs the test build of the program, whose operations fail on request."""

import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrum_e2e as k  # noqa: E402

PREVIEW_TEXT = "Preview wird aktualisiert..."


def box_parts(children):
    texts = [c.text for c in children if c.cls == "Static" and c.ctrl_id == k.MSGBOX_TEXT_ID]
    icons = [c for c in children if c.cls == "Static" and (c.style & k.SS_TYPEMASK) == k.SS_ICON]
    buttons = [c for c in children if c.cls == "Button" and c.visible]
    return texts, icons, buttons


def red_share(rect):
    """Share of clearly red pixels in a screen area (the stop icon is red)."""
    shot = k.screenshot_ppm()
    all_pixels = list(k.pixels(shot, rect))
    red = [p for p in all_pixels if p[0] > 150 and p[1] < 90 and p[2] < 90]
    return len(red) / max(len(all_pixels), 1)


class ErrorBoxTest(k.WineTestCase):
    def launch_fault(self, args, **env):
        return self.launch(args, exe=k.FAULT_HELPER, env=env)

    def test_failure_in_preview_shows_box_then_timer_ends_the_program(self):
        started = time.monotonic()
        proc = self.launch_fault(["/T", r"C:\Docs\Part1.sldprt"], KESTRUM_FAULT_MESSAGE="Datei fehlt")
        found = k.dialog(wait=20)
        self.assertIsNotNone(found, "no error box")
        box, children = found
        self.assertEqual(box.text, "Kestrumhelper")
        texts, icons, buttons = box_parts(children)
        self.assertEqual(texts, ["Datei fehlt."])
        self.assertEqual([b.text for b in buttons], ["OK"])
        self.assertEqual(len(icons), 1)
        self.assertGreater(red_share(icons[0].rect), 0.2, "the icon is not the stop icon")
        # The status text shown before the failure stays while the box is up.
        self.assertEqual(k.label_text(k.wait_status_window()), PREVIEW_TEXT)

        self.assertIsNotNone(k.dialog(wait=1, press=True))
        self.assertTrue(k.wait_for(lambda: k.dialog(wait=0) is None, timeout=10), "box not dismissed")
        window = k.wait_status_window(text=PREVIEW_TEXT)
        self.assertIsNotNone(window, "status window gone after the box")
        self.assertIsNone(proc.poll(), "ended before the close timer")
        # The close timer, enabled before the operation, ends the program.
        self.assertEqual(proc.wait(timeout=60), 0)
        elapsed = time.monotonic() - started
        self.assertGreater(elapsed, 35)
        self.assertLess(elapsed, 50)

    def test_box_text_follows_the_dot_rule(self):
        # "/O" shows no status text; after the box the window stays with an empty label.
        cases = [("Letter", "Datei fehlt", "Datei fehlt."),
                 ("FullStop", "Schon da.", "Schon da."),
                 ("Exclamation", "Abbruch!", "Abbruch!"),
                 ("Parenthesis", "Fehler (5)", "Fehler (5)"),
                 ("Umlaut", "Gr\u00f6\u00dfe", "Gr\u00f6\u00dfe.")]
        for name, message, shown in cases:
            with self.subTest(name):
                proc = self.launch_fault(["/O", r"C:\Tools\app.exe", r"C:\Docs\a.pdf"], KESTRUM_FAULT_MESSAGE=message)
                found = k.dialog(wait=20, press=True)
                self.assertIsNotNone(found, "no error box")
                texts, _, _ = box_parts(found[1])
                self.assertEqual(texts, [shown])
                window = k.wait_status_window()
                self.assertIsNotNone(window)
                self.assertEqual(k.label_text(window), "")
                k.stop(proc)
                k.wait_for(lambda: not k.leftovers(), timeout=10)

    def test_box_is_owned_by_the_active_window_or_the_application_window(self):
        # "/T" fails with its status text on screen: the status window is the
        # active one and owns the box, which stays above it (a topmost
        # owner's boxes are topmost too). "/O" fails before its window comes
        # on screen: nothing is active, the hidden application window owns it
        # and the box is made topmost.
        cases = [("StatusWindowActive", ["/T", r"C:\Docs\Part1.sldprt"], "TfrmMain"),
                 ("NothingActive", ["/O", r"C:\Tools\app.exe", r"C:\Docs\a.pdf"], "TApplication")]
        for name, args, owner_class in cases:
            with self.subTest(name):
                proc = self.launch_fault(args, KESTRUM_FAULT_MESSAGE="Datei fehlt")
                try:
                    self.assert_box_owner(owner_class)
                finally:
                    k.stop(proc)
                    k.wait_for(lambda: not k.leftovers(), timeout=10)

    def assert_box_owner(self, owner_class):
        """The error box up now is owned by the program's window of owner_class."""
        found = k.dialog(wait=20)
        self.assertIsNotNone(found, "no error box")
        box = found[0]
        owner = k.owner(box.hwnd)
        self.assertIsNotNone(owner, "the box has no owner")
        self.assertEqual((owner.cls, owner.pid), (owner_class, box.pid), owner)
        windows = k.top_windows()
        order = [w.hwnd for w in windows]
        status = [w for w in windows if w.cls == "TfrmMain" and w.pid == box.pid]
        self.assertEqual(len(status), 1, windows)
        if owner_class == "TfrmMain":
            self.assertEqual(owner.hwnd, status[0].hwnd)
            self.assertTrue(status[0].visible and status[0].exstyle & k.WS_EX_TOPMOST, status[0])
            self.assertLess(order.index(box.hwnd), order.index(status[0].hwnd), "box below the status window")
            self.assertTrue(box.exstyle & k.WS_EX_TOPMOST, "the box is not kept above topmost windows")
        else:
            self.assertFalse(owner.visible, owner)
            self.assertFalse(status[0].visible, "the status window was already on screen")
            # A hidden owner keeps nothing in sight: the box is topmost itself.
            self.assertTrue(box.exstyle & k.WS_EX_TOPMOST, "the box can open behind other windows")

    def test_silent_failure_shows_no_box(self):
        self.launch_fault(["/T", r"C:\Docs\Part1.sldprt"], KESTRUM_FAULT_KIND="abort")
        window = k.wait_status_window(text=PREVIEW_TEXT)
        self.assertIsNotNone(window)
        self.assertIsNone(k.dialog(wait=3))

    def test_failure_outside_the_handlers_ends_with_application_error_and_exit_code_1(self):
        # The application's set-up fails (its window class is taken): no
        # handler runs, the program entry reports it and ends with 1.
        proc = self.launch_fault(["/T", r"C:\Docs\Part1.sldprt"], KESTRUM_FAULT_KIND="setup")
        try:
            found = k.dialog(wait=20)
            self.assertIsNotNone(found, "no box; exit code %r" % proc.poll())
            box, children = found
            self.assertEqual(box.text, "Anwendungsfehler")
            texts, icons, buttons = box_parts(children)
            self.assertEqual(len(texts), 1, children)
            self.assertIsNotNone(re.fullmatch(r"Exception EOSError in Modul KestrumHelper\.exe bei 0{16}\.\r\n"
                                              r"Systemfehler\.  Code: 1410\.\r\n[^\r\n]+", texts[0], re.S), texts[0])
            self.assertEqual([b.text for b in buttons], ["OK"])
            self.assertEqual(len(icons), 1)
            self.assertTrue(box.exstyle & k.WS_EX_TOPMOST, "the box can open behind other windows")
            self.assertIsNone(k.wait_status_window(timeout=1), "a status window came")
            self.assertIsNone(proc.poll(), "ended before the box was answered")
            self.assertIsNotNone(k.dialog(wait=1, press=True))
            self.assertEqual(proc.wait(timeout=30), 1)
        finally:
            k.stop(proc)


if __name__ == "__main__":
    k.main()
