// Multi-page TIFF: every page of a file read with its description, and a
// file written page by page, each page either carried over exactly as it is
// stored or written anew in its description's kind.
//
// TiffPages opens a file and decodes its pages one at a time (any page, in
// any order) into a bottom-up 24-bit picture and a PageDescription: the kind
// (bilevel for one sample of one bit in either photometric interpretation,
// grey, palette with its colour map, RGB for everything else), the bit depth
// and compression as stored, the resolution tags as read, and what the
// 24-bit picture gave up (16-bit samples, CMYK or Lab ink, alpha). A page
// that cannot be decoded gives false and a one-line reason naming the page
// ("page 2 of 3: ..."); the file is then not fit to be rewritten.
//
// WriteTiffPages writes a new file, BigTIFF when the input is one and in the
// input's byte order, with the listed pages in the listed order:
//   - a carried page is copied as its raw strips or tiles with the tags that
//     describe them (libtiff's raw read and write; nothing is decoded). A
//     page in the old JPEG form, which libtiff cannot write, is the one
//     exception: it is decoded and written anew as a JPEG-compressed page;
//   - a new page is brought to its description's kind (ReduceToKind) and
//     written in it: bilevel 1-bit in the input page's photometric
//     interpretation, grey 8-bit, palette on its own colour map at the
//     stored index depth, RGB 8-bit; with its description's compression
//     when it suits the kind and libtiff can write it (bilevel: none,
//     PackBits, LZW, Deflate, CCITT Group 3 with the input's options,
//     Group 4; grey and RGB: none, PackBits, LZW, Deflate, JPEG; palette:
//     none, PackBits, LZW, Deflate), otherwise Group 4 for bilevel and LZW
//     for the other kinds; old-style JPEG pages become JPEG. Its resolution
//     tags are the description's.
// Both kinds of page keep the input page's descriptive tags (page number and
// name, document name, description, make, model, software, date, artist,
// host computer, copyright, subfile type) and colour profile (not for pages
// converted to RGB). False when libtiff or a write fails; the descriptor is
// always closed.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "bmpbase/bitmap24.h"
#include "pictconv/page_description.h"
#include "pictconv/tiff_directory.h"

namespace Pictconv {

class TiffPages {
  public:
    // Opens `path`; false with a reason when it is not a readable TIFF.
    bool Open(const char* path, std::string& error);

    size_t Count() const { return count_; }
    bool BigTiff() const;

    // Decodes page `index` (from 0). False with "page N of M: reason".
    // Throws std::bad_alloc when the picture cannot be had.
    bool Read(size_t index, BmpBase::CBitmap24& picture, PageDescription& description,
              std::string& error);

    // The open file, at directory `index`; null when that cannot be reached.
    TIFF* At(size_t index);

  private:
    TiffHandle tif_;
    size_t count_ = 0;
};

// Reads what the current directory of `tif` stores, as above.
PageDescription DescribeDirectory(TIFF* tif);

struct TiffPageOut {
    size_t source = 0;  // the input page this page replaces
    // Null: the input page is carried over as it is stored. Otherwise the
    // new picture, reduced to `description`'s kind in place when written.
    BmpBase::CBitmap24* picture = nullptr;
    PageDescription description;  // of a new picture
};

bool WriteTiffPages(TiffPages& input, const std::vector<TiffPageOut>& pages, int fd,
                    const char* name);

// Writes `picture`, a page read from another format, as a one-page TIFF in
// its description's kind (as a new page above: the description's
// compression when it suits, otherwise Group 4 for bilevel, min-is-white,
// and LZW for the rest). `picture` must already be reduced to the kind
// (ReduceToKind), as for the other formats' kind encoders. False when
// libtiff or a write fails; the descriptor is always closed.
bool EncodeTiffPage(const BmpBase::CBitmap24& picture, const PageDescription& description, int fd,
                    const char* name);

}  // namespace Pictconv
