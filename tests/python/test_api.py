"""The array functions agree with the skewmend tool, refuse bad input
before the engine sees it, and give the same results on several threads."""

import concurrent.futures

import numpy as np
import pytest

import levelora
from conftest import json_report


@pytest.mark.parametrize("whole_degrees", [False, True], ids=["precise", "whole-degrees"])
def test_estimate_agrees_with_the_tool(tool, sample, whole_degrees):
    path, image = sample
    flags = ["--whole-degrees"] if whole_degrees else []
    (row,) = json_report(tool("estimate", "--format", "json", *flags, path))
    e = levelora.estimate(image, whole_degrees=whole_degrees)
    assert (e.status, e.mode) == (row["status"], row["mode"])
    assert e.angle == pytest.approx(row["angle"], abs=0.005)
    assert e.angle == pytest.approx(-9.0 if "cw9" in path.name else 8.0, abs=0.5)


@pytest.mark.parametrize("whole_degrees", [False, True], ids=["precise", "whole-degrees"])
@pytest.mark.parametrize("corner", ["white", "black", "paper"])
def test_deskew_gives_the_tools_pixels(tool, sample, tmp_path, whole_degrees, corner):
    path, image = sample
    out = tmp_path / "out.png"
    flags = ["--whole-degrees"] if whole_degrees else []
    (row,) = json_report(
        tool("auto", "--format", "json", "--corner", corner, *flags, path, "-o", out))
    straight, e = levelora.deskew(image, whole_degrees=whole_degrees, corner=corner)
    assert e.status == row["status"] == "rotated"
    np.testing.assert_array_equal(straight, levelora.read(out))


@pytest.mark.parametrize("angle,canvas", [(5.5, "expand"), (-30, "keep"), (90, "expand")])
def test_rotate_gives_the_tools_pixels(tool, sample, tmp_path, angle, canvas):
    path, image = sample
    out = tmp_path / "out.png"
    done = tool("rotate", "--angle", angle, "--canvas", canvas, "--corner", "black", path, "-o",
                out)
    assert done.returncode == 0, done.stderr
    turned = levelora.rotate(image, angle, corner="black", canvas=canvas)
    np.testing.assert_array_equal(turned, levelora.read(out))


def test_grey_and_strided_images_give_the_same_page(sample):
    _, image = sample
    grey = np.ascontiguousarray(image[:, :, 1])
    straight_grey, e_grey = levelora.deskew(grey)
    straight_rgb, e_rgb = levelora.deskew(np.repeat(grey[:, :, None], 3, axis=2))
    assert straight_grey.shape == straight_rgb.shape[:2] and e_grey.angle == e_rgb.angle
    np.testing.assert_array_equal(straight_grey, straight_rgb[:, :, 0])
    # A Fortran-ordered copy and a view of a larger array, both strided.
    padded = np.zeros((image.shape[0] + 2, image.shape[1] + 4, 4), np.uint8)
    padded[1:-1, 2:-2, :3] = image
    for view in (np.asfortranarray(image), padded[1:-1, 2:-2, :3]):
        np.testing.assert_array_equal(levelora.deskew(view)[0], levelora.deskew(image)[0])


def test_a_page_without_text_is_not_sure_and_kept():
    blank = np.full((300, 200, 3), 255, np.uint8)
    kept, e = levelora.deskew(blank)
    assert (e.status, e.angle, e.note) == ("not sure", None, "no clear direction of text")
    np.testing.assert_array_equal(kept, blank)
    assert levelora.estimate(blank, whole_degrees=True).status == "failed"


BAD_IMAGES = [
    ([[1, 2], [3, 4]], TypeError, "must be a numpy array, not list"),
    (np.zeros((4, 4, 3), np.float32), TypeError, "must have dtype uint8, not float32"),
    (np.zeros((4, 4, 3), np.uint16), TypeError, "must have dtype uint8, not uint16"),
    (np.zeros((4, 4, 3), np.int8), TypeError, "must have dtype uint8, not int8"),
    (np.zeros((4, 4, 4), np.uint8), ValueError, "not shape (4, 4, 4)"),
    (np.zeros(16, np.uint8), ValueError, "not shape (16,)"),
    (np.zeros((2, 2, 2, 3), np.uint8), ValueError, "not shape (2, 2, 2, 3)"),
    (np.zeros((0, 5, 3), np.uint8), ValueError, "image is empty (shape (0, 5, 3))"),
    (np.zeros((5, 0), np.uint8), ValueError, "image is empty (shape (5, 0))"),
    (np.broadcast_to(np.uint8(0), (65535, 1)), ValueError, "65535 x 1 pixels is beyond the size"),
    (np.broadcast_to(np.uint8(0), (20000, 20000)), ValueError, "beyond the size limits"),
]


@pytest.mark.parametrize("image,error,message", BAD_IMAGES)
@pytest.mark.parametrize("call", [
    levelora.estimate, levelora.deskew, lambda image: levelora.rotate(image, 3),
    lambda image: levelora.write("/nonexistent/never.png", image),
], ids=["estimate", "deskew", "rotate", "write"])
def test_bad_images_are_refused_with_their_problem(call, image, error, message):
    with pytest.raises(error) as raised:
        call(image)
    assert message in str(raised.value)


BAD_OPTIONS = [
    (lambda i: levelora.deskew(i, corner="pink"), "corner must be white, black or paper"),
    (lambda i: levelora.deskew(i, canvas="fit"), "canvas must be expand or keep, not 'fit'"),
    (lambda i: levelora.estimate(i, min_confidence=1.5), "min_confidence needs a number from 0"),
    (lambda i: levelora.deskew(i, min_angle=-1), "min_angle needs a number of degrees"),
    (lambda i: levelora.rotate(i, float("nan")), "angle"),
    (lambda i: levelora.rotate(i, 3, corner="paper"), "white or black only"),
    (lambda i: levelora.write("page.txt", i), "must end in .bmp"),
]


@pytest.mark.parametrize("call,message", BAD_OPTIONS)
def test_bad_options_are_refused(call, message):
    with pytest.raises(ValueError) as raised:
        call(np.zeros((8, 8, 3), np.uint8))
    assert message in str(raised.value)


def test_files_read_back_as_written_and_failures_raise(sample, tmp_path):
    _, image = sample
    levelora.write(tmp_path / "page.png", image)
    np.testing.assert_array_equal(levelora.read(tmp_path / "page.png"), image)
    with pytest.raises(OSError):
        levelora.read(tmp_path / "missing.png")
    (tmp_path / "junk.jpg").write_bytes(b"not a picture")
    with pytest.raises(OSError):
        levelora.read(tmp_path / "junk.jpg")


def test_two_threads_give_the_results_of_one(sample):
    _, image = sample
    pages = [image, np.ascontiguousarray(image[:, ::-1])]

    def work(page):
        straight, e = levelora.deskew(page)
        return straight.tobytes(), e.angle, levelora.estimate(page, whole_degrees=True).angle

    alone = [work(page) for page in pages]
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        together = list(pool.map(work, pages * 2))
    assert together == alone * 2


def test_engine_log_lines_only_when_verbose(sample, capfd):
    _, image = sample
    levelora.deskew(image, whole_degrees=True)
    assert capfd.readouterr() == ("", "")
    levelora.set_verbose(True)
    try:
        levelora.deskew(image, whole_degrees=True)
    finally:
        levelora.set_verbose(False)
    out, err = capfd.readouterr()
    assert out == "" and "Angle = " in err
