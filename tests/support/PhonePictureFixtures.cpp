#include "support/PhonePictureFixtures.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>

#include <avif/avif.h>
#include <libheif/heif.h>
#include <libheif/heif_properties.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace drawfx {

namespace {

void Check(heif_error error, const char* what) {
  if (error.code != heif_error_Ok)
    throw std::runtime_error(std::string(what) + ": " + error.message);
}

struct HeifRelease {
  void operator()(heif_context* context) const { heif_context_free(context); }
  void operator()(heif_encoder* encoder) const { heif_encoder_release(encoder); }
  void operator()(heif_image* image) const { heif_image_release(image); }
  void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
  void operator()(heif_encoding_options* options) const { heif_encoding_options_free(options); }
};
template <typename T>
using Owned = std::unique_ptr<T, HeifRelease>;

// The part of the image at (x, y) of the given size as a libheif image of
// interleaved 8-bit RGB or RGBA; outside the image it is black.
Owned<heif_image> HeifPixels(const QImage& image, int x, int y, int width, int height, bool alpha) {
  const QImage source =
      image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
  heif_image* out = nullptr;
  Check(heif_image_create(width, height, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &out),
        "heif_image_create");
  Owned<heif_image> owned(out);
  Check(heif_image_add_plane(out, heif_channel_interleaved, width, height, 8), "add plane");
  int stride = 0;
  std::uint8_t* plane = heif_image_get_plane(out, heif_channel_interleaved, &stride);
  const int channels = alpha ? 4 : 3;
  for (int row = 0; row < height; ++row) {
    std::uint8_t* line = plane + std::size_t(row) * std::size_t(stride);
    std::memset(line, 0, std::size_t(width) * channels);
    if (y + row >= source.height()) continue;
    const int count = std::max(0, std::min(width, source.width() - x));
    std::memcpy(line, source.constScanLine(y + row) + std::size_t(x) * channels,
                std::size_t(count) * channels);
  }
  return owned;
}

// The irot (anticlockwise quarter turns) and imir (0: top and bottom
// exchanged, 1: left and right; -1: none) that show a picture as an EXIF
// orientation does, irot applied first.
struct Turn {
  int Rotation, Mirror;
};
constexpr Turn Turns[8] = {{0, -1}, {0, 1}, {2, -1}, {0, 0}, {1, 0}, {3, -1}, {1, 1}, {1, -1}};

// Adds irot and imir properties to an item (libheif's encoder writes them to
// each tile of a grid, not to the grid).
void AddTurn(heif_context* context, heif_item_id item, int orientation) {
  const Turn turn = Turns[std::clamp(orientation, 1, 8) - 1];
  const std::uint8_t rotation = static_cast<std::uint8_t>(turn.Rotation);
  const std::uint8_t mirror = static_cast<std::uint8_t>(turn.Mirror);
  if (turn.Rotation != 0)
    Check(heif_item_add_raw_property(context, item, heif_fourcc('i', 'r', 'o', 't'), nullptr,
                                     &rotation, 1, 1, nullptr),
          "irot");
  if (turn.Mirror >= 0)
    Check(heif_item_add_raw_property(context, item, heif_fourcc('i', 'm', 'i', 'r'), nullptr,
                                     &mirror, 1, 1, nullptr),
          "imir");
}

heif_error WriteToString(heif_context*, const void* data, size_t size, void* userdata) {
  static_cast<std::string*>(userdata)->append(static_cast<const char*>(data), size);
  return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

}  // namespace

std::string EncodeHeic(const QImage& image, const HeicOptions& options) {
  heif_init(nullptr);
  Owned<heif_context> context(heif_context_alloc());
  heif_encoder* rawEncoder = nullptr;
  Check(heif_context_get_encoder_for_format(context.get(), heif_compression_HEVC, &rawEncoder),
        "no HEVC encoder");
  Owned<heif_encoder> encoder(rawEncoder);
  heif_encoder_set_lossy_quality(rawEncoder, options.Quality);
  if (!options.Preset.empty())
    Check(heif_encoder_set_parameter(rawEncoder, "preset", options.Preset.c_str()), "preset");
  Owned<heif_encoding_options> turned(heif_encoding_options_alloc());
  turned->image_orientation = static_cast<heif_orientation>(options.Orientation);
  turned->save_alpha_channel = options.Alpha;
  Owned<heif_encoding_options> upright(heif_encoding_options_alloc());
  upright->save_alpha_channel = options.Alpha;

  const int width = image.width(), height = image.height();
  heif_image_handle* primary = nullptr;
  if (options.TileSize > 0) {
    const int tile = options.TileSize;
    const int columns = (width + tile - 1) / tile, rows = (height + tile - 1) / tile;
    Check(heif_context_add_grid_image(context.get(), width, height, columns, rows, upright.get(),
                                      &primary),
          "grid");
    for (int row = 0; row < rows; ++row)
      for (int column = 0; column < columns; ++column) {
        const auto pixels = HeifPixels(image, column * tile, row * tile, tile, tile, options.Alpha);
        Check(heif_context_add_image_tile(context.get(), primary, column, row, pixels.get(),
                                          rawEncoder),
              "tile");
      }
  } else {
    const auto pixels = HeifPixels(image, 0, 0, width, height, options.Alpha);
    Check(
        heif_context_encode_image(context.get(), pixels.get(), rawEncoder, turned.get(), &primary),
        "encode");
  }
  Owned<heif_image_handle> primaryHandle(primary);
  if (options.TileSize > 0)
    AddTurn(context.get(), heif_image_handle_get_item_id(primary), options.Orientation);
  Check(heif_context_set_primary_image(context.get(), primary), "primary");
  if (options.ThumbnailSize > 0) {
    const auto pixels = HeifPixels(image, 0, 0, width, height, options.Alpha);
    heif_image_handle* thumbnail = nullptr;
    Check(heif_context_encode_thumbnail(context.get(), pixels.get(), primary, rawEncoder,
                                        options.ThumbnailTurned ? turned.get() : upright.get(),
                                        options.ThumbnailSize, &thumbnail),
          "thumbnail");
    if (thumbnail != nullptr) heif_image_handle_release(thumbnail);
  }
  std::string bytes;
  heif_writer writer{1, WriteToString};
  Check(heif_context_write(context.get(), &writer, &bytes), "write");
  return bytes;
}

std::string EncodeAvif(const QImage& image, const AvifOptions& options) {
  const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
  std::unique_ptr<avifImage, decltype(&avifImageDestroy)> avif(
      avifImageCreate(static_cast<std::uint32_t>(rgba.width()),
                      static_cast<std::uint32_t>(rgba.height()), 8, AVIF_PIXEL_FORMAT_YUV444),
      avifImageDestroy);
  avifRGBImage rgb;
  avifRGBImageSetDefaults(&rgb, avif.get());
  rgb.format = AVIF_RGB_FORMAT_RGBA;
  rgb.ignoreAlpha = options.Alpha ? AVIF_FALSE : AVIF_TRUE;
  rgb.pixels = const_cast<std::uint8_t*>(rgba.constBits());
  rgb.rowBytes = static_cast<std::uint32_t>(rgba.bytesPerLine());
  if (avifImageRGBToYUV(avif.get(), &rgb) != AVIF_RESULT_OK)
    throw std::runtime_error("avifImageRGBToYUV");
  if (options.Rotation >= 0) {
    avif->transformFlags |= AVIF_TRANSFORM_IROT;
    avif->irot.angle = static_cast<std::uint8_t>(options.Rotation);
  }
  if (options.Mirror >= 0) {
    avif->transformFlags |= AVIF_TRANSFORM_IMIR;
    avif->imir.mode = static_cast<std::uint8_t>(options.Mirror);
  }
  if (options.CleanAperture) {
    avif->transformFlags |= AVIF_TRANSFORM_CLAP;
    avif->clap = avifCleanApertureBox{static_cast<std::uint32_t>(rgba.width() / 2),
                                      1,
                                      static_cast<std::uint32_t>(rgba.height() / 2),
                                      1,
                                      0,
                                      1,
                                      0,
                                      1};
  }
  std::unique_ptr<avifEncoder, decltype(&avifEncoderDestroy)> encoder(avifEncoderCreate(),
                                                                      avifEncoderDestroy);
  encoder->minQuantizer = encoder->maxQuantizer = options.Quantizer;
  encoder->minQuantizerAlpha = encoder->maxQuantizerAlpha = options.Quantizer;
  encoder->speed = options.Speed;
  avifRWData output = AVIF_DATA_EMPTY;
  if (avifEncoderWrite(encoder.get(), avif.get(), &output) != AVIF_RESULT_OK)
    throw std::runtime_error("avifEncoderWrite");
  std::string bytes(reinterpret_cast<const char*>(output.data), output.size);
  avifRWDataFree(&output);
  return bytes;
}

std::string EncodeWithQt(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (!writer.write(image))
    throw std::runtime_error("QImageWriter cannot write " + std::string(format));
  return bytes.toStdString();
}

std::string EncodeGif(const QImage& image) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  std::vector<QRgb> palette = {0};  // index 0: transparent pixels
  std::vector<int> indices;
  for (int y = 0; y < argb.height(); ++y)
    for (int x = 0; x < argb.width(); ++x) {
      const QRgb pixel = qAlpha(argb.pixel(x, y)) == 0 ? 0 : argb.pixel(x, y) | 0xFF000000u;
      auto found = std::find(palette.begin(), palette.end(), pixel);
      if (found == palette.end()) found = palette.insert(palette.end(), pixel);
      indices.push_back(int(found - palette.begin()));
    }
  if (palette.size() > 256) throw std::runtime_error("more than 255 colours for a GIF");
  const auto put16 = [](std::string& out, int value) {
    out += char(value & 0xFF);
    out += char(value >> 8);
  };
  std::string gif = "GIF89a";
  put16(gif, argb.width());
  put16(gif, argb.height());
  gif += std::string("\xF7\x00\x00", 3);  // a global table of 256 colours
  for (std::size_t i = 0; i < 256; ++i) {
    const QRgb c = i < palette.size() ? palette[i] : 0;
    gif += {char(qRed(c)), char(qGreen(c)), char(qBlue(c))};
  }
  if (std::count(indices.begin(), indices.end(), 0) > 0)
    gif += std::string("\x21\xF9\x04\x01\x00\x00\x00\x00", 8);  // index 0 transparent
  gif += '\x2C';
  put16(gif, 0);
  put16(gif, 0);
  put16(gif, argb.width());
  put16(gif, argb.height());
  gif += std::string("\x00\x08", 2);  // no local table; LZW minimum code size 8
  // 9-bit codes: a clear code (256) every 250 pixels keeps the decoder's
  // table below 512 entries; 257 ends the data.
  std::string data;
  std::uint32_t bits = 0;
  int count = 0;
  const auto code = [&](int value) {
    bits |= std::uint32_t(value) << count;
    for (count += 9; count >= 8; count -= 8, bits >>= 8) data += char(bits & 0xFF);
  };
  for (std::size_t i = 0; i < indices.size(); ++i) {
    if (i % 250 == 0) code(256);
    code(indices[i]);
  }
  code(257);
  if (count > 0) data += char(bits & 0xFF);
  for (std::size_t at = 0; at < data.size(); at += 255) {
    const std::string block = data.substr(at, 255);
    gif += char(block.size());
    gif += block;
  }
  gif += std::string("\x00\x3B", 2);
  return gif;
}

namespace {

void PutBigEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char c : bytes) {
    crc ^= static_cast<unsigned char>(c);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

}  // namespace

std::string PngWithOrientation(const std::string& png, int orientation) {
  // A big-endian TIFF structure: header, IFD0 with one Orientation entry.
  std::string tiff = std::string("MM\0\x2A", 4);
  PutBigEndian(tiff, 8, 4);
  PutBigEndian(tiff, 1, 2);
  PutBigEndian(tiff, 0x0112, 2);
  PutBigEndian(tiff, 3, 2);
  PutBigEndian(tiff, 1, 4);
  PutBigEndian(tiff, static_cast<std::uint32_t>(orientation), 2);
  PutBigEndian(tiff, 0, 2);
  PutBigEndian(tiff, 0, 4);
  std::string chunk;
  PutBigEndian(chunk, static_cast<std::uint32_t>(tiff.size()), 4);
  const std::string typed = "eXIf" + tiff;
  chunk += typed;
  PutBigEndian(chunk, Crc32(typed), 4);
  const std::size_t idat = png.find("IDAT");
  if (idat == std::string::npos || idat < 4) throw std::runtime_error("no IDAT chunk");
  std::string out = png;
  out.insert(idat - 4, chunk);
  return out;
}

std::string TiffWithOrientation(const QImage& image, int orientation) {
  static const QImageIOHandler::Transformations transformations[8] = {
      QImageIOHandler::TransformationNone,
      QImageIOHandler::TransformationMirror,
      QImageIOHandler::TransformationRotate180,
      QImageIOHandler::TransformationFlip,
      QImageIOHandler::TransformationFlipAndRotate90,
      QImageIOHandler::TransformationRotate90,
      QImageIOHandler::TransformationMirrorAndRotate90,
      QImageIOHandler::TransformationRotate270};
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "tiff");
  writer.setTransformation(transformations[std::clamp(orientation, 1, 8) - 1]);
  if (!writer.write(image)) throw std::runtime_error("QImageWriter cannot write TIFF");
  return bytes.toStdString();
}

}  // namespace drawfx
