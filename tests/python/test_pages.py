"""Documents keep their pages' kinds; binarize and deskew(bilevel=...) make
pages bilevel as the skewmend tool's --bilevel does."""

import numpy as np
import pytest

import levelora
from conftest import write_grey_tiff


def test_a_document_saves_its_pages_in_their_kind(sample, tmp_path):
    _, image = sample
    grey = image.mean(axis=2).astype(np.uint8)
    write_grey_tiff(tmp_path / "in.tif", [grey, levelora.rotate(grey, 4, canvas="keep")])
    doc = levelora.Document(tmp_path / "in.tif")
    assert (doc.format, doc.kinds, doc.compressions, len(doc)) == ("tiff", ["grey"] * 2, [1] * 2, 2)
    np.testing.assert_array_equal(doc.pages[0], grey)
    doc.pages = [levelora.deskew(p)[0] for p in doc.pages]
    doc.save(tmp_path / "out.tif")
    out = levelora.Document(tmp_path / "out.tif")
    assert (out.kinds, out.compressions) == (["grey"] * 2, [1] * 2)
    assert all(abs(levelora.estimate(p).angle) < 0.1 for p in out.pages)
    with pytest.raises(ValueError, match="only TIFF holds several pages"):
        doc.save(tmp_path / "out.png")
    doc.pages = doc.pages[:1]
    with pytest.raises(ValueError, match="saved with its 2 pages, not 1"):
        doc.save(tmp_path / "again.tif")


def test_write_like_a_document_takes_its_kind_and_format(tool, sample, tmp_path):
    path, image = sample
    assert tool("auto", "--bilevel", "otsu", path, "-o", tmp_path / "bilevel.tif").returncode == 0
    like = levelora.Document(tmp_path / "bilevel.tif")
    assert (like.kinds, like.compressions) == (["bilevel"], [4])
    levelora.write(tmp_path / "page.tif", image, like=like)
    levelora.write(tmp_path / "page", image, like=like)
    for name in ("page.tif", "page"):
        doc = levelora.Document(tmp_path / name)
        assert (doc.format, doc.kinds, doc.compressions) == ("tiff", ["bilevel"], [4])
        assert set(np.unique(doc.pages[0])) <= {0, 255}


@pytest.mark.parametrize("method,choices", [("best", {"otsu", "multibg", "sauvola"}),
                                            ("otsu", {None}), ("sauvola", {None}),
                                            ("dotsu", {None}), ("multibg", {None})])
def test_binarize_marks_ink_from_the_top_row(method, choices):
    page = np.full((300, 400), 255, np.uint8)
    page[20:60, 30:200] = 0
    page[150:160, 50:350] = 40
    mask, choice = levelora.binarize(page, method)
    assert mask.dtype == np.bool_ and mask.shape == page.shape
    assert choice in choices
    assert mask[30:50, 40:190].all() and not mask[200:, :].any()


def test_binarize_refuses_an_unknown_method():
    with pytest.raises(ValueError, match="method must be otsu, sauvola, dotsu, multibg or best"):
        levelora.binarize(np.zeros((10, 10), np.uint8), "adaptive")


@pytest.mark.parametrize("corner", ["white", "black"])
def test_deskew_bilevel_gives_the_tools_pixels(tool, sample, tmp_path, corner):
    path, image = sample
    out = tmp_path / "out.png"
    done = tool("auto", "--bilevel", "best", "--corner", corner, path, "-o", out)
    assert done.returncode == 0, done.stderr
    ours, estimate = levelora.deskew(image, bilevel="best", corner=corner)
    assert estimate.status == "rotated" and ours.ndim == 2
    np.testing.assert_array_equal(ours, levelora.read(out)[:, :, 0])


def _with_orientation(jpeg, orientation):
    """The JPEG's bytes with an EXIF block whose IFD0 holds `orientation`."""
    import struct
    tiff = b"II*\x00" + struct.pack("<I", 8) + struct.pack("<H", 1)
    tiff += struct.pack("<HHIHH", 0x0112, 3, 1, orientation, 0) + struct.pack("<I", 0)
    payload = b"Exif\x00\x00" + tiff
    return jpeg[:2] + b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload + jpeg[2:]


def test_pages_stored_sideways_are_read_upright(sample, tmp_path):
    _, image = sample
    levelora.write(tmp_path / "page.jpg", image)
    stored = (tmp_path / "page.jpg").read_bytes()
    for orientation, shape in ((1, image.shape), (6, image.shape[1::-1] + (3,)),
                               (3, image.shape)):
        path = tmp_path / f"o{orientation}.jpg"
        path.write_bytes(_with_orientation(stored, orientation))
        assert levelora.read(path).shape == shape, orientation
        assert levelora.Document(path).pages[0].shape[:2] == shape[:2], orientation
    # Turned by a half turn: the bottom right of the stored page is the top left.
    upside = levelora.read(tmp_path / "o3.jpg").astype(int)
    plain = levelora.read(tmp_path / "o1.jpg").astype(int)
    assert np.abs(upside[::-1, ::-1] - plain).mean() < 2
