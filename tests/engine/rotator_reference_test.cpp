// The rotations against a straightforward reference: every target pixel
// computed on its own from the written formulas (plane form through a
// working array of doubles, channel form through three separate planes), on
// random pictures, sizes, angles and corner options. The engine's forms
// share products between pixels and skip the intermediate planes; the bytes
// must not change.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "bmpbase/planes.h"
#include "engine/rotator.h"

using BmpBase::CBitmap24;
using BmpBase::GreyImage;
using Skewmend::RotationGeometry;
using Skewmend::Rotator;

namespace {

struct RefSample {
    bool covered;
    int32_t fx, fy;
    double dx, dy;
};

RefSample RefLocate(const RotationGeometry& g, int32_t r, int32_t k, int32_t h, int32_t w) {
    const double i = r - g.offX;
    const double j = k - g.offY;
    const double x = i * g.cosTheta + j * g.sinTheta;
    const double y = j * g.cosTheta - i * g.sinTheta;
    RefSample s;
    s.fx = static_cast<int32_t>(x) - (x < 0 ? 1 : 0);
    s.fy = static_cast<int32_t>(y) - (y < 0 ? 1 : 0);
    s.covered = s.fx >= 0 && s.fx < h - 1 && s.fy >= 0 && s.fy < w - 1;
    s.dx = x - s.fx;
    s.dy = y - s.fy;
    return s;
}

double RefValue(double p00, double p01, double p10, double p11, const RefSample& s) {
    return p00 * (1 - s.dx) * (1 - s.dy) + p01 * (1 - s.dx) * s.dy + p10 * s.dx * (1 - s.dy) +
           p11 * s.dx * s.dy;
}

uint8_t RefByte(double v) {
    const int32_t t = static_cast<int32_t>(v + 0.5);
    return static_cast<uint8_t>(t > 255 ? 255 : t);
}

GreyImage RefPlane(const GreyImage& src, const RotationGeometry& g) {
    const auto h = static_cast<int32_t>(src.height);
    const auto w = static_cast<int32_t>(src.width);
    std::vector<double> work(static_cast<size_t>(g.height) * g.width);
    for (int32_t r = 0; r < g.height; ++r) {
        for (int32_t k = 0; k < g.width; ++k) {
            const RefSample s = RefLocate(g, r, k, h, w);
            work[static_cast<size_t>(r) * g.width + k] =
                s.covered ? RefValue(src.rows[s.fx][s.fy], src.rows[s.fx][s.fy + 1],
                                     src.rows[s.fx + 1][s.fy], src.rows[s.fx + 1][s.fy + 1], s)
                          : -255.0;
        }
    }
    GreyImage dst(g.height, g.width);
    for (size_t n = 0; n < work.size(); ++n) {
        dst.Data()[n] = RefByte(work[n] < 0 ? 255.0 : work[n]);
    }
    return dst;
}

CBitmap24 RefColour(const CBitmap24& src, const RotationGeometry& g, const uint8_t fill[3],
                    int option) {
    const auto h = static_cast<int32_t>(src.height);
    const auto w = static_cast<int32_t>(src.width);
    CBitmap24 dst;
    dst.Allocate(g.height, g.width);
    for (int32_t r = 0; r < g.height; ++r) {
        for (int32_t k = 0; k < g.width; ++k) {
            uint8_t* out = dst.PixelAt(r, k);
            const RefSample s = RefLocate(g, r, k, h, w);
            for (int ch = 0; ch < 3; ++ch) {
                if (!s.covered) {
                    out[ch] = option == 0 ? fill[ch] : (option == 2 ? 255 : 0);
                    continue;
                }
                out[ch] = RefByte(RefValue(
                    src.PixelAt(s.fx, s.fy)[ch], src.PixelAt(s.fx, s.fy + 1)[ch],
                    src.PixelAt(s.fx + 1, s.fy)[ch], src.PixelAt(s.fx + 1, s.fy + 1)[ch], s));
            }
        }
    }
    return dst;
}

CBitmap24 RefChannels(const CBitmap24& src, const RotationGeometry& g) {
    GreyImage red, green, blue;
    BmpBase::GetRedImage(src, red);
    BmpBase::GetGreenImage(src, green);
    BmpBase::GetBlueImage(src, blue);
    const GreyImage turned[3] = {RefPlane(blue, g), RefPlane(green, g), RefPlane(red, g)};
    CBitmap24 dst;
    dst.Allocate(g.height, g.width);
    for (uint32_t r = 0; r < dst.height; ++r) {
        for (uint32_t c = 0; c < dst.width; ++c) {
            for (int ch = 0; ch < 3; ++ch) {
                dst.PixelAt(r, c)[ch] = turned[ch].rows[r][c];
            }
        }
    }
    return dst;
}

bool SameBitmap(const CBitmap24& a, const CBitmap24& b) {
    return a.height == b.height && a.width == b.width && a.pixelBytes == b.pixelBytes &&
           std::memcmp(a.pixels, b.pixels, a.pixelBytes) == 0;
}

}  // namespace

TEST(RotatorReference, EveryFormMatchesTheWrittenFormulasOnRandomPictures) {
    std::mt19937 engine(7031);
    auto next = [&engine](uint32_t n) { return static_cast<uint32_t>(engine() % n); };
    const double fixedAngles[] = {0.0, 90.0, 180.0, -90.0, 7.0, -7.0, 45.0, 0.5};
    for (int trial = 0; trial < 160; ++trial) {
        const uint32_t rows = 1 + next(48);
        const uint32_t cols = 1 + next(48);
        CBitmap24 src;
        src.Allocate(rows, cols);
        // Noise, hard edges, saturated values, gradients and patches of one
        // colour (whose pixels take the short cut of uniform neighbourhoods)
        // all occur.
        const uint32_t style = next(4);
        const uint8_t patchColours[4][3] = {
            {255, 255, 255}, {0, 0, 0}, {12, 200, 77}, {254, 255, 1}};
        for (uint32_t r = 0; r < rows; ++r) {
            for (uint32_t c = 0; c < cols; ++c) {
                for (uint32_t ch = 0; ch < 3; ++ch) {
                    uint32_t v;
                    if (style == 0) {
                        v = next(256);
                    } else if (style == 1) {
                        v = next(2) ? 255 : 0;
                    } else if (style == 2) {
                        v = (r * 7 + 3 * c + ch) % 256;
                    } else {
                        v = patchColours[(r / 5 + c / 7) % 4][ch];
                    }
                    src.PixelAt(r, c)[ch] = static_cast<uint8_t>(v);
                }
            }
        }
        const double angle = trial < 8
                                 ? fixedAngles[trial]
                                 : (static_cast<double>(engine()) / 4294967296.0 - 0.5) * 400.0;
        RotationGeometry g;
        ASSERT_TRUE(Rotator::ComputeGeometry(static_cast<uint16_t>(rows),
                                             static_cast<uint16_t>(cols), angle, g));

        const int option = static_cast<int>(next(4));
        const uint8_t fill[3] = {static_cast<uint8_t>(next(256)), static_cast<uint8_t>(next(256)),
                                 static_cast<uint8_t>(next(256))};
        CBitmap24 colour;
        uint16_t h = static_cast<uint16_t>(rows), w = static_cast<uint16_t>(cols);
        ASSERT_TRUE(Rotator::Rotate(colour, src, fill, h, w, option, angle));
        ASSERT_TRUE(SameBitmap(colour, RefColour(src, g, fill, option))) << trial << " " << angle;

        CBitmap24 channels;
        ASSERT_TRUE(Rotator::RotateByChannels(channels, src, 1 + option % 2, angle));
        ASSERT_TRUE(SameBitmap(channels, RefChannels(src, g))) << trial << " " << angle;

        GreyImage plane, turned;
        BmpBase::GetGreenImage(src, plane);
        h = static_cast<uint16_t>(rows);
        w = static_cast<uint16_t>(cols);
        ASSERT_TRUE(Rotator::Rotate(plane, turned, h, w, angle));
        const GreyImage expected = RefPlane(plane, g);
        ASSERT_EQ(0, std::memcmp(turned.Data(), expected.Data(), expected.ElementCount()))
            << trial << " " << angle;
    }
}

TEST(RotatorReference, ChannelFormMayTurnAPictureIntoItself) {
    CBitmap24 page;
    page.Allocate(9, 13);
    for (uint32_t i = 0; i < page.pixelBytes; ++i) {
        page.pixels[i] = static_cast<uint8_t>(i * 37);
    }
    RotationGeometry g;
    ASSERT_TRUE(Rotator::ComputeGeometry(9, 13, 11.0, g));
    const CBitmap24 expected = RefChannels(page, g);
    ASSERT_TRUE(Rotator::RotateByChannels(page, page, 2, 11.0));
    EXPECT_TRUE(SameBitmap(page, expected));
}

TEST(RotatorReference, SteepTurnsOfLargerPicturesMatchTheWrittenFormulas) {
    // Turns steeper than 45 degrees are made tile by tile; pictures of
    // several tiles with partial tiles at the edges.
    std::mt19937 engine(515);
    CBitmap24 src;
    src.Allocate(150, 131);
    for (uint32_t n = 0; n < src.pixelBytes; ++n) {
        src.pixels[n] = static_cast<uint8_t>(engine());
    }
    const uint8_t fill[3] = {9, 99, 199};
    for (const double angle : {89.0, -60.0, 120.0, 91.5, -135.5, 270.0}) {
        RotationGeometry g;
        ASSERT_TRUE(Rotator::ComputeGeometry(150, 131, angle, g));
        CBitmap24 colour;
        uint16_t h = 150, w = 131;
        ASSERT_TRUE(Rotator::Rotate(colour, src, fill, h, w, 0, angle));
        EXPECT_TRUE(SameBitmap(colour, RefColour(src, g, fill, 0))) << angle;
        CBitmap24 channels;
        ASSERT_TRUE(Rotator::RotateByChannels(channels, src, 2, angle));
        EXPECT_TRUE(SameBitmap(channels, RefChannels(src, g))) << angle;
    }
}
