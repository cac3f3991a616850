// The tiles of a HEIF grid picture (a phone's HEIC: 512 x 512 tiles of a
// 12-megapixel picture) decoded side by side on several threads and laid
// into one image. Each tile is a step of its own: a cancel request stops the
// work after the tiles that are being decoded, and each thread converts and
// copies its own tiles, so that no single-threaded pass over the whole
// picture follows.
#pragma once

#include <QImage>

#include <libheif/heif.h>

#include "drawing/decode/DecodedImage.h"

// Decodes every tile of the grid image, as stored (its transformations not
// applied), into an opaque RGB32 image of the grid's size. A tile that
// cannot be decoded stays black; null when no tile could be decoded, the
// grid is too large, or the decode was cancelled.
QImage DecodeHeifGridTiles(const heif_image_handle* grid, const heif_image_tiling& tiling,
                           const ImageDecodeOptions& options);
