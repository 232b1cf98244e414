"""A batch on a real Dask cluster on the loopback interface: a scheduler
and two workers without nannies, one of them killed with SIGKILL in the
middle of the batch. Every page must still be written once, straight, and
reported in input order; a second run resumes by skipping every page."""

import json
import os
import signal
import socket
import subprocess
import sys
import time

import numpy as np
import pytest

import levelora
from conftest import SAMPLES, write_grey_tiff

# The client's event loop library warns about its own start-up.
pytestmark = pytest.mark.filterwarnings("ignore::DeprecationWarning")

PAGES = 12
ANGLES = [(-1) ** i * (2 + i % 5) for i in range(PAGES)]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start(*args):
    return subprocess.Popen([sys.executable, "-m", *args], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)


@pytest.fixture
def cluster():
    port = free_port()
    address = f"tcp://127.0.0.1:{port}"
    processes = [start("distributed.cli.dask_scheduler", "--host", "127.0.0.1", "--port",
                       str(port), "--no-dashboard")]
    processes += [start("distributed.cli.dask_worker", address, "--no-nanny", "--nthreads", "1",
                        "--host", "127.0.0.1", "--no-dashboard") for _ in range(2)]
    from distributed import Client

    with Client(address, timeout="60s") as client:
        client.wait_for_workers(2, timeout=60)
    yield address, processes[1:]
    for p in processes:
        if p.poll() is None:
            p.kill()
        p.wait(timeout=30)


def make_pages(folder):
    """The bundled upright-able page turned by a different angle each."""
    straight, _ = levelora.deskew(levelora.read(SAMPLES[0]), canvas="keep")
    folder.mkdir()
    names = []
    for i, angle in enumerate(ANGLES):
        names.append(folder / f"page-{i:02d}.png")
        levelora.write(names[-1], levelora.rotate(straight, angle, canvas="keep"))
    return names


def batch(*args, timeout=240):
    return subprocess.run([sys.executable, "-m", "levelora.batch", "--no-progress", "--format",
                           "json", *map(str, args)], capture_output=True, text=True,
                          timeout=timeout, check=False)


def test_a_batch_survives_a_killed_worker_and_resumes(cluster, tmp_path):
    address, workers = cluster
    inputs = make_pages(tmp_path / "in")
    out = tmp_path / "out"
    running = subprocess.Popen(
        [sys.executable, "-m", "levelora.batch", "--no-progress", "--format", "json",
         "--scheduler", address, "--out-dir", str(out), str(tmp_path / "in")],
        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    deadline = time.monotonic() + 120
    while not (out.exists() and any(out.iterdir())) and time.monotonic() < deadline:
        time.sleep(0.05)
    assert workers[0].poll() is None
    os.kill(workers[0].pid, signal.SIGKILL)
    assert len(list(out.iterdir())) < PAGES
    stdout, stderr = running.communicate(timeout=240)
    assert running.returncode == 0, stderr

    rows = json.loads(stdout)["pages"]
    assert [r["input"] for r in rows] == [str(p) for p in inputs]
    assert [r["status"] for r in rows] == ["rotated"] * PAGES
    # The killed worker may leave the hidden temporary file of the write it
    # was making, as a killed process of the tool does; never a page.
    written = sorted(p.name for p in out.iterdir() if not p.name.startswith("."))
    assert written == [p.name for p in inputs]
    assert len([p for p in out.iterdir() if p.name.startswith(".")]) <= 1
    for row, angle in zip(rows, ANGLES):
        assert row["angle"] == pytest.approx(-angle, abs=0.1)
        again = levelora.estimate(levelora.read(row["output"]))
        assert again.status == "estimated" and abs(again.angle) < 0.1

    rerun = batch("--scheduler", address, "--out-dir", out, tmp_path / "in")
    rows = json.loads(rerun.stdout)["pages"]
    assert [(r["status"], r["note"]) for r in rows] == [("skipped", "output exists")] * PAGES


def test_a_local_cluster_reports_as_the_tool_does(tool, tmp_path):
    straight, _ = levelora.deskew(levelora.read(SAMPLES[0]), canvas="keep")
    grey = straight.mean(axis=2).astype(np.uint8)
    tiff = tmp_path / "pages.tif"
    write_grey_tiff(tiff, [levelora.rotate(grey, a, canvas="keep") for a in (5, 0.02, -7)])
    inputs = [SAMPLES[0], tiff, tmp_path / "missing.png"]
    done = batch("--workers", "1", "--whole-degrees", "--out-dir", tmp_path / "out", *inputs)
    assert done.returncode == 1
    expected = tool("auto", "--format", "json", "--whole-degrees", "--out-dir",
                    tmp_path / "tool", *inputs)
    keys = ("input", "page", "pages", "status", "angle", "mode", "note", "error")
    ours = [{k: r[k] for k in keys} for r in json.loads(done.stdout)["pages"]]
    theirs = [{k: r[k] for k in keys} for r in json.loads(expected.stdout)["pages"]]
    assert ours == theirs
    assert [r["page"] for r in ours if r["input"] == str(tiff)] == [1, 2, 3]
    np.testing.assert_array_equal(levelora.read(tmp_path / "out" / SAMPLES[0].name),
                                  levelora.read(tmp_path / "tool" / SAMPLES[0].name))
