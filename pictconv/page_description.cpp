#include "pictconv/page_description.h"

#include <array>
#include <unordered_map>

namespace Pictconv {

using BmpBase::CBitmap24;

std::string ChangeNotes(unsigned changes) {
    static const std::array<std::pair<unsigned, const char*>, 3> kTexts = {{
        {kReducedTo8Bits, "reduced to 8 bits"},
        {kConvertedToRgb, "converted to RGB"},
        {kAlphaFlattened, "alpha flattened over white"},
    }};
    std::string notes;
    for (const auto& [flag, text] : kTexts) {
        if ((changes & flag) != 0) {
            if (!notes.empty()) {
                notes += "; ";
            }
            notes += text;
        }
    }
    return notes;
}

size_t NearestEntry(const std::vector<PaletteEntry>& palette, uint8_t red, uint8_t green,
                    uint8_t blue) {
    size_t best = 0;
    int bestDistance = -1;
    for (size_t i = 0; i < palette.size(); ++i) {
        const int dr = int{palette[i].red} - red;
        const int dg = int{palette[i].green} - green;
        const int db = int{palette[i].blue} - blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

namespace {

uint8_t GreyOf(const uint8_t* bgr) {
    return static_cast<uint8_t>((unsigned{bgr[0]} + bgr[1] + bgr[2]) / 3);
}

// A turned page holds few distinct colours (the palette's own, and the
// blends that interpolation made at their edges), so each is looked up once.
void ReduceToPalette(CBitmap24& picture, const std::vector<PaletteEntry>& palette) {
    std::unordered_map<uint32_t, PaletteEntry> nearest;
    for (uint32_t r = 0; r < picture.height; ++r) {
        uint8_t* px = picture.PixelAt(r, 0);
        for (uint32_t c = 0; c < picture.width; ++c, px += 3) {
            const uint32_t key = uint32_t{px[2]} << 16 | uint32_t{px[1]} << 8 | px[0];
            auto found = nearest.find(key);
            if (found == nearest.end()) {
                found =
                    nearest.emplace(key, palette[NearestEntry(palette, px[2], px[1], px[0])]).first;
            }
            px[0] = found->second.blue;
            px[1] = found->second.green;
            px[2] = found->second.red;
        }
    }
}

}  // namespace

void ReduceToKind(CBitmap24& picture, const PageDescription& description) {
    switch (description.kind) {
        case PageKind::kRgb:
            return;
        case PageKind::kPalette:
            if (!description.palette.empty()) {
                ReduceToPalette(picture, description.palette);
            }
            return;
        case PageKind::kBilevel:
        case PageKind::kGrey:
            break;
    }
    const bool bilevel = description.kind == PageKind::kBilevel;
    for (uint32_t r = 0; r < picture.height; ++r) {
        uint8_t* px = picture.PixelAt(r, 0);
        for (uint32_t c = 0; c < picture.width; ++c, px += 3) {
            uint8_t grey = GreyOf(px);
            if (bilevel) {
                grey = grey < kBilevelThreshold ? 0 : 255;
            }
            px[0] = px[1] = px[2] = grey;
        }
    }
}

}  // namespace Pictconv
