#!/usr/bin/python3
"""Checks every include line under src/ against the layering table of CONTRIBUTING.md.

The table's rows name a folder in their first column and, in their last, the folders the
folder's files may include from (in backticks) and the outside headers they may use (the words
"Qt" and "POSIX"). A file may include from its own folder and from those; nothing else. Prints
each offending line as FILE:LINE: why, and exits 1 when there is one.

Usage: check_includes.py SOURCE_DIR
"""

import pathlib
import re
import sys

# Headers of the operating system beyond the C and C++ libraries.
POSIX_HEADER = re.compile(
    r"(unistd|fcntl|pthread|dirent|poll|netdb|pwd|termios|spawn|signal|syslog|dlfcn)\.h$"
    r"|^(sys|netinet|arpa)/")
QT_HEADER = re.compile(r"^Q[A-Za-z]*$|^Qt[A-Za-z]*/")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
ROW = re.compile(r"^\|\s*`src/([a-z_/]+?)/?`\s*\|")


class Layer:
    def __init__(self, folder, uses, qt, posix):
        self.folder, self.uses, self.qt, self.posix = folder, uses, qt, posix


def read_table(contributing):
    layers = {}
    for line in contributing.read_text(encoding="utf-8").splitlines():
        row = ROW.match(line)
        if not row:
            continue
        last = line.strip().strip("|").split("|")[-1]
        uses = set(re.findall(r"`([a-z_/]+)`", last))
        layers[row.group(1)] = Layer(row.group(1), uses, re.search(r"\bQt\b", last) is not None,
                                     re.search(r"\bPOSIX\b", last) is not None)
    return layers


def folder_of(path, layers):
    """The deepest folder of the table that holds `path` (relative to src/), or None."""
    best = None
    for folder in layers:
        if path.startswith(folder + "/") and (best is None or len(folder) > len(best)):
            best = folder
    return best


def problems_of(source_dir):
    src = source_dir / "src"
    layers = read_table(source_dir / "CONTRIBUTING.md")
    if not layers:
        yield "CONTRIBUTING.md: no layering table found"
        return
    for file in sorted(src.rglob("*")):
        if file.suffix not in (".h", ".cpp"):
            continue
        relative = file.relative_to(src).as_posix()
        own = folder_of(relative, layers)
        if own is None:
            yield f"src/{relative}: its folder is not in CONTRIBUTING.md's table"
            continue
        layer = layers[own]
        for number, line in enumerate(file.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            where = f"src/{relative}:{number}"
            bracket, header = match.groups()
            if bracket == '"':
                used = folder_of(header, layers)
                if used is None:
                    yield f'{where}: "{header}" is in no library of the table'
                elif used != own and used not in layer.uses:
                    yield f'{where}: {own}/ may not include "{header}" ({used}/ is not below it)'
            elif QT_HEADER.search(header) and not layer.qt:
                yield f"{where}: {own}/ may not include Qt's <{header}>"
            elif POSIX_HEADER.search(header) and not layer.posix:
                yield f"{where}: {own}/ may not include the POSIX header <{header}>"


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    problems = list(problems_of(pathlib.Path(sys.argv[1])))
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
