// The six exports. Each one decodes the source into a bottom-up 24-bit page
// in memory, encodes it into a temporary file beside the destination and
// renames that over the destination only when everything succeeded. Any
// failure, including running out of memory, becomes false; no exception
// leaves the library.
#include "pictconv/pictconv.h"

#include <exception>
#include <new>

#include "pictconv/atomic_output.h"
#include "pictconv/codecs.h"
#include "pictconv/page.h"

using BmpBase::CBitmap24;

namespace Pictconv {
namespace {

using Decoder = bool (*)(const char*, CBitmap24&);
using StreamEncoder = bool (*)(const CBitmap24&, std::FILE*);

bool Commit(const CBitmap24& page, const char* dstPath, StreamEncoder encode) {
    AtomicOutput out(dstPath);
    std::FILE* stream = out.Stream();
    return stream != nullptr && encode(page, stream) && out.Commit();
}

bool SaveAsBmp(const CBitmap24& page, std::FILE* out) {
    return SaveBmp(page, out);
}

bool ToBmp(const char* srcPath, const char* dstPath, Decoder decode) {
    if (srcPath == nullptr || dstPath == nullptr) {
        return false;
    }
    try {
        CBitmap24 page;
        return decode(srcPath, page) && Commit(page, dstPath, SaveAsBmp);
    } catch (const std::exception&) {
        return false;
    }
}

bool FromBmp(const char* srcPath, const char* dstPath, StreamEncoder encode) {
    if (srcPath == nullptr || dstPath == nullptr) {
        return false;
    }
    try {
        CBitmap24 page;
        return LoadBmp(srcPath, page) && Commit(page, dstPath, encode);
    } catch (const std::exception&) {
        return false;
    }
}

bool BmpToTiff(const char* srcPath, const char* dstPath) {
    if (srcPath == nullptr || dstPath == nullptr) {
        return false;
    }
    try {
        CBitmap24 page;
        if (!LoadBmp(srcPath, page)) {
            return false;
        }
        AtomicOutput out(dstPath);
        const int fd = out.ReleaseFd();
        return fd >= 0 && EncodeTiff(page, fd, out.TempPath().c_str()) && out.Commit();
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace
}  // namespace Pictconv

extern "C" PICTCONV_API bool PICTCONV_CALL Bmp2Jpg(const char* srcPath, const char* dstPath) {
    return Pictconv::FromBmp(srcPath, dstPath, Pictconv::EncodeJpeg);
}

extern "C" PICTCONV_API bool PICTCONV_CALL Jpg2Bmp(const char* srcPath, const char* dstPath) {
    return Pictconv::ToBmp(srcPath, dstPath, Pictconv::DecodeJpeg);
}

extern "C" PICTCONV_API bool PICTCONV_CALL Bmp2Tif(const char* srcPath, const char* dstPath) {
    return Pictconv::BmpToTiff(srcPath, dstPath);
}

extern "C" PICTCONV_API bool PICTCONV_CALL Tif2Bmp(const char* srcPath, const char* dstPath) {
    return Pictconv::ToBmp(srcPath, dstPath, Pictconv::DecodeTiff);
}

extern "C" PICTCONV_API bool PICTCONV_CALL Bmp2Png(const char* srcPath, const char* dstPath) {
    return Pictconv::FromBmp(srcPath, dstPath, Pictconv::EncodePng);
}

extern "C" PICTCONV_API bool PICTCONV_CALL Png2Bmp(const char* srcPath, const char* dstPath) {
    return Pictconv::ToBmp(srcPath, dstPath, Pictconv::DecodePng);
}
