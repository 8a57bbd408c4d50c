#!/usr/bin/env python3
"""A mutation run: how many realistic slips in the product code the tests catch.

Each mutant in the list (tools/mutants.txt) says "this text in this file becomes
that text". One at a time, a mutant is put into a scratch copy of the tree, the
copy is built incrementally, and the test programs run until the first failure.
The run ends with a table of caught and surviving mutants per folder.

A caught mutant needs one failing test, so each test program stops at its first
failure and the run moves on; a surviving one runs the whole suite. A test
program that is byte for byte the one the unchanged tree builds, while the
programs the tests start are too, cannot see the mutant, so it is not run.

    tools/mutate.py                    # the working tree, into /tmp/kesta-mutants
    tools/mutate.py --rev main         # the tree of a commit (the list stays this one)
    tools/mutate.py --only io-03,plot-01 --all-failures
    tools/mutate.py --sample 100 --seed 7  # 100 mutants drawn at random from every line of product code

A sampled mutant that does not build, or whose line cannot be placed once in
its file, is drawn again. Survivors are printed with their diffs; judge each:
a test that catches it, or a line in tools/equivalent_mutants.txt with the
reason it cannot change what a user sees.
"""
import argparse
import hashlib
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass, field
from pathlib import Path

from mutant_sample import Sampler, product_files

ROOT = Path(__file__).resolve().parent.parent
PROGRAMS = ["kesta", "plot/kesta-plot", "fit/kesta-fit"]  # programs the tests run as a user does


@dataclass
class Mutant:
    ident: str
    path: str  # relative to the tree
    before: str
    after: str
    equivalent: str = ""  # why it cannot change behaviour, when the list says so
    outcome: str = ""  # caught, survived, equivalent, not found, ambiguous, does not build
    caught_by: list = field(default_factory=list)

    @property
    def folder(self):
        parts = Path(self.path).parts
        return "/".join(parts[:2]) if parts[0] == "include" else parts[0]


def read_mutants(path):
    """The list: '@ ID FILE', then '- TEXT', '+ TEXT' and optionally '= REASON'.

    A mutant may span several lines: one '- ' line and one '+ ' line per line
    of text, the lines after the first with their indentation in the file."""
    mutants = []
    for number, line in enumerate(path.read_text().splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        tag, text = line[:1], line[2:]
        if tag == "@":
            ident, _, file = text.partition(" ")
            mutants.append(Mutant(ident, file.strip(), "", ""))
        elif tag in "-+=" and mutants:
            m = mutants[-1]
            # Repeated '-' or '+' lines make a text of several lines, each
            # written after its tag with its own indentation.
            if tag == "-":
                m.before = m.before + "\n" + text if m.before else text
            elif tag == "+":
                m.after = m.after + "\n" + text if m.after else text
            else:
                m.equivalent = text
        else:
            sys.exit(f"{path}:{number}: expected '@ ID FILE', '- TEXT', '+ TEXT' or '= REASON'")
    for m in mutants:
        if not m.before or m.before == m.after:
            sys.exit(f"{path}: mutant {m.ident} changes nothing")
    idents = [m.ident for m in mutants]
    if len(set(idents)) != len(idents):
        sys.exit(f"{path}: mutant names repeat")
    return mutants


def source_files(rev):
    """The tree's files and whether each is executable: tracked and new files of
    the working tree, or a commit's."""
    if rev:
        listing = subprocess.run(["git", "ls-tree", "-r", "-z", rev], cwd=ROOT, check=True, capture_output=True,
                                 text=True).stdout.split("\0")
        files = {}
        for entry in filter(None, listing):
            info, name = entry.split("\t", 1)
            mode, kind, _ = info.split()
            if kind == "blob":
                data = subprocess.run(["git", "show", f"{rev}:{name}"], cwd=ROOT, check=True,
                                      capture_output=True).stdout
                files[name] = (data, mode == "100755")
        return files
    listing = subprocess.run(["git", "ls-files", "--cached", "--others", "--exclude-standard", "-z"], cwd=ROOT,
                             check=True, capture_output=True, text=True).stdout.split("\0")
    return {name: ((ROOT / name).read_bytes(), os.access(ROOT / name, os.X_OK))
            for name in listing if name and (ROOT / name).is_file()}


def sync_tree(files, src):
    """Writes only what differs, so the scratch build stays incremental."""
    for name, (data, executable) in files.items():
        target = src / name
        if not (target.is_file() and target.read_bytes() == data):
            target.parent.mkdir(parents=True, exist_ok=True)
            target.write_bytes(data)
        target.chmod(0o755 if executable else 0o644)
    for target in sorted(src.rglob("*"), reverse=True):
        if target.is_file() and str(target.relative_to(src)) not in files:
            target.unlink()


class Suite:
    """The CTest suite grouped by test program, in the order the run tries them."""

    def __init__(self, build, jobs):
        self.build = build
        self.jobs = jobs
        shown = subprocess.run(["ctest", "--show-only=json-v1"], cwd=build, check=True, capture_output=True,
                               text=True).stdout
        self.groups = {}  # test program -> test names
        for test in json.loads(shown)["tests"]:
            command = test.get("command") or []
            is_gtest = any(a.startswith("--gtest_filter") for a in command)
            key = command[0] if is_gtest else "ctest:" + test["name"]
            self.groups.setdefault(key, []).append(test["name"])
        self.order = sorted(self.groups, key=lambda k: (k.startswith("ctest:"), k))
        self.seconds = {}

    def build_all(self):
        """Every target: the scripted tests use more than the test programs (the
        Python module, kesta-fit), and one built from the unchanged tree would
        differ from a program built with the mutant, a difference no user sees."""
        done = subprocess.run(["cmake", "--build", str(self.build), "-j", str(self.jobs)],
                              capture_output=True, text=True)
        return done.returncode == 0, done.stdout[-3000:] + done.stderr[-3000:]

    def fingerprints(self):
        """A hash of every test program, program and library the tests use."""
        paths = [Path(k) for k in self.groups if not k.startswith("ctest:")]
        # The Python module too: its tests see a mutant of the bindings only through it.
        paths += [self.build / p for p in PROGRAMS] + list(self.build.glob("*.a")) + list(self.build.glob("python/*.so"))
        return {str(p): hashlib.sha256(p.read_bytes()).hexdigest() for p in paths if p.is_file()}

    def affected(self, key, changed):
        """A test program can see a change in itself or in a program it may start."""
        if key.startswith("ctest:"):
            return True  # scripts and outside builds: always run
        return key in changed or any(str(self.build / p) in changed for p in PROGRAMS)

    def run(self, changed=None, fail_fast=True):
        """Runs the groups a change can reach; returns the names of the tests that failed."""
        failed = []
        keys = [k for k in self.order if changed is None or self.affected(k, changed)]
        for key in keys:
            limit = max(120.0, 5 * self.seconds.get(key, 60.0))
            started = time.monotonic()
            failed += self.run_group(key, fail_fast, limit)
            if changed is None:
                self.seconds[key] = time.monotonic() - started
            if failed and fail_fast:
                break
        if changed is None:  # from now on the quickest programs first: a caught mutant costs least
            self.order.sort(key=lambda k: (k.startswith("ctest:"), self.seconds.get(k, 0.0)))
        return failed

    def run_group(self, key, fail_fast, limit):
        if key.startswith("ctest:"):
            command = ["ctest", "-R", "^" + re.escape(key[6:]) + "$", "--no-tests=error", "--output-on-failure"]
            folder = self.build
        else:
            command = [key, "--gtest_brief=1"] + (["--gtest_fail_fast"] if fail_fast else [])
            folder = Path(key).parent  # where CTest runs it
        # In a session of its own, so that a mutant that never ends is stopped
        # with every program its test started: a run left writing forever once
        # filled the disk.
        with subprocess.Popen(command, cwd=folder, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                              errors="replace", start_new_session=True) as process:
            try:
                stdout, _ = process.communicate(timeout=limit)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.communicate()
                return [f"{Path(key).name} (no end within {limit:.0f} s)"]
        done = subprocess.CompletedProcess(command, process.returncode, stdout, "")
        if done.returncode == 0:
            return []
        names = re.findall(r"^\[  FAILED  \] (\S+?)(?:,| \(|$)", done.stdout, re.M)
        names = list(dict.fromkeys(n for n in names if "." in n))
        if key.startswith("ctest:"):
            names = [key[6:]]
        return names or [f"{Path(key).name} (ended with status {done.returncode})"]


def object_index(build):
    """Source file (relative to the tree) -> the object files the build compiles from it."""
    index = {}
    for o in build.rglob("*.o"):
        parts = o.relative_to(build).parts
        if "CMakeFiles" in parts:
            at = parts.index("CMakeFiles")
            index.setdefault(str(Path(*parts[:at], *parts[at + 2:]))[:-2], []).append(o)
    return index


class Restorer:
    """Puts a mutated source file back. The objects the unchanged tree compiles
    from it are put back too, newer than the source, so the next build only
    links again instead of compiling the file once more. They are taken once,
    from the unchanged build: an object taken later may still hold an earlier
    mutant of a header it includes."""

    def __init__(self, src, build, relatives):
        self.src = src
        index = object_index(build)
        self.objects = {r: {o: o.read_bytes() for o in index.get(r, [])} for r in relatives if r.endswith(".cpp")}

    def restore(self, relative, text, times):
        path = self.src / relative
        path.write_text(text)
        if self.objects.get(relative):
            os.utime(path, ns=(times.st_atime_ns, times.st_mtime_ns))
            for o, data in self.objects[relative].items():
                o.write_bytes(data)


def apply(mutant, src):
    path = src / mutant.path
    if not path.is_file():
        return None, "not found"
    text = path.read_text()
    count = text.count(mutant.before)
    if count != 1:
        return None, "not found" if count == 0 else "ambiguous"
    path.write_text(text.replace(mutant.before, mutant.after))
    return text, ""


def table(mutants):
    rows = {}
    for m in mutants:
        rows.setdefault(m.folder, []).append(m)
    lines = [f"{'folder':<14}{'mutants':>8}{'caught':>8}{'survived':>10}{'equivalent':>12}{'other':>7}{'score':>9}"]
    every = []
    for folder in sorted(rows) + ["total"]:
        ms = every if folder == "total" else rows[folder]
        if folder != "total":
            every += ms
        caught = sum(m.outcome == "caught" for m in ms)
        survived = sum(m.outcome == "survived" for m in ms)
        equivalent = sum(m.outcome == "equivalent" for m in ms)
        other = len(ms) - caught - survived - equivalent
        score = f"{100.0 * caught / (caught + survived):.0f} %" if caught + survived else "-"
        lines.append(f"{folder:<14}{len(ms):>8}{caught:>8}{survived:>10}{equivalent:>12}{other:>7}{score:>9}")
    return "\n".join(lines)


def drawn(listed, sampler, wanted):
    """The listed mutants, or mutants drawn until `wanted` of them built and were run."""
    if not sampler:
        yield from list(listed)
        return
    while len(listed) < wanted:
        yield sampler.draw(lambda ident, path, before, after: Mutant(ident, path, before, after))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--mutants", type=Path, default=ROOT / "tools" / "mutants.txt")
    parser.add_argument("--scratch", type=Path, default=Path(tempfile.gettempdir()) / "kesta-mutants")
    parser.add_argument("--rev", help="mutate the tree of this commit instead of the working tree")
    parser.add_argument("--only", help="comma-separated mutant names")
    parser.add_argument("--all-failures", action="store_true", help="run every test, name every test that fails")
    parser.add_argument("--check-equivalent", action="store_true",
                        help="build and test the mutants the list calls equivalent too")
    parser.add_argument("--sample", type=int, help="draw this many mutants at random instead of the list")
    parser.add_argument("--seed", type=int, default=1, help="the draw's seed")
    parser.add_argument("--within", default="",
                        help="with --sample: draw only from these folders or files, comma-separated (case,fit/estimation)")
    parser.add_argument("--dry-run", action="store_true", help="with --sample: print the drawn mutants and stop")
    parser.add_argument("--equivalent", type=Path, default=ROOT / "tools" / "equivalent_mutants.txt")
    parser.add_argument("--jobs", type=int, default=2)
    args = parser.parse_args()

    files = source_files(args.rev)
    mutants = [] if args.sample else read_mutants(args.mutants)
    within = tuple(f for f in args.within.split(",") if f)
    if args.sample and args.dry_run:  # the draw alone, before any build decides which mutants build
        sampler = Sampler(files, args.seed, args.equivalent, within)
        for _ in range(args.sample):
            m = sampler.draw(lambda ident, path, before, after: Mutant(ident, path, before, after))
            print(f"{m.ident} {m.path}\n  - {m.before.splitlines()[0].strip()}\n  + {m.after.splitlines()[0].strip()}")
        return 0
    if args.only:
        wanted = set(args.only.split(","))
        mutants = [m for m in mutants if m.ident in wanted]
    src, build = args.scratch / "src", args.scratch / "build"
    src.mkdir(parents=True, exist_ok=True)
    sync_tree(files, src)
    # A run stopped while a mutant was in place may have left objects built from
    # it that look newer than their sources: everything is built again.
    in_place = args.scratch / "mutant-in-place"
    if in_place.exists():
        for f in src.rglob("*"):
            os.utime(f)
        in_place.unlink()
    if not (build / "CMakeCache.txt").is_file():
        subprocess.run(["cmake", "-S", str(src), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release"], check=True,
                       capture_output=True)
    # Everything once: the tests are discovered by building their programs.
    done = subprocess.run(["cmake", "--build", str(build), "-j", str(args.jobs)], capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit("the unchanged tree does not build:\n" + done.stdout[-3000:] + done.stderr[-3000:])
    suite = Suite(build, args.jobs)
    baseline = suite.fingerprints()
    sampler = Sampler(files, args.seed, args.equivalent, within) if args.sample else None
    touched = set(product_files(files)) if sampler else {m.path for m in mutants}
    restorer = Restorer(src, build, touched)
    print(f"suite: {sum(map(len, suite.groups.values()))} tests in {len(suite.groups)} programs; "
          f"{args.sample or len(mutants)} mutants" + (f" drawn with seed {args.seed}" if sampler else ""), flush=True)
    if failed := suite.run(fail_fast=False):
        sys.exit("the unchanged tree fails tests: " + ", ".join(failed))

    redrawn = 0
    for m in drawn(mutants, sampler, args.sample):
        started = time.monotonic()
        times = (src / m.path).stat() if (src / m.path).is_file() else None
        in_place.write_text(m.ident)
        original, problem = apply(m, src)
        if problem:
            m.outcome = problem
        elif m.equivalent and not args.check_equivalent:
            m.outcome = "equivalent"
            restorer.restore(m.path, original, times)
        else:
            try:
                ok, log = suite.build_all()
                if not ok:
                    m.outcome = "does not build"
                else:
                    now = suite.fingerprints()
                    changed = {p for p, h in now.items() if baseline.get(p) != h}
                    m.caught_by = suite.run(changed, fail_fast=not args.all_failures) if changed else []
                    if m.caught_by:
                        m.outcome = "caught"
                    elif m.equivalent or not changed:
                        m.outcome = "equivalent"
                        m.equivalent = m.equivalent or "the same machine code"
                    else:
                        m.outcome = "survived"
            finally:
                restorer.restore(m.path, original, times)
        in_place.unlink()
        shown = ", ".join(m.caught_by[:3]) if m.caught_by else m.equivalent
        print(f"{m.ident:<18}{m.outcome:<15}{time.monotonic() - started:6.0f} s  {m.path}  {shown}", flush=True)
        if sampler and m.outcome in ("does not build", "not found", "ambiguous"):
            redrawn += 1
        elif sampler:
            mutants.append(m)

    suite.build_all()  # leaves the scratch build as the tree is
    if sampler:
        print(f"\n{redrawn} drawn mutants did not build or could not be placed, and were drawn again")
    print()
    print(table(mutants))
    for title, outcome in [("Not caught", "survived"), ("Equivalent", "equivalent"), ("Not found in their file", "not found"),
                           ("Text found more than once", "ambiguous"), ("Do not build", "does not build")]:
        chosen = [m for m in mutants if m.outcome == outcome]
        if chosen:
            print(f"\n{title}:")
            for m in chosen:
                print(f"  {m.ident} {m.path}: '{m.before.strip()}' -> '{m.after.strip()}'"
                      + (f"  ({m.equivalent})" if outcome == "equivalent" else ""))
                if sampler and outcome == "survived":
                    print("".join(f"    - {line}\n" for line in m.before.splitlines())
                          + "".join(f"    + {line}\n" for line in m.after.splitlines()), end="")
    listed_wrongly = [m for m in mutants if m.outcome == "caught" and m.equivalent]
    for m in listed_wrongly:
        print(f"\nListed as equivalent but caught: {m.ident} by {', '.join(m.caught_by)}")
    return 1 if listed_wrongly else 0


if __name__ == "__main__":
    sys.exit(main())
