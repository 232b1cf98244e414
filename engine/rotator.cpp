// Rotation by bilinear interpolation.
//
// Geometry. With c = cos(theta) and s = sin(theta), a source position
// (row, column) maps to X = row c - column s, Y = row s + column c. The four
// source corners (0,0), (H-1,0), (0,W-1), (H-1,W-1) map to points whose
// extremes minX <= 0 <= maxX and minY <= 0 <= maxY bound the rotated picture.
// Truncating those extremes toward zero and adding one pixel of margin on
// each side gives H' = trunc(maxX) - trunc(minX) + 3 rows and
// W' = trunc(maxY) - trunc(minY) + 3 columns; target row r and column k
// stand for the rotated coordinates i = r - offX and j = k - offY with
// offX = 1 - trunc(minX) and offY = 1 - trunc(minY). Because of the
// truncation, turning by +a and by -a need not give the same size.
//
// Sampling inverts the mapping: x = i c + j s (source row) and
// y = j c - i s (source column). A target pixel is covered when
// 0 <= floor(x) < H-1 and 0 <= floor(y) < W-1, so the last source row and
// column are never the top-left neighbour of a sample; covered pixels blend
// the four neighbours bilinearly and round half up, saturating at 255.
//
// The per-pixel products i c, i s, j c and j s are the same products for a
// whole row or column, so they are formed once per row and once per column;
// the arithmetic is otherwise exactly the per-pixel formula
// (rotator_kernels.h). Where the processor has a vector kernel, each target
// row goes to it and the scalar rule finishes what it leaves; the kernels
// produce the scalar rule's bytes (engine/rotator_avx2.cpp,
// engine/rotator_avx512.cpp argue why).
//
// pi, cos and sin come from PortableMath, so the geometry and every blended
// pixel are the same bits on every platform the engine is built for.
#include "engine/rotator.h"

#include <cmath>
#include <vector>

#include "engine/diagnostics.h"
#include "engine/portable_math.h"
#include "engine/rotator_kernels.h"

namespace Skewmend {

const double Rotator::kPi = 2.0 * PortableMath::Asin(1.0);

namespace {

// Per-column products j c and j s of a target row, and the same split into
// whole and fractional parts for the kernels.
struct ColumnTerms {
    std::vector<double> jc;
    std::vector<double> js;
    std::vector<int32_t> jcWhole;
    std::vector<float> jcPart;
    std::vector<int32_t> jsWhole;
    std::vector<float> jsPart;
    ColumnTerms() = default;
    explicit ColumnTerms(const RotationGeometry& g)
        : jc(g.width),
          js(g.width),
          jcWhole(g.width),
          jcPart(g.width),
          jsWhole(g.width),
          jsPart(g.width) {
        for (int32_t k = 0; k < g.width; ++k) {
            const double j = static_cast<double>(k - g.offY);
            jc[k] = j * g.cosTheta;
            js[k] = j * g.sinTheta;
            SplitTerm(jc[k], jcWhole[k], jcPart[k]);
            SplitTerm(js[k], jsWhole[k], jsPart[k]);
        }
    }
};

// The plane rotations' timer. The channel form is three plane rotations
// done straight on the interleaved bitmaps, so it reports on this timer too.
NamedTimer& PlaneRotationTimer() {
    static NamedTimer timer("Rotator::Rotate");
    return timer;
}

// Side of the square tiles in which steep turns are made.
constexpr int32_t kSteepTile = 64;

// Turns every target pixel: all three bytes (`channel` -1) or byte `channel`
// only, uncovered pixels taking `fill`. Each pixel is computed on its own,
// so the order of the pixels does not change a byte: a turn steeper than
// 45 degrees walks every target row down a source column, one source row
// per pixel, and is made tile by tile so that the source rows a tile reads
// stay in the processor's caches; gentler turns go row by row.
void TurnPixels(BmpBase::CBitmap24& dst, const BmpBase::CBitmap24& src, const RotationGeometry& g,
                const ColumnTerms& terms, uint16_t srcHeight, uint16_t srcWidth,
                const uint8_t fill[3], int channel) {
    const ColourRowFn kernel = ColourRowKernel();
    const bool steep = std::fabs(g.sinTheta) > std::fabs(g.cosTheta);
    const int32_t tileRows = steep ? kSteepTile : g.height;
    const int32_t tileCols = steep ? kSteepTile : g.width;
    for (int32_t r0 = 0; r0 < g.height; r0 += tileRows) {
        const int32_t rEnd = g.height - r0 < tileRows ? g.height : r0 + tileRows;
        for (int32_t k0 = 0; k0 < g.width; k0 += tileCols) {
            const int32_t count = g.width - k0 < tileCols ? g.width - k0 : tileCols;
            for (int32_t r = r0; r < rEnd; ++r) {
                const double i = static_cast<double>(r - g.offX);
                const ColourRowArgs args{
                    dst.PixelAt(static_cast<uint32_t>(r), static_cast<uint32_t>(k0)),
                    terms.jc.data() + k0,
                    terms.js.data() + k0,
                    count,
                    i * g.cosTheta,
                    i * g.sinTheta,
                    src.pixels,
                    src.stride,
                    static_cast<int32_t>(srcHeight) - 1,
                    static_cast<int32_t>(srcWidth) - 1,
                    fill,
                    channel,
                    terms.jsWhole.data() + k0,
                    terms.jsPart.data() + k0,
                    terms.jcWhole.data() + k0,
                    terms.jcPart.data() + k0};
                int32_t k = kernel != nullptr ? kernel(args) : 0;
                for (; k < count; ++k) {
                    ExactPixel(args, k);
                }
            }
        }
    }
}

}  // namespace

ColourRowFn ColourRowKernelFor(RowKernel kind) {
    switch (kind) {
        case RowKernel::Avx2:
            return Avx2RowKernel();
        case RowKernel::Avx512:
            return Avx512RowKernel();
    }
    return nullptr;
}

ColourRowFn ColourRowKernel() {
    static const ColourRowFn kernel = [] {
        const ColourRowFn wide = Avx512RowKernel();
        return wide != nullptr ? wide : Avx2RowKernel();
    }();
    return kernel;
}

bool Rotator::ComputeGeometry(uint16_t srcHeight, uint16_t srcWidth, double angle,
                              RotationGeometry& g) {
    if (!std::isfinite(angle)) {
        return false;
    }
    const double theta = angle / 180.0 * kPi;
    const double c = PortableMath::Cos(theta);
    const double s = PortableMath::Sin(theta);
    const double h1 = static_cast<double>(static_cast<int32_t>(srcHeight) - 1);
    const double w1 = static_cast<double>(static_cast<int32_t>(srcWidth) - 1);

    const double xs[4] = {0.0, c * h1, -s * w1, c * h1 - s * w1};
    const double ys[4] = {0.0, s * h1, c * w1, s * h1 + c * w1};
    double minX = xs[0], maxX = xs[0], minY = ys[0], maxY = ys[0];
    for (int p = 1; p < 4; ++p) {
        minX = xs[p] < minX ? xs[p] : minX;
        maxX = xs[p] > maxX ? xs[p] : maxX;
        minY = ys[p] < minY ? ys[p] : minY;
        maxY = ys[p] > maxY ? ys[p] : maxY;
    }
    const int32_t newHeight = static_cast<int32_t>(maxX) - static_cast<int32_t>(minX) + 3;
    const int32_t newWidth = static_cast<int32_t>(maxY) - static_cast<int32_t>(minY) + 3;
    // A larger result cannot be described by 16-bit sizes; wrapping would
    // silently crop the page.
    if (newHeight > 65535 || newWidth > 65535) {
        return false;
    }
    g.cosTheta = c;
    g.sinTheta = s;
    g.height = static_cast<uint16_t>(newHeight);
    g.width = static_cast<uint16_t>(newWidth);
    g.offX = 1 - static_cast<int32_t>(minX);
    g.offY = 1 - static_cast<int32_t>(minY);
    return true;
}

bool Rotator::Rotate(BmpBase::CBitmap24& dst, const BmpBase::CBitmap24& src, const uint8_t fill[3],
                     uint16_t& height, uint16_t& width, int cornerOption, double angle) {
    SKEWMEND_TIMED("Rotator::Rotate");
    RotationGeometry g;
    if (!ComputeGeometry(height, width, angle, g)) {
        return false;
    }
    uint8_t uncovered[3] = {0, 0, 0};
    if (cornerOption == 0) {
        uncovered[0] = fill[0];
        uncovered[1] = fill[1];
        uncovered[2] = fill[2];
    } else if (cornerOption == 2) {
        uncovered[0] = uncovered[1] = uncovered[2] = 255;
    }

    dst.AllocateForOverwrite(g.height, g.width);
    TurnPixels(dst, src, g, ColumnTerms(g), height, width, uncovered, -1);
    height = g.height;
    width = g.width;
    return true;
}

bool Rotator::Rotate(const BmpBase::GreyImage& src, BmpBase::GreyImage& dst, uint16_t& height,
                     uint16_t& width, double angle) {
    ScopedTimer timed(PlaneRotationTimer());
    RotationGeometry g;
    if (!ComputeGeometry(height, width, angle, g)) {
        return false;
    }
    // Uncovered elements come out as 255; covered ones are never negative,
    // so no intermediate plane of unrounded values is needed to tell them
    // apart.
    dst.Resize(g.height, g.width);
    const ColumnTerms terms(g);
    const int32_t lastRow = static_cast<int32_t>(height) - 1;
    const int32_t lastCol = static_cast<int32_t>(width) - 1;
    for (int32_t r = 0; r < g.height; ++r) {
        const double i = static_cast<double>(r - g.offX);
        const double ic = i * g.cosTheta;
        const double is = i * g.sinTheta;
        uint8_t* out = dst.rows[r];
        for (int32_t k = 0; k < g.width; ++k) {
            const Sample sm = Locate(ic + terms.js[k], terms.jc[k] - is, lastRow, lastCol);
            if (!sm.covered) {
                out[k] = 255;
                continue;
            }
            const uint8_t* p0 = src.rows[sm.fx] + sm.fy;
            const uint8_t* p1 = src.rows[sm.fx + 1] + sm.fy;
            out[k] = Blend(p0[0], p0[1], p1[0], p1[1], sm.dx, sm.dy);
        }
    }
    height = g.height;
    width = g.width;
    return true;
}

bool Rotator::RotateByChannels(BmpBase::CBitmap24& dst, const BmpBase::CBitmap24& src,
                               int cornerOption, double angle) {
    if (cornerOption != 1 && cornerOption != 2) {
        AssertFail(".\\Rotator", 223);
    }
    if (&dst == &src) {
        BmpBase::CBitmap24 turned;
        if (!RotateByChannels(turned, src, cornerOption, angle)) {
            return false;
        }
        dst = turned;
        return true;
    }
    const auto height = static_cast<uint16_t>(src.height);
    const auto width = static_cast<uint16_t>(src.width);
    RotationGeometry g;
    ColumnTerms terms;
    const uint8_t white[3] = {255, 255, 255};
    // Red, then green, then blue (bytes 2, 1, 0), each a plane rotation with
    // uncovered elements at 255, written straight into the target: no
    // separate planes are extracted, turned and reassembled.
    for (int channel : {2, 1, 0}) {
        ScopedTimer timed(PlaneRotationTimer());
        if (channel == 2) {
            if (!ComputeGeometry(height, width, angle, g)) {
                return false;
            }
            dst.AllocateForOverwrite(g.height, g.width);
            terms = ColumnTerms(g);
        }
        TurnPixels(dst, src, g, terms, height, width, white, channel);
    }
    return true;
}

}  // namespace Skewmend
