// Rotator: turns a picture by an arbitrary angle about its origin corner with
// bilinear interpolation, into a new picture just large enough to hold all of
// it plus a margin.
//
// Angles are degrees; a positive angle turns the content clockwise as
// displayed (bottom-up rows, columns to the right). Sizes travel as uint16
// height H and width W, in on entry and the new size on return, so pictures
// are limited to 65535 on a side.
//
// Three forms share one geometry (see rotator.cpp for its derivation):
//  - the colour form samples a CBitmap24 directly and fills uncovered pixels
//    by the corner option (0: the given fill colour, 2: white, else black);
//  - the plane form turns one 8-bit plane, uncovered elements becoming 255;
//  - the channel form turns the red, green and blue channels as three
//    separate plane rotations (corner option must be 1 or 2; the result has
//    white corners either way). It reads and writes the interleaved bitmaps
//    directly, so it needs no memory beyond the target, and each of its
//    three passes is timed as a plane rotation.
// The colour and plane forms are timed as "Rotator::Rotate". They fail (return
// false, target untouched) only for an angle that is not a finite number or a
// result that would not fit in 65535 x 65535.
#pragma once

#include <cstdint>

#include "bmpbase/bitmap24.h"
#include "bmpbase/plane.h"

namespace Skewmend {

// Size and placement of a rotated picture. Target row r stands for the
// rotated row coordinate r - offX, target column k for k - offY.
struct RotationGeometry {
    double cosTheta = 1.0;
    double sinTheta = 0.0;
    uint16_t height = 0;  // H'
    uint16_t width = 0;   // W'
    int32_t offX = 0;
    int32_t offY = 0;
};

class Rotator {
  public:
    // pi as 2 asin(1), computed once.
    static const double kPi;

    // Geometry for turning an H x W source by `angle` degrees. False for a
    // non-finite angle or an output side of 65536 or more.
    static bool ComputeGeometry(uint16_t srcHeight, uint16_t srcWidth, double angle,
                                RotationGeometry& geometry);

    // Colour form. `fill` is blue, green, red, used for corner option 0.
    static bool Rotate(BmpBase::CBitmap24& dst, const BmpBase::CBitmap24& src,
                       const uint8_t fill[3], uint16_t& height, uint16_t& width, int cornerOption,
                       double angle);

    // Plane form.
    static bool Rotate(const BmpBase::GreyImage& src, BmpBase::GreyImage& dst, uint16_t& height,
                       uint16_t& width, double angle);

    // Channel form. Asserts that the corner option is 1 or 2.
    static bool RotateByChannels(BmpBase::CBitmap24& dst, const BmpBase::CBitmap24& src,
                                 int cornerOption, double angle);
};

}  // namespace Skewmend
