/* The file-level interface of the Skewmend engine library, usable from C
   and C++. Installed as <levelora/skewmend.h>; link with -lSkewmend
   (pkg-config skewmend, or find_package(Skewmend) -> Skewmend::Skewmend).

   AutoRotate(srcPath, dstPath, cornerOption)
       Reads the page in srcPath, finds how far its lines of text are tilted
       and writes it to dstPath straightened: for a tilt of more than 3
       degrees the whole page is turned by bilinear interpolation onto a
       larger page; otherwise it is written unchanged.
   ManualRotate(srcPath, dstPath, angle, cornerOption)
       Reads the page in srcPath, turns it by `angle` degrees (positive turns
       the content clockwise as displayed) and writes the result to dstPath.

   Files: both read only uncompressed 24-bit BMP files with a 40-byte
   information header and write the same kind (bottom-up). Paths are narrow,
   zero-terminated strings. An existing dstPath is replaced.

   Corner option: how the area that the turned page does not cover is
   filled. 0 = the mean colour of the page background (AutoRotate only),
   1 = black, 2 = white. AutoRotate refuses values above 2 and treats
   negative values as black; ManualRotate accepts only 1 and 2 (both give
   white corners).

   Result: true when dstPath now holds the page; false otherwise, after a
   one-line reason (an unreadable source, a refused argument, a page too
   large, memory running out, a failed write).

   Output: the engine writes its log lines on standard output (among them
   "Raw angle = ", "Angle = " and "No need to rotate" from AutoRotate, and
   every reason for a false result), and when the library is unloaded (at
   process exit at the latest) one timer summary line per timed stage, of
   the form "NAME(). Ave: A secs, Total: T secs.". Redirect standard output
   if your program needs it for itself.

   Threads: calls must not overlap; serialise them if you call from several
   threads.

   The library also exports _AutoRotate and _ManualRotate, which work on
   the engine's C++ bitmap object in memory. That class's code is not
   exported, so the in-memory pair is not part of this installed
   interface: use the file functions above. */
#ifndef SKEWMEND_C_H
#define SKEWMEND_C_H

#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(_WIN32)
#define SKEWMEND_CALL __cdecl
#if defined(SKEWMEND_BUILDING)
#define SKEWMEND_API __declspec(dllexport)
#else
#define SKEWMEND_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define SKEWMEND_CALL
#define SKEWMEND_API __attribute__((visibility("default")))
#else
#define SKEWMEND_CALL
#define SKEWMEND_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

SKEWMEND_API bool SKEWMEND_CALL AutoRotate(const char* srcPath, const char* dstPath,
                                           int cornerOption);
SKEWMEND_API bool SKEWMEND_CALL ManualRotate(const char* srcPath, const char* dstPath, double angle,
                                             int cornerOption);

#ifdef __cplusplus
}
#endif

#endif /* SKEWMEND_C_H */
