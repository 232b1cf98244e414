// Stand-ins for the binarization methods that are not built yet.
//
// The dispatcher already recognises "dotsu", "sauvola" and "best", and the
// Otsu method already calls the local optimisation. Until those methods
// exist, each stand-in below says on the log that its method is not
// available and does the nearest thing that is: the global Otsu
// binarization, or (for the optimisation) leaving the threshold as it is.
// This file goes away as a whole when the real methods arrive.
#include "binarizer/binarizer.h"
#include "diagnostics.h"

namespace Skewmend {

namespace {

void FallBackToOtsu(Binarizer& binarizer, const char* method, PixelMask& result) {
    Log(method, " is not available, falling back to Otsu");
    int32_t threshold = 0;
    binarizer.Binarize_Otsu(result, threshold, false);
}

}  // namespace

void Binarizer::Binarize_DistributedOtsu(PixelMask& result) {
    FallBackToOtsu(*this, "Binarizer::Binarize_DistributedOtsu", result);
}

void Binarizer::Binarize_Sauvola(PixelMask& result, int32_t /*R*/, double /*k*/) {
    FallBackToOtsu(*this, "Binarizer::Binarize_Sauvola", result);
}

void Binarizer::Binarize_Best(PixelMask& result) {
    FallBackToOtsu(*this, "Binarizer::Binarize_Best", result);
}

void Binarizer::LocalOptimize(int32_t& /*threshold*/) {
    Log("Binarizer::LocalOptimize is not available, keeping the threshold");
}

}  // namespace Skewmend
