// The quality setting a JPEG was most likely saved with, from its
// luminance quantization table, so that a re-encoded page keeps about the
// size and fidelity of the original.
//
// The estimate is the quality 1..100 of the common quality scaling (tables
// scaled from the standard's example luminance table, entries limited to
// 1..255) whose table is nearest to the given one by the sum of squared
// differences; the higher quality wins a tie. Files written with other
// tables get the nearest such quality, which is still a fair measure of how
// coarsely they were quantized.
#pragma once

#include <cstdint>

namespace Pictconv {

// `table` holds the 64 entries in natural (row by row) order, as libjpeg
// keeps them. Returns 1..100.
int EstimateJpegQuality(const uint16_t table[64]);

// The luminance table of `quality` (clamped to 1..100), natural order.
void ScaledLuminanceTable(int quality, uint16_t table[64]);

}  // namespace Pictconv
