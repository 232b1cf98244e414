// The working page of the automatic pipeline: the page itself, or for a
// page of more than 1048576 pixels a copy of half its height and width made
// by plain subsampling (every second row and column from the first, no
// averaging). Analysis runs on the working page; rotations always work on
// the full-size page.
#pragma once

#include <cstdint>
#include <memory>

#include "bmpbase/bitmap24.h"

namespace Skewmend {

// Pages with more pixels than this are analysed at half resolution.
constexpr uint32_t kMaxFullSizeAnalysisPixels = 1048576;

class WorkingPage {
  public:
    // `src` must outlive the object when it is used as its own working page.
    explicit WorkingPage(const BmpBase::CBitmap24& src);

    const BmpBase::CBitmap24& Page() const { return *page_; }
    bool IsReduced() const { return reduced_ != nullptr; }

  private:
    std::unique_ptr<BmpBase::CBitmap24> reduced_;
    const BmpBase::CBitmap24* page_;
};

}  // namespace Skewmend
