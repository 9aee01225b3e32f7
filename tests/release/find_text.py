"""Names the files that hold a text, for the checks that the licence string
stays where it belongs:

    python3 tests/release/find_text.py TEXTFILE PATH... [--skip PATH]...

TEXTFILE holds the text as UTF-8 on one line (a final line break is
ignored); it is read from there so that it stands on no command line. A
file holds the text when it has its bytes as UTF-8, as UTF-16LE (a wide
string in a program), or written as strace -xx writes strings ("\\x41...").
Folders are searched through; a skipped path and what lies below it is
not. Prints one path a line; exit code 1 when a file holds the text, 0 when
none does."""

import os
import sys


def read_text(path):
    with open(path, "rb") as handle:
        data = handle.read()
    if data.endswith(b"\n"):
        data = data[:-1]
    if data.endswith(b"\r"):
        data = data[:-1]
    return data.decode("utf-8")


def forms(text):
    utf8 = text.encode("utf-8")
    return [utf8, text.encode("utf-16-le"), "".join("\\x%02x" % byte for byte in utf8).encode("ascii")]


def holding(text, paths, skip=()):
    """The files under paths (files or folders) that hold the text."""
    wanted = forms(text)
    skipped = {os.path.realpath(path) for path in skip}
    found = []

    def search(path):
        if os.path.realpath(path) in skipped:
            return
        if os.path.isdir(path) and not os.path.islink(path):
            for name in sorted(os.listdir(path)):
                search(os.path.join(path, name))
        elif os.path.isfile(path) and not os.path.islink(path):
            with open(path, "rb") as handle:
                data = handle.read()
            if any(form in data for form in wanted):
                found.append(path)

    for path in paths:
        search(path)
    return found


def main(args):
    skip = []
    paths = []
    while args:
        if args[0] == "--skip" and len(args) > 1:
            skip.append(args[1])
            args = args[2:]
        else:
            paths.append(args[0])
            args = args[1:]
    if len(paths) < 2:
        print("usage: find_text.py TEXTFILE PATH... [--skip PATH]...", file=sys.stderr)
        return 2
    found = holding(read_text(paths[0]), paths[1:], skip)
    for path in found:
        print(path)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
