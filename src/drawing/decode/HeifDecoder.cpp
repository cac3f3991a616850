#include "drawing/decode/HeifDecoder.h"

#include <exception>
#include <utility>

#include "core/pictures/formats/Exif.h"
#include "drawing/decode/HeifFile.h"
#include "drawing/decode/HeifGrid.h"
#include "drawing/decode/JpegDecoder.h"

namespace {

bool Covers(QSize size, QSize minimum) {
  return size.width() >= minimum.width() && size.height() >= minimum.height();
}

// The thumbnail's size as it is shown (libheif gives an image's size with
// its own transformations applied).
QSize UprightThumbnailSize(heif_context* context, const heif_image_handle* primary,
                           const heif_image_handle* thumbnail) {
  QSize size(heif_image_handle_get_width(thumbnail), heif_image_handle_get_height(thumbnail));
  if (!HasHeifTurns(context, heif_image_handle_get_item_id(thumbnail)) &&
      exif::SwapsWidthAndHeight(HeifOrientation(context, heif_image_handle_get_item_id(primary))))
    size.transpose();
  return size;
}

QImage DecodeThumbnail(heif_context* context, const heif_image_handle* primary,
                       const heif_image_handle* thumbnail, const ImageDecodeOptions& options) {
  QImage image = DecodeWholeHeifImage(context, thumbnail, true, options);
  if (image.isNull() || HasHeifTurns(context, heif_image_handle_get_item_id(thumbnail)))
    return image;
  return UprightImage(image, HeifOrientation(context, heif_image_handle_get_item_id(primary)));
}

QImage DecodePrimary(const std::string& bytes, heif_context* context,
                     const heif_image_handle* primary, const ImageDecodeOptions& options) {
  if (!heif_image_handle_has_alpha_channel(primary)) {
    heif_image_tiling tiling{};
    if (heif_image_handle_get_image_tiling(primary, 0, &tiling).code == heif_error_Ok &&
        tiling.num_columns * std::uint64_t{tiling.num_rows} > 1 && ProperHeifGrid(tiling)) {
      return TransformedHeifImage(context, heif_image_handle_get_item_id(primary),
                                  DecodeHeifGridTiles(bytes, context, primary, tiling, options));
    }
  }
  return DecodeWholeHeifImage(context, primary, true, options);
}

template <typename Decode>
DecodedImage Decoded(const std::string& bytes, const ImageDecodeOptions& options, Decode decode) {
  DecodedImage result;
  if (bytes.empty()) return result;
  try {
    const HeifContext context = OpenHeif(bytes);
    if (!context) return result;
    const HeifHandle primary = PrimaryHeifImage(context.get());
    if (!primary) return result;
    QImage image = decode(context.get(), primary.get());
    if (CancelRequested(options)) {
      result.Cancelled = true;
      return result;
    }
    if (image.isNull()) return result;
    result.IccProfile = HeifIccProfile(primary.get());
    result.Image = FinishedImage(std::move(image), options);
  } catch (const std::exception&) {
    result.Image = QImage();  // out of memory: nothing to show
  }
  return result;
}

}  // namespace

DecodedImage DecodeHeif(const std::string& bytes, const ImageDecodeOptions& options) {
  return Decoded(bytes, options, [&](heif_context* context, const heif_image_handle* primary) {
    const QSize minimum = options.MinimumSize;
    if (minimum.isValid() && !minimum.isEmpty()) {
      const HeifHandle thumbnail = LargestHeifThumbnail(primary);
      if (thumbnail && Covers(UprightThumbnailSize(context, primary, thumbnail.get()), minimum)) {
        QImage image = DecodeThumbnail(context, primary, thumbnail.get(), options);
        if (!image.isNull()) return image;
      }
    }
    return DecodePrimary(bytes, context, primary, options);
  });
}

DecodedImage DecodeHeifThumbnail(const std::string& bytes, const ImageDecodeOptions& options) {
  return Decoded(bytes, options, [&](heif_context* context, const heif_image_handle* primary) {
    const HeifHandle thumbnail = LargestHeifThumbnail(primary);
    return thumbnail ? DecodeThumbnail(context, primary, thumbnail.get(), options) : QImage();
  });
}
