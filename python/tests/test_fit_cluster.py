"""kesta.fit(..., scheduler=...): the ensemble's members simulated on a Dask
cluster give the bands of this machine's own cores, bit for bit, and a
scheduler that cannot be had is a clear error before any fitting."""
import os
import pathlib
import shutil
import sys
import time

import numpy
import pytest

import kesta
from conftest import SOURCE

dask = pytest.importorskip("dask")
distributed = pytest.importorskip("distributed")
pytestmark = pytest.mark.skipif(not os.environ.get("KESTA_FIT"), reason="kesta-fit is not built")

MEMBERS = 60


def river(tmp_path, name):
    """A copy of the river example in its own folder, for its own outputs."""
    return pathlib.Path(shutil.copytree(SOURCE / "examples" / "fit", tmp_path / name)) / "river.toml"


@pytest.fixture(scope="module")
def cluster():
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=":0") as c:
        yield c


def ensemble_columns(report):
    return {name: values for name, values in report["bands"].items() if "_ens_" in name}


@pytest.mark.parametrize("given", ["client", "address"])
def test_the_cluster_gives_the_local_ensemble_bit_for_bit(tmp_path, cluster, given):
    local_file = river(tmp_path, "local")
    local = kesta.fit(local_file, ensemble=MEMBERS)
    remote_file = river(tmp_path, "remote")
    with distributed.Client(cluster) as client, distributed.get_task_stream(client) as tasks:
        scheduler = client if given == "client" else cluster.scheduler_address
        start = time.time()
        remote = kesta.fit(remote_file, ensemble=MEMBERS, scheduler=scheduler)
        assert client.status == "running"  # the caller's client is left open
    # The members ran on the workers, in several tasks (the stream also holds earlier tests' tasks).
    assert sum(task["startstops"][0]["start"] >= start for task in tasks.data) >= 2
    assert local["bands"]["ensemble"]["used"] == MEMBERS
    assert remote["bands"]["ensemble"] == local["bands"]["ensemble"]
    columns = ensemble_columns(local)
    assert len(columns) >= 4 and columns.keys() == ensemble_columns(remote).keys()
    for name, values in columns.items():
        assert remote["bands"][name].tobytes() == values.tobytes(), name
    assert (remote_file.parent / "river.bands.csv").read_bytes() == (local_file.parent / "river.bands.csv").read_bytes()


@pytest.mark.parametrize("scheduler,error,words", [
    ("tcp://127.0.0.1:9", OSError, "no Dask scheduler answers at tcp://127.0.0.1:9"),
    (8786, TypeError, "scheduler is a Dask scheduler's address"),
])
def test_a_scheduler_that_cannot_be_had_stops_before_the_fit(tmp_path, scheduler, error, words):
    fit_file = river(tmp_path, "river")
    with dask.config.set({"distributed.comm.timeouts.connect": "2s"}):
        with pytest.raises(error, match=words):
            kesta.fit(fit_file, ensemble=MEMBERS, scheduler=scheduler)
    assert not (fit_file.parent / "river.fitted.dat").exists()


def test_without_dask_the_call_says_what_to_install(tmp_path, monkeypatch):
    monkeypatch.setitem(sys.modules, "distributed", None)
    with pytest.raises(ImportError, match="install python3-distributed"):
        kesta.fit(river(tmp_path, "river"), ensemble=MEMBERS, scheduler="tcp://127.0.0.1:8786")


def test_the_script_writes_the_bands_kesta_fit_writes(tmp_path, cluster, capsys):
    import cluster_fit
    local_file = river(tmp_path, "local")
    kesta.fit(local_file, ensemble=MEMBERS)
    remote_file = river(tmp_path, "remote")
    assert cluster_fit.main([str(remote_file), "--ensemble", str(MEMBERS), "--scheduler", cluster.scheduler_address]) == 0
    out = capsys.readouterr().out
    assert f"ensemble: {MEMBERS} of {MEMBERS} members simulated; the linear bands agree with them" in out
    assert "AK = 14.79" in out and "written: " in out
    assert (remote_file.parent / "river.bands.csv").read_bytes() == (local_file.parent / "river.bands.csv").read_bytes()


@pytest.mark.parametrize("argv,status,words", [
    (["--ensemble", "7"], 2, "ensemble"),
    (["--ensemble", str(MEMBERS), "--scheduler", "tcp://127.0.0.1:9"], 2, "no Dask scheduler answers"),
])
def test_the_script_refuses_with_kesta_fits_status(tmp_path, capsys, argv, status, words):
    import cluster_fit
    fit_file = river(tmp_path, "river")
    with dask.config.set({"distributed.comm.timeouts.connect": "2s"}):
        assert cluster_fit.main([str(fit_file), "--workers", "1"] + argv) == status
    assert words in capsys.readouterr().err
    assert not (fit_file.parent / "river.fitted.dat").exists()


def test_the_script_says_status_1_for_a_fit_not_to_be_taken():
    import cluster_fit
    def report(failed):
        return {"checks": [{"check": name, "pass": name != failed, "detail": ""} for name in
                           ("converged", "identifiable", "no gross outliers", "residuals not strongly autocorrelated")]}
    assert [cluster_fit.status(report(name)) for name in
            ("converged", "identifiable", "no gross outliers", "residuals not strongly autocorrelated", None)] == \
        [1, 1, 1, 0, 0]
    assert cluster_fit.status({"checks": [], "files_written": False}) == 3
