"""Property tests of the array functions (Debian's python3-hypothesis).

Every function that takes an image is given arrays of any dtype, 0 to 4
dimensions, any strides (steps, reversed axes, other axis orders, read-only
and broadcast views) and things that are not arrays. Each call either gives
the documented result or raises TypeError or ValueError: never another
exception, never a crash. For uint8 pages the results are checked against
what python.md promises, and the input must come back untouched. The same
properties run again while two other threads straighten a page in a loop
and check that they keep getting the page's first result.

The examples are fixed (derandomized) and no example database is written;
LEVELORA_HYPOTHESIS_EXAMPLES=N runs N examples per property instead of 300.
"""

import itertools
import math
import os
import threading

import numpy as np
import pytest
from hypothesis import HealthCheck, event, example, given, settings
from hypothesis import strategies as st
from hypothesis.extra import numpy as hnp

import levelora

EXAMPLES = int(os.environ.get("LEVELORA_HYPOTHESIS_EXAMPLES", "300"))
PROPERTY = settings(
    max_examples=EXAMPLES,
    derandomize=True,
    database=None,
    deadline=None,
    print_blob=False,
    suppress_health_check=[HealthCheck.too_slow, HealthCheck.data_too_large,
                           HealthCheck.function_scoped_fixture],
)

UINT8 = np.dtype(np.uint8)
CORNERS = ["white", "black", "paper"]
METHODS = ["best", "otsu", "sauvola", "dotsu", "multibg"]

# --- arrays -----------------------------------------------------------------

OTHER_DTYPES = st.one_of(
    hnp.scalar_dtypes(),  # bool, ints, uints, floats, complex, datetime, timedelta
    hnp.integer_dtypes(endianness="?"),
    hnp.unsigned_integer_dtypes(endianness="?"),
    hnp.floating_dtypes(endianness="?"),
    hnp.byte_string_dtypes(max_len=3),
    hnp.unicode_string_dtypes(max_len=3),
    st.just(np.dtype(object)),
    st.just(np.dtype("V3")),
    hnp.array_dtypes(allow_subarrays=False, min_size=1, max_size=3),  # structured
)
DTYPES = st.one_of(st.just(UINT8), OTHER_DTYPES)


@st.composite
def shapes(draw, pages=False):
    """0 to 4 axes: mostly small sides, some empty ones, some 1 x 1, some
    pages one pixel thin and a few hundred long, and a third axis of 1 to 4
    channels. With `pages`, only the shapes of pages (H x W, H x W x 3)."""
    if pages:
        ndim = draw(st.sampled_from([2, 3]))
        side = st.one_of(st.sampled_from([1, 2, 3]), st.integers(4, 64))
    else:
        ndim = draw(st.sampled_from([0, 1, 2, 2, 2, 3, 3, 3, 3, 4]))
        side = st.one_of(st.sampled_from([0, 1, 2, 3]), st.integers(4, 64 if ndim < 4 else 5))
    shape = [draw(side) for _ in range(ndim)]
    if ndim >= 2 and draw(st.integers(0, 4)) == 0:  # a thin page
        thin = draw(st.integers(0, 1))
        shape[thin] = draw(st.integers(1, 3))
        shape[1 - thin] = draw(st.integers(65, 300))
    if ndim == 3:
        shape[2] = 3 if pages else draw(st.sampled_from([1, 2, 3, 3, 3, 4]))
    return tuple(shape)


@st.composite
def pixels(draw, dtype, shape):
    """An array of `dtype` and `shape`: for uint8 pages, noise, a flat page
    or dark lines tilted on white paper, so the engine has something to
    find; for the other dtypes whatever hypothesis fills in."""
    if dtype != UINT8:
        elements = None
        if dtype.kind == "O":
            elements = st.sampled_from([None, 0, 1.5, "x", b"y"])
        elif dtype.kind == "V" and dtype.names is None:  # raw bytes
            elements = st.binary(min_size=dtype.itemsize, max_size=dtype.itemsize).map(np.void)
        return draw(hnp.arrays(dtype, shape, elements=elements))
    kind = draw(st.sampled_from(["noise", "flat", "lines"]))
    rng = np.random.default_rng(draw(st.integers(0, 2**32 - 1)))
    if kind == "noise":
        return rng.integers(0, 256, shape, dtype=np.uint8)
    if kind == "flat":
        return np.full(shape, draw(st.integers(0, 255)), np.uint8)
    page = np.full(shape, 255, np.uint8)
    if len(shape) >= 2 and 0 not in shape:
        slope = math.tan(math.radians(draw(st.floats(-20, 20))))
        y, x = np.mgrid[0:shape[0], 0:shape[1]]
        ink = (np.round(y + slope * x).astype(np.int64) % 6) < 2
        page[ink] = rng.integers(0, 80)
    return page


@st.composite
def laid_out(draw, values):
    """`values` in storage of another shape: inside a larger array (steps
    and an offset per axis), the axes stored in another order (Fortran
    order among them), some axes reversed; maybe read-only or a broadcast
    of its first row. Returns (view, the array that holds it)."""
    nd = values.ndim
    order = draw(st.permutations(range(nd)))
    steps = [draw(st.sampled_from([1, 1, 2, 3])) for _ in range(nd)]
    offsets = [draw(st.integers(0, 1)) for _ in range(nd)]
    flips = [draw(st.booleans()) for _ in range(nd)]
    outer = [values.shape[i] * steps[i] + offsets[i] for i in range(nd)]
    holder = np.zeros([outer[i] for i in order], values.dtype).transpose(np.argsort(order))
    # Indexing a 0-d array with () gives a scalar; with ... a view.
    view = holder[tuple(slice(o, o + n * s, s) for o, n, s in zip(offsets, values.shape, steps))
                  or ...]
    view = view[tuple(slice(None, None, -1) if f else slice(None) for f in flips) or ...]
    view[...] = values
    if nd >= 1 and values.shape[0] > 0 and draw(st.integers(0, 9)) == 0:
        view = np.broadcast_to(view[:1], view.shape)
    elif draw(st.booleans()):
        view.flags.writeable = False
    return view, holder


@st.composite
def arrays(draw):
    """(array, holder): half of them pages of uint8 in any layout, the
    others of any dtype and shape."""
    if draw(st.booleans()):
        values = draw(pixels(UINT8, draw(shapes(pages=True))))
    else:
        dtype = draw(DTYPES)
        values = draw(pixels(dtype, draw(shapes())))
    return draw(laid_out(values))


NOT_ARRAYS = st.one_of(
    st.none(), st.integers(), st.floats(), st.text(max_size=4), st.binary(max_size=12),
    st.binary(max_size=12).map(memoryview), st.binary(max_size=12).map(bytearray),
    hnp.arrays(UINT8, st.sampled_from([(2, 2), (2, 2, 3)])).map(lambda a: a.tolist()),
    st.just(np.uint8(7)), st.just(object()), st.just(levelora),
)


def is_page(image):
    """Whether python.md promises to take `image`: a numpy uint8 array,
    H x W or H x W x 3, not empty (the size limits are far away here)."""
    return (isinstance(image, np.ndarray) and image.dtype == UINT8
            and (image.ndim == 2 or (image.ndim == 3 and image.shape[2] == 3))
            and image.shape[0] > 0 and image.shape[1] > 0)


class Untouched:
    """Takes a copy of an image (and of the array holding it) and checks,
    after the call, that neither changed."""

    def __init__(self, image, holder=None):
        self.image = image
        self.before = np.array(image, copy=True) if isinstance(image, np.ndarray) else None
        self.holder = holder
        self.holder_before = None if holder is None else holder.copy()

    def check(self):
        if self.before is not None:
            assert self.image.tobytes() == self.before.tobytes()
        if self.holder is not None:
            assert self.holder.tobytes() == self.holder_before.tobytes()


def refused_or(call, image, check, holder=None, bad_option=False):
    """Calls `call(image)`: TypeError and ValueError are accepted refusals
    (for images that are not pages, the refusal is required, and of the
    type python.md gives unless an option is bad too, which is ValueError);
    anything else fails. A result goes to `check`. Returns whether the
    call was refused."""
    untouched = Untouched(image, holder)
    event("a page" if is_page(image) else "not a page")
    try:
        result = call(image)
    except (TypeError, ValueError) as refusal:
        untouched.check()
        if bad_option:
            assert isinstance(refusal, ValueError) or not is_page(image), refusal
        elif not is_page(image):
            assert isinstance(refusal, ValueError if isinstance(image, np.ndarray)
                              and image.dtype == UINT8 else TypeError), refusal
        return True
    assert is_page(image), f"{type(image).__name__} taken"
    untouched.check()
    check(result)
    return False


def check_new_page(out, image, *, grey=None):
    """A new C-ordered uint8 array of the input's kind (grey when `grey`)."""
    assert isinstance(out, np.ndarray) and out.dtype == UINT8 and out.flags.c_contiguous
    assert not np.may_share_memory(out, image)
    grey = image.ndim == 2 if grey is None else grey
    assert out.ndim == (2 if grey else 3) and (grey or out.shape[2] == 3)
    assert out.shape[0] > 0 and out.shape[1] > 0


def check_estimate(e, *, whole_degrees, statuses):
    assert isinstance(e, levelora.Estimate)
    assert e.mode == ("whole-degrees" if whole_degrees else "precise")
    assert e.status in statuses
    assert e.angle is None or math.isfinite(e.angle)
    if whole_degrees:
        assert e.confidence is None and (e.angle is None or e.angle == round(e.angle))
    else:
        assert e.confidence is None or 0.0 <= e.confidence <= 1.0
    assert (e.status == "failed") == (e.error is not None)


# --- other threads at work ---------------------------------------------------


class Neighbours:
    """Threads that straighten and estimate one tilted page in a loop and
    check that every round gives the first round's result; stop() ends
    them and raises what any of them hit."""

    def __init__(self, count):
        page = np.full((160, 120, 3), 255, np.uint8)
        y, x = np.mgrid[0:160, 0:120]
        page[(np.round(y + 0.1 * x).astype(int) % 8) < 2] = 20
        self.page = page
        self.expected = self.work()
        self.stopping = threading.Event()
        self.failures = []
        self.rounds = 0
        self.threads = [threading.Thread(target=self.loop, daemon=True) for _ in range(count)]
        for t in self.threads:
            t.start()

    def work(self):
        straight, e = levelora.deskew(self.page, corner="paper")
        grey = levelora.estimate(self.page[:, :, 1], whole_degrees=True)
        return straight.tobytes(), repr(e), repr(grey)

    def loop(self):
        try:
            while not self.stopping.is_set():
                assert self.work() == self.expected
                self.rounds += 1
        except BaseException as failure:  # handed to the main thread by stop()
            self.failures.append(failure)

    def stop(self):
        self.stopping.set()
        for t in self.threads:
            t.join(timeout=120)
        assert not any(t.is_alive() for t in self.threads)
        if self.failures:
            raise self.failures[0]


@pytest.fixture(scope="module", params=["alone", "beside-2-threads"])
def neighbours(request):
    """No other threads, or two threads using the module while the
    properties run."""
    if request.param == "alone":
        yield None
        return
    others = Neighbours(2)
    yield others
    others.stop()
    assert others.rounds > 0


# --- the properties -----------------------------------------------------------

# Options: mostly good ones, so that most pages reach the engine.
MIN_CONFIDENCES = st.one_of(st.floats(0, 1), st.floats(0, 1),
                            st.sampled_from([-0.1, 1.5, math.nan, math.inf]))


@PROPERTY
@given(pair=arrays(), whole_degrees=st.booleans(), min_confidence=MIN_CONFIDENCES)
@example(pair=(np.zeros((1, 1), np.uint8), None), whole_degrees=False, min_confidence=0.5)
# A subnormal number is a number from 0 to 1 (once refused as out of range).
@example(pair=(np.zeros((2, 3, 3), np.uint8), None), whole_degrees=False,
         min_confidence=1.1125369292536007e-308)
def test_estimate(neighbours, pair, whole_degrees, min_confidence):
    image, holder = pair
    if not whole_degrees and not 0 <= min_confidence <= 1:
        with pytest.raises((TypeError, ValueError)) as refusal:
            levelora.estimate(image, min_confidence=min_confidence)
        assert refusal.type is ValueError or not is_page(image)
        return
    refused_or(lambda i: levelora.estimate(i, whole_degrees=whole_degrees,
                                           min_confidence=min_confidence),
               image,
               lambda e: check_estimate(e, whole_degrees=whole_degrees,
                                        statuses={"estimated", "not sure", "failed"}),
               holder)


@PROPERTY
@given(image=NOT_ARRAYS)
def test_things_that_are_not_arrays_are_type_errors(neighbours, image):
    for call in (levelora.estimate, levelora.deskew, lambda i: levelora.rotate(i, 3),
                 levelora.binarize, lambda i: levelora.write("never.png", i)):
        with pytest.raises(TypeError):
            call(image)


@PROPERTY
@given(pair=arrays(), whole_degrees=st.booleans(),
       corner=st.sampled_from(CORNERS * 3 + ["pink"]),
       canvas=st.sampled_from(["expand", "keep"] * 3 + ["fit"]), min_confidence=MIN_CONFIDENCES,
       min_angle=st.one_of(st.floats(0, 10), st.floats(0, 10),
                           st.sampled_from([-1.0, 1e300, math.nan])),
       bilevel=st.sampled_from([None] * 5 + METHODS + ["pink"]))
def test_deskew(neighbours, pair, whole_degrees, corner, canvas, min_confidence, min_angle,
                bilevel):
    image, holder = pair
    options = dict(whole_degrees=whole_degrees, corner=corner, canvas=canvas,
                   min_confidence=min_confidence, min_angle=min_angle, bilevel=bilevel)
    bad_option = (corner == "pink" or canvas == "fit" or bilevel == "pink"
                  or (not whole_degrees and not (0 <= min_confidence <= 1
                                                 and 0 <= min_angle < math.inf)))

    def check(result):
        assert not bad_option, "a bad option taken"
        out, e = result
        check_new_page(out, image, grey=True if bilevel else None)
        check_estimate(e, whole_degrees=whole_degrees, statuses={"rotated", "unchanged",
                                                                  "not sure"})
        if canvas == "keep":
            assert out.shape[:2] == image.shape[:2]
        if bilevel:
            assert set(np.unique(out)) <= {0, 255}
        elif e.status != "rotated":
            np.testing.assert_array_equal(out, image)

    if refused_or(lambda i: levelora.deskew(i, **options), image, check, holder, bad_option):
        assert bad_option or not is_page(image) or bilevel, "a page refused"


ANGLES = st.one_of(
    st.floats(-360, 360), st.floats(allow_nan=True, allow_infinity=True),
    st.sampled_from([0.0, -0.0, 90, -90, 180, 270, 360, 1e-300, 5e-324, 1e15, 2.0**53, 1e300]),
    st.integers(-10**6, 10**6))


@PROPERTY
@given(pair=arrays(), angle=ANGLES, corner=st.sampled_from(["white", "black"] * 3 + ["paper"]),
       canvas=st.sampled_from(["expand", "keep"]))
# Subnormal angles are finite angles (once refused as not numbers).
@example(pair=(np.zeros((3, 2), np.uint8), None), angle=5e-324, corner="white",
         canvas="expand")
@example(pair=(np.zeros((3, 2, 3), np.uint8), None), angle=-1e-310, corner="black",
         canvas="keep")
def test_rotate(neighbours, pair, angle, corner, canvas):
    image, holder = pair

    def check(out):
        assert not bad_option, "a bad option taken"
        check_new_page(out, image)
        if canvas == "keep":
            assert out.shape[:2] == image.shape[:2]
        if angle == 0:
            np.testing.assert_array_equal(out, image)

    # A page is refused only for a bad option: a result too large is far
    # beyond these small pages.
    bad_option = not math.isfinite(angle) or corner == "paper"
    if refused_or(lambda i: levelora.rotate(i, angle, corner=corner, canvas=canvas), image,
                  check, holder, bad_option):
        assert bad_option or not is_page(image), "a page refused"


@PROPERTY
@given(pair=arrays(), method=st.sampled_from(METHODS * 2 + ["pink"]))
def test_binarize(neighbours, pair, method):
    image, holder = pair

    def check(result):
        assert method != "pink", "a bad method taken"
        mask, choice = result
        assert isinstance(mask, np.ndarray) and mask.dtype == bool
        assert mask.shape == image.shape[:2]
        assert choice in ({"otsu", "multibg", "sauvola"} if method == "best" else {None})

    refused_or(lambda i: levelora.binarize(i, method), image, check, holder, method == "pink")


names = itertools.count()


@pytest.fixture(scope="module")
def folders(tmp_path_factory):
    """A new empty folder for each example."""
    root = tmp_path_factory.mktemp("properties")
    return lambda: root / f"{next(names)}"


@PROPERTY
@given(pair=arrays(), extension=st.sampled_from([".png", ".bmp", ".tif", ".jpg"]))
def test_write(neighbours, folders, pair, extension):
    image, holder = pair
    folder = folders()
    folder.mkdir()
    path = folder / f"page{extension}"

    def check(result):
        assert result is None and list(folder.iterdir()) == [path]
        back = levelora.read(path)
        assert back.shape == image.shape[:2] + (3,)
        if extension != ".jpg":  # lossless: the pixels come back, grey in all three channels
            rgb = image if image.ndim == 3 else np.repeat(image[:, :, None], 3, axis=2)
            np.testing.assert_array_equal(back, rgb)

    if refused_or(lambda i: levelora.write(path, i), image, check, holder):
        assert not list(folder.iterdir()), "a file left behind"
        assert not is_page(image), "a page refused"


@PROPERTY
@given(pair=arrays())
def test_document_save(neighbours, folders, pair):
    image, holder = pair
    folder = folders()
    folder.mkdir()
    levelora.write(folder / "source.png", np.full((4, 5, 3), 200, np.uint8))
    document = levelora.Document(folder / "source.png")
    document.pages = [image]
    path = folder / "saved.png"

    def check(result):
        assert result is None
        assert levelora.read(path).shape == image.shape[:2] + (3,)

    if refused_or(lambda i: document.save(path), image, check, holder):
        assert not path.exists() and not is_page(image), "a page refused"
