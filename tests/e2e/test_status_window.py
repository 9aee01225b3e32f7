"""The status window and the command dispatch, end to end under Wine."""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrum_e2e as k  # noqa: E402

REFERENCE_TEXT = "Referenz wird ge\u00e4ndert..."
MAIN_TITLE = "Projekt - KesTrum 2024"


def expected_origin(rect):
    """Placement rule with division truncating toward zero (Python // floors)."""
    left, top, right, bottom = rect
    return (left + int((right - left) / 2) - 150, top + int((bottom - top) / 2) - 35)


class StatusWindowTest(k.WineTestCase):
    def assert_status_window_at(self, window, origin, size=(300, 70)):
        self.assertEqual((window.rect[0], window.rect[1]), origin, window)
        self.assertEqual(window.size, size, window)

    def assert_text_lines_painted(self, bands, lines):
        """The label's text is on screen: bands (k.text_bands of the label's
        area) hold one band of glyph height for each line."""
        self.assertEqual(len(bands), lines, "bands of text on screen: %r" % bands)
        for first, last in bands:
            self.assertGreaterEqual(last - first + 1, 8, "not a line of text: %r" % bands)

    def assert_form_never_shown(self, args):
        """The program ends by itself at once with exit code 0; its form, made
        before the show handler runs, is never asked onto the screen."""
        folder = self.temp_folder("kestrum-record-")
        started = time.monotonic()
        forms, code = k.run_recorded(args, folder)
        self.assertEqual(code, 0)
        self.assertLess(time.monotonic() - started, 20)
        self.assertEqual(forms, ["created"])

    def test_record_sees_a_form_that_comes_on_screen(self):
        # The counterpart of the cases below: "/T" without a Document Manager
        # shows its status text and ends at once.
        k.set_docmgr("absent")
        self.addCleanup(k.set_docmgr, "28")
        folder = self.temp_folder("kestrum-record-")
        forms, code = k.run_recorded(["/T", r"C:\Docs\Part1.sldprt"], folder)
        self.assertEqual(code, 0)
        self.assertEqual(forms, ["shown"])

    def test_no_arguments_ends_at_once_without_showing_the_form(self):
        self.assert_form_never_shown([])

    def test_lower_case_switch_leaves_an_empty_window(self):
        proc = self.launch(["/t", r"C:\Docs\Part1.sldprt"])
        window = k.wait_status_window()
        self.assertIsNotNone(window, "no status window")
        self.assertEqual(window.text, "Kestrum")
        self.assertEqual(k.label_text(window), "")
        time.sleep(2)
        self.assertIsNone(proc.poll(), "the program ended although no switch matched")

    def test_notice_over_the_main_product_window(self):
        self.main_window(MAIN_TITLE, (100, 50, 800, 600))
        started = time.monotonic()
        proc = self.launch(["/R"])
        window = k.wait_status_window(text=REFERENCE_TEXT)
        self.assertIsNotNone(window, "no status window with the notice")
        self.assertEqual(window.text, "Kestrum")
        self.assertTrue(window.exstyle & k.WS_EX_TOPMOST, "not topmost")
        self.assertTrue(window.exstyle & k.WS_EX_APPWINDOW, "not on the task bar")
        self.assertFalse(window.style & (k.WS_CAPTION | k.WS_BORDER | k.WS_THICKFRAME | k.WS_DLGFRAME),
                         "has a border or title bar")
        self.assert_status_window_at(window, expected_origin((100, 50, 900, 650)))
        children = k.child_windows(window.hwnd)
        label = [c for c in children if c.cls == "TLabel"][0]
        self.assertEqual(label.rect, (window.rect[0] + 2, window.rect[1] + 2,
                                      window.rect[2] - 2, window.rect[3] - 2))
        shot = k.screenshot_ppm()
        bands = k.text_bands(shot, label.rect)
        self.assert_text_lines_painted(bands, 1)
        self.assert_text_centred(shot, label.rect, bands, [REFERENCE_TEXT])
        # Ends by itself 36 s after the notice came up.
        code = proc.wait(timeout=60)
        elapsed = time.monotonic() - started
        self.assertEqual(code, 0)
        self.assertGreater(elapsed, 35)
        self.assertLess(elapsed, 50)

    def test_notice_on_the_work_area_without_a_main_window(self):
        self.launch(["/R"])
        window = k.wait_status_window(text=REFERENCE_TEXT)
        self.assertIsNotNone(window)
        # Xvfb screen of 1280 x 1024 without a task bar: the work area is the screen.
        self.assert_status_window_at(window, expected_origin((0, 0, 1280, 1024)))

    def test_hidden_window_higher_in_z_order_wins(self):
        self.main_window(MAIN_TITLE, (100, 50, 800, 600))
        self.main_window("Zweites Fenster - KesTrum", (-700, 300, 501, 301), hidden=True)
        self.launch(["/R"])
        window = k.wait_status_window(text=REFERENCE_TEXT)
        self.assertIsNotNone(window)
        self.assert_status_window_at(window, expected_origin((-700, 300, -199, 601)))

    def test_title_with_lower_case_t_does_not_match(self):
        self.main_window("Projekt - Kestrum 2024", (100, 50, 800, 600))
        self.launch(["/R"])
        window = k.wait_status_window(text=REFERENCE_TEXT)
        self.assertIsNotNone(window)
        self.assert_status_window_at(window, expected_origin((0, 0, 1280, 1024)))

    def assert_text_centred(self, shot, rect, bands, lines):
        """The text in the area rect (the label) is centred: each band of text
        (k.text_bands) horizontally, and the bands together vertically. lines
        are the texts of the bands. The ink of the glyphs is measured, not
        their cells, so the margins may differ by a few pixels; a leading
        blank is part of its line's cell, so it moves the ink right by its
        width (4 pixels at 96 DPI)."""
        self.assertEqual(len(bands), len(lines))
        left, top, right, bottom = rect
        for (first, last), line in zip(bands, lines):
            columns = k.text_columns(shot, (left, first, right, last + 1))
            self.assertIsNotNone(columns)
            margins = (columns[0] - left, right - 1 - columns[1])
            blank = 6 if line.startswith(" ") else 0
            self.assertTrue(-3 <= margins[0] - margins[1] <= 3 + blank,
                            "%r not centred: left and right margins %r" % (line, margins))
        margins = (bands[0][0] - top, bottom - 1 - bands[-1][1])
        self.assertLessEqual(abs(margins[0] - margins[1]), 4,
                             "text not centred vertically: top and bottom margins %r" % (margins,))

    def test_property_result_shows_two_lines_then_ends(self):
        # The two lines are painted, one band of text each, each centred and
        # the pair centred vertically, and stay on screen 1.5 s before the
        # program ends (k.RESULT_SECONDS).
        cases = [
            ("2,0", "2 Properties neu angelegt...\rkeine Properties aktualisiert..."),
            ("1,3", " ein Propertie neu angelegt...\r3 Properties aktualisiert..."),
        ]
        for counts, text in cases:
            with self.subTest(counts=counts):
                started = time.monotonic()
                watch = self.watch_label(text)
                proc = self.launch(["/P", r"C:\Docs\Part1.sldprt", r"C:\Docs\props.txt"], exe=k.FAULT_HELPER,
                                   env={"KESTRUM_FAULT_COUNTS": counts})
                label = watch.shown()
                self.assertIsNotNone(label, "result text not shown")
                shot = k.screenshot_ppm()
                bands = k.text_bands(shot, label.rect)
                if counts == "1,3" and k.ARTIFACTS:
                    left, top, right, bottom = label.rect
                    k.save_png((left - 2, top - 2, right + 2, bottom + 2),
                               os.path.join(k.ARTIFACTS, "status-window-two-lines.png"), shot)
                self.assert_text_lines_painted(bands, 2)
                self.assert_text_centred(shot, label.rect, bands, text.split("\r"))
                self.assert_result_lasted(watch.seconds_to_end())
                self.assertEqual(proc.wait(timeout=30), 0)
                self.assertLess(time.monotonic() - started, 20)

    def test_open_switch_ends_at_once_without_showing_the_form(self):
        # A program that cannot be started: nothing to wait for, the form closes.
        self.assert_form_never_shown(["/O", r"C:\Nowhere\app.exe", r"C:\Docs\a.pdf"])
        self.assertIsNone(k.dialog(wait=0))


class HighDpiTest(k.WineTestCase):
    """144 DPI scales the window, not the placement offsets."""

    def setUp(self):
        super().setUp()
        self.set_dpi(144)

    def tearDown(self):
        super().tearDown()
        self.set_dpi(96)

    @staticmethod
    def set_dpi(dpi):
        prefix_dir = os.path.dirname(os.environ["WINEPREFIX"])
        subprocess.run([os.path.join(k.SOURCE, "tests", "e2e", "prefix.sh"), "dpi", prefix_dir, str(dpi)],
                       check=True, timeout=180)

    def test_window_scales_to_450_by_105(self):
        self.main_window(MAIN_TITLE, (100, 50, 800, 600))
        self.launch(["/R"])
        window = k.wait_status_window(text=REFERENCE_TEXT)
        self.assertIsNotNone(window)
        self.assertEqual(window.size, (450, 105))
        self.assertEqual((window.rect[0], window.rect[1]), expected_origin((100, 50, 900, 650)))
        label = [c for c in k.child_windows(window.hwnd) if c.cls == "TLabel"][0]
        self.assertEqual(label.rect, (window.rect[0] + 3, window.rect[1] + 3,
                                      window.rect[2] - 3, window.rect[3] - 3))


if __name__ == "__main__":
    k.main()
