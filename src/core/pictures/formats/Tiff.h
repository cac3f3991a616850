// TIFF files: the TIFF structure that EXIF blocks also use (Exif.h: the
// header, image file directories and their entries, in "II" or "MM" byte
// order), here at the start of the file, with every offset counted from the
// file's first byte. The first directory (IFD0) describes the first image.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/pictures/formats/Exif.h"

namespace tiff {

using exif::Ifd;
using exif::IfdEntry;
using exif::TiffHeader;
using exif::TiffNumbers;

// IFD0 tags that size the picture and tell how to show it.
constexpr std::uint16_t ImageWidthTag = 256;    // SHORT or LONG
constexpr std::uint16_t ImageLengthTag = 257;   // SHORT or LONG, the height
constexpr std::uint16_t ExtraSamplesTag = 338;  // SHORTs: 1 associated alpha, 2 unassociated
using exif::OrientationTag;                     // SHORT, 1 to 8 as in EXIF

// Entry types of the size tags.
constexpr std::uint16_t ShortType = exif::ShortType;
constexpr std::uint16_t LongType = 4;

// BigTIFF (magic 43, 64-bit offsets) is another structure, not read here.

}  // namespace tiff
