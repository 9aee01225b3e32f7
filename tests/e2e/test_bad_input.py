"""Bad input and faults end to end: the real program against the stand-in
Document Manager with huge, odd and unreadable property files, awkward paths,
extreme preview pictures, the stand-in's refusals at every step and a full
disk. Every case checks three things: the program reports the failure in its
error box or does its work; it ends by itself with exit code 0; and on every
failure before the document is saved or the preview file is written, the
document's bytes and an existing preview file's bytes stay as they were
(except that a picture of which no JPEG can be made leaves the preview
emptied).

A failing run keeps its window until its 36-second close timer ends it. The
failing cases of a test therefore run first; their boxes are pressed and the
programs left running, the cases that succeed run meanwhile, and the test
then checks that every failed run ended by its timer. Needs a prefix with the
stand-in Document Manager 28; the big inputs are made in a temporary folder."""

import codecs
import os
import random
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kestrum_e2e as k  # noqa: E402
import preview_images as img  # noqa: E402

windows_path, read, write, box_text = k.windows_path, k.read, k.write, k.box_text
TEXT, NUMBER, DATE = 30, 3, 64  # custom property types
PROPERTIES_TEXT = "Properties werden aktualisiert..."
PREVIEW_TEXT = "Preview wird aktualisiert..."
FAULT_VARIABLE = "KESTRUM_DOCMGR_FAULT"
INTERFACE_TEXT = "Interface nicht unterst\u00fctzt."
JFIF_START = bytes.fromhex("FFD8FFE000104A46494600010100000100010000")
MB = 1 << 20

# The test screen of tests/e2e/prefix.sh: 1280 x 1024 pixels at 96 DPI,
# which Wine reports in whole millimetres. A picture's extent in 0.01 mm
# becomes extent * pixels / (millimetres * 100) screen pixels.
SCREEN_PIXELS = (1280, 1024)
SCREEN_MM = tuple(round(p * 25.4 / 96) for p in SCREEN_PIXELS)


def himetric(pixels, axis):
    """The extent in 0.01 mm that the screen maps to exactly this many pixels."""
    return round(pixels * SCREEN_MM[axis] * 100 / SCREEN_PIXELS[axis])


def metafile(width, height, quarters=img.QUARTERS):
    """A metafile picture of width x height screen pixels (its frame is one
    unit smaller than the size given to img.emf)."""
    return img.emf(himetric(width, 0) + 1, himetric(height, 1) + 1, quarters)


def result_text(new, updated):
    """The two-line result of "/P"."""
    first = {0: " keine neue Properties angelegt...", 1: " ein Propertie neu angelegt..."}.get(
        new, "%d Properties neu angelegt..." % new)
    second = {0: "keine Properties aktualisiert...", 1: " ein Propertie aktualisiert..."}.get(
        updated, "%d Properties aktualisiert..." % updated)
    return first + "\r" + second


NOTHING_WRITTEN = result_text(0, 0)


def props_listing(props):
    """What "dmfixture props" prints for these (name, type, value) properties."""
    return "".join("%s\t%d\t%s\n" % p for p in props).encode("utf-8")


# Code page 1252 as Windows decodes it: its five unassigned bytes become the
# control characters of the same number.
codecs.register_error("kestrum-ansi", lambda e: (chr(e.object[e.start]), e.start + 1))


def decode_ansi(line):
    return line.decode("cp1252", errors="kestrum-ansi")


def model_properties(data):
    """The text properties a property file writes into an empty document:
    lines up to a byte 26, CRs dropped, read in pairs; a pair without value
    is skipped and the first pair of a name wins; a name line is split at
    its first "=". Names are matched by their upper case. The system's
    comparison in the user's locale also ignores some characters, such as
    NUL; the long random names here never differ only in those."""
    cut = data.find(b"\x1a")
    if cut >= 0:
        data = data[:cut]
    lines = [line.replace(b"\r", b"") for line in data.split(b"\n")]
    if lines[-1] == b"":
        lines.pop()
    if len(lines) % 2:
        lines.append(b"")
    if not lines:
        lines = [b"", b""]  # at least one pair is read
    first, props = set(), []
    for name_line, value_line in zip(lines[0::2], lines[1::2]):
        if not value_line:
            continue
        name, value = decode_ansi(name_line), decode_ansi(value_line)
        if name.upper() in first:
            continue
        if "=" in name:
            name, rest = name.split("=", 1)
            value = rest + "=" + value
        if name.upper() not in first:
            first.add(name.upper())
            props.append((name, TEXT, value))
    return props


class TimerEnd:
    """Watches a failed run until it ends: its exit code and when it ended."""

    def __init__(self, proc, started, name):
        self.proc, self.started, self.name = proc, started, name
        self.code = self.ended = None
        self.thread = threading.Thread(target=self._wait, daemon=True)
        self.thread.start()

    def _wait(self):
        self.code = self.proc.wait()
        self.ended = time.monotonic()


class BadInputTestCase(k.WineTestCase):
    def setUp(self):
        super().setUp()
        self.folder = self.temp_folder("kestrum-bad-input-")
        self.waiting = []

    def path(self, *names):
        return os.path.join(self.folder, *names)

    def folder_of(self, *names):
        path = self.path(*names)
        os.makedirs(path, exist_ok=True)
        return path

    # --- documents

    def document(self, path, props=(), preview=None):
        """A stand-in document at path with these (name, type, value) properties
        and the preview picture's bytes stored."""
        return k.make_document(path, preview, props=props)

    def listing(self, document):
        """The document's properties as "dmfixture props" prints them."""
        result = k.tool([os.path.join(k.BIN, "dmfixture.exe"), "props", windows_path(document)], timeout=120)
        self.assertEqual(result.returncode, 0, result.stderr.decode("utf-8", "replace"))
        return result.stdout

    def assert_props(self, document, props):
        expected, actual = props_listing(props), self.listing(document)
        if len(expected) < 4096:
            self.assertEqual(actual.decode("utf-8", "replace"), expected.decode("utf-8"))
        elif actual != expected:
            at = next((i for i, (a, b) in enumerate(zip(actual, expected)) if a != b), min(len(actual), len(expected)))
            self.fail("properties differ at byte %d of %d (expected %d): %r" % (
                at, len(actual), len(expected), actual[max(at - 40, 0):at + 40]))

    # --- runs

    def launch_helper(self, args, fault=None, cwd=None, stdin=None, env=None):
        """Starts the program, with env's variables added to the environment;
        stdin, when given, is written to its standard input."""
        env = dict(os.environ, **(env or {}))
        env.pop(FAULT_VARIABLE, None)
        if fault:
            env[FAULT_VARIABLE] = fault
        started = time.monotonic()
        proc = subprocess.Popen([k.WINE, k.HELPER] + list(args), cwd=cwd, env=env,
                                stdin=subprocess.DEVNULL if stdin is None else subprocess.PIPE,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.procs.append(proc)
        if stdin is not None:
            proc.stdin.write(stdin)
            proc.stdin.close()
        return proc, started

    def extract(self, args, fault=None, cwd=None, timeout=120):
        """Runs "/T" where it succeeds: it ends by itself at once, with no box."""
        proc, started = self.launch_helper(["/T"] + list(args), fault, cwd)
        try:
            code = proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.fail("did not end; box: %r" % (k.dialog(wait=0),))
        self.assertEqual(code, 0)
        self.assertLess(time.monotonic() - started, 30, "did not end at once")
        self.assertIsNone(k.dialog(wait=0), "an error box is left")

    def update(self, args, text, fault=None, cwd=None, stdin=None, timeout=60):
        """Runs "/P" where it succeeds: the result text comes up with no box,
        and the program ends about 1.5 s later. The status windows of earlier
        runs that still wait for their close timer are not looked at: reading
        all their texts takes longer than the result stays."""
        earlier = {w.hwnd for w in k.status_windows()}
        proc, started = self.launch_helper(["/P"] + list(args), fault, cwd, stdin)
        window = None
        while window is None and proc.poll() is None and time.monotonic() < started + timeout:
            # The text was not there before this look began.
            seen = time.monotonic()
            window = k.wait_status_window(text=text, timeout=0, exclude=earlier)
        self.assertIsNotNone(window, "result text %r not shown; box: %r" % (text, k.dialog(wait=0)))
        self.assertIsNone(k.dialog(wait=0), "an error box came up")
        self.assertEqual(proc.wait(timeout=30), 0)
        self.assertGreater(time.monotonic() - seen, 0.5, "ended at once after the result")
        self.assertLess(time.monotonic() - seen, 8, "did not end about 1.5 s after the result")

    def fail_run(self, args, status_text, fault=None, cwd=None, stdin=None, wait=60):
        """Runs the program where it fails: the text of its error box. The status
        text stays while the box is up and after it is pressed; the program is
        then left to its close timer (assert_ended_by_close_timer)."""
        proc, started = self.launch_helper(args, fault, cwd, stdin)
        try:
            found = k.dialog(wait=wait)
            self.assertIsNotNone(found, "no error box")
            box, _ = found
            self.assertEqual(self.status_label(box.pid), status_text)
            self.assertIsNotNone(k.dialog(wait=1, press=True))
            self.assertTrue(k.wait_for(lambda: k.dialog(wait=0) is None, timeout=10), "box not dismissed")
            self.assertEqual(self.status_label(box.pid), status_text)
            self.assertIsNone(proc.poll(), "ended before its close timer")
        except BaseException:
            k.stop(proc)
            k.dialog(wait=0, press=True)
            raise
        self.waiting.append(TimerEnd(proc, started, " ".join(args)))
        return box_text(found)

    # --- a full disk

    def mount_full_disk(self):
        """A folder on drive C of the prefix with a 2 MB file system of its own,
        or None where mounting is not allowed. The file system is mounted
        outside the prefix and reached through a symbolic link, so that a
        mount left behind by an aborted run never blocks removing the prefix."""
        mount_point = tempfile.mkdtemp(prefix="kestrum-full-")
        self.addCleanup(os.rmdir, mount_point)
        try:
            mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=2m,mode=0777", "kestrum-full", mount_point],
                                     capture_output=True, timeout=30).returncode == 0
        except (OSError, subprocess.TimeoutExpired):
            mounted = False
        if not mounted:
            return None
        self.addCleanup(unmount, mount_point)
        folder = os.path.join(os.environ["WINEPREFIX"], "drive_c", os.path.basename(mount_point))
        os.symlink(mount_point, folder)
        self.addCleanup(os.remove, folder)
        return folder

    def fill(self, folder):
        """Takes the rest of the file system's space."""
        with open(os.path.join(folder, "F\u00fcllung"), "wb", buffering=0) as filler:
            try:
                while True:
                    filler.write(b"\0" * 4096)
            except OSError:
                pass
        stat = os.statvfs(folder)
        self.assertLess(stat.f_bavail * stat.f_frsize, 4096, "the file system is not full")

    def status_label(self, pid):
        windows = [w for w in k.status_windows() if w.pid == pid and w.visible]
        return k.label_text(windows[0]) if windows else None

    def assert_ended_by_close_timer(self):
        """Every failed run ended by itself, with code 0, about 36 s after it began."""
        for end in self.waiting:
            end.thread.join(timeout=max(end.started + 60 - time.monotonic(), 0))
            with self.subTest(end.name):
                self.assertIsNotNone(end.ended, "did not end by itself")
                self.assertEqual(end.code, 0)
                self.assertGreater(end.ended - end.started, 35)
                self.assertLess(end.ended - end.started, 50)
        self.waiting = []


class PropertyFileTest(BadInputTestCase):
    def data_file(self, name, head, block=b"", repeat=1):
        """A file of head followed by block repeated."""
        path = self.path(name)
        with open(path, "wb") as f:
            f.write(head)
            f.write(block * repeat)
        return path

    def test_each_property_file_is_read_or_its_failure_reported(self):
        # Failures: the file cannot be opened, which shows at the first read.
        document = self.document(self.path("Teil.sldprt"), [("Farbe", TEXT, "rot")])
        stored = read(document)
        held = self.path("gesperrt.txt")
        write(held, b"Farbe\nblau\n")
        holder = subprocess.Popen([k.WINE, os.path.join(k.BIN, "holdfile.exe"), windows_path(held)],
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        try:
            self.assertTrue(holder.stdout.readline().startswith(b"held"), "holdfile did not start")
            for name, prop_file in [("WrittenByAnotherProgram", held),
                                    ("FolderGivenAsTheFile", self.folder_of("Ordner.txt"))]:
                with self.subTest(name):
                    text = self.fail_run(["/P", windows_path(document), windows_path(prop_file)], PROPERTIES_TEXT)
                    self.assertEqual(text, "E/A-Fehler 104.")
                    self.assertEqual(read(document), stored, "the document was changed")
        finally:
            holder.stdin.close()
            holder.wait(timeout=30)
            holder.stdout.close()
        self.assertEqual(read(held), b"Farbe\nblau\n")

        # Files that are read: (name, property file, properties before, result, properties after).
        rng = random.Random(20240901)
        random_bytes = rng.randbytes(256 * 1024)
        without_26 = random_bytes.replace(b"\x1a", b"\x1b")
        names = ["Eigenschaft%05d" % i for i in range(10000)]
        pairs = b"".join(("%s\nWert %d\n" % (n, i)).encode() for i, n in enumerate(names))
        for round_ in range(1, 20):
            pairs += b"".join(("%s\r\nanders %d\r\n" % (n.upper() if round_ % 2 else n.lower(), round_)).encode()
                              for n in names)
        line = (b"Welle \xd820 h6, gepr\xfcft; " * (20 * MB // 24 + 1))[:20 * MB]
        repeated = b"FARBE\r\nblau\r\ngewicht\r\n1\r\nMATERIAL\r\nStahl\r\nOberfl\xe4che\r\nverzinkt\r\n"
        cases = [
            # The first pairs of each name win; the rest of the 50 MB repeats them.
            ("FiftyMegabytes",
             self.data_file("gross.txt", b"Farbe\r\nrot\r\nGewicht\r\n12,5 kg\r\nMaterial\r\nAlu\r\n", repeated,
                            50 * MB // len(repeated) + 1),
             [("Material", TEXT, "Stahl alt"), ("Datum", DATE, "2024-05-01")],
             result_text(3, 1),
             [("Datum", DATE, "2024-05-01"), ("Farbe", TEXT, "rot"), ("Gewicht", TEXT, "12,5 kg"),
              ("Material", TEXT, "Alu"), ("Oberfl\u00e4che", TEXT, "verzinkt")]),
            ("LineOfTwentyMegabytes", self.data_file("zeile.txt", b"Beschreibung\r\n" + line + b"\r\n"),
             [], result_text(1, 0), [("Beschreibung", TEXT, line.decode("cp1252"))]),
            # 10,000 names, each in 20 pairs of changing case. (The stand-in keeps
            # its properties in a list: 200,000 different names would take it hours.)
            ("TwoHundredThousandPairs", self.data_file("paare.txt", pairs),
             [(n, NUMBER, "0") for n in names[:100]], result_text(9900, 100),
             [(n, TEXT, "Wert %d" % i) for i, n in enumerate(names)]),
            ("RandomBytes", self.data_file("zufall.bin", random_bytes), [],
             result_text(len(model_properties(random_bytes)), 0), model_properties(random_bytes)),
            ("RandomBytesWithoutEndMark", self.data_file("zufall2.bin", without_26), [],
             result_text(len(model_properties(without_26)), 0), model_properties(without_26)),
            # A NUL is a character like any other; a line of NULs without a value is skipped.
            ("NulBytes", self.data_file("nullbytes.txt", b"Fa\0rbe\r\nr\0ot\r\n", b"\0", MB), [],
             result_text(1, 0), [("Fa\0rbe", TEXT, "r\0ot")]),
            # A CR alone ends no line: one line, no value.
            ("OnlyCarriageReturns", self.data_file("cr.txt", b"", b"\r", MB), [("Farbe", TEXT, "rot")],
             NOTHING_WRITTEN, [("Farbe", TEXT, "rot")]),
            ("CarriageReturnLineEnds", self.data_file("mac.txt", b"Farbe\rblau\rGewicht\r12\r"),
             [("Farbe", TEXT, "rot")], NOTHING_WRITTEN, [("Farbe", TEXT, "rot")]),
        ]
        for name, prop_file, before, text, after in cases:
            with self.subTest(name):
                document = self.document(self.path(name + ".sldprt"), before)
                size = os.path.getsize(prop_file)
                self.update([windows_path(document), windows_path(prop_file)], text, timeout=180)
                self.assert_props(document, after)
                self.assertEqual(os.path.getsize(prop_file), size)
                os.remove(prop_file)
        self.assert_ended_by_close_timer()


class PathTest(BadInputTestCase):
    def test_each_path_is_used_or_its_failure_reported(self):
        prop_file = self.path("props.txt")
        write(prop_file, b"Farbe\r\nblau\r\n")
        document = self.document(self.path("Teil.sldprt"), [("Farbe", TEXT, "rot")], img.bmp(32, 32))
        stored = read(document)
        folder_doc = self.folder_of("Ordner.sldprt")
        long_folder = self.folder_of(*["Ordner mit einem recht langen Namen Nr. %d" % i for i in range(6)])
        long_prop_file = os.path.join(long_folder, "props.txt")
        long_document = os.path.join(long_folder, "Teil mit langem Pfad.SLDPRT")
        write(long_prop_file, b"Farbe\r\nblau\r\n")
        self.assertGreater(len(windows_path(long_prop_file)), 259)
        self.assertGreater(len(windows_path(long_document)), 259)

        # Failures: (name, arguments, standard input, status text, box text, file that must not appear).
        cases = [
            ("PreviewOfAFolder", ["/T", windows_path(folder_doc)], None, PREVIEW_TEXT,
             'Dokument "%s" kann nicht ge\u00f6ffnet werden. Fehlercode: 3.' % windows_path(folder_doc),
             folder_doc + "KS"),
            ("PreviewWithoutDocument", ["/T"], None, PREVIEW_TEXT,
             'Dokument "" kann nicht ge\u00f6ffnet werden. Fehlercode: 3.', self.path("KS")),
            ("PreviewOfAnEmptyPath", ["/T", ""], None, PREVIEW_TEXT,
             'Dokument "" kann nicht ge\u00f6ffnet werden. Fehlercode: 3.', self.path("KS")),
            ("PropertiesIntoAFolder", ["/P", windows_path(folder_doc), windows_path(prop_file)], None,
             PROPERTIES_TEXT, 'Dokument "%s" kann nicht ge\u00f6ffnet werden. Fehlercode: 3.'
             % windows_path(folder_doc), None),
            ("PropertiesWithoutDocument", ["/P"], b"Farbe\r\nblau\r\n", PROPERTIES_TEXT,
             'Dokument "" kann nicht ge\u00f6ffnet werden. Fehlercode: 3.', None),
            # An empty argument is no argument: the property file moves up to
            # the document's place, and standard input is read as the property file.
            ("PropertiesWithAnEmptyDocumentPath", ["/P", "", windows_path(prop_file)], b"Farbe\r\nblau\r\n",
             PROPERTIES_TEXT, 'Dokument "%s" kann nicht ge\u00f6ffnet werden. Fehlercode: 2.'
             % windows_path(prop_file), None),
            ("PropertyFilePathOver259", ["/P", windows_path(document), windows_path(long_prop_file)], None,
             PROPERTIES_TEXT, "Ung\u00fcltiger Dateiname - %s." % windows_path(long_prop_file), None),
        ]
        for name, args, stdin, status_text, expected, absent in cases:
            with self.subTest(name):
                self.assertEqual(self.fail_run(args, status_text, cwd=self.folder, stdin=stdin), expected)
                self.assertEqual(read(document), stored, "the document was changed")
                self.assertEqual(read(prop_file), b"Farbe\r\nblau\r\n", "the property file was changed")
                if absent:
                    self.assertFalse(os.path.exists(absent), "%s was created" % absent)

        # Paths that work: (name, document, property file, working folder, the paths as given).
        odd = self.folder_of("Ma\u00df & Gr\u00f6\u00dfe v1.2")
        above = self.folder_of("relativ")
        below = self.folder_of("relativ", "unten")
        cases = [
            ("UmlautsBlanksAndDots", os.path.join(odd, "Teil \u00c4 \u00f6 \u00fc \u00df.Rev.B.2.SLDPRT"),
             os.path.join(odd, "Eigenschaften f\u00fcr Teil.v1.2.txt"), None, windows_path),
            ("RelativeInTheWorkingFolder", os.path.join(above, "Teil.SLDPRT"), os.path.join(above, "props.txt"),
             above, os.path.basename),
            ("RelativeAboveTheWorkingFolder", os.path.join(above, "Welle.SLDPRT"),
             os.path.join(above, "eigenschaften.txt"), below, lambda p: "..\\" + os.path.basename(p)),
            ("DocumentPathOver259", long_document, self.path("lang.txt"), None, windows_path),
        ]
        for name, document, prop_path, cwd, given in cases:
            with self.subTest(name):
                self.document(document, [("Farbe", TEXT, "rot")], img.bmp(40, 20, (img.RED,) * 4))
                stored = read(document)
                write(prop_path, b"Farbe\r\nblau\r\nGewicht\r\n12\r\n")
                preview = document[:-len(".SLDPRT")] + ".sldprtKS"
                self.extract([given(document)], cwd=cwd)
                self.assertEqual(img.decode_jpeg(preview)[:2], (40, 20))
                self.assertEqual(read(document), stored, "the preview changed the document")
                self.update([given(document), given(prop_path)], result_text(1, 1), cwd=cwd)
                self.assert_props(document, [("Farbe", TEXT, "blau"), ("Gewicht", TEXT, "12")])
        self.assert_ended_by_close_timer()


class PreviewTest(BadInputTestCase):
    def test_each_picture_gives_its_preview_or_its_failure_is_reported(self):
        old = b"old preview " * 1000
        # No JPEG can be made: the old preview is emptied in place, so that
        # the main product shows no stale picture. (A held, read-only or full
        # preview: PreviewInPlaceTest.)
        wide = self.document(self.path("Breit.sldprt"), preview=metafile(65501, 96))
        write(wide + "KS", old)
        stored, inode = read(wide), os.stat(wide + "KS").st_ino
        with self.subTest("WiderThanJpegAllows"):
            names = sorted(os.listdir(self.folder))
            text = self.fail_run(["/T", windows_path(wide)], PREVIEW_TEXT)
            self.assertEqual(text, "JPEG-Fehler #41.")
            self.assertEqual(os.path.getsize(wide + "KS"), 0, "the old preview was left")
            self.assertEqual(os.stat(wide + "KS").st_ino, inode, "another file took the preview's place")
            self.assertEqual(read(wide), stored, "the document was changed")
            self.assertEqual(sorted(os.listdir(self.folder)), names, "a file was left in the folder")

        # Extreme sizes that work: the JPEG's frame header holds the size.
        big = self.document(self.path("Gross.sldprt"), preview=metafile(8000, 8000))
        self.extract([windows_path(big)], timeout=300)
        data = read(big + "KS")
        self.assertEqual(data[:20], JFIF_START)
        self.assertEqual(img.jpeg_size(data), (8000, 8000))
        image = img.decode_jpeg(big + "KS", 8)
        self.assertEqual(image[:2], (1000, 1000))
        for (x, y), colour in zip([(250, 250), (750, 250), (250, 750), (750, 750)], img.QUARTERS):
            self.assertTrue(img.near(img.pixel(image, x, y), colour, 40), (x, y, img.pixel(image, x, y)))
        os.remove(big + "KS")

        tiny = self.document(self.path("Klein.sldprt"), preview=img.bmp(1, 1, (img.RED,) * 4))
        write(tiny + "KS", old)
        self.extract([windows_path(tiny)])
        image = img.decode_jpeg(tiny + "KS")
        self.assertEqual(image[:2], (1, 1))
        self.assertTrue(img.near(img.pixel(image, 0, 0), img.RED, 40), img.pixel(image, 0, 0))
        self.assert_ended_by_close_timer()


class DocumentManagerFaultTest(BadInputTestCase):
    def test_each_refusal_is_reported_or_passed_over(self):
        document = self.document(self.path("Teil.sldprt"), [("Farbe", TEXT, "rot"), ("Material", TEXT, "Stahl")],
                                 img.bmp(48, 24))
        stored = read(document)
        prop_file = self.path("props.txt")
        write(prop_file, b"Farbe\r\nblau\r\nGewicht\r\n12\r\n")
        preview = self.path("Teil.sldprtKS")
        old = b"old preview " * 1000
        write(preview, old)
        doc = windows_path(document)
        not_opened = 'Dokument "%s" kann nicht ge\u00f6ffnet werden. Fehlercode: 1.' % doc

        # Refusals before the preview is written or the document saved.
        cases = [("PreviewClassFactory", "/T", "classfactory", INTERFACE_TEXT),
                 ("PreviewApplication", "/T", "application", not_opened),
                 ("PreviewDocument", "/T", "document", not_opened),
                 ("PreviewRevision10", "/T", "revision10", INTERFACE_TEXT),
                 ("PreviewNotAPicture", "/T", "notpicture", INTERFACE_TEXT),
                 ("PropertiesClassFactory", "/P", "classfactory", INTERFACE_TEXT),
                 ("PropertiesApplication", "/P", "application", not_opened),
                 ("PropertiesDocument", "/P", "document", not_opened),
                 ("PropertiesRevision10", "/P", "revision10", INTERFACE_TEXT),
                 # Save writes nothing and reports it.
                 ("PropertiesSave", "/P", "save",
                  'Dokument "%s" kann nicht gespeichert werden. Fehlercode: 2.' % doc),
                 # "Farbe" was deleted and cannot be added again: not saved.
                 ("PropertiesAddRefused", "/P", "add",
                  'Dokument "%s" wird nicht gespeichert: Property "Farbe" kann nicht angelegt werden.' % doc)]
        for name, switch, fault, expected in cases:
            with self.subTest(name):
                if switch == "/T":
                    text = self.fail_run(["/T", doc], PREVIEW_TEXT, fault=fault)
                else:
                    text = self.fail_run(["/P", doc, windows_path(prop_file)], PROPERTIES_TEXT, fault=fault)
                self.assertEqual(text, expected)
                self.assertEqual(read(document), stored, "the document was changed")
                self.assertEqual(read(preview), old, "the old preview was changed")

        # Refusals the operation passes over.
        with self.subTest("PreviewCallFails"):
            # No picture: an empty preview file.
            self.extract([doc], fault="preview")
            self.assertEqual(os.path.getsize(preview), 0)
        with self.subTest("PictureWithoutType"):
            self.extract([doc], fault="emptypicture")
            width, height, pixels = img.decode_jpeg(preview)
            self.assertEqual((width, height), (48, 24))
            self.assertTrue(all(v >= 250 for v in pixels), "not all white")
        with self.subTest("AddOfNewNameRefused"):
            # Nothing existed under the name, so nothing is lost: the refused
            # add counts in neither number and the other properties stay.
            new_only = self.path("neu.txt")
            write(new_only, b"Gewicht\r\n12\r\n")
            self.update([doc, windows_path(new_only)], NOTHING_WRITTEN, fault="add")
            self.assert_props(document, [("Farbe", TEXT, "rot"), ("Material", TEXT, "Stahl")])
        self.assert_ended_by_close_timer()


class PreviewInPlaceTest(BadInputTestCase):
    """"/T" writes the preview into the preview file itself: the same file
    after every run (its Unix inode, which a file moved over it or made anew
    beside the old one would change), nothing else in the folder, a hold of
    another program for a moment waited out (the file open, or only a view of
    it mapped), and on a failure either the old preview whole (held longer,
    read-only) or a preview of length 0 (full disk), never part of a JPEG. A
    hidden preview is written and stays hidden."""

    # How another program holds the preview: holdfile's option, and how long
    # a hold "for a moment" lasts after the program asked for the picture.
    HOLDS = {"open": ("--no-sharing", 0.3), "mapped": ("--mapped", 1.5)}

    def hold(self, path, how="open"):
        """Another program holds the file until release(): open with no
        sharing, or only a view of it mapped, its handles closed."""
        holder = subprocess.Popen([k.WINE, os.path.join(k.BIN, "holdfile.exe"), self.HOLDS[how][0],
                                   windows_path(path)],
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.addCleanup(release, holder)
        self.assertTrue(holder.stdout.readline().startswith(b"held"), "holdfile did not start")
        return holder

    def make_read_only(self, path):
        """Wine shows a file without write permission as read-only. The
        superuser passes over permission bits, so there the file is also made
        immutable: no one may open it for writing, as Windows refuses a
        read-only file to everyone."""
        os.chmod(path, 0o444)
        if os.geteuid() != 0:
            return
        if subprocess.run(["chattr", "+i", path], capture_output=True, timeout=30).returncode != 0:
            self.skipTest("run as the superuser, and no immutable flag here")
        self.addCleanup(subprocess.run, ["chattr", "-i", path], capture_output=True, timeout=30)

    def attributes(self, path):
        """The attribute letters Wine's attrib shows for the file (A, H, R, S)."""
        result = k.wine(["attrib", windows_path(path)], timeout=60)
        self.assertEqual(result.returncode, 0, result.stderr)
        line = result.stdout.decode("utf-8", "replace").strip()
        letters, _, shown = line.partition(":\\")
        self.assertTrue(shown, "no file in attrib's answer %r" % line)
        return set(letters[:-1].split())

    def make_hidden(self, path):
        result = k.wine(["attrib", "+h", windows_path(path)], timeout=60)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("H", self.attributes(path), "Wine keeps no hidden attribute here")

    def extract_held_for_a_moment(self, given, preview, how):
        """Runs "/T" while another program holds the preview; the hold ends
        300 ms (open) or 1.5 s (mapped) after the program asked for the
        preview picture, that is while it waits to open the preview file."""
        holder = self.hold(preview, how)
        calls = k.DocmgrCalls(self.folder)
        calls.clear()
        proc, _ = self.launch_helper(["/T", given], env=calls.env())
        self.assertTrue(k.wait_for(lambda: ("Document", 57) in calls.calls(), timeout=30, interval=0.02),
                        "the preview picture was not asked for")
        time.sleep(self.HOLDS[how][1])
        self.assertIsNone(proc.poll(), "ended while the preview was held")
        release(holder)
        try:
            code = proc.wait(timeout=25)
        except subprocess.TimeoutExpired:
            box = k.dialog(wait=0)
            k.stop(proc)  # its box would stand in for the next case's
            self.fail("did not end at once; box: %r" % (box,))
        self.assertEqual(code, 0)
        self.assertIsNone(k.dialog(wait=0), "an error box is left")

    def test_preview_is_written_in_place_or_left_as_it_was(self):
        old = b"old preview " * 1000
        # Name, on a full disk, the other program's hold (how it holds, "open"
        # or "mapped", and for how long, "moment" or "longer"), "read-only" or
        # "hidden", the runs, the error box ("creation", "write") or None.
        cases = [("RunTwice", False, "", 2, None),
                 ("HeldForAMoment", False, "open moment", 1, None),
                 ("HeldLongerThanTheWait", False, "open longer", 1, "creation"),
                 ("MappedForAMoment", False, "mapped moment", 1, None),
                 ("MappedLongerThanTheWait", False, "mapped longer", 1, "creation"),
                 ("ReadOnly", False, "read-only", 1, "creation"),
                 ("Hidden", False, "hidden", 1, None),
                 ("FullDisk", True, "", 1, "write")]
        for name, full_disk, hold, runs, failure in cases:
            how, _, length = hold.partition(" ")
            with self.subTest(name):
                folder = self.mount_full_disk() if full_disk else self.folder_of(name)
                if not folder:
                    self.skipTest("no file system of our own: mounting is not allowed here")
                # On the full disk, far more JPEG than the room that emptying
                # the old preview (one page there) gives back.
                picture = metafile(1000, 1000) if full_disk else img.bmp(32, 32)
                document = self.document(os.path.join(folder, "Teil.sldprt"), preview=picture)
                preview = document + "KS"
                # The folder as the program sees it: reached through drive C for the full disk.
                given = "C:\\%s\\Teil.sldprt" % os.path.basename(folder) if full_disk else windows_path(document)
                shown = given + "KS"
                write(preview, old[:100] if full_disk else old)
                if hold == "read-only":
                    self.make_read_only(preview)
                if hold == "hidden":
                    self.make_hidden(preview)
                if full_disk:
                    self.fill(folder)
                stored, names, inode = read(document), sorted(os.listdir(folder)), os.stat(preview).st_ino

                if length == "moment":
                    self.extract_held_for_a_moment(given, preview, how)
                elif failure is None:
                    for _ in range(runs):
                        self.extract([given])
                        self.assertEqual(os.stat(preview).st_ino, inode, "another file took the preview's place")
                else:
                    if length == "longer":
                        self.hold(preview, how)
                    text = self.fail_run(["/T", given], PREVIEW_TEXT)
                    message = {"creation": 'Datei "%s" kann nicht erstellt werden. ',
                               "write": 'Datei "%s" kann nicht geschrieben werden. '}[failure] % shown
                    self.assertTrue(text.startswith(message), text)
                    self.assertGreater(len(text), len(message) + 1, "no system message")

                if failure is None:
                    data = read(preview)
                    self.assertEqual(data[:20], JFIF_START)
                    self.assertEqual(img.decode_jpeg(preview)[:2], (32, 32))
                elif failure == "creation":
                    self.assertEqual(read(preview), old, "the old preview was changed")
                else:
                    self.assertEqual(os.path.getsize(preview), 0, "part of a JPEG was left")
                if hold == "read-only":
                    self.assertFalse(os.stat(preview).st_mode & 0o222, "the read-only preview became writable")
                if hold == "hidden":
                    self.assertIn("H", self.attributes(preview), "the preview is no longer hidden")
                self.assertEqual(os.stat(preview).st_ino, inode, "another file took the preview's place")
                self.assertEqual(read(document), stored, "the document was changed")
                self.assertEqual(sorted(os.listdir(folder)), names, "a file was left in the folder")
        self.assert_ended_by_close_timer()


class FullDiskTest(BadInputTestCase):
    """The document on a small file system inside the prefix that is full
    (the preview on one: PreviewInPlaceTest). Mounting needs root; where it is
    refused, the test is skipped."""

    def test_full_disk_is_reported(self):
        folder = self.mount_full_disk()
        if not folder:
            self.skipTest("no file system of our own: mounting is not allowed here")
        with self.subTest("DocumentSave"):
            document = self.document(os.path.join(folder, "Baugruppe.sldasm"), [("Farbe", TEXT, "rot")])
            given = "C:\\" + os.path.basename(folder) + "\\Baugruppe.sldasm"
            prop_file = self.path("props.txt")
            write(prop_file, b"Farbe\r\nblau\r\nBeschreibung\r\n" + b"x" * (256 * 1024) + b"\r\n")
            self.fill(folder)
            # The stand-in writes the document in place, so what a failed
            # save leaves of it is the stand-in's matter; the failure is reported.
            text = self.fail_run(["/P", given, windows_path(prop_file)], PROPERTIES_TEXT)
            self.assertEqual(text, 'Dokument "%s" kann nicht gespeichert werden. Fehlercode: 2.' % given)
        self.assert_ended_by_close_timer()


def release(holder):
    """Ends a holdfile run: the file is let go."""
    if holder.poll() is None:
        holder.stdin.close()
    holder.wait(timeout=30)
    holder.stdout.close()


def unmount(folder):
    for args in (["umount", folder], ["umount", "-l", folder]):
        if subprocess.run(args, capture_output=True, timeout=30).returncode == 0:
            return


if __name__ == "__main__":
    k.main()
