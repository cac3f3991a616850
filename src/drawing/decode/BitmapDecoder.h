// Device-independent bitmaps (BMP files and the bitmaps inside metafiles)
// decoded into QImage.
//
// Qt's BMP reader does the pixel unpacking, but it refuses some valid forms
// (the 52- and 56-byte info headers, alpha bit fields, images over its
// allocation limit of 128 MB) and leaves rows that a short file does not hold
// uninitialised. So every bitmap is first rewritten into one form Qt reads
// well: a 40-byte info header, colour masks after it for bit fields, a full
// colour table of 4-byte entries, and the whole pixel data (run-length
// compressed data expanded to 8 bits a pixel; missing data filled with zeros,
// i.e. colour index 0 or black). What Qt still refuses of that form, our own
// unpacker reads.
//
// A bitmap file that is drawn at half its size or less is read at a reduced
// scale (as JPEG pictures are): every n-th pixel of every n-th row, so that
// the work and the memory follow the size drawn, not the sizes a header
// claims.
#pragma once

#include <QImage>
#include <QSize>

#include <cstddef>
#include <string>

struct DecodedBitmap {
  // Format_RGB32, opaque (the alpha byte of 32-bit pixels is ignored, as
  // bitmap drawing ignores it); null when the bitmap is empty or unreadable.
  QImage Image;
  // Bits per pixel of the stored bitmap (1, 4, 8, 16, 24 or 32).
  int BitsPerPixel = 0;
  // The image holds every Step-th pixel of every Step-th row of the bitmap
  // (from the middle of each Step x Step block).
  int Step = 1;
};

// Who unpacks the pixels of the rewritten bitmap: Qt's reader, and our own
// unpacker where Qt refuses (images over Qt's allocation limit, masks it does
// not take); or our own unpacker alone (tests of that path).
enum class BitmapUnpacking { QtThenOwn, OwnOnly };

// A whole BMP file: file header, info header, colour masks, colour table,
// pixel data. The pixel data starts at the file header's offset when that
// offset lies after the colour table, else right after the table. With a
// valid, non-empty minimumSize the step is the largest whole number that
// still leaves at least minimumSize; else every pixel is read.
DecodedBitmap DecodeBitmapFile(const std::string& bytes,
                               BitmapUnpacking unpacking = BitmapUnpacking::QtThenOwn,
                               QSize minimumSize = QSize());

// A bitmap in two parts, as enhanced metafiles store it: the info block
// (info header, colour masks, colour table) and the pixel data. Read with
// the given step (at most the bitmap's width and height); compressed images
// inside (JPEG, PNG) are always read whole.
DecodedBitmap DecodeDib(const unsigned char* info, std::size_t infoSize, const unsigned char* bits,
                        std::size_t bitsSize,
                        BitmapUnpacking unpacking = BitmapUnpacking::QtThenOwn, int step = 1);

// The number of pixels (width times height) a bitmap's info header declares,
// 0 when the header cannot be read.
long long DibPixelCount(const unsigned char* info, std::size_t infoSize);

// A packed bitmap, as Windows metafiles store it: the info block directly
// followed by the pixel data. Read with the given step, as DecodeDib.
DecodedBitmap DecodePackedDib(const unsigned char* data, std::size_t size, int step = 1);
