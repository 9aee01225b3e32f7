"""Helpers for the end-to-end tests: run the real program under Wine, look at
its windows with winprobe, and take screenshots of the Xvfb screen.

The environment comes from PREFIX_DIR/env.sh (tests/e2e/prefix.sh) and from
ctest (KESTRUM_BIN, KESTRUM_ARTIFACTS, KESTRUM_SOURCE)."""

import os
import select
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

import preview_images

BIN = os.environ.get("KESTRUM_BIN", "")
ARTIFACTS = os.environ.get("KESTRUM_ARTIFACTS", "")
SOURCE = os.environ.get("KESTRUM_SOURCE", "")
WINE = os.environ.get("WINE", "")
WINESERVER = os.environ.get("WINESERVER", "")

HELPER = os.path.join(BIN, "KestrumHelper.exe")
FAULT_HELPER = os.path.join(BIN, "fault", "KestrumHelper.exe")
RECORD_HELPER = os.path.join(BIN, "record", "KestrumHelper.exe")

WS_CAPTION = 0x00C00000
WS_BORDER = 0x00800000
WS_THICKFRAME = 0x00040000
WS_DLGFRAME = 0x00400000
WS_EX_TOPMOST = 0x00000008
WS_EX_APPWINDOW = 0x00040000
SS_TYPEMASK = 0x1F
SS_ICON = 0x03
MSGBOX_TEXT_ID = 0xFFFF  # the text control of a system message box
SKIPPED_EXIT_CODE = 77  # ctest's SKIP_RETURN_CODE for these scripts: "Not Run"


def require_prefix(test_case):
    if not (WINE and os.environ.get("WINEPREFIX") and os.environ.get("DISPLAY") and BIN):
        raise unittest.SkipTest("no Wine test prefix: run through scripts/test.sh")


def main():
    """Runs the script's tests like unittest.main. A test that was skipped has
    not passed: without a failure the script then ends with exit code 77,
    which ctest reports as not run, as it does a script that ran no test."""
    result = unittest.main(exit=False).result
    if not result.wasSuccessful():
        sys.exit(1)
    if result.skipped or result.testsRun == 0:
        sys.exit(SKIPPED_EXIT_CODE)
    sys.exit(0)


def windows_path(unix_path):
    """The path as a Windows program under Wine sees it (drive Z: is the Unix root)."""
    return "Z:" + unix_path.replace("/", "\\")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def set_docmgr(variant):
    """Installs another build of the stand-in Document Manager in the test prefix."""
    prefix_dir = os.path.dirname(os.environ["WINEPREFIX"])
    subprocess.run([os.path.join(SOURCE, "tests", "e2e", "prefix.sh"), "docmgr", prefix_dir, variant, "--bin", BIN],
                   check=True, timeout=300, stdout=subprocess.DEVNULL)


def box_text(found):
    """The text of a message box found by dialog(), or None."""
    _, children = found
    texts = [c.text for c in children if c.cls == "Static" and c.ctrl_id == MSGBOX_TEXT_ID]
    return texts[0] if texts else None


def escape(text):
    """The text as winprobe takes it: the escapes it writes, and \\uXXXX for
    every character outside printable ASCII."""
    out = []
    for character in text:
        named = {"\r": "\\r", "\n": "\\n", "\t": "\\t", "\\": "\\\\"}.get(character)
        if named:
            out.append(named)
        elif " " <= character <= "~":
            out.append(character)
        else:
            out.append("\\u%04x" % ord(character))
    return "".join(out)


def unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            nxt = text[i + 1]
            out.append({"r": "\r", "n": "\n", "t": "\t", "\\": "\\"}.get(nxt, nxt))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


class Window:
    def __init__(self, fields, with_id=False):
        if with_id:
            self.hwnd, self.ctrl_id = fields[0], int(fields[1])
            fields = [fields[0]] + fields[2:]
        else:
            self.ctrl_id = None
            self.hwnd = fields[0]
        self.text = unescape(fields[1])
        self.cls = unescape(fields[2])
        self.rect = tuple(int(v) for v in fields[3].split(","))
        self.style = int(fields[4], 16)
        self.exstyle = int(fields[5], 16)
        self.visible = fields[6] == "1"
        self.pid = int(fields[7])

    @property
    def size(self):
        return (self.rect[2] - self.rect[0], self.rect[3] - self.rect[1])

    def __repr__(self):
        return "Window(%s %r %r %r)" % (self.hwnd, self.text, self.cls, self.rect)


def wine(args, timeout=60, env=None, **kwargs):
    """Runs a Windows program to its end; returns the CompletedProcess.
    Its output goes through files, not pipes: Wine's own background processes,
    when this call starts them, inherit the handles and would keep a pipe open."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        result = subprocess.run(["timeout", "--kill-after=5", str(timeout), WINE] + list(args),
                                stdout=out, stderr=err, timeout=timeout + 15, env=env, **kwargs)
        out.seek(0)
        err.seek(0)
        result.stdout, result.stderr = out.read(), err.read()
    return result


def tool(args, timeout=60):
    """Runs one of the test tools (dmfixture.exe) to its end, like wine().
    The tools report every failure of theirs on standard error; a run that
    ends with exit code 1 and no output at all did not get to run (seen rarely
    under load, for console programs of this Wine), and is made once more."""
    result = wine(args, timeout=timeout)
    if result.returncode == 1 and not result.stdout and not result.stderr:
        result = wine(args, timeout=timeout)
    return result


def make_document(path, preview=None, png_preview=None, props=()):
    """A stand-in document at path (dmfixture create) with these stored
    preview pictures (the bytes of a BMP, or another picture, and of a PNG) and
    (name, type, value) custom properties. The pictures go over through
    temporary files that are removed again: nothing but the document is left."""
    args = [os.path.join(BIN, "dmfixture.exe"), "create", windows_path(path)]
    pictures = []
    try:
        for option, data, suffix in (("--preview", preview, ".bmp"), ("--png-preview", png_preview, ".png")):
            if data is None:
                continue
            handle, picture = tempfile.mkstemp(prefix="kestrum-picture-", suffix=suffix)
            os.close(handle)
            pictures.append(picture)
            write(picture, data)
            args += [option, windows_path(picture)]
        for name, prop_type, value in props:
            args += ["--prop", name, str(prop_type), value]
        result = tool(args, timeout=120)
    finally:
        for picture in pictures:
            os.remove(picture)
    if result.returncode != 0:
        raise RuntimeError("dmfixture create failed: %s" % result.stderr.decode("utf-8", "replace"))
    return path


def start(args, env=None, cwd=None):
    """Starts a Windows program and returns its Popen; cwd (a Unix folder) is
    its current folder, as a Windows path on the drive that holds it."""
    full_env = dict(os.environ)
    if env:
        full_env.update(env)
    return subprocess.Popen([WINE] + list(args), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                            env=full_env, cwd=cwd)


def stop(proc):
    if proc.poll() is None:
        proc.kill()
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            pass
    if proc.stdout:
        proc.stdout.close()


def probe(*args, timeout=30):
    result = wine([os.path.join(BIN, "winprobe.exe")] + list(args), timeout=timeout)
    return result.returncode, result.stdout.decode("utf-8", "replace")


def owner(hwnd):
    """The window that owns the top-level window hwnd (GW_OWNER), or None."""
    rc, out = probe("owner", hwnd)
    lines = [line.split("\t") for line in out.splitlines() if line.count("\t") >= 7]
    return Window(lines[0]) if rc == 0 and lines else None


def top_windows():
    _, out = probe("list")
    return [Window(line.split("\t")) for line in out.splitlines() if line.count("\t") >= 7]


def child_windows(hwnd):
    _, out = probe("texts", hwnd)
    return [Window(line.split("\t"), with_id=True) for line in out.splitlines() if line.count("\t") >= 8]


def status_windows():
    return [w for w in top_windows() if w.cls == "TfrmMain"]


def run_recorded(args, folder, timeout=60):
    """Runs the program with a record of its status window (RECORD_HELPER) to
    its end. Returns (forms, exit code): forms holds "created" or "shown" for
    each status window the program made; the exit code is None when the
    program did not end in time (it is then ended)."""
    record = os.path.join(folder, "window-record.txt")
    if os.path.exists(record):
        os.remove(record)
    env = dict(os.environ, KESTRUM_WINDOW_RECORD=windows_path(record))
    try:
        wine([RECORD_HELPER] + list(args), timeout=timeout, env=env)
    except subprocess.TimeoutExpired:
        pass
    if not os.path.exists(record):
        return [], None
    forms, code = [], None
    for line in read(record).decode("ascii").splitlines():
        kind, value = line.split(" ")
        if kind == "form":
            forms.append(value)
        elif kind == "exit":
            code = int(value)
    return forms, code


class ReleaseCopy:
    """A temporary copy of the source tree (tests/release/copy-tree.sh), in
    which scripts/release.sh builds packages: the tree and the build folders
    the tests use are left alone. remove() deletes it."""

    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="kestrum-release-copy-")
        self.tree = os.path.join(self.folder, "tree")
        os.mkdir(self.tree)
        try:
            subprocess.run(["bash", os.path.join(SOURCE, "tests", "release", "copy-tree.sh"), self.tree],
                           check=True, timeout=600, stdout=subprocess.DEVNULL)
        except BaseException:
            self.remove()
            raise
        self.packages = os.path.join(self.tree, "build", "release")

    def release(self, *args, timeout=1800, wrapper=(), env=None):
        """Runs release.sh with the arguments (under the wrapper command, if
        given, and with the environment's variables added); the
        CompletedProcess, its output and errors together as text in stdout.
        The package is dated from the commit of the tree copied (the copy
        has no git)."""
        date = subprocess.run(["git", "-C", SOURCE, "log", "-1", "--format=%ct"], capture_output=True, text=True,
                              timeout=60).stdout.strip() or "1"
        env = dict(os.environ, SOURCE_DATE_EPOCH=date, **(env or {}))
        return subprocess.run(list(wrapper) + ["bash", os.path.join(self.tree, "scripts", "release.sh")] + list(args),
                              env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=timeout)

    def package_names(self):
        return sorted(name for name in os.listdir(self.packages) if name.endswith(".zip")) \
            if os.path.isdir(self.packages) else []

    def program(self, package, folder):
        """KestrumHelper.exe taken out of the package (a file name in the
        copy's build/release) into folder; its path."""
        with zipfile.ZipFile(os.path.join(self.packages, package)) as archive:
            archive.extract("KestrumHelper.exe", folder)
        return os.path.join(folder, "KestrumHelper.exe")

    def built_program(self):
        """The program of the copy's release build, as built (before any signing)."""
        return os.path.join(self.tree, "build", "release-win64", "bin", "KestrumHelper.exe")

    def remove(self):
        shutil.rmtree(self.folder, True)


class DocmgrCalls:
    """The stand-in Document Manager's record of the slots a program calls on
    its objects, kept in a file in the given folder: one (interface, slot)
    pair per call, in order. The interfaces are "ClassFactory",
    "Application" and "Document"."""

    def __init__(self, folder):
        self.path = os.path.join(folder, "docmgr-calls.txt")

    def env(self):
        """The environment that asks the stand-in for the record."""
        return {"KESTRUM_DOCMGR_CALLS": windows_path(self.path)}

    def calls(self):
        if not os.path.exists(self.path):
            return []
        rows = []
        for line in read(self.path).decode("ascii").splitlines():
            interface, slot, _method = line.split(" ")
            rows.append((interface, int(slot)))
        return rows

    def clear(self):
        if os.path.exists(self.path):
            os.remove(self.path)


def opened(*document_slots):
    """The calls of an operation that opens a document and then calls the
    document's slots given."""
    return [("ClassFactory", 0), ("Application", 0)] + [("Document", slot) for slot in document_slots]


def wait_for(predicate, timeout=20, interval=0.2):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            return value
        time.sleep(interval)


def wait_status_window(timeout=20, visible=True, text=None, interval=0.2, exclude=()):
    """The status window once it exists (and is visible, and shows text);
    windows whose handles are in exclude are passed over."""
    def find():
        for w in status_windows():
            if w.hwnd in exclude or (visible and not w.visible):
                continue
            if text is not None and label_text(w) != text:
                continue
            return w
        return None
    return wait_for(find, timeout, interval)


def label_text(status_window):
    labels = [c for c in child_windows(status_window.hwnd) if c.cls == "TLabel"]
    return labels[0].text if labels else None


class LabelWatch:
    """Watches for the status window's label to show a text, and for the
    program to end after that (winprobe lasting), to the millisecond: the
    watch looks every few milliseconds from inside the prefix. Start it before
    the program, so that the text cannot come unseen:

        watch = LabelWatch(text)
        ...start the program...
        label = watch.shown()          # the label Window, once it shows the text
        seconds = watch.seconds_to_end()
    """

    def __init__(self, text, wait=30):
        self.wait = wait
        self.proc = subprocess.Popen([WINE, os.path.join(BIN, "winprobe.exe"), "lasting", "TfrmMain", escape(text),
                                      "--wait", str(wait)],
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, bufsize=0)
        if self._line(60) != "ready":
            self.close()
            raise RuntimeError("winprobe lasting did not start")

    def _line(self, timeout):
        """The next line of the watch's output, or None at its end or after timeout seconds."""
        deadline = time.monotonic() + timeout
        data = b""
        while not data.endswith(b"\n"):
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.proc.stdout], [], [], left)[0]:
                return None
            byte = self.proc.stdout.read(1)
            if not byte:
                return None
            data += byte
        return data.decode("utf-8", "replace").rstrip("\r\n")

    def shown(self):
        """The label (a child Window) once it shows the text, or None."""
        line = self._line(self.wait + 30)
        if line is None or line.count("\t") < 8:
            return None
        return Window(line.split("\t"), with_id=True)

    def seconds_to_end(self):
        """Seconds from the text coming to the program's end, or None."""
        line = self._line(180)
        if not line or not line.startswith("ended\t"):
            return None
        return int(line.split("\t")[1]) / 1000.0

    def close(self):
        stop(self.proc)


def dialog(wait=20, press=False, pid=None, caption=None):
    """The first visible dialog box (of the Windows process pid, with the
    caption, when given): (dialog Window, child Windows) or None."""
    args = ["dialog", "--wait", str(wait)]
    if press:
        args.append("--press")
    if pid is not None:
        args += ["--pid", str(pid)]
    if caption is not None:
        args += ["--caption", escape(caption)]
    rc, out = probe(*args, timeout=wait + 30)
    if rc != 0:
        return None
    lines = [line.split("\t") for line in out.splitlines()]
    box = Window(lines[0])
    children = [Window(f, with_id=True) for f in lines[1:] if len(f) >= 9]
    return box, children


def start_main_window(title, rect, hidden=False):
    """Starts the stand-in main product window; rect is (left, top, width, height)."""
    args = [os.path.join(BIN, "mainwindow.exe"), "--title", title, "--rect"] + [str(v) for v in rect]
    if hidden:
        args.append("--hidden")
    proc = start(args)
    line = proc.stdout.readline().decode("utf-8", "replace")
    if not line.startswith("ready"):
        stop(proc)
        raise RuntimeError("mainwindow did not start: %r" % line)
    return proc


def screenshot_ppm():
    """The whole Xvfb screen as (width, height, bytes RGB)."""
    xwd = subprocess.run(["xwd", "-root", "-silent"], capture_output=True, timeout=30, check=True)
    pnm = subprocess.run(["xwdtopnm"], input=xwd.stdout, capture_output=True, timeout=30, check=True).stdout
    ppm = subprocess.run(["pamdepth", "255"], input=pnm, capture_output=True, timeout=30, check=True).stdout
    return preview_images.parse_ppm(ppm)


def pixels(shot, rect):
    width, height, data = shot
    left, top, right, bottom = rect
    for y in range(max(top, 0), min(bottom, height)):
        row = y * width * 3
        for x in range(max(left, 0), min(right, width)):
            i = row + x * 3
            yield data[i], data[i + 1], data[i + 2]


def text_bands(shot, rect, darkest=90):
    """The horizontal bands of text in a screen area: (first row, last row)
    pairs of the runs of rows that hold dark pixels (every channel below
    darkest), in screen rows from the top."""
    left, top, right, bottom = rect
    bands = []
    for y in range(max(top, 0), min(bottom, shot[1])):
        if any(max(pixel) < darkest for pixel in pixels(shot, (left, y, right, y + 1))):
            if bands and bands[-1][1] == y - 1:
                bands[-1] = (bands[-1][0], y)
            else:
                bands.append((y, y))
    return bands


def text_columns(shot, rect, darkest=90):
    """The first and last screen column of a screen area that holds a dark
    pixel (every channel below darkest), or None when it holds none."""
    left, top, right, bottom = rect
    columns = [x for x in range(max(left, 0), min(right, shot[0]))
               if any(max(pixel) < darkest for pixel in pixels(shot, (x, top, x + 1, bottom)))]
    return (columns[0], columns[-1]) if columns else None


def save_png(rect, path, shot=None):
    """Saves the area rect (left, top, right, bottom) of a screenshot (by
    default one taken now) as a PNG file."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    shot = shot or screenshot_ppm()
    left, top, right, bottom = rect
    area = b"".join(bytes(channel for pixel in pixels(shot, (left, y, right, y + 1)) for channel in pixel)
                    for y in range(top, bottom))
    ppm = b"P6\n%d %d\n255\n" % (right - left, bottom - top) + area
    with open(path, "wb") as png:
        subprocess.run(["pnmtopng"], input=ppm, stdout=png, check=True, timeout=60)


def leftovers():
    """Windows that a test's programs may have left behind."""
    return [w for w in top_windows()
            if w.cls in ("TfrmMain", "KestrumMainWindowStandIn") or (w.cls == "#32770" and w.visible)]


# How long the "/P" result stays on screen before the program ends, as a
# LabelWatch measures it inside Wine: 1.5 s, never less than the 1.4 s that a
# late look at the text may leave, and never more than 3 s (measured under
# Wine: 1.50 to 1.52 s).
RESULT_SECONDS = (1.4, 3.0)


class WineTestCase(unittest.TestCase):
    """Starts each test with no program of an earlier one on screen, and ends
    the programs it started."""

    def setUp(self):
        require_prefix(self)
        self.procs = []
        for window in leftovers():
            probe("kill", window.hwnd)
        wait_for(lambda: not leftovers(), timeout=20)

    def tearDown(self):
        for proc in self.procs:
            stop(proc)
        wait_for(lambda: not leftovers(), timeout=10)

    def temp_folder(self, prefix):
        """A new folder, removed with its contents after the test."""
        folder = tempfile.mkdtemp(prefix=prefix)
        self.addCleanup(shutil.rmtree, folder, True)
        return folder

    def launch(self, args, exe=None, env=None, cwd=None):
        proc = start([exe or HELPER] + list(args), env=env, cwd=cwd)
        self.procs.append(proc)
        return proc

    def assert_result_lasted(self, seconds):
        """seconds, from a LabelWatch of the "/P" result to the program's
        end, are the result's 1.5 s (RESULT_SECONDS)."""
        self.assertIsNotNone(seconds, "did not end after the result")
        shortest, longest = RESULT_SECONDS
        self.assertGreaterEqual(seconds, shortest, "ended sooner than 1.5 s after the result")
        self.assertLess(seconds, longest, "did not end about 1.5 s after the result")

    def watch_label(self, text, wait=30):
        """A LabelWatch for the text, ended with the test."""
        watch = LabelWatch(text, wait)
        self.addCleanup(watch.close)
        return watch

    def main_window(self, title, rect, hidden=False):
        proc = start_main_window(title, rect, hidden)
        self.procs.append(proc)
        return proc


if __name__ == "__main__":
    # For the shell scripts: the Windows path of each argument, one a line.
    import sys
    for argument in sys.argv[1:]:
        print(windows_path(argument))


class DocmgrChangingTestCase(WineTestCase):
    """For tests that install another Document Manager variant: version 28,
    which the rest of the suite expects, is back after the class."""

    @classmethod
    def tearDownClass(cls):
        if WINE and os.environ.get("WINEPREFIX"):
            set_docmgr("28")
