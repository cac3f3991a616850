// One reader per kind of picture. A reader checks a file's headers and
// tells the picture's size in screen pixels; it reads no pixel data, so the
// same reader serves a full load (over the bytes in memory) and a
// measurement (over the open file, reading only what it needs). Every
// failure raises the error a load of that file gives.
#pragma once

#include "core/pictures/PictureKind.h"
#include "core/pictures/PictureSource.h"

// What a reader learns from a picture file's headers.
struct PictureHeader {
  int Width = 0;  // screen pixels as shown upright; may be 0 (an empty picture) or less
  int Height = 0;
  bool Grayscale = false;    // JPEG only: one colour component
  bool Progressive = false;  // JPEG only: progressive coding
  // How the picture is turned for display, as an EXIF orientation (1 to 8,
  // 1 without one): a JPEG's, PNG's or TIFF's EXIF orientation, or what a
  // HEIF or AVIF picture's rotation and mirroring amount to. Width and
  // Height already follow it: for 5 to 8 they are the stored height and
  // width.
  int Orientation = 1;
  // The header announces transparency: a WebP alpha flag, a TIFF alpha
  // extra sample, a HEIF or AVIF alpha auxiliary image. Publishing copies
  // such pictures as PNG rather than JPEG. Not read for the other kinds.
  bool Alpha = false;
};

// Runs the reader of the given kind over the whole source.
PictureHeader ReadPictureHeader(PictureKind kind, PictureSource& source,
                                const ScreenMetrics& screen);

// Windows BMP: an empty file is an empty bitmap; the size comes from the
// DIB header, after the file header, colour masks and colour table have
// been checked against the file's length.
PictureHeader ReadBitmapHeader(PictureSource& source);

// Icon: only the 6-byte directory header is examined; the size is always
// the screen's icon size.
PictureHeader ReadIconHeader(PictureSource& source, const ScreenMetrics& screen);

// Enhanced metafile, or Windows metafile with the placeable header.
PictureHeader ReadMetafileHeader(PictureSource& source, const ScreenMetrics& screen);

// JPEG: an empty file is an empty picture; otherwise libjpeg reads the
// markers up to the start of the first scan, and the first part of an EXIF
// segment for its orientation. Decoder errors raise EJPEG with the decoder's
// message code; decoder warnings and damaged EXIF blocks are ignored.
PictureHeader ReadJpegHeader(PictureSource& source);

// The phone and messenger kinds, each measured from its headers within the
// measuring budget (HeaderWindow.h). A file that ends inside a fixed header
// raises EReadError; a damaged or lying header raises EInvalidGraphic
// "<kind> image is not valid".

// PNG: the header chunk, and the first eXIf chunk before the pixel data.
PictureHeader ReadPngHeader(PictureSource& source);

// GIF: the logical screen, widened to the first image.
PictureHeader ReadGifHeader(PictureSource& source);

// WebP: the first chunk (VP8, VP8L or VP8X).
PictureHeader ReadWebPHeader(PictureSource& source);

// TIFF: IFD0's width, length and orientation.
PictureHeader ReadTiffHeader(PictureSource& source);

// HEIF (avif false) or AVIF (avif true): the primary item's properties.
PictureHeader ReadHeifHeader(PictureSource& source, bool avif);
