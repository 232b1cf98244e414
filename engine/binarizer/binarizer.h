// Binarizer: turns the 8-bit grey image of a page into an ink mask.
//
// One object serves one grey image, which it copies. The dispatcher
// Binarize() runs a method and reports the mask, the size and the paper's
// mean grey level:
//   kOtsu             "otsu": global Otsu threshold with the majority rule
//                     (the pipeline's)
//   kDistributedOtsu  "dotsu": Otsu per 50 x 50 block, thresholds
//                     interpolated bilinearly
//   kSauvola          "sauvola": local mean/deviation threshold after a
//                     polarity check
//   kBest             "best": chooses between optimised Otsu,
//                     multi-background Otsu and Sauvola with searched
//                     parameters after an illumination test
//   kMultiBackground  Otsu within each background region; reached by its
//                     value only, the name dispatcher does not know it
// The dispatcher by name takes the four names above; any other name is a
// programming error and ends the process through the assertion. The methods' own files describe
// them in detail: binarizer.cpp (object, dispatcher), binarizer_otsu.cpp, binarizer_flat.cpp (flat
// regions and the page background), binarizer_sauvola.cpp, binarizer_dotsu.cpp,
// binarizer_optimize.cpp (local threshold optimisation), binarizer_multibg.cpp, binarizer_best.cpp.
//
// Row and column loops run on 16-bit counters: the image must have fewer
// than 65535 rows and columns (checked once, in the constructor).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bmpbase/plane.h"
#include "engine/binarizer/pixel_mask.h"
#include "engine/binarizer/region_rect.h"

namespace Skewmend {

enum class BinarizeMethod { kOtsu, kDistributedOtsu, kSauvola, kBest, kMultiBackground };

// The branch Binarize_Best took, for callers that report it: the optimised
// global Otsu (evenly lit, paper filling the page), the multi-background
// Otsu (evenly lit, a picture or dark margin beside the paper) or Sauvola
// (unevenly lit). kNone until Binarize_Best has run.
enum class BestChoice { kNone, kOtsu, kMultiBackground, kSauvola };

// The method's name ("otsu", "dotsu", "sauvola", "best", "multibackground").
const char* BinarizeMethodName(BinarizeMethod method);

// The method of `name` among all five; false for any other name.
bool ParseBinarizeMethod(const std::string& name, BinarizeMethod& method);

class Binarizer {
  public:
    explicit Binarizer(const BmpBase::GreyImage& image);
    Binarizer(const Binarizer&) = delete;
    Binarizer& operator=(const Binarizer&) = delete;

    // Fields, with the values the constructor gives them.
    BmpBase::GreyImage grey;  // working copy; the polarity step may invert it
    uint32_t height;          // rows of grey
    uint32_t width;           // columns of grey
    uint32_t sauvolaWindow = 20;
    double sauvolaK = 0.2;
    int32_t sauvolaR = 128;
    bool useIntegral = true;
    double illumiRatio = 0.3;
    bool localOptimize = true;
    int32_t optRange = 30;
    int32_t optStep = 10;
    uint32_t optWindow = 500;
    uint32_t splitRow = 0;
    uint32_t splitCol = 0;
    bool hasSplit = false;
    int32_t backgroundCount = 1;
    int32_t regionTolerance = 5;
    uint32_t tileSize = 100;
    BmpBase::Plane32 sumTable;    // (height + 1) x (width + 1) summed-area table
    BmpBase::Plane64 sqSumTable;  // the same for squared grey values
    bool tablesBuilt = false;
    bool ccInfoDone = false;
    BmpBase::Plane32 labels;  // flat-region label of every pixel; 1 = paper
    std::vector<uint32_t> backgroundSizes;
    std::vector<RegionRect> backgrounds;
    BestChoice bestChoice = BestChoice::kNone;  // set by Binarize_Best

    // ---- Dispatcher and global Otsu -----------------------------------

    // Runs `method` into `result`, writes the size (low 16 bits) and the mean
    // grey level of the pixels left false.
    void Binarize(BinarizeMethod method, PixelMask& result, uint16_t& outHeight, uint16_t& outWidth,
                  uint8_t& backgroundGrey);

    // The same by one of the dispatcher's four names.
    void Binarize(const std::string& method, PixelMask& result, uint16_t& outHeight,
                  uint16_t& outWidth, uint8_t& backgroundGrey);

    // Global Otsu; `optimise` lets LocalOptimize move the threshold when
    // `localOptimize` is set. Timed as "Binarizer::Binarize_Otsu".
    void Binarize_Otsu(PixelMask& result, int32_t& threshold, bool optimise);

    // Otsu threshold of the pixels inside `rect`, or (rect null) of those
    // whose flag in `selection` is true. 0 when they hold one grey level
    // (separation not written); otherwise T (grey < T is dark) and the
    // distance of the two class means as `separation`.
    int32_t OtsuThreshold(const RegionRect* rect, const PixelMask* selection,
                          double& separation) const;

    // grey < threshold becomes true; inverted when more than half are true.
    void ApplyThreshold(PixelMask& result, int32_t threshold) const;

    // ---- Sauvola ------------------------------------------------------

    // Negative k: use sauvolaK and sauvolaR.
    void Binarize_Sauvola(PixelMask& result, int32_t R, double k);
    void RevertIfInverted();
    void BuildIntegralTables();
    void WindowStats(uint32_t top, uint32_t left, double& mean, double& deviation) const;
    void SelectSauvolaParams(const PixelMask& edges, double& k, int32_t& R) const;

    // ---- Flat regions and the page background -------------------------

    // Timed as "Binarizer::GetCCInfo".
    void GetCCInfo();
    void LabelFlatRegions(uint32_t& counter);
    void LabelTile(uint32_t& counter, const RegionRect& tile);

    // ---- Method selection ---------------------------------------------

    // Timed as "Binarizer::Binarize_Best".
    void Binarize_Best(PixelMask& result);
    bool CheckIllumination(PixelMask& edges);
    // Timed as "Binarizer::Difference".
    void Difference(BmpBase::GreyImage& out) const;
    // Timed as "Binarizer::FilterDiff".
    void FilterDiff(BmpBase::GreyImage& diff, const RegionRect& box) const;
    void EdgeCentroid(const PixelMask& edges, uint32_t& row, uint32_t& col) const;
    // Timed as "Binarizer::IsWellIllumi".
    bool IsWellIllumi(const RegionRect& box, const PixelMask& edges);
    bool IsBackgroundDominant() const;

    // ---- Local threshold optimisation ---------------------------------

    // Timed as "Binarizer::LocalOptimize".
    void LocalOptimize(int32_t& threshold);
    double NoiseScore(const PixelMask& mask) const;

    // ---- Distributed and multi-background Otsu ------------------------

    void Binarize_DistributedOtsu(PixelMask& result);
    void Binarize_MultiBackgroundOtsu(PixelMask& result);
    void ApplyThresholdWithin(const PixelMask& selection, int32_t threshold, PixelMask& out) const;
};

// Splits a comma-separated list of integers; stops with a message at the
// first piece that converts to 0.
void ParseIntList(const std::string& list, std::vector<int32_t>& out);

}  // namespace Skewmend
