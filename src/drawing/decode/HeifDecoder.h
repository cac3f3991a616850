// HEIF pictures (a phone's HEIC, and HEIF files of the other codecs libheif's
// plugins read) decoded with libheif 1.19 or newer (Debian 12's own 1.15
// cannot open the pictures of current iPhones; 1.19 has the security limits
// and tile lookups used here).
//
// The primary image is decoded upright, its clean aperture, rotation and
// mirroring (clap, irot, imir) applied in the order the file lists them, as
// Safari shows it. A grid picture without transparency is decoded tile by
// tile on several threads (HeifGrid.h), and a cancel request stops it
// between tiles; other pictures are decoded by libheif as a whole, on one
// thread.
//
// HEVC cannot be decoded at a reduced size, but a phone's HEIC carries a
// small thumbnail item (320 x 240 on an iPhone), which decodes in a few
// milliseconds: DecodeHeifThumbnail gives it for showing something at once,
// and DecodeHeif gives it in place of the whole picture when it covers the
// size asked for.
#pragma once

#include <string>

#include "drawing/decode/DecodedImage.h"

DecodedImage DecodeHeif(const std::string& bytes, const ImageDecodeOptions& options);

// The primary image's largest thumbnail item, upright: turned by its own
// transformations, or, where it is neither rotated nor mirrored itself, by
// the rotation and mirroring of the primary image (its pixels are then
// stored as the primary image's are; encoders add a clean aperture to
// thumbnails of odd sizes). Null when the picture has no thumbnail.
DecodedImage DecodeHeifThumbnail(const std::string& bytes, const ImageDecodeOptions& options);
