// Plane extraction: grey level as the truncated mean of the three channels,
// or one channel as it is stored (byte 0 blue, 1 green, 2 red).
#include "planes.h"

namespace BmpBase {

namespace {

void FitPlane(const CBitmap24& bmp, GreyImage& plane) {
    if (plane.height != bmp.height || plane.width != bmp.width || plane.rows == nullptr) {
        plane.Resize(bmp.height, bmp.width);
    }
}

bool ExtractChannel(const CBitmap24& bmp, GreyImage& plane, int channel) {
    FitPlane(bmp, plane);
    for (uint32_t r = 0; r < bmp.height; ++r) {
        const uint8_t* src = bmp.PixelAt(r, 0) + channel;
        uint8_t* dst = plane.rows[r];
        for (uint32_t c = 0; c < bmp.width; ++c) {
            dst[c] = src[3 * c];
        }
    }
    return true;
}

}  // namespace

bool GetGreyImage(const CBitmap24& bmp, GreyImage& grey) {
    FitPlane(bmp, grey);
    for (uint32_t r = 0; r < bmp.height; ++r) {
        const uint8_t* src = bmp.PixelAt(r, 0);
        uint8_t* dst = grey.rows[r];
        for (uint32_t c = 0; c < bmp.width; ++c) {
            const unsigned sum = src[3 * c] + src[3 * c + 1] + src[3 * c + 2];
            dst[c] = static_cast<uint8_t>(sum / 3);
        }
    }
    return true;
}

bool GetBlueImage(const CBitmap24& bmp, GreyImage& plane) {
    return ExtractChannel(bmp, plane, 0);
}
bool GetGreenImage(const CBitmap24& bmp, GreyImage& plane) {
    return ExtractChannel(bmp, plane, 1);
}
bool GetRedImage(const CBitmap24& bmp, GreyImage& plane) {
    return ExtractChannel(bmp, plane, 2);
}

}  // namespace BmpBase
