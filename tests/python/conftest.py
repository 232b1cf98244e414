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


def write_grey_tiff(path, pages):
    """Writes H x W uint8 arrays as the pages of one uncompressed grey TIFF."""
    import struct

    data = bytearray(b"II*\0\0\0\0\0")
    link = 4  # where the offset of the next directory goes
    for page in pages:
        height, width = page.shape
        strip = len(data)
        data += page.tobytes()
        if len(data) % 2:
            data += b"\0"
        tags = [(256, 4, width), (257, 4, height), (258, 3, 8), (259, 3, 1), (262, 3, 1),
                (273, 4, strip), (277, 3, 1), (278, 4, height), (279, 4, page.size)]
        struct.pack_into("<I", data, link, len(data))
        data += struct.pack("<H", len(tags))
        for tag, kind, value in tags:
            data += struct.pack("<HHI", tag, kind, 1)
            data += struct.pack("<HH", value, 0) if kind == 3 else struct.pack("<I", value)
        link = len(data)
        data += b"\0\0\0\0"
    pathlib.Path(path).write_bytes(bytes(data))
