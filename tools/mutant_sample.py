"""Random mutants drawn from every line of product code, for tools/mutate.py --sample.

A line is drawn at random among the product code's lines (so each folder gets
mutants in proportion to its code), then one slip of the kinds a developer
really makes that the line allows:

    relational   < and <=, > and >=, == and !=
    arithmetic   + and -, an integer expression or index off by one
    logical      && and ||, a condition negated or its negation dropped
    constant     a number changed in its last digit, or doubled
    dropped      a call or statement left out
    swapped      the first two arguments of a call exchanged

The same seed draws the same mutants from the same tree. Mutants judged
equivalent by hand are kept in tools/equivalent_mutants.txt, keyed by the file
and the line before and after, and never drawn again.
"""
import random
import re
from pathlib import Path

PRODUCT = ("api", "case", "driver", "fit", "include", "input", "io", "model", "plot", "python", "report", "support")

# A statement that can be left out: a call, an assignment or an increment, not
# a declaration, a return or a line that opens or closes a block.
DROPPABLE = re.compile(r"^\s*(?!return\b|const\b|auto\b|static\b|using\b|case\b|default\b)"
                       r"[\w:.\->\[\]()*&]+\s*(\(|[-+*/|&]?=[^=]|\+\+|--).*;\s*$")
NUMBER = re.compile(r"(?<![\w.])(\d+\.\d*|\d*\.\d+|\d+)(?:[eE][-+]?\d+)?(?![\w.])")
CALL_TWO = re.compile(r"\b(\w+)\((\s*[\w.:\->\[\]*&]+)\s*,\s*([\w.:\->\[\]*&]+\s*)([,)])")
INDEX = re.compile(r"\[(\w+)\]")


def product_files(files):
    """The tree's product sources: every layer, no tests, fuzzers or benches."""
    return sorted(name for name in files if name.split("/")[0] in PRODUCT and "/tests/" not in name
                  and name.endswith((".cpp", ".hpp")))


def code_lines(text):
    """(line number, line) of the lines that hold code: no comments, blank lines,
    preprocessor lines or lone braces."""
    found = []
    for number, line in enumerate(text.splitlines(), 1):
        bare = line.strip()
        if not bare or bare.startswith(("//", "#", "*", "/*")) or bare in ("{", "}", "};", "});", "public:", "private:"):
            continue
        found.append((number, line))
    return found


def _swaps(line, pairs, kind):
    out = []
    for before, after in pairs:
        for m in re.finditer(before, line):
            out.append((kind, line[:m.start()] + after + line[m.end():]))
    return out


def slips(line):
    """Every (kind, mutated line) the line allows."""
    code = line.split("//")[0]
    if '"' in code:  # keep clear of text inside strings: only the code before the first quote
        code = code[:code.index('"')]
    rest = line[len(code):]
    out = []
    out += _swaps(code, [(r"(?<=\s)<(?=\s)", "<="), (r"<=", "<"), (r"(?<=\s)>(?=\s)", ">="),
                         (r">=", ">"), (r"==", "!="), (r"!=", "==")], "relational")
    out += _swaps(code, [(r" \+ ", " - "), (r" - ", " + ")], "arithmetic")
    out += [("arithmetic", code[:m.start()] + f"[{m.group(1)} + 1]" + code[m.end():]) for m in INDEX.finditer(code)]
    out += _swaps(code, [(r"&&", "||"), (r"\|\|", "&&"), (r"!(?=[\w(])(?!=)", "")], "logical")
    for m in re.finditer(r"\b(if|while) \((.*)\)( \{|$| \w)", code):
        out.append(("logical", code[:m.start(2)] + "!(" + m.group(2) + ")" + code[m.end(2):]))
    for m in NUMBER.finditer(code):
        text = m.group(0)
        digits = [i for i, c in enumerate(text) if c.isdigit()]
        if not digits:
            continue
        last = digits[-1] if "e" not in text.lower() else [i for i in digits if i < text.lower().index("e")][-1]
        changed = text[:last] + str((int(text[last]) + 1) % 10) + text[last + 1:]
        out.append(("constant", code[:m.start()] + changed + code[m.end():]))
        if text.isdigit() and text != "0":
            out.append(("constant", code[:m.start()] + str(2 * int(text)) + code[m.end():]))
    for m in CALL_TWO.finditer(code):
        if m.group(2).strip() != m.group(3).strip():
            swapped = f"{m.group(1)}({m.group(3).strip()}, {m.group(2).strip()}{m.group(4)}"
            out.append(("swapped", code[:m.start()] + swapped + code[m.end():]))
    out = [(kind, mutated + rest) for kind, mutated in out]
    if DROPPABLE.match(line):
        indent = line[:len(line) - len(line.lstrip())]
        out.append(("dropped", indent + "{}  // " + line.strip()))
    return [(kind, mutated) for kind, mutated in out if mutated != line]


def read_equivalent(path):
    """'file<TAB>line before<TAB>line after<TAB>reason' per mutant judged by hand."""
    judged = {}
    if path.is_file():
        for line in path.read_text().splitlines():
            if line.strip() and not line.startswith("#"):
                file, before, after, reason = line.split("\t", 3)
                judged[(file, before, after)] = reason
    return judged


class Sampler:
    """Draws mutants one at a time; the caller asks for another when one does
    not build or cannot be placed."""

    def __init__(self, files, seed, equivalent_path, within=()):
        self.random = random.Random(seed)
        self.judged = read_equivalent(equivalent_path)
        self.lines = []  # (file, line number, line, whole text)
        for name in product_files(files):
            if within and not any(name == w or name.startswith(w.rstrip("/") + "/") for w in within):
                continue
            text = files[name][0].decode("utf-8", "replace")
            self.lines += [(name, number, line, text) for number, line in code_lines(text)]
        if not self.lines:
            raise ValueError("no product code lies within " + ", ".join(within))
        self.drawn = set()
        self.count = 0

    def draw(self, make_mutant):
        """The next mutant, made by make_mutant(ident, path, before, after)."""
        while True:
            name, number, line, text = self.random.choice(self.lines)
            choices = slips(line)
            if not choices:
                continue
            kind, mutated = self.random.choice(choices)
            key = (name, line.strip(), mutated.strip())
            if key in self.drawn or key in self.judged:
                continue
            self.drawn.add(key)
            before, after = _unique(text, number, line, mutated)
            if before is None:
                continue
            self.count += 1
            return make_mutant(f"s{self.count:03d}-{kind}", name, before, after)


def _unique(text, number, line, mutated):
    """The line, with as many following lines as make it occur once in the file."""
    lines = text.splitlines()
    for extra in range(0, 4):
        before = "\n".join(lines[number - 1:number + extra])
        if text.count(before) == 1:
            after = "\n".join([mutated] + lines[number:number + extra])
            return before, after
    return None, None
