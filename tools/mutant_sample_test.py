"""The random mutation sample: the slips each kind of line allows, and a draw
that repeats with its seed."""
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from mutant_sample import Sampler, code_lines, slips  # noqa: E402


class Slips(unittest.TestCase):
    def test_each_kind_of_line_gives_its_slips(self):
        cases = [
            ("  if (a < b && !done) x = y + 1;", {
                "  if (a <= b && !done) x = y + 1;", "  if (a < b || !done) x = y + 1;",
                "  if (a < b && done) x = y + 1;", "  if (!(a < b && !done)) x = y + 1;",
                "  if (a < b && !done) x = y - 1;", "  if (a < b && !done) x = y + 2;",
                "  if (a < b && !done) x = y + 2;", "  {}  // if (a < b && !done) x = y + 1;"}),
            ("  total += rows[k];", {"  total += rows[k + 1];", "  {}  // total += rows[k];"}),
            ("  return scale(width, height);", {"  return scale(height, width);"}),
            ("  std::vector<int> v;", set()),  # template brackets are no comparison
            ('  err << "a < b == c";', set()),  # nothing inside the text
            ('  fail("a < b");', {'  {}  // fail("a < b");'}),
        ]
        for line, expected in cases:
            with self.subTest(line=line):
                self.assertEqual({mutated for _, mutated in slips(line)}, expected)

    def test_comments_blanks_and_braces_hold_no_code(self):
        text = "// note\n#include <x>\n\nint f() {\n  return 1;\n}\n"
        self.assertEqual(code_lines(text), [(4, "int f() {"), (5, "  return 1;")])

    def test_the_same_seed_draws_the_same_mutants(self):
        files = {"model/a.cpp": (b"int f(int a, int b) {\n  return a < b ? a + 1 : b;\n}\n", False),
                 "model/tests/t.cpp": (b"int g() { return 1 + 2; }\n", False)}
        draws = []
        for _ in range(2):
            sampler = Sampler(files, 11, Path("/nonexistent"))
            draws.append([sampler.draw(lambda *m: m) for _ in range(3)])
        self.assertEqual(draws[0], draws[1])
        self.assertTrue(all(path == "model/a.cpp" for _, path, _, _ in draws[0]))

    def test_within_takes_folders_and_files_but_not_part_of_a_name(self):
        body = b"int f(int a, int b) {\n  if (a < b && a > 2) return a + 1;\n  return a - b * 3;\n}\n"
        files = {"fit/estimation/a.cpp": (body, False), "fit/case/b.cpp": (body, False), "model/c.cpp": (body, False)}
        cases = [(("fit",), {"fit/estimation/a.cpp", "fit/case/b.cpp"}),
                 (("fit/estimation",), {"fit/estimation/a.cpp"}),
                 (("model/c.cpp", "fit/case/"), {"model/c.cpp", "fit/case/b.cpp"})]
        for within, expected in cases:
            with self.subTest(within=within):
                sampler = Sampler(files, 5, Path("/nonexistent"), within)
                self.assertEqual({path for _, path, _, _ in (sampler.draw(lambda *m: m) for _ in range(6))}, expected)
        for within in [("fit/est",), ("mod",)]:
            with self.subTest(within=within), self.assertRaises(ValueError):
                Sampler(files, 5, Path("/nonexistent"), within)


if __name__ == "__main__":
    unittest.main()
