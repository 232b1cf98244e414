"""Levelora: straighten pictures of document pages held as numpy arrays.

Images are numpy arrays of uint8: H x W x 3 (red, green, blue) or H x W
(grey), row 0 at the top, any strides. Every function returns new arrays of
the kind it was given and leaves its input alone.

    import levelora
    img = levelora.read("scan.jpg")              # first page, RGB
    est = levelora.estimate(img)                 # Estimate(angle=-9.0, ...)
    straight, est = levelora.deskew(img)         # turned when sure
    levelora.write("straight.png", straight)     # atomic write
    turned = levelora.rotate(img, 2.5)           # clockwise as displayed
    mask, choice = levelora.binarize(img)        # True for ink; "sauvola"...
    doc = levelora.Document("scans.tif")         # every page, with its kind
    doc.pages = [levelora.deskew(p)[0] for p in doc.pages]
    doc.save("straight.tif")                     # pages kept in their kind

Angles are corrections in degrees: positive turns the page clockwise as
displayed, so a page scanned 9 degrees clockwise has the angle -9.0.
Statuses and notes are the words of the skewmend tool's reports.

Bad input raises before any work: TypeError for an image that is not a
uint8 numpy array, ValueError for another shape, an empty image, one beyond
the size limits (65534 pixels on a side, 2**28 pixels) or a bad option,
OSError for a file that cannot be read or written.

The functions release the GIL while the engine works, so threads straighten
pages in parallel. The engine's log lines are silent unless
set_verbose(True) sends them to standard error.

Batches of files on a Dask cluster: python3 -m levelora.batch --help.
"""

from levelora._levelora import (
    Document,
    Estimate,
    binarize,
    deskew,
    estimate,
    read,
    rotate,
    set_verbose,
    write,
)

__all__ = [
    "Estimate",
    "estimate",
    "deskew",
    "rotate",
    "binarize",
    "read",
    "write",
    "Document",
    "set_verbose",
]
