// The tiles of a HEIF grid picture (a phone's HEIC: 512 x 512 tiles of a
// 12-megapixel picture) decoded side by side on several threads, each with a
// context of its own, and laid into one image. Each tile is a step of its
// own: a cancel request stops the work after the tiles that are being
// decoded, and each thread converts and copies its own tiles, so that no
// single-threaded pass over the whole picture follows.
#pragma once

#include <QImage>

#include <libheif/heif.h>

#include <string>

#include "drawing/decode/DecodedImage.h"

// True when the grid's tiles are of a size that may be decoded and just
// cover the picture, as the format demands (libheif checks that only when
// it decodes the whole grid). Other grids are left to libheif's decode of
// the whole picture, which refuses them.
bool ProperHeifGrid(const heif_image_tiling& tiling);

// Decodes every tile of the grid image, as stored (the grid's and the tiles'
// transformations not applied; tiles have none), into an opaque RGB32 image
// of the grid's size. A tile that is no image item of the grid's tile size
// is left out, as is one that cannot be decoded: its area stays black. Null when no tile could be
// decoded, the grid is too large, or the decode was cancelled.
// `bytes` is the file `context` was opened from: each further thread opens
// it again.
QImage DecodeHeifGridTiles(const std::string& bytes, heif_context* context,
                           const heif_image_handle* grid, const heif_image_tiling& tiling,
                           const ImageDecodeOptions& options);
