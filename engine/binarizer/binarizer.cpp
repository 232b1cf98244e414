// The Binarizer object and its method dispatcher.
//
// The constructor takes a deep copy of the grey image, so methods that work
// on it in place (the polarity step of Sauvola inverts it) never touch the
// caller's plane. It is also the one place that checks the size precondition
// of the whole subsystem: row and column loops and the reported size are
// 16-bit, so an image of 65535 or more rows or columns is a programming error
// (the bitmap readers refuse such pages long before they get here) and ends
// the process through the assertion.
//
// Binarize() takes a method by its value or by its exact name, announces it
// on the log (the multi-background method, which has no name there, is not
// announced), runs it and then reports the size and the paper's grey level: the mean grey of
// every pixel the method left false, with integer division. The mean is
// summed in 64 bits, because a large light page overflows a 32-bit sum long
// before it reaches the size limit.
#include "engine/binarizer/binarizer.h"

#include "bmpbase/size_limits.h"
#include "engine/diagnostics.h"

namespace Skewmend {

namespace {

// Grey level reported when a method leaves no pixel as paper (only an empty
// image can do that through "otsu"): the paper is then taken as white.
constexpr uint8_t kGreyWithoutPaper = 255;

struct MethodName {
    BinarizeMethod method;
    const char* name;
};

constexpr MethodName kMethodNames[] = {
    {BinarizeMethod::kOtsu, "otsu"},
    {BinarizeMethod::kDistributedOtsu, "dotsu"},
    {BinarizeMethod::kSauvola, "sauvola"},
    {BinarizeMethod::kBest, "best"},
    {BinarizeMethod::kMultiBackground, "multibackground"},
};

}  // namespace

const char* BinarizeMethodName(BinarizeMethod method) {
    for (const MethodName& entry : kMethodNames) {
        if (entry.method == method) {
            return entry.name;
        }
    }
    return "";
}

bool ParseBinarizeMethod(const std::string& name, BinarizeMethod& method) {
    for (const MethodName& entry : kMethodNames) {
        if (name == entry.name) {
            method = entry.method;
            return true;
        }
    }
    return false;
}

Binarizer::Binarizer(const BmpBase::GreyImage& image)
    : grey(image), height(image.height), width(image.width) {
    if (height > BmpBase::kMaxSide || width > BmpBase::kMaxSide) {
        AssertFail(".\\Binarizer", __LINE__);
    }
}

void Binarizer::Binarize(const std::string& method, PixelMask& result, uint16_t& outHeight,
                         uint16_t& outWidth, uint8_t& backgroundGrey) {
    BinarizeMethod known = BinarizeMethod::kOtsu;
    if (!ParseBinarizeMethod(method, known) || known == BinarizeMethod::kMultiBackground) {
        AssertFail(".\\Binarizer", 86);
    }
    Binarize(known, result, outHeight, outWidth, backgroundGrey);
}

void Binarizer::Binarize(BinarizeMethod method, PixelMask& result, uint16_t& outHeight,
                         uint16_t& outWidth, uint8_t& backgroundGrey) {
    switch (method) {
        case BinarizeMethod::kOtsu: {
            Log("Otsu!");
            int32_t threshold = 0;
            Binarize_Otsu(result, threshold, false);
            break;
        }
        case BinarizeMethod::kDistributedOtsu:
            Log("Distributed-Otus!");
            Binarize_DistributedOtsu(result);
            break;
        case BinarizeMethod::kSauvola:
            Log("Sauvola!");
            // Negative parameters select sauvolaR and sauvolaK.
            Binarize_Sauvola(result, -1, -1.0);
            break;
        case BinarizeMethod::kBest:
            Log("Best!");
            Binarize_Best(result);
            break;
        case BinarizeMethod::kMultiBackground:
            Binarize_MultiBackgroundOtsu(result);
            break;
    }

    outHeight = static_cast<uint16_t>(height);
    outWidth = static_cast<uint16_t>(width);

    // Sum of every pixel less the sum of the ink: the ink is the smaller
    // part, so walking its set flags is the short way round.
    const uint8_t* pixels = grey.Data();
    const size_t n = static_cast<size_t>(height) * width;
    int64_t sum = 0;
    for (size_t i = 0; i < n; ++i) {
        sum += pixels[i];
    }
    int64_t count = static_cast<int64_t>(n);
    result.ForEachSet(0, n, [&](size_t i) {
        sum -= pixels[i];
        --count;
    });
    backgroundGrey = count == 0 ? kGreyWithoutPaper : static_cast<uint8_t>(sum / count);
}

}  // namespace Skewmend
