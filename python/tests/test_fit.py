"""kesta.fit(path): the dictionary that kesta-fit --json prints, and its
errors as Python exceptions."""
import json
import os
import pathlib
import shutil
import subprocess

import numpy
import pytest

import kesta
from conftest import SOURCE

KESTA_FIT = os.environ.get("KESTA_FIT")
pytestmark = pytest.mark.skipif(not KESTA_FIT, reason="kesta-fit is not built (it needs Ceres, toml++, nlohmann-json)")


@pytest.fixture
def river(tmp_path):
    """A copy of the river example, whose outputs are written beside it."""
    return pathlib.Path(shutil.copytree(SOURCE / "examples" / "fit", tmp_path / "fit")) / "river.toml"


def without_paths_and_time(report, folder):
    report = dict(report)
    del report["seconds"], report["fit_file"]
    report["files"] = {kind: os.path.relpath(path, folder) for kind, path in report["files"].items()}
    # The JSON names the bands' file; Python adds its columns as arrays.
    report["bands"] = {k: v for k, v in report["bands"].items() if k in ("level", "assumptions", "not_computed")}
    return report


def test_the_dictionary_kesta_fit_prints(river, tmp_path):
    program = pathlib.Path(shutil.copytree(river.parent, tmp_path / "program")) / "river.toml"
    run = subprocess.run([KESTA_FIT, str(program), "--json", "--quiet"], capture_output=True, text=True, check=True)
    printed = json.loads(run.stdout)
    fitted = kesta.fit(river)
    assert fitted["converged"] is True and set(fitted["parameters"]) == {"AK", "AS", "XAA"}
    assert without_paths_and_time(fitted, river.parent) == without_paths_and_time(printed, program.parent)
    assert kesta.read_deck(river.parent / "river.fitted.dat").AK == fitted["parameters"]["AK"]["estimate"]


def test_unfinished_fit_is_reported_not_raised(river):
    river.write_text(river.read_text() + "\n[solver]\nmax_iterations = 1\n")
    report = kesta.fit(str(river))
    assert report["converged"] is False
    assert report["bands"]["not_computed"] == "the fit did not converge"
    assert numpy.isnan(report["bands"]["seepage_conf_lower"]).all()
    assert numpy.isfinite(report["bands"]["seepage_estimate"]).all()


def test_bands_are_the_files_columns_as_arrays(river):
    river.write_text(river.read_text().replace('deck = "river.dat"', 'deck = "river.dat"\nbands = { level = 0.9 }'))
    bands = kesta.fit(river)["bands"]
    assert bands["level"] == 0.9 and bands["assumptions"] == [] and bands["not_computed"] is None
    table = numpy.genfromtxt(bands["file"], delimiter=",", names=True)
    columns = [k for k in bands if k not in ("file", "level", "assumptions", "not_computed")]
    assert columns == list(table.dtype.names)
    for name in columns:
        assert bands[name].dtype == numpy.float64
        numpy.testing.assert_allclose(bands[name], table[name], rtol=1e-9, err_msg=name)
    for series in ("head_x60", "head_x250", "seepage"):
        conf = bands[series + "_conf_upper"] - bands[series + "_conf_lower"]
        pred = bands[series + "_pred_upper"] - bands[series + "_pred_lower"]
        assert (conf >= 0).all() and (pred > conf).all(), series
    assert "total_seepage_pred_lower" not in bands


def test_prediction_on_the_fitted_deck_is_the_bands(river):
    fitted = kesta.fit(river, predict=river.parent / "river.dat")
    bands, prediction = fitted["bands"], fitted["prediction"]
    assert prediction["record"] == str(river.parent / "river.dat") and prediction["not_computed"] is None
    assert pathlib.Path(prediction["file"]).name == "river.prediction.csv"
    columns = [k for k in bands if k not in ("file", "level", "assumptions", "not_computed")]
    assert columns == [k for k in prediction if k not in ("file", "level", "assumptions", "not_computed", "record")]
    for name in columns:
        numpy.testing.assert_array_equal(prediction[name], bands[name], err_msg=name)


def test_prediction_of_an_unfinished_fit_is_refused(river):
    river.write_text(river.read_text() + "\n[solver]\nmax_iterations = 1\n")
    prediction = kesta.fit(river, predict=river.parent / "river.dat")["prediction"]
    assert prediction["not_computed"] == "the fit did not converge" and prediction["file"] is None
    assert not (river.parent / "river.prediction.csv").exists()


@pytest.mark.parametrize("change,words", [
    (lambda fit: fit.unlink(), "river.toml"),
    (lambda fit: fit.write_text(fit.read_text().replace('"river.dat"', '"no-such.dat"')), "no-such.dat"),
    (lambda fit: fit.write_text(fit.read_text().replace("[parameters]", "[parameters")), "river.toml"),
    (lambda fit: (fit.parent / "gauging.csv").write_text("time,seepage\n1.0,abc\n"), "gauging.csv"),
])
def test_unusable_input_is_a_value_error(river, change, words):
    change(river)
    with pytest.raises(ValueError, match=words) as raised:
        kesta.fit(river)
    assert not str(raised.value).startswith("kesta-fit:")


def test_files_that_cannot_be_written_are_an_os_error(river):
    (river.parent / "river.fitted.dat").unlink(missing_ok=True)
    (river.parent / "river.fitted.dat").mkdir()  # a folder where the fitted deck goes
    with pytest.raises(OSError):
        kesta.fit(river)


def test_output_dir_takes_the_four_files_and_an_input_is_never_one(river, tmp_path):
    out = tmp_path / "out"
    out.mkdir()
    report = kesta.fit(river, output_dir=out)
    assert report["files_written"] is True
    assert sorted(p.name for p in out.iterdir()) == ["river.bands.csv", "river.fitted.dat", "river.residuals.csv", "river.svg"]
    assert not (river.parent / "river.fitted.dat").exists()
    deck = (river.parent / "river.dat").read_bytes()
    (river.parent / "river.dat").rename(river.parent / "river.fitted.dat")
    river.write_text(river.read_text().replace('"river.dat"', '"river.fitted.dat"'))
    with pytest.raises(ValueError, match=r"^the fitted deck .*river\.fitted\.dat is the deck .*; writing it would lose an input$"):
        kesta.fit(river)
    assert (river.parent / "river.fitted.dat").read_bytes() == deck


@pytest.mark.parametrize("top,inversion,ns", [
    ("", None, None),                                   # the contour inversion, the fit file's default
    ("ns = 12\n", None, {"value": 12, "source": "fit file"}),  # ns alone: a Stehfest fit file of old
    ("ns = 12\n", "contour", None),                     # the override leaves ns unused
])
def test_the_inversion_the_estimates_come_from(river, top, inversion, ns):
    river.write_text(top + river.read_text())
    report = kesta.fit(river, inversion=inversion)
    expected = inversion or ("stehfest" if top else "contour")
    assert report["inversion"] == expected
    if ns is None:
        assert report["ns"] is None
        assert all(s["inversion_error_rms"] is None for s in report["observation_sets"])
    else:
        assert {key: report["ns"][key] for key in ("value", "source")} == ns
        assert all(s["inversion_error_rms"] > 0.0 for s in report["observation_sets"])
    assert kesta.read_deck(river.parent / "river.fitted.dat").AK == report["parameters"]["AK"]["estimate"]


def test_an_unknown_inversion_is_a_value_error_and_nothing_is_written(river):
    with pytest.raises(ValueError, match="^unknown inversion 'Contour': the allowed values are 'stehfest' and 'contour'$"):
        kesta.fit(river, inversion="Contour")
    assert not (river.parent / "river.fitted.dat").exists()


def test_an_ensemble_gives_its_bands_beside_the_linear_ones(river):
    bands = kesta.fit(river, ensemble=200)["bands"]
    ensemble = bands.pop("ensemble")
    assert ensemble["members"] == 200 and ensemble["used"] == 200 and ensemble["not_computed"] is None
    assert {c["series"] for c in ensemble["comparison"]} >= {"head_x60", "seepage"}
    table = numpy.genfromtxt(bands["file"], delimiter=",", names=True)
    columns = [k for k in bands if k not in ("file", "level", "assumptions", "not_computed")]
    assert columns == list(table.dtype.names)
    inside = bands["head_x60_ens_conf_lower"] <= bands["head_x60_estimate"] + 1e-9
    assert inside.all()
    with pytest.raises(ValueError, match=r"ensemble 5 is not 0 \(no ensemble\) or 20 to 100000 parameter sets$"):
        kesta.fit(river, ensemble=5)


def test_bands_as_a_frame_on_the_calendar_of_a_dated_fit(tmp_path):
    pandas = pytest.importorskip("pandas")
    levee = pathlib.Path(shutil.copytree(SOURCE / "examples" / "tidal-levee", tmp_path / "levee")) / "levee-fit.toml"
    bands = kesta.fit(levee)["bands"]
    assert len(bands["date"]) == len(bands["time"])
    assert bands["date"][0] == "2000-01-01T00:00:00+00:00"
    frame = kesta.bands_frame(bands)
    assert frame.index.name == "date" and str(frame.index.tz) == "UTC"
    assert frame.index[2] == pandas.Timestamp("2000-01-01T01:00:00Z")  # two steps of 30 min
    assert (frame["head_x66.5_estimate"].to_numpy() == bands["head_x66.5_estimate"]).all()
    # The table is the bands file's, its date column the index.
    written = pandas.read_csv(bands["file"], index_col="date", parse_dates=["date"])
    assert list(written.columns) == list(frame.columns)


def test_bands_of_an_undated_fit_are_indexed_by_time(river):
    pytest.importorskip("pandas")
    bands = kesta.fit(river)["bands"]
    assert "date" not in bands
    frame = kesta.bands_frame(bands)
    assert frame.index.name == "time" and (frame.index.to_numpy() == bands["time"]).all()
    with pytest.raises(ValueError, match="takes the"):
        kesta.bands_frame({"level": 0.95})
