#include "drawing/decode/HeifFile.h"

#include <QColor>

#include <libheif/heif_properties.h>

#include <array>
#include <mutex>
#include <utility>
#include <vector>

#include "core/pictures/formats/Exif.h"
#include "drawing/decode/JpegDecoder.h"

namespace {

constexpr std::uint32_t MaxIccProfileBytes = 4 * 1024 * 1024;
// Thumbnails and transformations looked at, at most; a file has one or two.
constexpr int MaxThumbnails = 16;
constexpr int MaxTransforms = 16;

// heif_init loads the codec plugins (the HEVC decoder among them). It is
// counted: one call for the whole run, never undone, so that no decode meets
// a library that is being shut down.
void InitializeHeif() {
  static std::once_flag once;
  std::call_once(once, [] { heif_init(nullptr); });
}

extern "C" int HeifCancelRequested(void* flag) {
  return flag != nullptr && static_cast<const std::atomic<bool>*>(flag)->load() ? 1 : 0;
}

std::vector<heif_property_id> TransformProperties(heif_context* context, heif_item_id item) {
  std::array<heif_property_id, MaxTransforms> ids{};
  const int count =
      heif_item_get_transformation_properties(context, item, ids.data(), MaxTransforms);
  return std::vector<heif_property_id>(ids.begin(),
                                       ids.begin() + std::clamp(count, 0, MaxTransforms));
}

// The orientation of one rotation or mirroring property; 1 for any other.
int PropertyOrientation(heif_context* context, heif_item_id item, heif_property_id property) {
  switch (heif_item_get_property_type(context, item, property)) {
    case heif_item_property_type_transform_rotation:
      return AnticlockwiseOrientation(
          heif_item_get_property_transform_rotation_ccw(context, item, property) / 90);
    case heif_item_property_type_transform_mirror:
      switch (heif_item_get_property_transform_mirror(context, item, property)) {
        case heif_transform_mirror_direction_vertical:
          return exif::Flipped;
        case heif_transform_mirror_direction_horizontal:
          return exif::Mirrored;
        default:
          return exif::Upright;
      }
    default:
      return exif::Upright;
  }
}

}  // namespace

HeifContext OpenHeif(const std::string& bytes) {
  InitializeHeif();
  HeifContext context(heif_context_alloc());
  if (!context) return context;
  heif_security_limits* limits = heif_context_get_security_limits(context.get());
  if (limits == nullptr) return nullptr;
  limits->max_image_size_pixels = static_cast<std::uint64_t>(MaxDecodedPixels);
  limits->max_number_of_tiles = MaxHeifTiles;
  limits->max_color_profile_size = MaxIccProfileBytes;
  if (heif_context_read_from_memory_without_copy(context.get(), bytes.data(), bytes.size(), nullptr)
          .code != heif_error_Ok)
    return nullptr;
  return context;
}

HeifHandle PrimaryHeifImage(heif_context* context) {
  heif_image_handle* handle = nullptr;
  if (heif_context_get_primary_image_handle(context, &handle).code != heif_error_Ok) return nullptr;
  return HeifHandle(handle);
}

HeifHandle LargestHeifThumbnail(const heif_image_handle* image) {
  std::array<heif_item_id, MaxThumbnails> ids{};
  const int count = heif_image_handle_get_list_of_thumbnail_IDs(image, ids.data(), MaxThumbnails);
  HeifHandle largest;
  qint64 largestPixels = 0;
  for (int i = 0; i < std::clamp(count, 0, MaxThumbnails); ++i) {
    heif_image_handle* handle = nullptr;
    if (heif_image_handle_get_thumbnail(image, ids[static_cast<std::size_t>(i)], &handle).code !=
        heif_error_Ok)
      continue;
    HeifHandle thumbnail(handle);
    const qint64 width = heif_image_handle_get_width(handle);
    const qint64 height = heif_image_handle_get_height(handle);
    if (!DecodableSize(width, height) || width * height <= largestPixels) continue;
    largestPixels = width * height;
    largest = std::move(thumbnail);
  }
  return largest;
}

HeifDecodingOptions NewHeifDecodingOptions(bool transform, const std::atomic<bool>* cancel) {
  HeifDecodingOptions options(heif_decoding_options_alloc());
  if (!options) return options;
  options->ignore_transformations = transform ? 0 : 1;
  options->convert_hdr_to_8bit = 1;
  if (cancel != nullptr) {
    options->progress_user_data = const_cast<std::atomic<bool>*>(cancel);
    options->cancel_decoding = HeifCancelRequested;
  }
  return options;
}

QImage DecodeWholeHeifImage(heif_context* context, const heif_image_handle* image, bool transform,
                            const ImageDecodeOptions& options) {
  const bool alpha = heif_image_handle_has_alpha_channel(image) != 0;
  HeifDecodingOptions decoding = NewHeifDecodingOptions(transform, options.Cancel);
  if (!decoding) return {};
  // On this thread, a grid's tiles one after the other: where tiles are
  // padded (as libheif's own encoder pads them), libheif 1.19's tile threads
  // give pixels that differ from run to run.
  heif_context_set_max_decoding_threads(context, 0);
  heif_image* decoded = nullptr;
  if (heif_decode_image(image, &decoded, heif_colorspace_RGB,
                        alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                        decoding.get())
          .code != heif_error_Ok)
    return {};
  const HeifImage pixels(decoded);
  const int width = heif_image_get_width(decoded, heif_channel_interleaved);
  const int height = heif_image_get_height(decoded, heif_channel_interleaved);
  if (!DecodableSize(width, height) || CancelRequested(options)) return {};
  QImage canvas(width, height, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  if (canvas.isNull() || !PasteHeifPixels(decoded, canvas, canvas.rect())) return {};
  return canvas;
}

bool PasteHeifPixels(const heif_image* image, QImage& canvas, const QRect& slot) {
  const heif_chroma chroma = heif_image_get_chroma_format(image);
  if (chroma != heif_chroma_interleaved_RGB && chroma != heif_chroma_interleaved_RGBA) return false;
  if (heif_image_get_bits_per_pixel_range(image, heif_channel_interleaved) != 8) return false;
  const int channels = chroma == heif_chroma_interleaved_RGBA ? 4 : 3;
  int stride = 0;
  const std::uint8_t* plane =
      heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
  const int width = heif_image_get_width(image, heif_channel_interleaved);
  const int height = heif_image_get_height(image, heif_channel_interleaved);
  if (plane == nullptr || width <= 0 || height <= 0 || stride < width * channels) return false;
  const QPoint at = slot.topLeft();
  const QRect area = QRect(at, QSize(width, height)) & slot & canvas.rect();
  const bool premultiplied = heif_image_is_premultiplied_alpha(const_cast<heif_image*>(image)) != 0;
  const bool keepAlpha = canvas.format() == QImage::Format_ARGB32_Premultiplied;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    const std::uint8_t* source = plane + std::size_t(y - at.y()) * std::size_t(stride) +
                                 std::size_t(area.left() - at.x()) * channels;
    auto* target = reinterpret_cast<QRgb*>(canvas.scanLine(y)) + area.left();
    for (int x = 0; x < area.width(); ++x, source += channels) {
      const int alpha = channels == 4 && keepAlpha ? source[3] : 255;
      const QRgb pixel = qRgba(source[0], source[1], source[2], alpha);
      target[x] = alpha == 255 || premultiplied ? pixel : qPremultiply(pixel);
    }
  }
  return true;
}

QImage TransformedHeifImage(heif_context* context, heif_item_id item, QImage stored) {
  // Rotations and mirrorings in a row are turned in one go.
  int orientation = exif::Upright;
  for (const heif_property_id property : TransformProperties(context, item)) {
    if (heif_item_get_property_type(context, item, property) !=
        heif_item_property_type_transform_crop) {
      orientation = ComposeOrientations(orientation, PropertyOrientation(context, item, property));
      continue;
    }
    stored = UprightImage(stored, orientation);
    orientation = exif::Upright;
    int left = 0, top = 0, right = 0, bottom = 0;
    heif_item_get_property_transform_crop_borders(context, item, property, stored.width(),
                                                  stored.height(), &left, &top, &right, &bottom);
    const QRect kept =
        QRect(QPoint(left, top), QPoint(stored.width() - 1 - right, stored.height() - 1 - bottom)) &
        stored.rect();
    if (kept.isEmpty()) return {};
    if (kept != stored.rect()) stored = stored.copy(kept);
  }
  return UprightImage(stored, orientation);
}

int HeifOrientation(heif_context* context, heif_item_id item) {
  int orientation = exif::Upright;
  for (const heif_property_id property : TransformProperties(context, item))
    orientation = ComposeOrientations(orientation, PropertyOrientation(context, item, property));
  return orientation;
}

bool HasHeifTurns(heif_context* context, heif_item_id item) {
  for (const heif_property_id property : TransformProperties(context, item))
    if (heif_item_get_property_type(context, item, property) !=
        heif_item_property_type_transform_crop)
      return true;
  return false;
}

QByteArray HeifIccProfile(const heif_image_handle* image) {
  const heif_color_profile_type type = heif_image_handle_get_color_profile_type(image);
  if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC) return {};
  const std::size_t size = heif_image_handle_get_raw_color_profile_size(image);
  if (size == 0 || size > MaxIccProfileBytes) return {};
  QByteArray profile(static_cast<qsizetype>(size), '\0');
  if (heif_image_handle_get_raw_color_profile(image, profile.data()).code != heif_error_Ok)
    return {};
  return profile;
}
