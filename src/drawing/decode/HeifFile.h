// libheif behind small owners, for the HEIF decoders: a file opened from
// memory within the limits the decoders allow, its images, their
// geometric transformations, and their pixels as QImage.
#pragma once

#include <QImage>
#include <QRect>

#include <libheif/heif.h>

#include <memory>
#include <string>

#include "drawing/decode/DecodedImage.h"

struct HeifRelease {
  void operator()(heif_context* context) const { heif_context_free(context); }
  void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
  void operator()(heif_image* image) const { heif_image_release(image); }
  void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};
using HeifContext = std::unique_ptr<heif_context, HeifRelease>;
using HeifHandle = std::unique_ptr<heif_image_handle, HeifRelease>;
using HeifImage = std::unique_ptr<heif_image, HeifRelease>;
using HeifDecodingOptions = std::unique_ptr<heif_decoding_options, HeifRelease>;

// The most tiles a grid picture may have: a 128-megapixel picture in tiles
// of 256 x 256 pixels has 2048.
inline constexpr unsigned MaxHeifTiles = 4096;

// Opens a HEIF file held in memory; `bytes` is not copied and must outlive
// the context. The limits are the decoders': images of at most
// MaxDecodedPixels, grids of at most MaxHeifTiles tiles, ICC profiles of at
// most 4 MB. Null when libheif refuses the file.
HeifContext OpenHeif(const std::string& bytes);

// The file's primary image; null when it has none that libheif can read.
HeifHandle PrimaryHeifImage(heif_context* context);

// The largest of the image's thumbnail items; null when it has none.
HeifHandle LargestHeifThumbnail(const heif_image_handle* image);

// Decoding options: 8 bits a channel, the image's own transformations
// applied or not, and a cancel flag that libheif looks at while it decodes.
HeifDecodingOptions NewHeifDecodingOptions(bool transform, const std::atomic<bool>* cancel);

// Decodes an image (all of it, on this thread) into premultiplied ARGB when
// it has an alpha channel, else RGB32. Null on failure or when cancelled.
QImage DecodeWholeHeifImage(heif_context* context, const heif_image_handle* image, bool transform,
                            const ImageDecodeOptions& options);

// Copies a decoded image of 8-bit interleaved RGB or RGBA into the `slot` of
// `canvas` (RGB32 or premultiplied ARGB), its top-left corner at the slot's,
// cut at the slot's and the canvas's edges. False when the image is not of
// such pixels.
bool PasteHeifPixels(const heif_image* image, QImage& canvas, const QRect& slot);

// Applies the item's geometric transformations (clap, irot, imir) in the
// order the file lists them to the image as stored, as libheif does when it
// decodes with transformations.
QImage TransformedHeifImage(heif_context* context, heif_item_id item, QImage stored);

// The EXIF orientation of the item's rotations and mirrorings alone (its
// clean aperture left out); 1 when it has none.
int HeifOrientation(heif_context* context, heif_item_id item);

// True when the item is rotated or mirrored (irot, imir).
bool HasHeifTurns(heif_context* context, heif_item_id item);

// The image's ICC profile; empty without one.
QByteArray HeifIccProfile(const heif_image_handle* image);
