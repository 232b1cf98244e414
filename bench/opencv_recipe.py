#!/usr/bin/python3
"""Times the widely copied OpenCV deskew recipe file to file, one thread.

Otsu threshold of the grey page, minAreaRect of the ink coordinates,
warpAffine of the colour page (cubic, border replicated), BMP in and out:
the reference point for the speed of our AutoRotate on the same page.
Needs Debian's python3-opencv (scripts/install-deps bench).

Usage: bench/opencv_recipe.py PAGE.bmp [RUNS]
Prints the median wall and CPU seconds of RUNS runs (default 15).
"""
import statistics
import sys
import tempfile
import time
import os

import cv2
import numpy as np


def deskew(src, dst):
    image = cv2.imread(src)
    grey = cv2.cvtColor(image, cv2.COLOR_BGR2GRAY)
    ink = cv2.threshold(grey, 0, 255, cv2.THRESH_BINARY_INV | cv2.THRESH_OTSU)[1]
    coords = np.column_stack(np.where(ink > 0)).astype(np.float32)
    angle = cv2.minAreaRect(coords)[-1]
    angle = -(90 + angle) if angle < -45 else -angle
    h, w = image.shape[:2]
    m = cv2.getRotationMatrix2D((w // 2, h // 2), angle, 1.0)
    turned = cv2.warpAffine(image, m, (w, h), flags=cv2.INTER_CUBIC,
                            borderMode=cv2.BORDER_REPLICATE)
    cv2.imwrite(dst, turned)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    cv2.setNumThreads(1)
    out = os.path.join(tempfile.gettempdir(), "levelora_opencv_recipe.bmp")
    walls, cpus = [], []
    for _ in range(runs):
        wall, cpu = time.perf_counter(), time.process_time()
        deskew(sys.argv[1], out)
        walls.append(time.perf_counter() - wall)
        cpus.append(time.process_time() - cpu)
    print(f"opencv recipe {sys.argv[1]}: wall {statistics.median(walls):.4f} s, "
          f"cpu {statistics.median(cpus):.4f} s (median of {runs})")


if __name__ == "__main__":
    main()
