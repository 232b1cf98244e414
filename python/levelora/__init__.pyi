from os import PathLike
from typing import List, Literal, Optional, Tuple, Union

import numpy as np
import numpy.typing as npt

Image = npt.NDArray[np.uint8]
Corner = Literal["white", "black", "paper"]
Canvas = Literal["expand", "keep"]
Method = Literal["best", "otsu", "sauvola", "dotsu", "multibg"]
Path = Union[str, PathLike[str]]

class Estimate:
    @property
    def angle(self) -> Optional[float]: ...
    @property
    def confidence(self) -> Optional[float]: ...
    @property
    def status(self) -> str: ...
    @property
    def mode(self) -> Literal["precise", "whole-degrees"]: ...
    @property
    def note(self) -> Optional[str]: ...
    @property
    def error(self) -> Optional[str]: ...

def estimate(
    image: Image, *, whole_degrees: bool = False, min_confidence: float = 0.5
) -> Estimate: ...
def deskew(
    image: Image,
    *,
    whole_degrees: bool = False,
    corner: Corner = "white",
    canvas: Canvas = "expand",
    min_confidence: float = 0.5,
    min_angle: float = 0.05,
    bilevel: Optional[Method] = None,
) -> Tuple[Image, Estimate]: ...
def rotate(
    image: Image,
    angle: float,
    *,
    corner: Literal["white", "black"] = "white",
    canvas: Canvas = "expand",
) -> Image: ...
def binarize(
    image: Image, method: Method = "best"
) -> Tuple[npt.NDArray[np.bool_], Optional[Literal["otsu", "multibg", "sauvola"]]]: ...

class Document:
    def __init__(self, path: Path) -> None: ...
    @property
    def path(self) -> str: ...
    @property
    def format(self) -> Literal["bmp", "jpeg", "png", "tiff"]: ...
    pages: List[Image]
    @property
    def kinds(self) -> List[Literal["bilevel", "grey", "palette", "rgb"]]: ...
    @property
    def compressions(self) -> List[int]: ...
    def __len__(self) -> int: ...
    def save(self, path: Path) -> None: ...

def read(path: Path) -> Image: ...
def write(path: Path, image: Image, like: Optional[Document] = None) -> None: ...
def set_verbose(verbose: bool) -> None: ...
