// Pages that break naive deskewing: blank, solid, noise, a single dot,
// checkerboards, one giant component, one-pixel strips, a photo without
// text, and two components of very different size. Deterministic.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bmpbase/bitmap24.h"

namespace HostilePages {

struct Page {
    std::string name;
    BmpBase::CBitmap24 bitmap;
};

std::vector<Page> All();

}  // namespace HostilePages
