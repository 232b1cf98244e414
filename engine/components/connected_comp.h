// ConnectedComp: labels the ink of a page mask into components.
//
// A two-pass labeller. The first pass (LabelPass) scans column by column,
// rows within a column, over the interior of the mask (the outermost rows
// and columns are never labelled) and links each ink pixel to its already
// visited neighbours up, upper-left and left; a lower-left neighbour alone
// does not link. Touching labels are recorded in an EquivalenceTable. The
// second pass (ResolveLabels) maps each class to its smallest label and,
// unless maxComponents is kNoRenumbering, renumbers the components 1, 2, ...
// in the order of their first pixel in the scan, dropping those beyond
// maxComponents.
//
// BuildCC returns false when more than maxLabels provisional labels were
// needed; the labelling then covers columns 1 .. lastColumn only.
// Timed as "ConnectedComp::BuildCC".
#pragma once

#include <cstdint>

#include "bmpbase/plane.h"
#include "engine/binarizer/pixel_mask.h"
#include "engine/components/equivalence_table.h"

namespace Skewmend {

class ConnectedComp {
  public:
    static constexpr uint32_t kNoRenumbering = 0xFFFFFFFF;

    // The mask is kept by reference and never modified; flag index is
    // row x width + column.
    ConnectedComp(const PixelMask& pageMask, uint16_t rows, uint16_t cols, uint32_t maxLabelCount,
                  uint32_t maxComponentCount);

    bool BuildCC();
    bool LabelPass(BmpBase::Plane32& labelPlane, EquivalenceTable& table, uint32_t& count,
                   uint16_t& lastCol);
    void ResolveLabels(EquivalenceTable& table, uint32_t& count, uint16_t lastCol,
                       BmpBase::Plane32& labelPlane) const;

    const PixelMask& mask;
    uint16_t height;
    uint16_t width;
    uint32_t maxLabels;
    uint32_t maxComponents;
    BmpBase::Plane32 labels;  // height x width; 0 = no component
    uint32_t labelCount = 0;
    uint16_t lastColumn = 0;
};

}  // namespace Skewmend
