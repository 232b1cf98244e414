// Precise mode on small arbitrary 24-bit pages: the noise check, the box
// filter, the profile scores, the sweep and the fine search. Input: height
// and width (1 .. 256 each, two bytes each), then pixel bytes (repeated to
// fill the page; a page with no bytes stays black). The answer must be "not
// sure", "failed", or a finite angle within the reach of the search (the
// fine search goes 1.9 degrees beyond a seed of at most 45) with a
// confidence in 0 .. 1; the page analysed must be left as it was.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bmpbase/bitmap24.h"
#include "engine/pipeline.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr uint16_t kMaxFuzzSide = 256;
constexpr double kMaxPreciseDeg = 46.9;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSupport::Cursor in(data, size);
    const uint16_t height = static_cast<uint16_t>(1 + in.U16() % kMaxFuzzSide);
    const uint16_t width = static_cast<uint16_t>(1 + in.U16() % kMaxFuzzSide);
    BmpBase::CBitmap24 page;
    page.Allocate(height, width);
    FuzzSupport::FillPage(page, in.Rest(), in.RestSize());
    const std::vector<uint8_t> before(page.pixels, page.pixels + page.pixelBytes);

    Skewmend::AnalysisOptions options;
    options.precise = true;
    const Skewmend::PageAnalysis analysis = Skewmend::AnalysePage(page, options);
    const Skewmend::PreciseEstimate& e = analysis.precise;
    if (!analysis.usable || e.confidence < 0.0 || e.confidence > 1.0 ||
        !std::isfinite(e.confidence)) {
        std::abort();
    }
    if (e.status == Skewmend::PreciseStatus::kSure &&
        (!std::isfinite(e.angle) || std::fabs(e.angle) > kMaxPreciseDeg)) {
        std::abort();
    }
    if (std::memcmp(before.data(), page.pixels, before.size()) != 0) {
        std::abort();
    }
    return 0;
}
