// The deskew driver: the two estimates in sequence, normalisation, the small
// tilt rule and the rotation of the full-size page.
//
// GetSkewAngleByCC crops the mask, measures the components and takes the
// peak of their neighbour directions as the coarse angle; a page whose
// directions carry no weight at all (no histogram score above zero) has no
// angle and fails like a page without pairs, rather than handing a
// meaningless seed to the refinement. GetSkewAngles refines the coarse angle
// by density within +-5 degrees. EstimateAngle prints both angles and folds
// them from 0 .. 179 to -89 .. 90; Deskew then leaves tilts of 3 degrees or
// less alone (the destination untouched; the caller fills it with the
// unturned page) and otherwise turns the full-size page with the colour
// rotation, the destination taking the source's headers with the turned
// size; for corner option 0 the uncovered area takes the paper's mean colour
// from the working page.
#include "engine/deskew/angle_rules.h"
#include "engine/deskew/deskewer.h"
#include "engine/diagnostics.h"
#include "engine/pipeline.h"

namespace Skewmend {

bool Deskewer::GetSkewAngleByCC(int& rawAngle) {
    SKEWMEND_TIMED("Deskewer::GetSkewAngleByCC");
    RemoveMargin();
    std::vector<Point> centroids;
    std::vector<uint32_t> pixelCounts;
    std::vector<double> radii;
    if (!GetAllCCCentroids(centroids, pixelCounts, radii)) {
        Log("Failed to get all CCs");
        return false;
    }
    std::vector<double> angles;
    std::vector<double> weights;
    if (!GetNearestPairAngles(centroids, pixelCounts, angles, weights)) {
        Log("Failed to get nearest pairs");
        return false;
    }
    const int peak = GetAveAngle(angles, weights);
    if (peak < 0) {
        Log("Failed to get nearest pairs");
        return false;
    }
    rawAngle = peak;
    return true;
}

bool Deskewer::GetSkewAngles(int& rawAngle, int& angle) {
    SKEWMEND_TIMED("Deskewer::GetSkewAngles");
    rawAngle = 0;
    if (!GetSkewAngleByCC(rawAngle)) {
        return false;
    }
    angle = 0;
    GetSkewAngleByDensity(rawAngle, angle);
    return true;
}

bool Deskewer::EstimateAngle(int& angle) {
    angle = 0;
    int rawAngle = 0;
    if (!GetSkewAngles(rawAngle, angle)) {
        return false;
    }
    Log("Raw angle = ", rawAngle);
    Log("Angle = ", angle);
    angle = FoldAngle(angle);
    return true;
}

bool Deskewer::Deskew(const BmpBase::CBitmap24& src, const BmpBase::CBitmap24& work,
                      const PixelMask& workMask, uint16_t& rows, uint16_t& cols,
                      BmpBase::CBitmap24& dst, int& angle, int cornerOption) {
    SKEWMEND_TIMED("Deskewer::Deskew");
    if (!EstimateAngle(angle)) {
        return false;
    }
    if (!TurnsPage(angle)) {
        Log("No need to rotate");
        return true;
    }
    uint8_t fill[3] = {0, 0, 0};
    if (cornerOption == 0) {
        PaperColour(work, workMask, fill);
    }
    rows = static_cast<uint16_t>(src.height);
    cols = static_cast<uint16_t>(src.width);
    if (!TurnPage(src, static_cast<double>(angle), CornerFillOf(cornerOption), fill, dst)) {
        return false;
    }
    rows = static_cast<uint16_t>(dst.height);
    cols = static_cast<uint16_t>(dst.width);
    return true;
}

}  // namespace Skewmend
