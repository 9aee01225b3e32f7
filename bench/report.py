"""The runner of the benchmarks; called by bench/run, which builds the
programs and makes the Wine prefix (its env.sh sourced).

    report.py MODE RUNS WIN_BIN NATIVE_BENCH WORK

MODE all runs every benchmark once and prints one table, whose columns and
rows stay the same from run to run; startup (KestrumHelper.exe without
arguments) and preview ("/T" on a 1024 x 768 preview, and on a document
without one) print the medians of their Wine runs against the minimal GUI
program. NATIVE_BENCH is only read by MODE all.

The Wine measurements alternate their programs in each round, so that the
reference (the minimal GUI program) sees the same machine load as the figures
it is compared with. Progress goes to standard error; the figures go to
standard output."""

import os
import re
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import preview_images  # noqa: E402
from kestrum_e2e import windows_path as win  # noqa: E402

MODE, RUNS, WIN_BIN, NATIVE_BENCH, WORK = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4], sys.argv[5]
WINE = os.environ["WINE"]
HELPER = os.path.join(WIN_BIN, "KestrumHelper.exe")
MINIMAL_GUI = os.path.join(WIN_BIN, "minimal_gui.exe")
DMFIXTURE = os.path.join(WIN_BIN, "dmfixture.exe")
WINE_TIMEOUT = "120"
MEMORY_RUNS = 3
PROPERTY_PAIRS = 50


def progress(text):
    print("bench: " + text, file=sys.stderr, flush=True)


def wine_run(args):
    """Runs a Windows program to its end; its wall time in seconds."""
    started = time.perf_counter()
    code = subprocess.run(["timeout", WINE_TIMEOUT, WINE] + args, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode
    elapsed = time.perf_counter() - started
    if code != 0:
        sys.exit("bench: %s exited with %d" % (" ".join(args), code))
    return elapsed


def wine_peak_memory(args):
    """Peak resident set size in MiB of the Wine process that runs the program,
    as GNU time reports it (the largest maximum resident set of the processes
    it waited for: timeout and the Wine process, which execs itself into the
    Windows program; wineserver and the X server are not among them). Taken
    through time rather than from this process's own wait, whose figure would
    start at the size of this Python process at the fork."""
    out = os.path.join(WORK, "time.out")
    code = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", out, "timeout", WINE_TIMEOUT, WINE] + args,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
    if code != 0:
        sys.exit("bench: %s exited with %d" % (" ".join(args), code))
    with open(out) as f:
        return int(f.read().split()[-1]) / 1024.0


def preview_path(document):
    return os.path.splitext(document)[0] + ".sldprtKS"


def check_preview(document, width, height):
    """The preview file beside the document holds a picture of about the
    stored picture's size (the program maps it through the screen's
    millimetres, which may take a pixel off)."""
    path = preview_path(document)
    with open(path, "rb") as f:
        got = preview_images.jpeg_size(f.read())
    if got is None:
        sys.exit("bench: no JPEG frame header in %s" % path)
    if abs(got[0] - width) > width // 100 + 1 or abs(got[1] - height) > height // 100 + 1:
        sys.exit("bench: the preview %s is %d x %d, not about %d x %d" % ((path,) + got + (width, height)))
    return got


def make_document(name, picture=None, properties=()):
    path = os.path.join(WORK, name)
    args = [DMFIXTURE, "create", win(path)]
    if picture is not None:
        picture_path = os.path.join(WORK, name + ".bmp")
        with open(picture_path, "wb") as f:
            f.write(picture)
        args += ["--preview", win(picture_path)]
    for prop in properties:
        args += ["--prop"] + list(prop)
    wine_run(args)
    return path


def typical_ms(values):
    """The mean of the middle 80 % of the times, in ms. Under Wine the start of
    a GUI program takes one of two paths, some 40 ms apart, each in a good
    share of the runs; a median would jump between them from run to run,
    while this mean keeps both and drops the stray runs of a busy machine."""
    ordered = sorted(values)
    cut = len(ordered) // 10
    kept = ordered[cut:len(ordered) - cut]
    return statistics.fmean(kept) * 1000.0


def alternating_times(programs):
    """One warm-up run of each program (caches, server, fonts), then RUNS
    rounds that run every program once in turn; the wall times in seconds
    by the programs' names."""
    for args in programs.values():
        wine_run(args)
    times = {name: [] for name in programs}
    for run in range(RUNS):
        progress("Wine round %d of %d" % (run + 1, RUNS))
        for name, args in programs.items():
            times[name].append(wine_run(args))
    return times


def print_medians(times):
    """One line per program: median, fastest and slowest run in ms; the medians in s."""
    median = {name: statistics.median(values) for name, values in times.items()}
    for name, values in times.items():
        print("%-9s median %.1f ms (min %.1f, max %.1f, %d runs)" % (
            name, median[name] * 1000, min(values) * 1000, max(values) * 1000, len(values)))
    return median


def startup_benchmark():
    median = print_medians(alternating_times({"helper": [HELPER], "reference": [MINIMAL_GUI]}))
    print("median ratio helper/reference: %.2f" % (median["helper"] / median["reference"]))


def preview_benchmark():
    """"/T" on a 1024 x 768 preview against the minimal GUI program; "/T" on a
    document without a preview runs the same window and document steps
    without picture and encoding, so that the difference between the two
    "/T" runs is the cost of the picture itself."""
    progress("making documents")
    document = make_document("Bench.sldprt", preview_images.bmp(1024, 768))
    empty = make_document("Empty.sldprt")
    times = alternating_times({"helper /T": [HELPER, "/T", win(document)], "reference": [MINIMAL_GUI],
                               "/T none": [HELPER, "/T", win(empty)]})
    width, height = check_preview(document, 1024, 768)
    print("preview   %d x %d pixels, %d bytes of JPEG" % (width, height, os.path.getsize(preview_path(document))))
    median = print_medians(times)
    print("median ratio helper /T / reference: %.2f" % (median["helper /T"] / median["reference"]))
    print("picture and encoding (helper /T - /T none): %.1f ms" % ((median["helper /T"] - median["/T none"]) * 1000))


def wine_benchmarks():
    progress("making documents")
    preview_doc = make_document("Preview.sldprt", preview_images.bmp(1024, 768))
    large_doc = make_document("Large.sldprt", preview_images.bmp(4096, 4096))
    property_doc = make_document("Properties.sldprt", properties=[("Material", "30", "Stahl")])
    property_file = os.path.join(WORK, "properties.txt")
    with open(property_file, "wb") as f:
        for i in range(PROPERTY_PAIRS):
            f.write(("Eigenschaft %d\r\nWert \xe4\xf6\xfc %d\r\n" % (i, i)).encode("cp1252"))

    programs = {
        "reference": [MINIMAL_GUI],
        "start-up": [HELPER],
        "/T": [HELPER, "/T", win(preview_doc)],
        "/P": [HELPER, "/P", win(property_doc), win(property_file)],
    }
    times = alternating_times(programs)
    check_preview(preview_doc, 1024, 768)
    typical = {name: typical_ms(values) for name, values in times.items()}

    progress("peak memory")
    large_args = [HELPER, "/T", win(large_doc)]
    helper_memory, reference_memory = [], []
    for _ in range(MEMORY_RUNS):
        helper_memory.append(wine_peak_memory(large_args))
        reference_memory.append(wine_peak_memory([MINIMAL_GUI]))
    check_preview(large_doc, 4096, 4096)
    return typical, statistics.median(helper_memory), statistics.median(reference_memory)


def native_output(program, *args):
    path = os.path.join(NATIVE_BENCH, program)
    result = subprocess.run([path] + list(args), capture_output=True, text=True, timeout=600)
    return result.returncode, result.stdout


def number(pattern, text, what):
    found = re.search(pattern, text, re.MULTILINE)
    if not found:
        sys.exit("bench: no %s in the output:\n%s" % (what, text))
    return float(found.group(1))


def jpeg_benchmark():
    progress("JPEG encoding against cjpeg")
    code, out = native_output("jpeg_encode_bench")
    writer = number(r"^writer\s+median [\d.]+ ms, ([\d.]+) Mpixel/s", out, "writer throughput")
    cjpeg = number(r"^cjpeg\s+median [\d.]+ ms, ([\d.]+) Mpixel/s", out, "cjpeg throughput")
    ratio = number(r"^throughput ratio writer/cjpeg: ([\d.]+)", out, "throughput ratio")
    identical = re.search(r"^identical output yes", out, re.MULTILINE) is not None and code == 0
    return writer, cjpeg, ratio, identical


def property_benchmark():
    """The reader's steady-state times by the number of pairs: the best and
    the median read in ms, and the MB/s of each."""
    progress("property reader")
    code, out = native_output("property_file_bench")
    rows = {}
    for line in out.splitlines():
        fields = line.split()
        # pairs, bytes, entries, reads, best ms, median ms, MB/s of the median, growth
        if len(fields) == 8 and fields[0].isdigit():
            size, best, median = int(fields[1]), float(fields[4]), float(fields[5])
            rows[int(fields[0])] = {"best ms": best, "median ms": median,
                                    "best MB/s": size / 1000.0 / best, "median MB/s": size / 1000.0 / median}
    if code != 0 or not all(pairs in rows for pairs in (1000, 10000, 100000)):
        sys.exit("bench: unexpected property reader output (exit code %d):\n%s" % (code, out))
    return rows


def host_line():
    with open("/etc/debian_version") as f:
        debian = f.read().strip()
    wine = subprocess.run(["timeout", "30", WINE, "--version"], capture_output=True, text=True).stdout.strip()
    return "%s; %d cores; Debian %s; %s" % (time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()), os.cpu_count(),
                                           debian, wine)


def main():
    load_before = os.getloadavg()[0]
    typical, helper_memory, reference_memory = wine_benchmarks()
    writer, cjpeg, jpeg_ratio, identical = jpeg_benchmark()
    reader = property_benchmark()
    load_after = os.getloadavg()[0]

    rows = []

    def row(name, figure, unit, reference=None, ratio=None, goal="-", met=None, digits=1):
        rows.append((name, "%.*f" % (digits, figure), unit, "-" if reference is None else "%.*f" % (digits, reference),
                     "-" if ratio is None else "%.2f" % ratio, goal, "-" if met is None else ("yes" if met else "no")))

    startup_ratio = typical["start-up"] / typical["reference"]
    row("start-up vs minimal GUI", typical["start-up"], "ms", typical["reference"], startup_ratio, "<= 1.30",
        startup_ratio <= 1.30)
    row("JPEG encoding vs cjpeg", writer, "Mpixel/s", cjpeg, jpeg_ratio, ">= 0.95", jpeg_ratio >= 0.95 and identical)
    # The reader's rows take the median read; the MB/s row shows the best read as its reference.
    median_mb_per_s, best_mb_per_s = reader[100000]["median MB/s"], reader[100000]["best MB/s"]
    row("property reader 100k median/best", median_mb_per_s, "MB/s", best_mb_per_s, median_mb_per_s / best_mb_per_s,
        ">= 100", median_mb_per_s >= 100)
    for small, large in ((1000, 10000), (10000, 100000)):
        growth = reader[large]["median ms"] / reader[small]["median ms"]
        row("property reader growth %dk->%dk" % (small // 1000, large // 1000), reader[large]["median ms"], "ms",
            reader[small]["median ms"], growth, "~10 (<= 15)", growth <= 15, digits=3)
    row('"/T" 1024x768 vs minimal GUI', typical["/T"], "ms", typical["reference"],
        typical["/T"] / typical["reference"])
    row('"/P" 50 pairs vs minimal GUI', typical["/P"], "ms", typical["reference"], typical["/P"] / typical["reference"])
    row('"/T" 4096x4096 peak memory', helper_memory, "MiB", reference_memory, helper_memory / reference_memory)

    header = ("benchmark", "figure", "unit", "reference", "ratio", "goal", "met")
    widths = (32, 9, 9, 10, 6, 12, 3)
    align = ("<", ">", "<", ">", ">", "<", "<")

    def line(fields):
        return "  ".join(format(f, a + str(w)) for f, w, a in zip(fields, widths, align)).rstrip()

    print("%s; load %.1f before, %.1f after; %d Wine runs each" % (host_line(), load_before, load_after, RUNS))
    print(line(header))
    print(line(tuple("-" * w for w in widths)))
    for r in rows:
        print(line(r))
    if not identical:
        print("note: the JPEG writer's output differs from cjpeg's")


{"all": main, "startup": startup_benchmark, "preview": preview_benchmark}[MODE]()
