"""Cases from Python: read_case gives the numbers and dates of kesta --case's
results.csv bit for bit; a Case built from pandas Series is the case its file
would be (dates, numeric times, daylight saving); a Series' bad reading is
named by its index label; and a deck's series take NT values only."""
import os
import re
import shutil
import subprocess
import sys

import numpy as np
import pytest

import kesta
from conftest import SOURCE

pd = pytest.importorskip("pandas")

LEVEE = {"type": "confined", "stream_half_width": 37.5, "stream_length": 1000.0, "conductivity": 10.0,
         "specific_storage": 1e-4, "thickness": 30.0}
SMALL = {"type": "confined", "stream_half_width": 10.0, "stream_length": 1000.0, "conductivity": 5.0,
         "specific_storage": 2e-4, "thickness": 20.0}


def program_csv(folder, case):
    """kesta --case's results: the heading and the rows as text cells."""
    program = os.environ.get("KESTA_PROGRAM")
    if not program:
        pytest.skip("KESTA_PROGRAM names no built kesta (run the tests through CTest)")
    done = subprocess.run([program, "--case", case], cwd=folder, capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    return done


def csv_table(path):
    lines = [line for line in path.read_text().splitlines() if not line.startswith("#")]
    return lines[0].split(","), [line.split(",") for line in lines[1:]]


@pytest.mark.parametrize("example, case, results", [
    ("tidal-levee", "levee.toml", "levee-results.csv"),
    ("well-near-river", "river.toml", "river-results.csv"),
])
def test_read_case_is_the_programs_results_csv(tmp_path, example, case, results):
    folder = tmp_path / example
    shutil.copytree(SOURCE / "examples" / example, folder)
    program_csv(folder, case)
    heading, rows = csv_table(folder / results)

    read = kesta.read_case(folder / case)
    frame = read.simulate()
    assert read.dated and read.zone == "UTC" and read.units == {"length": "m", "time": "d"}
    assert list(frame.columns) == [name for name in heading if name != "date"]
    assert len(frame) == len(rows) == read.deck.NT
    for name in frame.columns:
        written = np.array([float(row[heading.index(name)]) for row in rows])
        assert frame[name].to_numpy().tobytes() == written.tobytes(), name
    dates = pd.to_datetime([row[heading.index("date")] for row in rows], utc=True)
    assert (frame.index == dates).all() and str(frame.index.tz) == "UTC"
    # The account the CSV opens with.
    assert ["# " + line for line in read.summary] == (folder / results).read_text().splitlines()[:len(read.summary)]


def record_file(folder, name, series):
    with open(folder / name, "w") as out:
        out.write("time,level\n")
        for label, value in series.items():
            out.write(f"{label.isoformat() if hasattr(label, 'isoformat') else repr(label)},"
                      f"{'' if np.isnan(value) else repr(value)}\n")


def file_case(folder, series, aquifer, x, step, run_extra=""):
    record_file(folder, "stage.csv", series)
    table = "".join(f"{key} = {value!r}\n".replace("'", '"') for key, value in aquifer.items())
    (folder / "case.toml").write_text(
        f"x = {x!r}\n[aquifer]\n{table}[stage]\nfile = \"stage.csv\"\ndatum = \"first\"\n"
        f"[run]\nstep = {step}\n{run_extra}")
    return kesta.read_case(folder / "case.toml")


def amsterdam(times):
    return pd.Series(np.sin(np.arange(len(times)) * 0.7) + 2.0, index=pd.DatetimeIndex(times))


SPRING = pd.date_range("2023-03-25 22:00", "2023-03-26 07:00", freq="30min")
SPRING = SPRING[(SPRING.hour != 2)]  # the hour the clocks skip
AUTUMN = [f"2023-10-29 {h}:{m}" for h, m in [("00", "00"), ("01", "00"), ("02", "00"), ("02", "30"),
                                            ("02", "00"), ("02", "30"), ("03", "00"), ("04", "00"), ("05", "00")]]


@pytest.mark.parametrize("name, series, zone, file_step, step, localise", [
    ("well-near-river", None, None, '"1 d"', "1 d", False),
    ("spring forward, local times", amsterdam(SPRING), "Europe/Amsterdam", '"1 h"', "1 h", False),
    ("spring forward, times with the index's zone", amsterdam(SPRING), "Europe/Amsterdam", '"1 h"', "1h", True),
    ("autumn's repeated hour, local times", amsterdam(AUTUMN), "Europe/Amsterdam", '"15 min"', "15min", False),
    ("numeric times", pd.Series([0.0, 0.5, 0.25, 1.0, 0.75], index=[0.0, 0.25, 0.5, 0.75, 1.0]), None, "0.125",
     0.125, False),
])
def test_a_case_from_series_is_the_case_from_its_file(tmp_path, name, series, zone, file_step, step, localise):
    if series is None:
        table = pd.read_csv(SOURCE / "examples" / "well-near-river" / "river.csv", float_precision="round_trip")
        series = pd.Series(table["River"].to_numpy(), index=pd.DatetimeIndex(table["Date"]))
        series = series["2014-12-01":"2015-06-01"]
    extra = f"zone = \"{zone}\"\n" if zone else ""
    from_file = file_case(tmp_path, series, SMALL, 50.0, file_step, extra)
    if localise:  # the zone comes from the index
        series = series.tz_localize(zone)
        from_series = kesta.Case(stage=series, aquifer=SMALL, x=50.0, step=step, datum="first")
    else:
        from_series = kesta.Case(stage=series, aquifer=SMALL, x=50.0, step=step, datum="first", zone=zone)
    assert from_series.zone == from_file.zone and from_series.dated == from_file.dated
    assert from_series.deck.NT == from_file.deck.NT > 2
    for attribute in ("TIME", "STAGE", "RECH"):
        assert getattr(from_series.deck, attribute).tobytes() == getattr(from_file.deck, attribute).tobytes()
    a, b = from_series.simulate(), from_file.simulate()
    assert list(a.columns) == list(b.columns) and a.index.equals(b.index)
    for column in a.columns:
        assert a[column].to_numpy().tobytes() == b[column].to_numpy().tobytes()
    # The account names a Series' readings by their labels, a file's by their lines.
    assert from_series.summary[0] == from_file.summary[0]
    line = int(re.search(r"\(line ([0-9]+)\)$", from_file.summary[1]).group(1))
    assert from_series.summary[1] == from_file.summary[1].replace("stage.csv", "series").replace(
        f"(line {line})", f"(reading {series.index[line - 2]})")


def test_the_levee_from_its_columns_with_a_deck_as_the_aquifer():
    table = pd.read_csv(SOURCE / "examples" / "tidal-levee" / "stage-and-heads.csv", float_precision="round_trip")
    stage = pd.Series(table["rivier"].to_numpy(), index=table["T [days]"].to_numpy())
    read = kesta.read_case(SOURCE / "examples" / "tidal-levee" / "levee.toml")
    built = kesta.Case(stage=stage, aquifer=LEVEE, x=66.5, hinit=0.0, step="30 min", datum="first",
                       origin="2000-01-01 00:00", title=read.deck.TITLE1.strip())
    deck = built.deck
    assert deck.TITLE2.strip() == "From the case kesta.Case"
    deck.TITLE2 = read.deck.TITLE2
    assert deck == read.deck
    assert built.simulate().equals(read.simulate())
    # A deck as the aquifer: its values, its well unless x= is given.
    deck = read.deck
    assert kesta.Case(stage=stage, aquifer=deck, step="30 min", datum="first").deck.X == 66.5
    assert kesta.Case(stage=stage, aquifer=deck, x=20.0, step="30 min", datum="first").deck.X == 20.0


HOURS = pd.date_range("2023-05-01", periods=6, freq="1h")


def hourly(values, index=HOURS):
    return pd.Series(values, index=index, dtype=float)


@pytest.mark.parametrize("name, stage, reading, position, words", [
    ("a gap of missing values longer than max_gap", hourly([1, np.nan, np.nan, np.nan, np.nan, 2]),
     HOURS[5], 5, "longer than max_gap"),
    ("unsorted times", hourly([1, 2, 3, 4, 5, 6], HOURS[[0, 1, 3, 2, 4, 5]]), HOURS[2], 3, "is earlier than"),
    ("a repeated time", hourly([1, 2, 3, 4, 5, 6], HOURS[[0, 1, 2, 2, 4, 5]]), HOURS[2], 3, "repeats the time of"),
    ("a reading without a time", hourly([1, 2, 3, 4, 5, 6], HOURS[[0, 1, 2]].append(pd.DatetimeIndex([pd.NaT]))
                                                         .append(HOURS[[4, 5]])), pd.NaT, 3, "without a time"),
    ("an infinite level", hourly([1, 2, np.inf, 4, 5, 6]), HOURS[2], 2, "is not a number"),
    ("numeric times out of order", pd.Series([1.0, 2.0, 3.0], index=[0.0, 2.0, 1.0]), 1.0, 2, "is earlier than"),
])
def test_a_bad_reading_is_named_by_its_label(name, stage, reading, position, words):
    with pytest.raises(kesta.CaseError) as raised:
        kesta.Case(stage=stage, aquifer=SMALL, x=50.0, step="1 h", max_gap="2 h")
    error = raised.value
    assert isinstance(error, ValueError)
    assert error.file == "stage" and error.line is None and error.position == position
    assert (pd.isna(error.reading) and pd.isna(reading)) or error.reading == reading
    assert str(error).startswith(f"stage: reading {reading}: ") and words in str(error)
    assert "line" not in str(error)


@pytest.mark.parametrize("arguments, words", [
    ({"stage": hourly([1, 2, 3, 4, 5, 6]), "aquifer": SMALL, "step": "1 h"}, "kesta.Case: missing key 'x'"),
    ({"stage": hourly([1, 2, 3, 4, 5, 6]), "aquifer": dict(SMALL, porosity=0.3), "x": 5.0, "step": "1 h"},
     "kesta.Case: unknown key 'porosity' in [aquifer]"),
    ({"stage": hourly([1, 2, 3, 4, 5, 6]), "aquifer": SMALL, "x": 5.0, "step": "fortnightly"},
     "kesta.Case: run.step: expected a length of time"),
    ({"stage": hourly([1, 2, 3, 4, 5, 6]), "aquifer": SMALL, "x": 5.0, "step": "1 h", "zone": "Mars/Olympus"},
     "kesta.Case: run.zone: unknown time zone \"Mars/Olympus\""),
    ({"stage": hourly([1, 2, 3, 4, 5, 6]), "aquifer": SMALL, "x": 5.0, "step": "1 h", "datum": "lowest"},
     "kesta.Case: stage.datum: expected \"first\", \"minimum\", \"relative\" or a level"),
    ({"stage": hourly([1, 2, 3, np.nan, np.nan, np.nan, np.nan, np.nan, 9, 10],
                      pd.date_range("2023-05-01", periods=10, freq="1h")), "aquifer": SMALL, "x": 5.0, "step": "1 h"},
     "stage: reading 2023-05-01 08:00:00: a gap from"),  # the default max_gap: four steps
    ({"stage": hourly([1, np.nan, np.nan, np.nan, np.nan, np.nan]), "aquifer": SMALL, "x": 5.0, "step": "1 h"},
     "stage: holds 1 reading with a value; a record needs at least two"),
    ({"stage": hourly([1, 2, 3, 4, 5, 6]), "aquifer": SMALL, "x": 5.0, "step": "1 h",
      "end": "2023-05-02 00:00"}, "after the record's last reading"),
])
def test_arguments_meet_the_case_files_checks(arguments, words):
    with pytest.raises(kesta.CaseError) as raised:
        kesta.Case(**arguments)
    assert words in str(raised.value)
    assert raised.value.line is None


def test_read_case_names_the_file_and_line(tmp_path):
    (tmp_path / "case.toml").write_text("x = 1.0\n[aquifer]\ntype = \"sandy\"\n")
    with pytest.raises(kesta.CaseError) as raised:
        kesta.read_case(tmp_path / "case.toml")
    assert raised.value.file == str(tmp_path / "case.toml") and raised.value.line == 3
    assert raised.value.reading is None


def test_without_pandas_only_the_case_calls_refuse(tmp_path):
    code = ("import sys; sys.modules['pandas'] = None\n"
            "import kesta\n"
            "kesta.simulate(kesta.read_deck(sys.argv[1]))\n"
            "case = kesta.read_case(sys.argv[2])\n"
            "try:\n    case.simulate()\nexcept ImportError as e:\n    print(e)\n"
            "try:\n    kesta.Case(stage=[1.0, 2.0])\nexcept ImportError as e:\n    print(e)\n")
    done = subprocess.run([sys.executable, "-c", code, str(SOURCE / "examples" / "flood-wave-confined.dat"),
                           str(SOURCE / "examples" / "tidal-levee" / "levee.toml")],
                          capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    assert done.stdout.splitlines() == ["Case.simulate needs pandas (Debian: apt-get install python3-pandas)",
                                        "kesta.Case needs pandas (Debian: apt-get install python3-pandas)"]


@pytest.mark.parametrize("steps", [
    lambda d: setattr(d, "STAGE", d.STAGE * 2.0),                                    # same length: kept
    lambda d: (setattr(d, "NT", d.NT + 1), setattr(d, "TIME", np.append(d.TIME, 9.0)),
               setattr(d, "STAGE", np.append(d.STAGE, 0.0)), setattr(d, "RECH", np.append(d.RECH, 0.0))),
])
def test_a_series_of_nt_values_is_taken(steps):
    deck = kesta.read_deck(SOURCE / "examples" / "flood-wave-confined.dat")
    steps(deck)
    assert len(deck.TIME) == len(deck.STAGE) == len(deck.RECH) == deck.NT
    assert kesta.first_problem(deck) is None


@pytest.mark.parametrize("name, length", [("STAGE", 82), ("RECH", 80), ("TIME", 0)])
def test_a_series_of_another_length_is_refused(name, length):
    deck = kesta.read_deck(SOURCE / "examples" / "flood-wave-confined.dat")
    before = deck.copy()
    with pytest.raises(ValueError, match=f"^{name} takes NT = 81 values, not {length}: set NT first, then each "
                                         "series$"):
        setattr(deck, name, np.zeros(length))
    assert deck == before
