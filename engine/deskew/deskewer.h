// Deskewer: estimates how far the text of a binarized page is tilted and has
// the page turned upright.
//
// One object serves one page and one call of Deskew(). It keeps its own
// copies of the page's ink mask (flag index row x width + column, true = ink)
// and grey image; RemoveMargin() crops both to the ink, and the component
// filter erases over-large components from both, so every later step sees
// the cropped, cleaned page.
//
// Angles inside the estimators are whole degrees 0 .. 179 in the pixel-index
// space of the mask: a line that advances tan(a) rows per column has angle a.
// Deskew() folds the result into -89 .. 90 (engine/deskew/angle_rules.h),
// leaves tilts of 3 degrees or less alone (the destination untouched) and
// otherwise turns the full-size page by that angle into the destination.
//
// The work is split by concern: deskewer.cpp (object, fill colour),
// margin.cpp (RemoveMargin), measure.cpp (component list), nearest_pairs.cpp
// (coarse angle from neighbour directions), density.cpp (refinement by
// projection profiles), driver.cpp (GetSkewAngleByCC, GetSkewAngles,
// Deskew). Failures are reported as false after a one-line log message.
#pragma once

#include <cstdint>
#include <vector>

#include "bmpbase/bitmap24.h"
#include "bmpbase/plane.h"
#include "engine/binarizer/pixel_mask.h"

namespace Skewmend {

// A component centroid: mean row, then mean column.
struct Point {
    double row = 0.0;
    double column = 0.0;
};

class Deskewer {
  public:
    // Labeller limits for the page and for resolving merged components.
    static constexpr uint32_t kMaxProvisionalLabels = 10240;
    static constexpr uint32_t kMaxComponents = 1024;

    Deskewer(const PixelMask& pageMask, const BmpBase::GreyImage& greyImage,
             uint8_t backgroundGreyLevel, uint16_t rows, uint16_t cols);
    Deskewer(const Deskewer&) = delete;
    Deskewer& operator=(const Deskewer&) = delete;

    // ---- Driver (driver.cpp) ------------------------------------------

    // Estimates the angle into `angle`, folded into -89 .. 90, and, when the
    // small-tilt rule turns the page, turns `src` into `dst` with the colour
    // rotation (TurnPage of engine/pipeline.h): dst takes src's headers and
    // the turned pixels; `rows` and `cols` then hold src's size (and the
    // turned size on success). `work` and `workMask` are the page the mask
    // was made from (for the corner option 0 fill colour). After a small
    // tilt or a failed estimate dst is as handed in. False when no angle
    // could be estimated or the rotation failed. Timed as "Deskewer::Deskew".
    bool Deskew(const BmpBase::CBitmap24& src, const BmpBase::CBitmap24& work,
                const PixelMask& workMask, uint16_t& rows, uint16_t& cols, BmpBase::CBitmap24& dst,
                int& angle, int cornerOption);

    // GetSkewAngles, the lines "Raw angle = " and "Angle = ", and the angle
    // folded into -89 .. 90. False (angle 0) when no angle was estimated.
    bool EstimateAngle(int& angle);

    // Component estimate, then density refinement around it; both angles in
    // 0 .. 179. Timed as "Deskewer::GetSkewAngles".
    bool GetSkewAngles(int& rawAngle, int& angle);

    // Crops, measures components and takes the peak of their neighbour
    // directions. Timed as "Deskewer::GetSkewAngleByCC".
    bool GetSkewAngleByCC(int& rawAngle);

    // ---- Margin (margin.cpp) ------------------------------------------

    // Crops mask and grey image to the ink plus a one-pixel margin where the
    // page allows it. A mask without ink is left as it is.
    // Timed as "Deskewer::RemoveMargin".
    void RemoveMargin();

    // ---- Components (measure.cpp) -------------------------------------

    // The kept components' centroids, pixel counts and radii in component
    // order. False when fewer than two usable components exist.
    // Timed as "Deskewer::GetAllCCCentroids".
    bool GetAllCCCentroids(std::vector<Point>& centroids, std::vector<uint32_t>& pixelCounts,
                           std::vector<double>& radii);

    void LabelComponents(BmpBase::Plane32& labels, uint32_t& n);
    void ComputeCentroids(uint32_t n, const BmpBase::Plane32& labels, std::vector<Point>& centroid,
                          std::vector<uint32_t>& count, uint32_t& validCount) const;
    void ComputeRadii(uint32_t n, const BmpBase::Plane32& labels,
                      const std::vector<Point>& centroid, std::vector<double>& radius) const;
    void FilterComponents(const std::vector<double>& radius, uint32_t n, BmpBase::Plane32& labels,
                          std::vector<uint32_t>& count, uint32_t& validCount);
    void MergeComponents(const std::vector<Point>& centroid, uint32_t n,
                         const std::vector<uint32_t>& count, const std::vector<double>& radius,
                         BmpBase::Plane32& labels, std::vector<bool>& marked) const;

    // ---- Neighbour directions (nearest_pairs.cpp) ---------------------

    // One direction (radians, 0 .. pi) and weight per component that has a
    // nearest neighbour of a quarter to four times its pixel count. False
    // when no direction results. Timed as "Deskewer::GetNearestPairAngles".
    bool GetNearestPairAngles(const std::vector<Point>& centroids,
                              const std::vector<uint32_t>& pixelCounts, std::vector<double>& angles,
                              std::vector<double>& weights);

    // Peak (0 .. 179) of the circular weighted histogram smoothed with a
    // pointed kernel; -1 when no score is positive.
    // Timed as "Deskewer::GetAveAngle".
    int GetAveAngle(const std::vector<double>& angles, const std::vector<double>& weights);

    // ---- Density (density.cpp) ----------------------------------------

    // The best of the 11 candidates seedAngle - 5 .. seedAngle + 5 (folded
    // into 0 .. 179); the first visited wins ties.
    // Timed as "Deskewer::GetSkewAngleByDensity".
    void GetSkewAngleByDensity(int seedAngle, int& angle);

    // Sum of squared ink counts along the probing lines of `angle` degrees.
    // Timed as "Deskewer::Fitness".
    double Fitness(int angle);

    // ---- Fill colour (deskewer.cpp) -----------------------------------

    // Mean blue, green, red of the pixels of `work` whose flag in `workMask`
    // is false; black when there are none.
    static void PaperColour(const BmpBase::CBitmap24& work, const PixelMask& workMask,
                            uint8_t fill[3]);

    // Fields.
    BmpBase::GreyImage grey;  // own copy; cropped with the mask
    PixelMask mask;           // own copy; flag index row x width + column
    uint16_t height;          // rows of mask
    uint16_t width;           // columns of mask
    uint8_t backgroundGrey;   // the paper's mean grey level
    uint32_t lastColumn = 0;  // last column the labelling covered
};

}  // namespace Skewmend
