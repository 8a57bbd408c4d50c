"""The small decks of tests/accuracy/decks: every aquifer configuration
(IXL 0/1 × IAQ 0..3 × IXA 0/1) under three stresses.

Under a water-table aquitard (IAQ 3) the three stresses are the three stress
types: a stage flood wave (ISTRESS 0), an irregular recharge record
(ISTRESS 1) and both (ISTRESS 2). The other aquifer types take no recharge,
so there the three are stage shapes: a step, a flood wave and an irregular
record. The aquifer values change from configuration to configuration, and the
time step is set so that the 30 to 60 steps reach from the first response at
the well to the late, nearly settled part: the slowest of the well's diffusion
time, the valley's, the leakage's and the aquitard's.
"""
import math

ORDER = [(ixl, iaq, ixa) for ixl in (0, 1) for iaq in range(4) for ixa in (0, 1)]
AQUIFER = ("confined", "leaky, constant head", "leaky, impervious layer", "water-table aquitard")


def lcg(seed):
    """A fixed linear congruential generator: the same record everywhere."""
    state = seed

    def uniform():
        nonlocal state
        state = (1103515245 * state + 12345) % 2**31
        return state / 2**31

    return uniform


def two_digits(x):
    """x to two significant digits, as a deck author would write it."""
    e = math.floor(math.log10(x))
    return round(x / 10**e, 1) * 10**e


def fmt(x):
    return f"{x:.6g}"


def stage_step(nt, amplitude):
    return [0.0] + [amplitude] * (nt - 1)


def flood_wave(nt, peak, peak_step):
    return [round(peak * ((k / peak_step) * math.exp(1 - k / peak_step)) ** 2, 4) for k in range(nt)]


def irregular(nt, seed, size):
    uniform = lcg(seed)
    level, out = 0.0, [0.0]
    for _ in range(nt - 1):
        level += size * (uniform() - 0.45)
        out.append(round(level, 3))
    return out


def config_values(n, ixl, iaq, ixa):
    """Aquifer, aquitard and well values of configuration n, varied."""
    v = {}
    v["XZERO"] = (5.0, 10.0, 20.0, 12.5)[n % 4]
    v["AK"] = (2.0, 5.0, 10.0, 25.0, 0.8)[n % 5]
    v["AS"] = (1.0e-5, 5.0e-5, 1.0e-4, 2.0e-4)[(n // 2) % 4]
    v["AB"] = (8.0, 12.0, 20.0, 30.0, 15.0)[(n + 1) % 5]
    xd = (1.5, 3.0, 6.0, 10.0, 4.0)[n % 5]
    v["X"] = v["XZERO"] * xd
    xlld = (xd + 4.0, 2.0 * xd + 5.0, 25.0)[n % 3]
    v["XLL"] = v["XZERO"] * xlld if ixl == 1 else 0.0
    xaad = (0.5, 2.0, 5.0, 1.0)[(n // 3) % 4]
    v["XAA"] = v["XZERO"] * xaad if ixa == 1 else 0.0
    v["XSTREAM"] = (1000.0, 5000.0, 2500.0)[n % 3]
    if iaq >= 1:
        v["AKT"] = (0.001, 0.01, 0.05)[n % 3]
        v["AST"] = (1.0e-4, 5.0e-4, 1.0e-3)[(n + 1) % 3]
        v["ABT"] = (2.0, 5.0, 10.0)[(n + 2) % 3]
        v["ASYT"] = (0.05, 0.1, 0.2)[n % 3] if iaq == 3 else 0.0
    else:
        v["AKT"] = v["AST"] = v["ABT"] = v["ASYT"] = 0.0
    v["HINIT"] = (0.0, 10.0, 0.5, 100.0)[n % 4]
    v["NS"] = (10, 12, 14, 16, 18)[n % 5]

    # The slowest time of the configuration, dimensionless.
    slow = (xd - 1.0) ** 2 + 1.0
    if ixl == 1:
        slow = max(slow, 4.0 * (xlld - 1.0) ** 2 / math.pi**2)
    if iaq >= 1:
        gamma2 = v["XZERO"] ** 2 * v["AKT"] / (v["AK"] * v["AB"] * v["ABT"])
        sigma1 = v["AST"] * v["ABT"] / (v["AS"] * v["AB"])
        slow = max(slow, min(1.0 / gamma2, 200.0), min(sigma1 / gamma2, 400.0))
    return v, xd, slow


def deck_text(title1, title2, istress, v, nt, dt, stage, rech):
    lines = [title1, title2,
             f"{istress}  {fmt(dt)}  0",
             "{}  {}  {}".format(*v["codes"]),
             "  ".join(fmt(v[n]) for n in ("XZERO", "XLL", "XAA", "XSTREAM")),
             "  ".join(fmt(v[n]) for n in ("AK", "AS", "AB")),
             "  ".join(fmt(v[n]) for n in ("AKT", "AST", "ABT", "ASYT")),
             "  ".join(fmt(v[n]) for n in ("X", "HINIT")) + "  0.0",
             str(v["NS"]), str(nt)]
    lines += [f"{fmt(k * dt)}  {s:.4f}  {r:.4f}" for k, (s, r) in enumerate(zip(stage, rech))]
    for t in (title1, title2):
        assert len(t) <= 70, t
    return "\n".join(lines) + "\n"


def decks():
    """(name, text) of every generated deck."""
    out = []
    for n, (ixl, iaq, ixa) in enumerate(ORDER):
        v, xd, slow = config_values(n, ixl, iaq, ixa)
        v["codes"] = (ixl, iaq, ixa)
        nt = (30, 40, 50, 60)[n % 4]
        # Three times the slowest time over the run, in the deck's time unit.
        dt = two_digits(3.0 * slow / nt * v["AS"] * v["XZERO"] ** 2 / v["AK"])
        where = ("semi infinite", "finite width")[ixl] + ", " + AQUIFER[iaq]
        where += (", no streambank", ", streambank")[ixa]
        base = f"ixl{ixl}-iaq{iaq}-ixa{ixa}"
        zero = [0.0] * nt
        if iaq == 3:
            cases = [("stage", 0, flood_wave(nt, 1.5, nt / 6), zero),
                     ("recharge", 1, zero, irregular(nt, 7 + n, 0.05)),
                     ("both", 2, stage_step(nt, 0.8), irregular(nt, 11 + n, 0.04))]
        else:
            cases = [("step", 0, stage_step(nt, 1.0 + 0.25 * n), zero),
                     ("flood", 0, flood_wave(nt, 2.0, nt / 5), zero),
                     ("irregular", 0, irregular(nt, 3 + n, 0.6), zero)]
        for shape, istress, stage, rech in cases:
            title2 = f"{base} {shape}: well at XD {xd:g}, {nt} steps of {fmt(dt)}"
            out.append((f"{base}-{shape}", deck_text(where[0].upper() + where[1:], title2, istress, v, nt, dt, stage, rech)))
        if (ixl, iaq, ixa) == (1, 0, 0):
            # The closed valley's step run eight times as long: the seepage dies
            # away exponentially to 1e-19 of its first value, far below any
            # double-precision inversion's error floor.
            long_nt, long_dt = 60, 8 * dt
            title2 = f"{base} long decay: well at XD {xd:g}, {long_nt} steps of {fmt(long_dt)}"
            out.append((f"{base}-long-decay", deck_text(where[0].upper() + where[1:], title2, 0, v, long_nt, long_dt,
                                                        stage_step(long_nt, 1.0), [0.0] * long_nt)))
    return out


def write(folder):
    folder.mkdir(parents=True, exist_ok=True)
    for name, text in decks():
        (folder / (name + ".dat")).write_text(text)
