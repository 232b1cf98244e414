#include "cli/bilevel_output.h"

#include <array>
#include <cstring>

#include "cli/page_decision.h"
#include "engine/bilevel_page.h"

namespace Cli {

using BmpBase::CBitmap24;
using Skewmend::BestChoice;
using Skewmend::BinarizeMethod;

namespace {

struct MethodName {
    BinarizeMethod method;
    const char* name;
};

constexpr MethodName kMethods[] = {
    {BinarizeMethod::kOtsu, "otsu"},
    {BinarizeMethod::kSauvola, "sauvola"},
    {BinarizeMethod::kDistributedOtsu, "dotsu"},
    {BinarizeMethod::kMultiBackground, "multibg"},
    {BinarizeMethod::kBest, "best"},
};

// The angle the decision turned the page by.
double TurnAngle(const Options& options, const PageResult& r) {
    if (options.command == Command::kRotate) {
        return r.turnAngle;
    }
    return r.precise ? r.preciseAngle : r.angle;
}

// The most frequent value of each channel: the paper of a page of text.
void PaperColour(const CBitmap24& page, uint8_t bgr[3]) {
    std::array<std::array<uint32_t, 256>, 3> counts{};
    for (uint32_t r = 0; r < page.height; ++r) {
        const uint8_t* px = page.PixelAt(r, 0);
        for (uint32_t c = 0; c < page.width; ++c, px += 3) {
            for (int k = 0; k < 3; ++k) {
                ++counts[k][px[k]];
            }
        }
    }
    for (int k = 0; k < 3; ++k) {
        uint32_t best = 0;
        for (uint32_t v = 1; v < 256; ++v) {
            best = counts[k][v] > counts[k][best] ? v : best;
        }
        bgr[k] = static_cast<uint8_t>(best);
    }
}

std::string Note(BinarizeMethod method, BestChoice choice) {
    std::string note = std::string("bilevel: ") + BilevelMethodName(method);
    switch (choice) {
        case BestChoice::kOtsu:
            return note + " \u2192 otsu (evenly lit)";
        case BestChoice::kMultiBackground:
            return note + " \u2192 multibg (evenly lit, paper beside a picture or dark margin)";
        case BestChoice::kSauvola:
            return note + " \u2192 sauvola (unevenly lit)";
        case BestChoice::kNone:
            break;
    }
    return note;
}

}  // namespace

bool ParseBilevelMethod(const std::string& name, BinarizeMethod& method) {
    for (const MethodName& m : kMethods) {
        if (name == m.name) {
            method = m.method;
            return true;
        }
    }
    return false;
}

const char* BilevelMethodName(BinarizeMethod method) {
    for (const MethodName& m : kMethods) {
        if (m.method == method) {
            return m.name;
        }
    }
    return "otsu";
}

Options DecisionOptions(const Options& options) {
    Options decided = options;
    if (options.bilevel) {
        decided.corner = Corner::kBlack;
    }
    return decided;
}

bool MakeBilevel(const CBitmap24& src, const CBitmap24& decided, const Options& options,
                 const Pictconv::PageDescription& source, CBitmap24& out,
                 Pictconv::PageDescription& kind, PageResult& r) {
    // The straightened page with paper-coloured corners; `decided` has black
    // ones, so the pixels where the two differ are the uncovered ones.
    CBitmap24 papered;
    const CBitmap24* straight = &src;
    if (r.turned) {
        uint8_t paper[3];
        PaperColour(src, paper);
        if (!TurnOnCanvas(src, TurnAngle(options, r), options, Corner::kPaper, paper, papered)) {
            r.error = r.input + ": the page could not be rotated";
            return false;
        }
        straight = &papered;
    }
    Skewmend::BilevelPage ink;
    std::string reason;
    if (!Skewmend::BinarizePage(*straight, options.bilevelMethod, ink, reason)) {
        r.error = r.input + ": " + reason;
        return false;
    }
    const uint8_t corner = options.corner == Corner::kBlack ? 0 : 255;
    out = *straight;
    for (uint32_t row = 0; row < out.height; ++row) {
        uint8_t* px = out.PixelAt(row, 0);
        const uint8_t* black = r.turned ? decided.PixelAt(row, 0) : nullptr;
        for (uint32_t c = 0; c < out.width; ++c, px += 3) {
            uint8_t value = ink.mask[size_t{row} * out.width + c] ? 0 : 255;
            if (black != nullptr && std::memcmp(px, black + 3ull * c, 3) != 0) {
                value = corner;
            }
            px[0] = px[1] = px[2] = value;
        }
    }
    kind = Pictconv::PageDescription();
    kind.kind = Pictconv::PageKind::kBilevel;
    kind.bitsPerSample = 1;
    kind.compression = Pictconv::kCompressionGroup4;
    kind.xResolution = source.xResolution;
    kind.yResolution = source.yResolution;
    kind.resolutionUnit = source.resolutionUnit;
    r.changeNotes = Note(options.bilevelMethod, ink.choice);
    return true;
}

}  // namespace Cli
