"""The judge of tests/accuracy judged: its editing against the report's worked
examples, its step responses against the closed forms and steady states of the
model, its inversion against the same contour with more nodes. Skipped (exit
77) where mpmath is not installed: the tests of the program read the stored
tables and do not need it."""
import fractions
import sys
import unittest
from pathlib import Path

try:
    import mpmath
    from mpmath import mp, mpf
except ImportError:
    print("mpmath is not installed: scripts/needs tables")
    sys.exit(77)

sys.path.insert(0, str(Path(__file__).resolve().parent))
import exact_tables as judge  # noqa: E402


def deck(**values):
    """A dimensionless deck: XZERO = AK = AS = AB = 1, so XD = X, TD = t."""
    d = dict(ISTRESS=0, DELT=1.0, IXL=0, IAQ=0, IXA=0, XZERO=1.0, XLL=0.0, XAA=0.0, XSTREAM=1.0, AK=1.0, AS=1.0,
             AB=1.0, AKT=0.0, AST=0.0, ABT=0.0, ASYT=0.0, X=3.0, HINIT=0.0, TINIT=0.0, NS=10, NT=2)
    d.update(values)
    return d


def responses(d, t):
    with mp.workdps(judge.kDigits):
        return judge.talbot(judge.Model(d).transforms, mpf(t), judge.kNodes)


class Editing(unittest.TestCase):
    def test_report_fields_edit_as_the_worked_examples(self):
        # value, significant digits, text of the D11.5 or D10.4 field
        cases = [
            (1234.5678, 5, "0.12346D+04"),
            (-1234.5678, 5, "-.12346D+04"),
            (-1234.5678, 4, "-.1235D+04"),
            (9.9996, 4, "0.1000D+02"),  # the rounding carries into the exponent
            (0.1, 4, "0.1000D+00"),
            (0.0, 4, "0.0000D+00"),
            (-1.0e-120, 4, "-.1000-119"),  # three exponent digits, no letter
            (2.5e150, 5, "0.25000+151"),
        ]
        for value, digits, text in cases:
            with self.subTest(value=value, digits=digits):
                self.assertEqual(judge.printed(fractions.Fraction(value), digits)[0], text)

    def test_ties_go_to_the_even_digit_and_are_flagged(self):
        self.assertEqual(judge.printed(fractions.Fraction(1.125), 3)[:2], ("0.112D+01", True))
        self.assertEqual(judge.printed(fractions.Fraction(1.375), 3)[:2], ("0.138D+01", True))
        unit = fractions.Fraction(1, 100)
        self.assertEqual(judge.printed(fractions.Fraction(1.125) + unit / 10**7, 3)[:2], ("0.113D+01", True))
        self.assertEqual(judge.printed(fractions.Fraction(1.125) + 2 * unit / 10**6, 3)[:2], ("0.113D+01", False))

    def test_offset_is_exact_minus_printed_in_units(self):
        _, _, offset = judge.printed(fractions.Fraction(-5642, 10**4) - fractions.Fraction(3, 10**9), 4)
        self.assertEqual(offset, fractions.Fraction(-3, 100000))


class StepResponses(unittest.TestCase):
    def assertClose(self, got, want, tolerance):
        self.assertLess(abs(got - want), tolerance, f"{mpmath.nstr(got, 40)} against {mpmath.nstr(want, 40)}")

    def test_half_space_and_streambank_closed_forms(self):
        with mp.workdps(50):
            for t in ("0.05", "1", "40"):
                t = mpf(t)
                with self.subTest(t=t):
                    # erfc(x/2√t) and -1/√(πt), well at x = 2 from the bank
                    head, seepage = responses(deck(X=3.0), t)
                    self.assertClose(head, mpmath.erfc(1 / mpmath.sqrt(t)), mpf(10) ** -35)
                    self.assertClose(seepage, -1 / mpmath.sqrt(mp.pi * t), mpf(10) ** -35)
                    # behind a streambank of leakance 1/b: the half space behind a surface resistance
                    b, x = 1 / mpf(0.7), mpf(2)  # the double the deck holds
                    head, seepage = responses(deck(X=3.0, IXA=1, XAA=0.7), t)
                    root = b * mpmath.sqrt(t)
                    z = x / (2 * mpmath.sqrt(t))
                    self.assertClose(head, mpmath.erfc(z) - mpmath.exp(b * x + root**2) * mpmath.erfc(z + root),
                                     mpf(10) ** -35)
                    self.assertClose(seepage, -b * mpmath.exp(root**2) * mpmath.erfc(root), mpf(10) ** -35)

    def test_late_states(self):
        with mp.workdps(50):  # the expected states too
            gamma = mpf("0.5")  # GAMMA1 with XZERO = AB = ABT = 1 and AKT = 0.25
            leaky = dict(IAQ=1, AKT=0.25, AST=2.0, ABT=1.0, IXA=1, XAA=0.7)
            valley = dict(IXL=1, XLL=5.0, X=2.0)
            cases = [
                # the leaky aquifer's steady head and gradient
                ("leaky", leaky, 2000, mpmath.exp(-2 * gamma) / (1 + mpf(0.7) * gamma), -gamma / (1 + mpf(0.7) * gamma)),
                # a closed valley fills to the stage, its seepage dies away
                ("valley", valley, 2000, mpf(1), mpf(0)),
                ("valley under a water table", dict(valley, IAQ=3, AKT=0.25, AST=2.0, ABT=1.0, ASYT=2.0), 40000, mpf(1), mpf(0)),
            ]
            for name, values, t, head, seepage in cases:
                with self.subTest(name):
                    got_head, got_seepage = responses(deck(**values), t)
                    self.assertClose(got_head, head, mpf(10) ** -25)
                    self.assertClose(got_seepage, seepage, mpf(10) ** -25)

    def test_more_nodes_agree_in_every_configuration(self):
        with mp.workdps(judge.kCheckDigits):
            for IXL in (0, 1):
                for IAQ in range(4):
                    d = deck(IXL=IXL, IAQ=IAQ, IXA=1, XLL=10.0, XAA=0.7, AKT=0.25, AST=2.0, ABT=1.0, ASYT=2.0)
                    with self.subTest(IXL=IXL, IAQ=IAQ):
                        main = responses(d, 3)
                        more = judge.talbot(judge.Model(d).transforms, mpf(3), judge.kCheckNodes)
                        self.assertClose(main[0], more[0], mpf(10) ** -35)
                        self.assertClose(main[1], more[1], mpf(10) ** -35)


class Superposition(unittest.TestCase):
    def test_unit_step_is_the_response_one_step_behind(self):
        d = deck(NT=4, STAGE=[0.0, 1.0, 1.0, 1.0], RECH=[0.0] * 4, XSTREAM=2.0, HINIT=1.5)
        rows = judge.exact_series(d, judge.step_responses(d, judge.kNodes, judge.kDigits, range(1, 4)))
        with mp.workdps(50):
            for k in (1, 2, 3):
                t = mpf(k)
                head = mpmath.erfc(1 / mpmath.sqrt(t)) + mpf(1.5)
                self.assertLess(abs(judge.exact_fraction(head) - rows[k]["HEAD"]), 10**-35)
            seepage = sum(-1 / mpmath.sqrt(mp.pi * j) for j in (1, 2, 3))
            self.assertLess(abs(judge.exact_fraction(-seepage) - rows[3]["BANK"]), 10**-35)
            self.assertEqual(rows[3]["BANKV"], 4 * rows[3]["BANK"])  # 2·XSTREAM

    def test_recharge_turns_the_seepage_over(self):
        stage = dict(IAQ=3, AKT=0.25, AST=2.0, ABT=1.0, ASYT=2.0, NT=3, STAGE=[0.0, 0.5, 0.2], RECH=[0.0] * 3)
        recharge = dict(stage, ISTRESS=1, STAGE=[0.0] * 3, RECH=[0.0, 0.5, 0.2])
        results = []
        for values in (stage, recharge):
            d = deck(**values)
            results.append(judge.exact_series(d, judge.step_responses(d, judge.kNodes, judge.kDigits, range(1, 3))))
        for a, b in zip(*results):
            self.assertEqual(a["HEAD"], b["HEAD"])
            self.assertEqual(a["SEEP"], -b["SEEP"])


if __name__ == "__main__":
    unittest.main()
