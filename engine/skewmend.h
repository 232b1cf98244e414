// The exported interface of the Skewmend engine library, for C++ callers
// inside the project.
//
// Four plain-C functions, caller-cleans convention, one-byte bool results
// (true on success, false after a one-line reason on standard output):
//
//   AutoRotate(srcPath, dstPath, corner)          file to file, automatic
//   _AutoRotate(src, dst, corner, angleOut)       bitmap to bitmap, automatic
//   ManualRotate(srcPath, dstPath, angle, corner) file to file, by an angle
//   _ManualRotate(src, dst, angle, corner)        bitmap to bitmap, by an angle
//
// The file pair is declared in engine/skewmend_c.h, the C header installed
// for other programs, which documents it; this header adds the bitmap pair,
// which takes BmpBase::CBitmap24 and is therefore for callers built with
// this project only.
//
// Corner option: how the area the turned page does not cover is filled.
// 0 = the mean colour of the page background (automatic only), 1 = black,
// 2 = white; the automatic pair refuses values above 2 and treats negative
// values as black, the manual pair accepts only 1 and 2 (and yields white
// corners for both).
//
// Angles are degrees; positive turns the content clockwise as displayed.
// _AutoRotate reports the whole-degree angle it settled on, in -89 .. 90.
//
// Bitmaps cross the boundary by address: `dst` must be a different object
// from `src`; its pixel buffer may be replaced by one allocated with array
// new of the shared runtime. Calls must not overlap.
#pragma once

#include "bmpbase/bitmap24.h"
#include "engine/skewmend_c.h"

extern "C" {

SKEWMEND_API bool SKEWMEND_CALL _AutoRotate(const BmpBase::CBitmap24* src, BmpBase::CBitmap24* dst,
                                            int cornerOption, int* angleOut);
SKEWMEND_API bool SKEWMEND_CALL _ManualRotate(const BmpBase::CBitmap24* src,
                                              BmpBase::CBitmap24* dst, double angle,
                                              int cornerOption);
}

// Function pointer types for callers that bind the library by name.
using AutoRotateFn = bool(SKEWMEND_CALL*)(const BmpBase::CBitmap24*, BmpBase::CBitmap24*, int,
                                          int*);
using ManualRotateFn = bool(SKEWMEND_CALL*)(const BmpBase::CBitmap24*, BmpBase::CBitmap24*, double,
                                            int);
