// The exported interface of the Pictconv converter library.
//
// Six plain-C functions, caller-cleans convention, one-byte bool results:
//
//   Jpg2Bmp, Tif2Bmp, Png2Bmp   read a JPEG, TIFF or PNG file and write a
//                               24-bit bottom-up BMP (40-byte information
//                               header, pixel data at offset 54)
//   Bmp2Jpg, Bmp2Tif, Bmp2Png   read a 24-bit uncompressed BMP (either row
//                               order) and write a JPEG (quality 90), a TIFF
//                               (LZW with horizontal prediction) or a PNG
//
// Each takes a narrow source path and a narrow destination path. True means
// the destination now holds the converted picture; false means nothing
// changed: the destination, if it existed, is untouched and no partial file
// is left behind. The resolution travels with the picture (the BMP's
// pixels-per-metre fields, the JPEG density, the PNG pHYs chunk, the TIFF
// resolution tags). Nothing is printed on either output stream, and no input
// ends or aborts the process. Pictures of 65535 or more pixels on a side, or
// whose 24-bit form does not fit in 32-bit byte counts, are refused.
//
// The functions keep no state between calls; calls from different threads
// on different files do not interfere.
#pragma once

#if defined(_WIN32)
#define PICTCONV_CALL __cdecl
#if defined(PICTCONV_BUILDING)
#define PICTCONV_API __declspec(dllexport)
#else
#define PICTCONV_API __declspec(dllimport)
#endif
#else
#define PICTCONV_CALL
#define PICTCONV_API __attribute__((visibility("default")))
#endif

extern "C" {

PICTCONV_API bool PICTCONV_CALL Bmp2Jpg(const char* srcPath, const char* dstPath);
PICTCONV_API bool PICTCONV_CALL Jpg2Bmp(const char* srcPath, const char* dstPath);
PICTCONV_API bool PICTCONV_CALL Bmp2Tif(const char* srcPath, const char* dstPath);
PICTCONV_API bool PICTCONV_CALL Tif2Bmp(const char* srcPath, const char* dstPath);
PICTCONV_API bool PICTCONV_CALL Bmp2Png(const char* srcPath, const char* dstPath);
PICTCONV_API bool PICTCONV_CALL Png2Bmp(const char* srcPath, const char* dstPath);
}

// The shape of every converter, for callers that bind the library by name.
using FormatConverterFn = bool(PICTCONV_CALL*)(const char*, const char*);
