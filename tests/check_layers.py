#!/usr/bin/env python3
"""Every file includes only from its own layer or below.

The layers, bottom up: the public value types (include/kesta) and io/ (records,
lists, files, stops); support/ (threads, large pages, unset storage, the
vector path: the platform under the arithmetic); model/ (pure arithmetic,
the inversion's accuracy and the advised NS included); input/ (reading and
checking decks); report/ (every report writer); api/ (the library's
functions); case/ (case files and dated records made into decks); driver/
(the dialogue and the run). plot/ and fit/ are
programs of their own over the public headers, io/ (whole outputs,
interruptions) and support/ (threads); fit/ also implements the public
fit.hpp. python/ binds the public headers alone as a Python module.
"""
import pathlib
import re
import sys

ALLOWED = {
    "include/kesta": {"kesta"},
    "io": {"io"},
    "support": {"support"},
    "model": {"kesta", "support", "model"},
    "input": {"kesta", "io", "support", "input"},
    "report": {"kesta", "io", "support", "model", "input", "report"},
    "api": {"kesta", "io", "support", "model", "input", "report", "api"},
    "case": {"kesta", "io", "support", "model", "input", "report", "api", "case"},
    "driver": {"kesta", "io", "support", "model", "input", "report", "api", "case", "driver"},
    "plot": {"kesta", "io", "plot"},
    "fit": {"kesta", "io", "support", "plot", "fit"},
    "python": {"kesta", "python"},
}
LAYERS = {"kesta", "io", "support", "model", "input", "report", "api", "case", "driver", "plot", "fit", "python"}
INCLUDE = re.compile(r'^\s*#\s*include\s+[<"]([a-z_]+)/', re.M)


def main(root: pathlib.Path) -> int:
    faults = []
    for folder, allowed in ALLOWED.items():
        for path in sorted((root / folder).rglob("*.[ch]pp")):
            if "tests" in path.relative_to(root).parts:
                continue
            for layer in INCLUDE.findall(path.read_text(encoding="utf-8")):
                if layer in LAYERS and layer not in allowed:
                    faults.append(f"{path.relative_to(root)} includes from {layer}/")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1])))
