""""/T" end to end: stand-in documents made with dmfixture, the preview file
beside them decoded with the system's libjpeg, and the failures with their
error boxes. Needs a prefix with the stand-in Document Manager 28."""

import collections
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrum_e2e as k  # noqa: E402
import preview_images as img  # noqa: E402

JFIF_START = bytes.fromhex("FFD8FFE000104A46494600010100000100010000")
# Colour tolerance after JPEG's chroma subsampling, away from the edges.
TOLERANCE = 40


class PreviewTest(k.WineTestCase):
    def setUp(self):
        super().setUp()
        self.folder = self.temp_folder("kestrum-preview-")

    def path(self, name):
        return os.path.join(self.folder, name)

    def document(self, name, preview=None, png_preview=None):
        """A stand-in document in the test folder, with the preview picture's
        bytes stored, and a PNG preview's where given."""
        return k.make_document(self.path(name), preview, png_preview=png_preview)

    def extract(self, document, fault=None, calls=None):
        """Runs "/T" to its end; it ends by itself at once when nothing fails.
        With calls (a DocmgrCalls), the stand-in records the slots called."""
        env = dict(os.environ)
        env.pop("KESTRUM_DOCMGR_FAULT", None)
        if fault:
            env["KESTRUM_DOCMGR_FAULT"] = fault
        if calls:
            calls.clear()
            env.update(calls.env())
        started = time.monotonic()
        result = k.wine([k.HELPER, "/T", k.windows_path(document)], timeout=60, env=env)
        self.assertEqual(result.returncode, 0)
        self.assertLess(time.monotonic() - started, 30, "the program did not end at once")
        self.assertIsNone(k.dialog(wait=0), "an error box is left")

    def extract_failing(self, document, fault=None, calls=None):
        """Runs "/T" where it fails; the text of its error box (which is pressed)."""
        env = {"KESTRUM_DOCMGR_FAULT": fault} if fault else {}
        if calls:
            calls.clear()
            env.update(calls.env())
        proc = self.launch(["/T", k.windows_path(document)], env=env)
        found = k.dialog(wait=30, press=True)
        self.assertIsNotNone(found, "no error box")
        k.stop(proc)
        k.wait_for(lambda: not k.leftovers(), timeout=10)
        return k.box_text(found)

    def assert_quarters(self, image, quarters=img.QUARTERS):
        width, height, _ = image
        for (x, y), colour in zip([(width // 4, height // 4), (3 * width // 4, height // 4),
                                   (width // 4, 3 * height // 4), (3 * width // 4, 3 * height // 4)], quarters):
            self.assertTrue(img.near(img.pixel(image, x, y), colour, TOLERANCE),
                            "pixel %d,%d is %r, not %r" % (x, y, img.pixel(image, x, y), colour))

    def test_bitmap_preview_becomes_jpeg_of_96_by_48_pixels(self):
        # 96 x 48 pixels at the prefix's 96 DPI: the picture is 2540 x 1270 in 0.01 mm.
        document = self.document("Teil1.SLDPRT", img.bmp(96, 48))
        stored = k.read(document)
        calls = k.DocmgrCalls(self.folder)
        self.extract(document, calls=calls)
        # The preview, then the document is closed; no other slot.
        self.assertEqual(calls.calls(), k.opened(57, 15))
        preview = self.path("Teil1.sldprtKS")
        data = k.read(preview)
        self.assertEqual(data[:20], JFIF_START)
        self.assertIn(b"\xff\xc0", data)
        self.assertNotIn(b"\xff\xc2", data[:data.index(b"\xff\xda")])
        image = img.decode_jpeg(preview)
        self.assertEqual(image[:2], (96, 48))
        self.assert_quarters(image)
        self.assertEqual(k.read(document), stored, "the document was changed")

    def test_metafile_preview_is_played_into_the_bitmap(self):
        document = self.document("Baugruppe.SldAsm", img.emf(2540, 1270))
        self.extract(document)
        image = img.decode_jpeg(self.path("Baugruppe.sldasmKS"))
        self.assertEqual(image[:2], (96, 48))
        self.assert_quarters(image)

    def test_no_picture_gives_an_empty_file(self):
        # Neither the preview nor the PNG preview gives a picture.
        cases = [("NoPreviewStored", None), ("PreviewCallFails", "preview")]
        calls = k.DocmgrCalls(self.folder)
        for name, fault in cases:
            with self.subTest(name):
                document = self.document(name + ".slddrw", None if fault is None else img.bmp(16, 16))
                preview = self.path(name + ".slddrwKS")
                k.write(preview, b"old preview" * 100)
                self.extract(document, fault, calls)
                self.assertEqual(os.path.getsize(preview), 0)
                self.assertEqual(calls.calls(), k.opened(57, 59, 15))

    def test_png_only_preview_becomes_jpeg(self):
        document = self.document("Blech.sldprt", png_preview=img.png(64, 32))
        calls = k.DocmgrCalls(self.folder)
        self.extract(document, calls=calls)
        preview = self.path("Blech.sldprtKS")
        self.assertEqual(k.read(preview)[:20], JFIF_START)
        image = img.decode_jpeg(preview)
        self.assertEqual(image[:2], (64, 32))
        self.assert_quarters(image)
        self.assertEqual(calls.calls(), k.opened(57, 59, 15))

    def test_png_preview_with_alpha_lies_over_white(self):
        # Transparent pixels of the PNG preview come out white, opaque ones
        # keep their colour; a 32-bit picture whose alpha bytes are all 0 (the
        # stand-in gives one for a PNG without alpha) carries no alpha and
        # stays green; the bitmap preview is drawn as it is, alpha or not, so
        # its transparent black stays black.
        Case = collections.namedtuple("Case", "name preview png_preview left right")
        transparent, opaque_green = (0, 0, 0, 0), (0, 255, 0, 255)
        cases = [Case("HalfTransparentPng", None, img.png_rgba(64, 32, transparent, opaque_green),
                      img.WHITE, img.GREEN),
                 Case("OpaqueGreenPngAlphaZero", None, img.png(64, 32, (img.GREEN,) * 4), img.GREEN, img.GREEN),
                 Case("HalfTransparentBitmap", img.bmp32(64, 32, transparent, opaque_green), None,
                      (0, 0, 0), img.GREEN)]
        for case in cases:
            with self.subTest(case.name):
                document = self.document(case.name + ".sldprt", case.preview, png_preview=case.png_preview)
                self.extract(document)
                image = img.decode_jpeg(self.path(case.name + ".sldprtKS"))
                self.assertEqual(image[:2], (64, 32))
                for x, colour in ((4, case.left), (16, case.left), (48, case.right), (60, case.right)):
                    for y in (4, 16, 28):
                        self.assertTrue(img.near(img.pixel(image, x, y), colour, TOLERANCE),
                                        "pixel %d,%d is %r, not %r" % (x, y, img.pixel(image, x, y), colour))

    def test_png_preview_with_alpha_is_read_however_the_library_hands_it_over(self):
        # Quarters: grey 160 at half coverage, opaque blue, transparent, opaque
        # green. Over white the grey comes out 160 * 128 / 255 + 127 = 207
        # whether the library hands its colour over premultiplied or straight
        # (straight colour taken for premultiplied would come out 255), its
        # rows top or bottom row first in memory (upside down, blue would lie
        # bottom right), or its bitmap selected into a device context of its own.
        Case = collections.namedtuple("Case", "name fault")
        cases = [Case("Premultiplied", None), Case("Straight", "png-straight"), Case("BottomUp", "png-bottomup"),
                 Case("StraightBottomUp", "png-straight,png-bottomup"), Case("SelectedByTheLibrary", "png-selected")]
        png = img.png_rgba_quarters(64, 32, [(160, 160, 160, 128), (0, 0, 255, 255), (0, 0, 0, 0), (0, 255, 0, 255)])
        expected = [(207, 207, 207), img.BLUE, img.WHITE, img.GREEN]
        for case in cases:
            with self.subTest(case.name):
                document = self.document(case.name + ".sldprt", png_preview=png)
                self.extract(document, case.fault)
                image = img.decode_jpeg(self.path(case.name + ".sldprtKS"))
                self.assertEqual(image[:2], (64, 32))
                # Away from the quarters' edges, which lie on the JPEG's blocks.
                for index, colour in enumerate(expected):
                    xs = (36, 48, 60) if index % 2 else (4, 16, 28)
                    ys = (18, 24, 30) if index >= 2 else (2, 8, 14)
                    for x in xs:
                        for y in ys:
                            self.assertTrue(img.near(img.pixel(image, x, y), colour, 12),
                                            "pixel %d,%d is %r, not %r" % (x, y, img.pixel(image, x, y), colour))

    def test_bitmap_preview_is_taken_before_the_png_preview(self):
        document = self.document("Beide.sldprt", img.bmp(40, 40, (img.RED,) * 4), png_preview=img.png(64, 32))
        self.extract(document)
        image = img.decode_jpeg(self.path("Beide.sldprtKS"))
        self.assertEqual(image[:2], (40, 40))
        self.assert_quarters(image, (img.RED,) * 4)

    def test_document_held_by_another_writer_is_read(self):
        # The document is opened for reading only: another program that holds
        # it open for writing (and lets others read) does not stop the preview.
        document = self.document("Offen.sldprt", img.bmp(96, 48))
        stored = k.read(document)
        holder = subprocess.Popen([k.WINE, os.path.join(k.BIN, "holdfile.exe"), k.windows_path(document)],
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        try:
            self.assertTrue(holder.stdout.readline().startswith(b"held"), "holdfile did not start")
            self.extract(document)
        finally:
            holder.stdin.close()
            holder.wait(timeout=30)
            holder.stdout.close()
        self.assertEqual(img.decode_jpeg(self.path("Offen.sldprtKS"))[:2], (96, 48))
        self.assertEqual(k.read(document), stored, "the document was changed")

    def test_picture_without_type_gives_white_jpeg_of_its_size(self):
        document = self.document("Leer.sldprt", img.bmp(96, 48))
        self.extract(document, "emptypicture")
        width, height, data = img.decode_jpeg(self.path("Leer.sldprtKS"))
        self.assertEqual((width, height), (96, 48))
        self.assertTrue(all(v >= 250 for v in data), "not all white")

    def test_existing_preview_is_replaced(self):
        document = self.document("Teil2.sldprt", img.bmp(40, 40, (img.RED,) * 4))
        preview = self.path("Teil2.sldprtKS")
        k.write(preview, b"\xa5" * 200000)
        self.extract(document)
        data = k.read(preview)
        self.assertLess(len(data), 200000)
        self.assertEqual(data[:20], JFIF_START)
        self.assertEqual(data[-2:], b"\xff\xd9")
        image = img.decode_jpeg(preview)
        self.assertEqual(image[:2], (40, 40))
        self.assert_quarters(image, (img.RED,) * 4)

    def test_unopened_document_is_reported_and_nothing_is_written(self):
        document = self.document("Teil4.sldprt", img.bmp(32, 32))
        missing = self.path("Fehlt.sldprt")
        not_opened = 'Dokument "%s" kann nicht ge\u00f6ffnet werden. ' % k.windows_path(document)

        def licence_refused(text):
            # The platform's text for CLASS_E_NOTLICENSED, or the OLE error text; no open error code.
            return text.startswith(not_opened) and len(text) > len(not_opened) + 1 and "Fehlercode" not in text

        # Name, document, fault, expected box text (or a test of it), the calls
        # made: a document that was opened is closed again on every path.
        cases = [("MissingDocument", missing, None, 'Dokument "%s" kann nicht ge\u00f6ffnet werden. Fehlercode: 3.'
                  % k.windows_path(missing), k.opened()),
                 ("LicenceRefused", document, "license", licence_refused, [("ClassFactory", 0)]),
                 ("NoApplicationObject", document, "application", not_opened + "Fehlercode: 1.", [("ClassFactory", 0)]),
                 ("NoDocumentObject", document, "document", not_opened + "Fehlercode: 1.", k.opened()),
                 ("NoRevision10", document, "revision10", "Interface nicht unterst\u00fctzt.", k.opened(15)),
                 ("PreviewIsNoPicture", document, "notpicture", "Interface nicht unterst\u00fctzt.", k.opened(57, 15))]
        old = b"old preview"
        k.write(self.path("Teil4.sldprtKS"), old)
        calls = k.DocmgrCalls(self.folder)
        for name, path, fault, expected, expected_calls in cases:
            with self.subTest(name):
                text = self.extract_failing(path, fault, calls)
                if callable(expected):
                    self.assertTrue(expected(text), text)
                else:
                    self.assertEqual(text, expected)
                self.assertEqual(calls.calls(), expected_calls)
                self.assertFalse(os.path.exists(self.path("Fehlt.sldprtKS")))
                self.assertEqual(k.read(self.path("Teil4.sldprtKS")), old)

    def test_without_document_manager_nothing_is_created(self):
        document = self.document("Teil5.sldprt", img.bmp(32, 32))
        k.set_docmgr("absent")
        self.addCleanup(k.set_docmgr, "28")
        self.extract(document)
        self.assertFalse(os.path.exists(self.path("Teil5.sldprtKS")))


if __name__ == "__main__":
    k.main()
