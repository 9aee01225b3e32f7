""""/P" end to end: stand-in documents made with dmfixture, property files in
code page 1252, the result text read from the status window, the document's
properties read back with "dmfixture props", and the failures with their
error boxes. Needs a prefix with the stand-in Document Manager 28."""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrum_e2e as k  # noqa: E402

WORKING_TEXT = "Properties werden aktualisiert..."
TEXT, NUMBER, DATE, YES_NO = 30, 3, 64, 11


class PropertyTestCase(k.WineTestCase):
    def setUp(self):
        super().setUp()
        self.folder = self.temp_folder("kestrum-properties-")

    def path(self, name):
        return os.path.join(self.folder, name)

    def document(self, name, props=()):
        """A stand-in document in the test folder with the (name, type, value) properties."""
        return k.make_document(self.path(name), props=props)

    def props(self, document):
        result = k.tool([os.path.join(k.BIN, "dmfixture.exe"), "props", k.windows_path(document)], timeout=60)
        self.assertEqual(result.returncode, 0, result.stderr.decode("utf-8", "replace"))
        rows = []
        for line in result.stdout.decode("utf-8").split("\n")[:-1]:
            name, prop_type, value = line.split("\t")
            rows.append((name, int(prop_type), value))
        return rows

    def property_file(self, data, name="props.txt"):
        k.write(self.path(name), data)
        return self.path(name)

    def assert_result(self, proc, started, watch, text):
        """The result text comes up (watch: the LabelWatch for it, started
        before the program), and the program ends 1.5 s later."""
        self.assertIsNotNone(watch.shown(), "result text %r not shown" % text)
        self.assertIsNone(k.dialog(wait=0), "an error box came up")
        self.assert_result_lasted(watch.seconds_to_end())
        self.assertEqual(proc.wait(timeout=30), 0)
        self.assertLess(time.monotonic() - started, 30)

    def update(self, document, prop_file, text, fault=None, calls=None):
        env = {"KESTRUM_DOCMGR_FAULT": fault} if fault else {}
        if calls:
            calls.clear()
            env.update(calls.env())
        started = time.monotonic()
        watch = self.watch_label(text)
        proc = self.launch(["/P", k.windows_path(document), k.windows_path(prop_file)], env=env)
        self.assert_result(proc, started, watch, text)

    def update_failing(self, document, prop_file, fault=None, calls=None):
        """Runs "/P" where it fails: the error box's text; the status text stays
        and no result comes up. The box is pressed and the program ended."""
        env = {"KESTRUM_DOCMGR_FAULT": fault} if fault else {}
        if calls:
            calls.clear()
            env.update(calls.env())
        proc = self.launch(["/P", k.windows_path(document), k.windows_path(prop_file)], env=env)
        self.assertIsNotNone(k.wait_status_window(text=WORKING_TEXT, timeout=30), "no status window")
        found = k.dialog(wait=30)
        self.assertIsNotNone(found, "no error box")
        self.assertEqual(k.label_text(k.wait_status_window()), WORKING_TEXT)
        self.assertIsNotNone(k.dialog(wait=1, press=True))
        self.assertTrue(k.wait_for(lambda: k.dialog(wait=0) is None, timeout=10), "box not dismissed")
        self.assertEqual(k.label_text(k.wait_status_window()), WORKING_TEXT)
        self.assertIsNone(proc.poll(), "ended before the close timer")
        k.stop(proc)
        k.wait_for(lambda: not k.leftovers(), timeout=10)
        return k.box_text(found)


class PropertyUpdateTest(PropertyTestCase):
    def test_two_new_and_none_updated(self):
        document = self.document("Teil1.SLDPRT", [("Material", TEXT, "Stahl")])
        prop_file = self.property_file(b"Farbe\r\nrot\r\nGewicht\r\n12\r\n")
        self.update(document, prop_file, "2 Properties neu angelegt...\rkeine Properties aktualisiert...")
        self.assertEqual(self.props(document),
                         [("Material", TEXT, "Stahl"), ("Farbe", TEXT, "rot"), ("Gewicht", TEXT, "12")])
        self.assertEqual(k.read(prop_file), b"Farbe\r\nrot\r\nGewicht\r\n12\r\n")

    def test_calls_count_deletes_adds_save_close(self):
        # One existing name and one new one: the count, a delete for each
        # pair, an add for each pair, the save and the close; no other slot.
        document = self.document("Welle.sldprt", [("Material", TEXT, "Stahl")])
        calls = k.DocmgrCalls(self.folder)
        self.update(document, self.property_file(b"Material\r\nAlu\r\nFarbe\r\nrot\r\n"),
                    " ein Propertie neu angelegt...\r ein Propertie aktualisiert...", calls=calls)
        self.assertEqual(calls.calls(), k.opened(12, 11, 11, 8, 8, 33, 15))
        self.assertEqual(self.props(document), [("Material", TEXT, "Alu"), ("Farbe", TEXT, "rot")])

    def test_refused_add_of_an_existing_property_keeps_the_document(self):
        # "Material" is deleted, and its add is refused: the document is
        # closed without a save, so the old value stays on disk.
        document = self.document("Flansch.sldprt", [("Material", TEXT, "Alu"), ("Farbe", TEXT, "rot")])
        stored = k.read(document)
        calls = k.DocmgrCalls(self.folder)
        text = self.update_failing(document, self.property_file(b"Material\r\nStahl\r\n"), fault="add",
                                   calls=calls)
        self.assertEqual(text, 'Dokument "%s" wird nicht gespeichert: Property "Material" kann nicht angelegt werden.'
                         % k.windows_path(document))
        self.assertEqual(calls.calls(), k.opened(12, 11, 8, 15))
        self.assertEqual(k.read(document), stored, "the document was changed")

    def test_one_new_and_three_updated(self):
        # Names match without case; the number becomes text; umlauts come in
        # code page 1252; the date and the yes/no property are not listed.
        document = self.document("Baugruppe.sldasm", [
            ("Benennung", TEXT, "Welle"), ("Masse", NUMBER, "12.5"), ("Datum", DATE, "2024-05-01"),
            ("Lieferant", TEXT, "Meier"), ("Gepr\u00fcft", YES_NO, "Yes")])
        prop_file = self.property_file(
            b"benennung\nNabe\nMasse\n13,0 kg\nLIEFERANT\nM\xfcller & S\xf6hne\nOberfl\xe4che\nverzinkt\n")
        self.update(document, prop_file, " ein Propertie neu angelegt...\r3 Properties aktualisiert...")
        self.assertEqual(self.props(document), [
            ("Datum", DATE, "2024-05-01"), ("Gepr\u00fcft", YES_NO, "Yes"), ("benennung", TEXT, "Nabe"),
            ("Masse", TEXT, "13,0 kg"), ("LIEFERANT", TEXT, "M\u00fcller & S\u00f6hne"),
            ("Oberfl\u00e4che", TEXT, "verzinkt")])

    def test_property_file_from_standard_input(self):
        document = self.document("Zeichnung.slddrw", [("Farbe", TEXT, "gr\u00fcn")])
        text = " ein Propertie neu angelegt...\r ein Propertie aktualisiert..."
        started = time.monotonic()
        watch = self.watch_label(text)
        full_env = dict(os.environ)
        full_env.pop("KESTRUM_DOCMGR_FAULT", None)
        # No third argument: the property file is standard input.
        proc = subprocess.Popen([k.WINE, k.HELPER, "/P", k.windows_path(document)], stdin=subprocess.PIPE,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=full_env)
        self.procs.append(proc)
        proc.stdin.write(b"FARBE\r\nblau\r\nStra\xdfe\r\nHauptstra\xdfe 1\r\n")
        proc.stdin.close()
        self.assert_result(proc, started, watch, text)
        self.assertEqual(self.props(document),
                         [("FARBE", TEXT, "blau"), ("Stra\u00dfe", TEXT, "Hauptstra\u00dfe 1")])

    def test_missing_property_file_shows_io_error_and_timer_ends(self):
        document = self.document("Teil2.sldprt", [("Farbe", TEXT, "rot")])
        stored = k.read(document)
        started = time.monotonic()
        proc = self.launch(["/P", k.windows_path(document), k.windows_path(self.path("fehlt.txt"))])
        self.assertIsNotNone(k.wait_status_window(text=WORKING_TEXT, timeout=30), "no status window")
        found = k.dialog(wait=30)
        self.assertIsNotNone(found, "no error box")
        self.assertEqual(k.box_text(found), "E/A-Fehler 104.")
        self.assertEqual(k.label_text(k.wait_status_window()), WORKING_TEXT)
        self.assertIsNotNone(k.dialog(wait=1, press=True))
        self.assertEqual(proc.wait(timeout=60), 0)
        elapsed = time.monotonic() - started
        self.assertGreater(elapsed, 35)
        self.assertLess(elapsed, 50)
        self.assertEqual(k.read(document), stored, "the document was changed")

    def test_failed_save_is_an_error_not_a_success(self):
        document = self.document("Teil3.sldprt", [("Farbe", TEXT, "rot")])
        stored = k.read(document)
        text = self.update_failing(document, self.property_file(b"Farbe\nblau\nNeu\n1\n"), fault="save")
        self.assertEqual(text, 'Dokument "%s" kann nicht gespeichert werden. Fehlercode: 2.' % k.windows_path(document))
        self.assertEqual(k.read(document), stored, "the document was changed")

    def test_document_not_open_for_writing_is_an_error(self):
        # Read-only, or held open for writing by another program.
        cases = [("ReadOnly", "Teil4.sldprt"), ("HeldByAnotherWriter", "Teil5.sldprt")]
        for name, file_name in cases:
            with self.subTest(name):
                document = self.document(file_name, [("Farbe", TEXT, "rot")])
                stored = k.read(document)
                prop_file = self.property_file(b"Farbe\nblau\n")
                holder = None
                if name == "ReadOnly":
                    os.chmod(document, 0o444)
                    self.addCleanup(os.chmod, document, 0o644)
                else:
                    holder = subprocess.Popen([k.WINE, os.path.join(k.BIN, "holdfile.exe"), k.windows_path(document)],
                                              stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                              stderr=subprocess.DEVNULL)
                    self.assertTrue(holder.stdout.readline().startswith(b"held"), "holdfile did not start")
                try:
                    text = self.update_failing(document, prop_file)
                finally:
                    if holder:
                        holder.stdin.close()
                        holder.wait(timeout=30)
                        holder.stdout.close()
                self.assertEqual(text, 'Dokument "%s" kann nicht ge\u00f6ffnet werden. Fehlercode: 4.'
                                 % k.windows_path(document))
                self.assertEqual(k.read(document), stored, "the document was changed")


class WithoutDocumentManagerTest(PropertyTestCase):
    """No Document Manager at its fixed path: nothing is read or written."""

    def setUp(self):
        super().setUp()
        k.set_docmgr("absent")
        self.addCleanup(k.set_docmgr, "28")

    def test_neither_file_is_touched(self):
        document = self.document("Teil6.sldprt", [("Farbe", TEXT, "rot")])
        stored = k.read(document)
        # A property file that is not there: reading it would bring up an error box.
        text = " keine neue Properties angelegt...\rkeine Properties aktualisiert..."
        started = time.monotonic()
        watch = self.watch_label(text)
        proc = self.launch(["/P", k.windows_path(document), k.windows_path(self.path("fehlt.txt"))])
        self.assert_result(proc, started, watch, text)
        self.assertEqual(k.read(document), stored, "the document was changed")
        self.assertFalse(os.path.exists(self.path("fehlt.txt")))


if __name__ == "__main__":
    k.main()
