// AVIF pictures decoded with libavif (its AV1 decoder: dav1d or libaom).
//
// The first image of the file is decoded (an animated AVIF gives its first
// frame) on several threads, and turned as Chromium shows it: rotated by its
// irot and then mirrored by its imir property; its clean aperture (clap) and
// any EXIF orientation are left alone, as Chromium leaves them. AV1 cannot be
// decoded at a reduced size, so the image has the picture's own size.
#pragma once

#include <string>

#include "drawing/decode/DecodedImage.h"

DecodedImage DecodeAvif(const std::string& bytes, const ImageDecodeOptions& options);
