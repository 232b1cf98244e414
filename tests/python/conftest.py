"""Shared fixtures of the Python package's tests: the built tool, the
bundled tilted sample pages and a helper that runs the tool."""

import json
import os
import pathlib
import subprocess

import pytest

import levelora

SOURCE_DIR = pathlib.Path(__file__).resolve().parents[2]
SAMPLES = [SOURCE_DIR / "samples" / "scan-cw9.jpg", SOURCE_DIR / "samples" / "scan-ccw8.png"]


@pytest.fixture(scope="session")
def tool():
    """Runs the built skewmend with the arguments; returns the completed process."""
    path = pathlib.Path(os.environ["LEVELORA_BIN_DIR"]) / "skewmend"

    def run(*args):
        return subprocess.run([str(path), *map(str, args)], capture_output=True, text=True,
                              check=False, timeout=120)

    return run


def json_report(process):
    """The rows of a --format json report."""
    assert process.returncode == 0, process.stderr
    return json.loads(process.stdout)["pages"]


@pytest.fixture(scope="session", params=SAMPLES, ids=lambda p: p.name)
def sample(request):
    """(path, RGB array) of each bundled tilted page."""
    return request.param, levelora.read(request.param)
