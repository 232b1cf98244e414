/* The interface of the Pictconv converter library, usable from C and C++.
   Installed as <levelora/pictconv.h>; link with -lPictconv (pkg-config
   pictconv, or find_package(Pictconv) -> Pictconv::Pictconv).

   Six functions, each taking a narrow, zero-terminated source path and
   destination path:

     Jpg2Bmp, Tif2Bmp, Png2Bmp   read a JPEG, TIFF or PNG file and write a
                                 24-bit bottom-up BMP (40-byte information
                                 header, pixel data at offset 54)
     Bmp2Jpg, Bmp2Tif, Bmp2Png   read a BMP file (1, 4, 8, 16, 24 or 32 bits,
                                 uncompressed or with bit-field masks, either
                                 row order) and write a JPEG (quality 90), a
                                 TIFF (LZW with horizontal prediction) or a
                                 PNG

   True means the destination now holds the converted picture; false means
   nothing changed: the destination, if it existed, is untouched and no
   partial file is left behind. A replaced destination keeps its
   permissions; a new one gets those of the umask. The resolution travels
   with the picture (the BMP's pixels-per-metre fields, the JPEG density,
   the PNG pHYs chunk, the TIFF resolution tags). Nothing is printed on
   either output stream, and no input ends or aborts the process. Pictures
   of 65535 or more pixels on a side, or whose 24-bit form does not fit in
   32-bit byte counts, are refused.

   The functions keep no state between calls; calls from different threads
   on different files do not interfere. */
#ifndef PICTCONV_C_H
#define PICTCONV_C_H

#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(_WIN32)
#define PICTCONV_CALL __cdecl
#if defined(PICTCONV_BUILDING)
#define PICTCONV_API __declspec(dllexport)
#else
#define PICTCONV_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define PICTCONV_CALL
#define PICTCONV_API __attribute__((visibility("default")))
#else
#define PICTCONV_CALL
#define PICTCONV_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

PICTCONV_API bool PICTCONV_CALL Bmp2Jpg(const char* srcPath, const char* dstPath);
PICTCONV_API bool PICTCONV_CALL Jpg2Bmp(const char* srcPath, const char* dstPath);
PICTCONV_API bool PICTCONV_CALL Bmp2Tif(const char* srcPath, const char* dstPath);
PICTCONV_API bool PICTCONV_CALL Tif2Bmp(const char* srcPath, const char* dstPath);
PICTCONV_API bool PICTCONV_CALL Bmp2Png(const char* srcPath, const char* dstPath);
PICTCONV_API bool PICTCONV_CALL Png2Bmp(const char* srcPath, const char* dstPath);

#ifdef __cplusplus
}
#endif

#endif /* PICTCONV_C_H */
