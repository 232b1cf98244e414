// A turned page holds few distinct colours, so a palette page's indexes are
// looked up once per colour: first the entry of exactly that colour (the
// lowest index), else the nearest entry.
#include "pictconv/kind_samples.h"

namespace Pictconv {

namespace {

uint32_t ColourKey(uint8_t red, uint8_t green, uint8_t blue) {
    return uint32_t{red} << 16 | uint32_t{green} << 8 | blue;
}

}  // namespace

uint8_t KindSamples::IndexOf(const uint8_t* bgr) {
    const std::vector<PaletteEntry>& palette = description_.palette;
    if (indexOf_.empty()) {
        for (size_t i = palette.size(); i-- > 0;) {
            indexOf_[ColourKey(palette[i].red, palette[i].green, palette[i].blue)] =
                static_cast<uint8_t>(i);
        }
    }
    const uint32_t key = ColourKey(bgr[2], bgr[1], bgr[0]);
    auto found = indexOf_.find(key);
    if (found == indexOf_.end()) {
        found =
            indexOf_
                .emplace(key, static_cast<uint8_t>(NearestEntry(palette, bgr[2], bgr[1], bgr[0])))
                .first;
    }
    return found->second;
}

void KindSamples::Row(const uint8_t* bgr, uint32_t width, uint8_t* out) {
    switch (description_.kind) {
        case PageKind::kBilevel:
            for (uint32_t c = 0; c < width; ++c, bgr += 3) {
                out[c] = bgr[0] < kBilevelThreshold ? 0 : 1;
            }
            return;
        case PageKind::kPalette:
            if (!description_.palette.empty()) {
                for (uint32_t c = 0; c < width; ++c, bgr += 3) {
                    out[c] = IndexOf(bgr);
                }
                return;
            }
            break;
        case PageKind::kGrey:
        case PageKind::kRgb:
            break;
    }
    for (uint32_t c = 0; c < width; ++c, bgr += 3) {
        out[c] = bgr[0];
    }
}

int IndexDepth(size_t entries, std::initializer_list<int> depths) {
    if (entries == 0) {
        return 0;
    }
    for (const int depth : depths) {
        if (entries <= (size_t{1} << depth)) {
            return depth;
        }
    }
    return 0;
}

bool PaletteIsGrey(const PageDescription& description) {
    for (const PaletteEntry& e : description.palette) {
        if (e.red != e.green || e.green != e.blue) {
            return false;
        }
    }
    return true;
}

}  // namespace Pictconv
