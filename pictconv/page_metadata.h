// What a page carries besides its pixels and kind: colour profile, EXIF,
// XMP, IPTC and Photoshop blocks, text, the orientation tag, how a JPEG was
// encoded and the resolution exactly as the file stored it. The readers of
// each format fill it (jpeg_metadata.h, png_metadata.h, tiff_metadata.h),
// TurnMetadata (metadata_turn.h) brings it in line with a turned page, and
// the writers put it back through the codec libraries' own functions.
//
// Everything is held as bytes or text, never interpreted beyond what the
// tool must change; an empty member means the file had none. Nothing here
// fails.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Pictconv {

// Where a text entry came from, which decides the chunk or tag it goes
// back to: PNG keeps keyword, language and compression; TIFF text tags are
// named by their tag number; a JPEG comment is a COM marker.
enum class TextOrigin { kPng, kTiffTag, kJpegComment };

struct TextEntry {
    TextOrigin origin = TextOrigin::kPng;
    std::string keyword;  // PNG keyword; the tag's name for a TIFF tag
    std::string text;     // Latin-1 for tEXt/zTXt, UTF-8 for iTXt and the others
    // PNG: iTXt (international) or tEXt/zTXt, and whether it was compressed.
    bool international = false;
    bool compressed = false;
    std::string language;           // iTXt only
    std::string translatedKeyword;  // iTXt only
    uint32_t tiffTag = 0;           // kTiffTag: the tag number (Artist, Make...)
};

// The resolution fields of the file that held the page, in the file's own
// terms, so that a page written back in the same format gets exactly what
// it had (a JFIF density stays the same integer, a pHYs its pixels per
// metre). A TIFF's rationals need no such record: the page description
// holds their value, which libtiff writes back as the same fraction.
enum class ResolutionSource { kNone, kJfif, kPhys };

struct StoredResolution {
    ResolutionSource source = ResolutionSource::kNone;
    // JFIF: the densities; pHYs: pixels per unit.
    double x = 0.0;
    double y = 0.0;
    // The format's own unit code: JFIF 0 none, 1 inch, 2 centimetre; pHYs 0
    // unknown, 1 metre.
    int unit = 0;
};

// How a JPEG was encoded; zero members when unknown or not a JPEG.
struct JpegEncoding {
    int quality = 0;  // estimated IJG quality 1..100 from luminance table 0
    bool progressive = false;
    // Sampling factors of the first component over the chroma's (2 and 2
    // for 4:2:0, 1 and 1 for 4:4:4).
    int lumaHorizontal = 0;
    int lumaVertical = 0;
};

// One field of a TIFF file's EXIF directory, as libtiff hands it over: the
// values in the library's own storage type, `count` of them (an ASCII
// field holds its text with the closing NUL).
struct TiffExifField {
    uint32_t tag = 0;
    uint32_t count = 0;
    std::vector<uint8_t> value;
};

struct PageMetadata {
    std::vector<uint8_t> icc;             // ICC profile, byte for byte
    std::string iccName;                  // PNG iCCP's profile name
    std::vector<uint8_t> exif;            // TIFF-structured, no "Exif\0\0" prefix
    std::vector<TiffExifField> tiffExif;  // a TIFF's EXIF directory
    std::string xmp;                      // the XMP packet
    std::vector<uint8_t> photoshop;       // Photoshop image resources (8BIM blocks)
    std::vector<uint8_t> iptc;            // IPTC-NAA records (TIFF RichTIFFIPTC)
    std::vector<TextEntry> text;          // in file order
    int orientation = 0;                  // the orientation tag as read: 1..8, 0 absent
    JpegEncoding jpeg;
    StoredResolution resolution;
};

}  // namespace Pictconv
