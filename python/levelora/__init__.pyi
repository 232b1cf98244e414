from os import PathLike
from typing import Literal, Optional, Tuple, Union

import numpy as np
import numpy.typing as npt

Image = npt.NDArray[np.uint8]
Corner = Literal["white", "black", "paper"]
Canvas = Literal["expand", "keep"]

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
) -> Tuple[Image, Estimate]: ...
def rotate(
    image: Image,
    angle: float,
    *,
    corner: Literal["white", "black"] = "white",
    canvas: Canvas = "expand",
) -> Image: ...
def read(path: Union[str, PathLike[str]]) -> Image: ...
def write(path: Union[str, PathLike[str]], image: Image) -> None: ...
def set_verbose(verbose: bool) -> None: ...
