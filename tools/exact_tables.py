#!/usr/bin/env python3
"""The results table of a deck as an exact evaluation of the model prints it.

An independent judge of the program's inversions: the Laplace-domain step
responses are written here from the model's physics (one-dimensional flow away
from a stream, leakage through an aquitard), inverted at high precision by a
fixed Talbot contour and superposed over the stress series in exact integer
arithmetic. For every row and printed column the correctly rounded text of the
report (D11.5 for the head, D10.4 for the rest) is stored with a flag where the
exact value lies so close to a rounding boundary that no double-precision
program can be asked to decide it, and with the exact value's offset from the
printed one in units of the last printed digit.

    nice -n 15 python3 tools/exact_tables.py                    # every deck
    python3 tools/exact_tables.py --only water-table-stage      # one deck
    python3 tools/exact_tables.py --write-decks                 # the generated decks
    python3 tools/exact_tables.py --cross-check                 # second inversion

Decks: examples/*.dat and tests/accuracy/decks/*.dat; tables go to
tests/accuracy/expected/<deck>.csv.
"""
import argparse
import datetime
import fractions
import pathlib
import re
import sys
import time

import mpmath
from mpmath import mp, mpf, mpc

ROOT = pathlib.Path(__file__).resolve().parent.parent
EXAMPLES = ROOT / "examples"
DECKS = ROOT / "tests" / "accuracy" / "decks"
EXPECTED = ROOT / "tests" / "accuracy" / "expected"

# Fixed Talbot contour: kNodes nodes at kDigits working digits give about
# 0.6·kNodes correct digits for transforms whose singularities lie on the
# negative real axis, as every transform of this model does.
kNodes = 72
kDigits = 90
# The cross-check: the same contour with half as many nodes again, at more
# digits, and mpmath's de Hoog-Knight-Stokes algorithm on a sample of times.
kCheckNodes = 108
kCheckDigits = 130
kDeHoogDigits = 60
# A printed value whose exact value lies within this fraction of a unit of the
# last printed digit of a rounding boundary is a tie: either neighbour is half a
# unit off to within the margin. The inputs' rounding to doubles alone moves a
# value by up to 1e-11 of a unit; 1e-6 flags about one value in 500 000.
kTieMargin = mpf("1e-6")
# Digits of the offset from the printed value (units of the last digit).
kOffsetDecimals = 8

COLUMNS = ("HEAD", "SEEP", "SEEPT", "BANK", "BANKV")
DIGITS = {"HEAD": 5, "SEEP": 4, "SEEPT": 4, "BANK": 4, "BANKV": 4}


# ---------------------------------------------------------------- the deck

def list_values(line, count):
    """Free-form values of one deck line (blanks or commas between, D or E
    exponents), as the doubles the program holds."""
    text = line.split("/")[0]
    words = [w for w in re.split(r"[\s,]+", text.strip()) if w]
    values = []
    for w in words:
        if "*" in w:
            r, v = w.split("*", 1)
            values += [float(v.replace("D", "E").replace("d", "e"))] * int(r)
        else:
            values.append(float(w.replace("D", "E").replace("d", "e")))
    if len(values) < count:
        raise ValueError(f"too few values in {line!r}")
    return values[:count]


def read_deck(path):
    lines = path.read_text().splitlines()
    d = {}
    d["ISTRESS"], d["DELT"], _ = list_values(lines[2], 3)
    d["IXL"], d["IAQ"], d["IXA"] = (int(v) for v in list_values(lines[3], 3))
    d["XZERO"], d["XLL"], d["XAA"], d["XSTREAM"] = list_values(lines[4], 4)
    d["AK"], d["AS"], d["AB"] = list_values(lines[5], 3)
    d["AKT"], d["AST"], d["ABT"], d["ASYT"] = list_values(lines[6], 4)
    d["X"], d["HINIT"], d["TINIT"] = list_values(lines[7], 3)
    d["NS"] = int(list_values(lines[8], 1)[0])
    d["NT"] = int(list_values(lines[9], 1)[0])
    d["ISTRESS"] = int(d["ISTRESS"])
    d["STAGE"], d["RECH"] = [], []
    for i in range(d["NT"]):
        _, stage, rech = list_values(lines[10 + i], 3)
        d["STAGE"].append(stage)
        d["RECH"].append(rech)
    return d


# ------------------------------------------------------- the model's physics

class Model:
    """The dimensionless model of one deck, at the working precision.

    Distances in stream half widths (bank at 1, well at xd, valley wall at
    xl), times in AS·XZERO²/AK. In the Laplace domain the head obeys
    h'' = (p + f(p))·h, f being the leakage through the aquitard; the bank
    condition h(1) - xa·h'(1) = 1/p is a unit stage step seen through the
    streambank's leakance xa; the far boundary is h → 0 (semi-infinite) or
    h'(xl) = 0 (valley wall). The seepage response is h'(1)."""

    def __init__(self, d):
        X, XZERO = mpf(d["X"]), mpf(d["XZERO"])
        AK, AS, AB = mpf(d["AK"]), mpf(d["AS"]), mpf(d["AB"])
        self.iaq, self.ixl = d["IAQ"], d["IXL"]
        self.xd = X / XZERO
        self.xl = mpf(d["XLL"]) / XZERO if d["IXL"] == 1 else None
        self.xa = mpf(d["XAA"]) / XZERO if d["IXA"] == 1 else mpf(0)
        if self.iaq >= 1:
            AKT, AST, ABT = mpf(d["AKT"]), mpf(d["AST"]), mpf(d["ABT"])
            # Aquitard: vertical diffusion over its thickness. Its leakage into
            # the aquifer per unit head is K'/(b'·K·b)·XZERO² times the
            # dimensionless flux factor; its diffusion time against the
            # aquifer's time scale gives u² = (S'·b'/(S·b))·p/gamma².
            self.gamma2 = XZERO * XZERO * AKT / (AK * AB * ABT)
            self.sigma1 = (AST * ABT) / (AS * AB)
            if self.iaq == 3:
                self.sigmap = (AS * AB) / mpf(d["ASYT"])

    def leakage(self, p):
        if self.iaq == 0:
            return mpc(0)
        u = mpmath.sqrt(self.sigma1 * p / self.gamma2)
        a = self.gamma2 * u
        if self.iaq == 1:  # aquitard top held at constant head
            return a * mpmath.coth(u)
        if self.iaq == 2:  # aquitard top closed
            return a * mpmath.tanh(u)
        # Water table on top: its storage c = p/SIGMAP takes part; c → 0 closes
        # the top, c → ∞ holds it.
        c = p / self.sigmap
        t = mpmath.tanh(u)
        return a * (c + a * t) / (a + c * t)

    def transforms(self, p):
        """Head at the well and gradient at the bank, Laplace domain."""
        q = mpmath.sqrt(p + self.leakage(p))
        if self.ixl == 0:
            amplitude = 1 / (p * (1 + self.xa * q))
            return amplitude * mpmath.exp(-q * (self.xd - 1)), -q * amplitude
        # h = A·cosh(q(xl - x)), written with decaying exponentials so that
        # large |q| costs no digits.
        w = self.xl - 1
        e_bank = mpmath.exp(-2 * q * w)
        tanh_w = (1 - e_bank) / (1 + e_bank)
        amplitude = 1 / (p * (1 + self.xa * q * tanh_w))
        head = amplitude * mpmath.exp(-q * (self.xd - 1)) * (1 + mpmath.exp(-2 * q * (self.xl - self.xd))) / (1 + e_bank)
        return head, -q * tanh_w * amplitude


def talbot(transforms, t, nodes):
    """Fixed Talbot inversion of both transforms at time t: the contour
    p(θ) = r·θ·(cot θ + i), r = 2·nodes/(5t), trapezoid rule in θ."""
    r = mpf(2 * nodes) / (5 * t)
    head0, seep0 = transforms(mpc(r))
    e0 = mpmath.exp(r * t)
    sum_h = head0.real * e0 / 2
    sum_q = seep0.real * e0 / 2
    for k in range(1, nodes):
        theta = k * mp.pi / nodes
        cot = mpmath.cot(theta)
        p = r * theta * mpc(cot, 1)
        sigma = theta + (theta * cot - 1) * cot
        factor = mpmath.exp(p * t) * mpc(1, sigma)
        head, seep = transforms(p)
        sum_h += (factor * head).real
        sum_q += (factor * seep).real
    scale = r / nodes
    return sum_h * scale, sum_q * scale


def lag_time(d, j):
    """Dimensionless time of lag j, exactly, from the doubles of the deck."""
    AK, AS, XZERO = mpf(d["AK"]), mpf(d["AS"]), mpf(d["XZERO"])
    return AK * (j * mpf(d["DELT"])) / (AS * XZERO * XZERO)


def step_responses(d, nodes, digits, lags):
    with mp.workdps(digits):
        model = Model(d)
        return [talbot(model.transforms, lag_time(d, j), nodes) for j in lags]


def dehoog_responses(d, digits, lags):
    with mp.workdps(digits):
        model = Model(d)
        out = []
        for j in lags:
            t = lag_time(d, j)
            h = mpmath.invertlaplace(lambda p: model.transforms(p)[0], t, method="dehoog")
            q = mpmath.invertlaplace(lambda p: model.transforms(p)[1], t, method="dehoog")
            out.append((h, q))
        return out


# ------------------------------------------------------------ superposition

kScaleBits = 320  # fixed point of the step responses: 2^-320 ≈ 1e-96


def stress_changes(d):
    """Changes of the head's and the seepage's stress between consecutive
    lines, as exact fractions of the deck's doubles."""
    stage = [fractions.Fraction(v) for v in d["STAGE"]]
    rech = [fractions.Fraction(v) for v in d["RECH"]]
    if d["ISTRESS"] == 0:
        hs, qs = stage, stage
    elif d["ISTRESS"] == 1:
        hs, qs = rech, [-v for v in rech]
    else:
        hs = [s + r for s, r in zip(stage, rech)]
        qs = [s - r for s, r in zip(stage, rech)]
    return [b - a for a, b in zip(hs, hs[1:])], [b - a for a, b in zip(qs, qs[1:])]


def exact_fraction(v):
    """The exact value of an mpf, whatever the working precision (its
    mantissa is kept without its sign)."""
    man, exp = v.man_exp
    value = fractions.Fraction(man) * fractions.Fraction(2) ** exp
    return -value if v < 0 else value


def convolve(changes, responses):
    """out[k] = Σ_{j=1}^{k} changes[k-j]·responses[j-1] for k = 1..n, exactly:
    the doubles' changes are dyadic, the responses fixed point."""
    denominator = max(c.denominator for c in changes) if changes else 1
    ints = [int(c * denominator) for c in changes]
    assert all(fractions.Fraction(i, denominator) == c for i, c in zip(ints, changes))
    fixed = [round(exact_fraction(v) * 2**kScaleBits) for v in responses]
    out = []
    for k in range(1, len(changes) + 1):
        total = 0
        for j in range(1, k + 1):
            c = ints[k - j]
            if c:
                total += c * fixed[j - 1]
        out.append(fractions.Fraction(total, denominator << kScaleBits))
    return out


def exact_series(d, responses):
    """The five result series of the deck, exact up to the inversion."""
    dh, dq = stress_changes(d)
    rh = [r[0] for r in responses]
    rq = [r[1] for r in responses]
    head_sum = convolve(dh, rh)
    seep_sum = convolve(dq, rq)
    AK, AB, XZERO = (fractions.Fraction(d[n]) for n in ("AK", "AB", "XZERO"))
    DELT, XSTREAM, HINIT = (fractions.Fraction(d[n]) for n in ("DELT", "XSTREAM", "HINIT"))
    rows = [dict(HEAD=HINIT, SEEP=0, SEEPT=0, BANK=0, BANKV=0)]
    bank = fractions.Fraction(0)
    for k in range(len(head_sum)):
        seep = AK * AB / XZERO * seep_sum[k]
        bank -= seep * DELT
        rows.append(dict(HEAD=HINIT + head_sum[k], SEEP=seep, SEEPT=2 * XSTREAM * seep, BANK=bank,
                         BANKV=2 * XSTREAM * bank))
    return rows


# ---------------------------------------------------------------- printing

def printed(value, d):
    """The Dw.d text of an exact value (d significant digits, the report's
    editing), whether it is a tie, and its offset from the printed value in
    units of the last printed digit."""
    value = fractions.Fraction(value)
    if value == 0:
        return "0." + "0" * d + "D+00", False, fractions.Fraction(0)
    sign = "-" if value < 0 else ""
    magnitude = abs(value)
    # Exponent e with 10^(e-1) <= magnitude < 10^e.
    e = len(str(magnitude.numerator)) - len(str(magnitude.denominator))
    while magnitude >= fractions.Fraction(10) ** e:
        e += 1
    while magnitude < fractions.Fraction(10) ** (e - 1):
        e -= 1
    scaled = magnitude / fractions.Fraction(10) ** (e - d)  # in [10^(d-1), 10^d)
    whole = scaled.numerator // scaled.denominator
    fraction = scaled - whole
    tie = abs(fraction - fractions.Fraction(1, 2)) < fractions.Fraction(str(kTieMargin))
    half = fractions.Fraction(1, 2)
    digits = whole + 1 if fraction > half or (fraction == half and whole % 2) else whole  # ties to even
    offset = scaled - digits
    if digits == 10 ** d:
        digits //= 10
        e += 1
        offset = offset / 10
    # D and two exponent digits, or no letter and three; a minus sign takes
    # the leading zero's column.
    exponent = f"D{'+' if e >= 0 else '-'}{abs(e):02d}" if abs(e) <= 99 else f"{'+' if e >= 0 else '-'}{abs(e):03d}"
    text = f"{sign or '0'}.{digits}{exponent}"
    return text, tie, offset if not sign else -offset


# ------------------------------------------------------------------- decks

def deck_paths():
    return sorted(EXAMPLES.glob("*.dat")) + sorted(DECKS.glob("*.dat"))


def table(path, nodes=kNodes, digits=kDigits):
    d = read_deck(path)
    lags = range(1, d["NT"])
    started = time.time()
    responses = step_responses(d, nodes, digits, lags)
    rows = exact_series(d, responses)
    return d, rows, time.time() - started


def offset_text(offset):
    """An offset in units of the last digit, short: -.12345678, .5, 0."""
    text = f"{float(offset):.{kOffsetDecimals}f}".rstrip("0").rstrip(".")
    text = text.replace("0.", ".", 1) if text.lstrip("-").startswith("0.") else text
    return "0" if text in ("", "-0", "0", "-") else text


def write_table(path, d, rows, seconds, check):
    EXPECTED.mkdir(parents=True, exist_ok=True)
    out = EXPECTED / (path.stem + ".csv")
    ties = 0
    lines = [
        f"# {path.relative_to(ROOT)}: the results table of the exact model, as the report prints it",
        f"# by tools/exact_tables.py, mpmath {mpmath.__version__}, fixed Talbot contour of {kNodes} nodes"
        f" at {kDigits} digits; superposed in exact integer arithmetic",
        f"# cross-check: {check}",
        f"# ties (~): exact value within {mpmath.nstr(kTieMargin, 3)} of a unit of the last printed digit"
        f" from a rounding boundary; offsets: (exact - printed) in units of the last printed digit",
        f"# written {datetime.date.today().isoformat()} in {seconds:.0f} s",
        "k," + ",".join(COLUMNS) + "," + ",".join("d" + c for c in COLUMNS),
    ]
    for k, row in enumerate(rows, start=1):
        texts, offsets = [], []
        for c in COLUMNS:
            text, tie, offset = printed(row[c], DIGITS[c])
            ties += tie
            texts.append(text + ("~" if tie else ""))
            offsets.append(offset_text(offset))
        lines.append(f"{k}," + ",".join(texts) + "," + ",".join(offsets))
    out.write_text("\n".join(lines) + "\n")
    return ties


def cross_check(path, samples=6):
    """Largest difference, relative to the response's scale, between the
    main inversion and (a) the same contour with more nodes and digits at
    every lag, (b) de Hoog's algorithm at a sample of lags."""
    d = read_deck(path)
    lags = list(range(1, d["NT"]))
    sample = sorted({lags[0], lags[-1]} | {lags[i * (len(lags) - 1) // (samples - 1)] for i in range(samples)})
    main = step_responses(d, kNodes, kDigits, sample)
    more = step_responses(d, kCheckNodes, kCheckDigits, sample)
    hoog = dehoog_responses(d, kDeHoogDigits, sample)

    def worst(a, b):
        with mp.workdps(kCheckDigits):
            return max(max(abs(x[0] - y[0]), abs(x[1] - y[1])) for x, y in zip(a, b))

    return worst(main, more), worst(main, hoog), worst(more, hoog), sample


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--only", action="append", help="deck name (without .dat); may repeat")
    parser.add_argument("--write-decks", action="store_true", help="write the generated decks and stop")
    parser.add_argument("--cross-check", action="store_true", help="check the inversion on a sample and stop")
    args = parser.parse_args()
    if args.write_decks:
        import accuracy_decks
        accuracy_decks.write(DECKS)
        return 0
    paths = [p for p in deck_paths() if not args.only or p.stem in args.only]
    if not paths:
        print("no such deck", file=sys.stderr)
        return 1
    for path in paths:
        if args.cross_check:
            more, hoog, both = cross_check(path)[:3]
            print(f"{path.stem}: against Talbot {kCheckNodes}/{kCheckDigits} {mpmath.nstr(more, 2)},"
                  f" against de Hoog {mpmath.nstr(hoog, 2)}; those two apart {mpmath.nstr(both, 2)}", flush=True)
            continue
        d, rows, seconds = table(path)
        check = (f"lags 1, NT-1 and 4 between by Talbot {kCheckNodes} nodes/{kCheckDigits} digits and"
                 f" de Hoog at {kDeHoogDigits} digits: see tests/accuracy/README.md")
        ties = write_table(path, d, rows, seconds, check)
        print(f"{path.stem}: {len(rows)} rows, {ties} ties, {seconds:.0f} s", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
