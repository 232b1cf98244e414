#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<what>/.

Small valid files of every kind each reader accepts, plus a few it must
refuse. The JPEG, PNG and TIFF seeds are made by the project's own converter
library from small BMP pages, so it must have been built first:
    python3 fuzz/make_seeds.py build/default/bin/libPictconv.so
"""
import ctypes
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def bmp(width, height, bits, pixels_for_row, palette=b"", compression=0, masks=b""):
    rows = []
    stride = ((width * bits + 31) // 32) * 4
    for r in range(abs(height)):
        row = pixels_for_row(r)
        rows.append(row + b"\0" * (stride - len(row)))
    data = b"".join(rows)
    info_size = 40
    off = 14 + info_size + len(masks) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", off + len(data), 0, 0, off)
    info = struct.pack("<IiiHHIIiiII", info_size, width, height, 1, bits, compression,
                       len(data), 2835, 2835, len(palette) // 4, 0)
    return header + info + masks + palette + data


def rgb_row(width, r):
    return bytes((((c * 37 + r * 11) % 256), ((c * 5) % 256), ((r * 29) % 256))[k]
                 for c in range(width) for k in range(3))


def write(folder, name, data):
    path = os.path.join(HERE, "corpus", folder)
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, name), "wb") as f:
        f.write(data)


def exif_block(order, exif_at=56):
    """An APP1 EXIF block: IFD0 (Orientation 6, the EXIF directory's link),
    its link to a one-entry IFD1, and the EXIF directory (pixel sizes)."""
    e = "<" if order == "II" else ">"

    def entry(tag, typ, value):
        raw = struct.pack(e + "H", value) + b"\0\0" if typ == 3 else struct.pack(e + "I", value)
        return struct.pack(e + "HHI", tag, typ, 1) + raw

    ifd0 = struct.pack(e + "H", 2) + entry(0x0112, 3, 6) + entry(0x8769, 4, exif_at) + \
        struct.pack(e + "I", 38)
    ifd1 = struct.pack(e + "H", 1) + entry(0x0103, 3, 6) + struct.pack(e + "I", 0)
    exif = struct.pack(e + "H", 2) + entry(0xA002, 3, 640) + entry(0xA003, 4, 480) + \
        struct.pack(e + "I", 0)
    return b"Exif\0\0" + order.encode() + struct.pack(e + "HI", 42, 8) + ifd0 + ifd1 + exif


def icc_profile(space, size=4096):
    """A small well-formed ICC profile header (display class, XYZ connection
    space) with one 'desc' tag, padded to `size` bytes."""
    tags = struct.pack(">I4sII", 1, b"desc", 144, 12)
    header = struct.pack(">I4sI4s4s4s12s4s4s4sI4sQI12s4s44s",
                         size, b"lcms", 0x02100000, b"mntr", space, b"XYZ ",
                         bytes(12), b"acsp", b"APPL", b"none", 0, b"none", 0, 0,
                         struct.pack(">III", 0xF6D6, 0x10000, 0xD32D), b"lcms", bytes(44))
    body = header + tags + b"desc" + bytes(8)
    return body + bytes(size - len(body))


XMP = (b'<?xpacket begin="" id="W5M0MpCehiHzreSzNTczkc9d"?><x:xmpmeta xmlns:x="adobe:ns:meta/">'
       b'<rdf:RDF><rdf:Description tiff:Orientation="6"><tiff:Orientation>8</tiff:Orientation>'
       b"</rdf:Description></rdf:RDF></x:xmpmeta>" + b" " * 64 + b'<?xpacket end="w"?>')


def jpeg_with_metadata(jpeg, profile):
    """`jpeg` with EXIF, XMP, the profile in two APP2 segments and a comment
    put after its SOI marker."""
    def segment(marker, payload):
        return struct.pack(">BBH", 0xFF, marker, len(payload) + 2) + payload
    half = len(profile) // 2
    icc = [b"ICC_PROFILE\0" + bytes((n + 1, 2)) + part
           for n, part in enumerate((profile[:half], profile[half:]))]
    markers = (segment(0xE1, exif_block("MM")) +
               segment(0xE1, b"http://ns.adobe.com/xap/1.0/\0" + XMP) +
               segment(0xE2, icc[1]) + segment(0xE2, icc[0]) + segment(0xFE, b"scanned"))
    return jpeg[:2] + markers + jpeg[2:]


def png_with_metadata(png, profile):
    """`png` with iCCP, eXIf, an XMP iTXt and a tEXt chunk after its IHDR."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + \
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    ihdr_end = 8 + 25
    chunks = (chunk(b"iCCP", b"scanner\0\0" + zlib.compress(profile)) +
              chunk(b"eXIf", exif_block("II")[6:]) +
              chunk(b"iTXt", b"XML:com.adobe.xmp\0\0\0\0\0" + XMP) +
              chunk(b"tEXt", b"Title\0A page"))
    return png[:ihdr_end] + chunks + png[ihdr_end:]


def text_page(width, height):
    """A white page with rows of dark dashes, slightly tilted."""
    def row(r):
        out = bytearray(b"\xff" * (3 * width))
        for c in range(width):
            rr = r + c // 12
            if rr % 9 in (3, 4) and (c // 5) % 3 != 2:
                out[3 * c:3 * c + 3] = b"\x10\x10\x10"
        return bytes(out)
    return row


def main():
    # The engine's 24-bit reader.
    write("bmp_read", "1x1.bmp", bmp(1, 1, 24, lambda r: b"\x01\x02\x03"))
    write("bmp_read", "5x3.bmp", bmp(5, 3, 24, lambda r: rgb_row(5, r)))
    write("bmp_read", "4x2_top_down.bmp", bmp(4, -2, 24, lambda r: rgb_row(4, r)))
    write("bmp_read", "truncated.bmp", bmp(6, 6, 24, lambda r: rgb_row(6, r))[:80])
    write("bmp_read", "page_40x30.bmp", bmp(40, 30, 24, text_page(40, 30)))

    # The desktop program's reader: every accepted depth.
    grey_palette = b"".join(bytes((i, i, i, 0)) for i in range(256))
    write("desk_read", "24bit.bmp", bmp(5, 3, 24, lambda r: rgb_row(5, r)))
    write("desk_read", "32bit.bmp", bmp(3, 2, 32, lambda r: bytes(range(12))))
    write("desk_read", "16bit.bmp", bmp(3, 2, 16, lambda r: b"\x1f\x7c\xe0\x03\x00\x7c"))
    write("desk_read", "16bit_masks.bmp",
          bmp(3, 2, 16, lambda r: b"\x1f\xf8\xe0\x07\x00\xf8", compression=3,
              masks=struct.pack("<III", 0xF800, 0x07E0, 0x001F)))
    write("desk_read", "8bit.bmp", bmp(5, 3, 8, lambda r: bytes((r * 40 + c) for c in range(5)),
                                       palette=grey_palette))
    write("desk_read", "4bit.bmp", bmp(6, 2, 4, lambda r: b"\x01\x23\x45",
                                       palette=grey_palette[:64]))
    write("desk_read", "1bit.bmp", bmp(9, 2, 1, lambda r: b"\xa5\x80",
                                       palette=b"\0\0\0\0\xff\xff\xff\0"))
    write("desk_read", "top_down.bmp", bmp(4, -2, 24, lambda r: rgb_row(4, r)))

    # Rotation: height, width, corner, angle (double), pixel bytes.
    for name, h, w, corner, angle in [("small_7deg", 5, 7, 2, 7.0), ("square_45", 8, 8, 0, 45.0),
                                      ("strip_m90", 1, 30, 1, -90.0),
                                      ("tall_1e6", 30, 1, 2, 1e6)]:
        write("rotate", name, bytes((h, w, corner)) + struct.pack("<d", angle) +
              bytes(range(0, 250, 7)))

    # Automatic pipeline: height, width (16 bits each), corner, pixel bytes.
    for name, h, w in [("page_60x80", 60, 80), ("page_120x90", 120, 90)]:
        row = text_page(w, h)
        pixels = b"".join(row(r) for r in range(h))
        write("auto_rotate", name, struct.pack("<HHB", h - 1, w - 1, 2) + pixels)
    write("auto_rotate", "noise", struct.pack("<HHB", 31, 31, 0) + bytes(range(256)) * 4)

    # Precise mode: height, width (16 bits each), pixel bytes.
    for name, h, w in [("page_60x80", 60, 80), ("page_120x90", 120, 90)]:
        row = text_page(w, h)
        write("precise", name, struct.pack("<HH", h - 1, w - 1) +
              b"".join(row(r) for r in range(h)))
    write("precise", "noise", struct.pack("<HH", 31, 31) + bytes(range(256)) * 4)
    write("precise", "black_1x2000", struct.pack("<HH", 0, 255) + b"\0")

    # Metadata: a byte for the path, then for EXIF blocks the new width and
    # height (16 bits each) and the block; for XMP the packet; for files a
    # JPEG or PNG with metadata (the converter seeds below with blocks added).
    for order in ("II", "MM"):
        write("metadata", "exif_" + order, struct.pack("<BHH", 0, 99, 49) + exif_block(order))
    write("metadata", "exif_loop", struct.pack("<BHH", 0, 9, 9) + exif_block("II", exif_at=8))
    write("metadata", "xmp_packet", b"\1" + XMP)
    write("metadata", "xmp_forms", b"\1" + b"<tiff:Orientation >7</tiff:Orientation> "
          b"tiff:Orientation = '3' tiff:Orientation='9' tiff:Orientation=\"")
    corpus = os.path.join(HERE, "corpus")
    with open(os.path.join(corpus, "jpg2bmp", "colour.jpg"), "rb") as f:
        write("metadata", "file_jpeg", b"\2" + jpeg_with_metadata(f.read(), icc_profile(b"RGB ")))
    with open(os.path.join(corpus, "jpg2bmp", "grey.jpg"), "rb") as f:
        write("metadata", "file_jpeg_grey",
              b"\2" + jpeg_with_metadata(f.read(), icc_profile(b"GRAY", 600)))
    with open(os.path.join(corpus, "png2bmp", "colour.png"), "rb") as f:
        write("metadata", "file_png", b"\2" + png_with_metadata(f.read(), icc_profile(b"RGB ")))

    # Report files: a byte (even CSV, odd JSON), then the text.
    header = ("input,page,pages,output,status,angle,confidence,mode,note,error,input_bytes,"
              "input_sha256")
    digest = "0123456789abcdef" * 4
    csv_rows = [
        "/p/a.jpg,1,1,/o/a.jpg,rotated,-3.25,0.91,precise,,,1234," + digest,
        '"/p/b, \"x\".png",1,1,,not sure,,0.12,precise,"put upright by its orientation",,,',
        "/p/c.tif,2,3,/o/c.tif,failed,,,,,\"c.tif: damaged\",,",
        "/p/d.bmp,1,1,/o/d.bmp,unchanged,0,,whole-degrees,angle below --min-angle,,,"]
    write("report_read", "current.csv", b"\0" + ("\n".join([header] + csv_rows) + "\n").encode())
    write("report_read", "timings_crlf_bom.csv", b"\0\xef\xbb\xbf" + (
        "\r\n".join([header + ",decode_ms,process_ms,encode_ms",
                      "a.jpg,1,1,b.jpg,rotated,1e1,1,precise,,,0," + digest + ",1.5,2,3"]) +
        "\r\n").encode())
    write("report_read", "old_layout.csv", b"\0" + (
        "input,output,status,angle,confidence,mode,error\n"
        "a.bmp,a2.bmp,rotated,+7,,standard,\n\"multi\nline.bmp\",,failed,,,standard,oops\n"
    ).encode())
    write("report_read", "current.json", b"\1" + (
        '{"command": "auto", "pages": [\n'
        '  {"input": "/p/a.jpg", "page": 1, "pages": 1, "output": "/o/a.jpg", "status": "rotated", '
        '"angle": -3.25, "confidence": 0.91, "mode": "precise", "note": null, "error": null, '
        '"input_bytes": 1234, "input_sha256": "' + digest + '"},\n'
        '  {"input": "caf\\u00e9\\udc80.tif", "page": 2, "pages": 2, "output": null, '
        '"status": "not sure", "angle": null, "confidence": 0, "mode": "precise", '
        '"note": "x; y", "error": null, "input_bytes": null, "input_sha256": null, '
        '"decode_ms": 1.0, "process_ms": 2.5e1, "encode_ms": 0}\n'
        '], "summary": {"pages": 2, "rotated": 1}}\n').encode())
    write("report_read", "old_layout.json", b"\1" + (
        '{"pages":[{"input":"a","output":null,"status":"rotated","angle":1,'
        '"confidence":null,"mode":"standard","error":null}],"command":"rotate"}').encode())

    # Converters: JPEG, PNG and TIFF made by the project's own encoders.
    if len(sys.argv) > 1:
        lib = ctypes.CDLL(sys.argv[1])
        tmp = os.path.join(HERE, "corpus", ".tmp.bmp")
        pages = {"colour": bmp(24, 16, 24, lambda r: rgb_row(24, r)),
                 "grey": bmp(16, 12, 24, lambda r: bytes((r * 20,) * 3 * 16)),
                 "page": bmp(40, 30, 24, text_page(40, 30))}
        for encoder, folder, ext in [("Bmp2Jpg", "jpg2bmp", "jpg"), ("Bmp2Png", "png2bmp", "png"),
                                     ("Bmp2Tif", "tif2bmp", "tif")]:
            fn = getattr(lib, encoder)
            fn.restype = ctypes.c_bool
            for name, data in pages.items():
                with open(tmp, "wb") as f:
                    f.write(data)
                out = os.path.join(HERE, "corpus", folder, name + "." + ext)
                os.makedirs(os.path.dirname(out), exist_ok=True)
                if not fn(tmp.encode(), out.encode()):
                    sys.exit("make_seeds: %s failed" % encoder)
        os.remove(tmp)


if __name__ == "__main__":
    main()
