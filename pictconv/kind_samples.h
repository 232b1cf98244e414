// The stored samples of a page written in its kind, for the encoders that
// write a page as its description says (PNG, BMP, JPEG).
//
// The page handed to such an encoder is expected as ReduceToKind leaves it
// for the description: grey and bilevel pixels have equal channels, palette
// pixels are palette entries. KindSamples turns its rows into one sample
// per byte (the codec library packs them): bilevel 0 for ink (a channel
// below kBilevelThreshold) and 1 for paper; grey the blue channel (the grey
// of a grey pixel); palette, of at most 256 entries, the index of the
// pixel's entry (the nearest one for a colour that is not an entry); a
// palette of more entries is for the caller to write as RGB. IndexDepth chooses the smallest index
// depth a format offers for a palette. Nothing here fails (std::bad_alloc aside).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <unordered_map>

#include "pictconv/page_description.h"

namespace Pictconv {

class KindSamples {
  public:
    // `description` must outlive this object.
    explicit KindSamples(const PageDescription& description) : description_(description) {}

    // Fills `out` with the samples of the `width` blue-green-red pixels of
    // `bgr`.
    void Row(const uint8_t* bgr, uint32_t width, uint8_t* out);

  private:
    uint8_t IndexOf(const uint8_t* bgr);

    const PageDescription& description_;
    std::unordered_map<uint32_t, uint8_t> indexOf_;
};

// The smallest of `depths` (ascending) whose 2^depth indexes hold `entries`
// palette entries; 0 when none does or the palette is empty.
int IndexDepth(size_t entries, std::initializer_list<int> depths);

// True when every palette entry is a grey (equal red, green and blue).
bool PaletteIsGrey(const PageDescription& description);

}  // namespace Pictconv
