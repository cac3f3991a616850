#include "support/PhonePictureFixtures.h"

#include <QBuffer>
#include <QImageWriter>

#include <avif/avif.h>
#include <libheif/heif.h>
#include <libheif/heif_properties.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace drawfx {

namespace {

void Check(heif_error error) {
  if (error.code != heif_error_Ok) throw std::runtime_error(error.message);
}

// The image as libheif's interleaved 8-bit RGB or RGBA.
std::shared_ptr<heif_image> HeifPixels(const QImage& image, bool alpha) {
  const QImage rgb = image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
  heif_image* out = nullptr;
  Check(heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                          &out));
  std::shared_ptr<heif_image> owned(out, heif_image_release);
  Check(heif_image_add_plane(out, heif_channel_interleaved, rgb.width(), rgb.height(), 8));
  int stride = 0;
  std::uint8_t* plane = heif_image_get_plane(out, heif_channel_interleaved, &stride);
  for (int y = 0; y < rgb.height(); ++y)
    std::memcpy(plane + y * stride, rgb.constScanLine(y),
                std::size_t(rgb.width()) * (alpha ? 4 : 3));
  return owned;
}

// Adds the irot and imir properties of an EXIF orientation to an item
// (libheif's encoder would put them on each tile of a grid): irot in
// anticlockwise quarter turns, then imir (0: top and bottom exchanged, 1:
// left and right; -1: none).
void AddTurn(heif_context* context, heif_item_id item, int orientation) {
  constexpr int Turns[8][2] = {{0, -1}, {0, 1}, {2, -1}, {0, 0}, {1, 0}, {3, -1}, {1, 1}, {1, -1}};
  const int* turn = Turns[std::clamp(orientation, 1, 8) - 1];
  const std::uint8_t rotation = std::uint8_t(turn[0]), mirror = std::uint8_t(turn[1]);
  if (turn[0] != 0)
    Check(heif_item_add_raw_property(context, item, heif_fourcc('i', 'r', 'o', 't'), nullptr,
                                     &rotation, 1, 1, nullptr));
  if (turn[1] >= 0)
    Check(heif_item_add_raw_property(context, item, heif_fourcc('i', 'm', 'i', 'r'), nullptr,
                                     &mirror, 1, 1, nullptr));
}

}  // namespace

std::string EncodeHeic(const QImage& image, const HeicOptions& options) {
  heif_init(nullptr);
  std::unique_ptr<heif_context, void (*)(heif_context*)> context(heif_context_alloc(),
                                                                 heif_context_free);
  heif_encoder* encoder = nullptr;
  Check(heif_context_get_encoder_for_format(context.get(), heif_compression_HEVC, &encoder));
  std::unique_ptr<heif_encoder, void (*)(heif_encoder*)> ownedEncoder(encoder,
                                                                      heif_encoder_release);
  heif_encoder_set_lossy_quality(encoder, options.Quality);
  if (options.Preset) Check(heif_encoder_set_parameter(encoder, "preset", options.Preset));
  heif_encoding_options turned{}, upright{};
  for (heif_encoding_options* o : {&turned, &upright}) {
    heif_encoding_options* defaults = heif_encoding_options_alloc();
    *o = *defaults;
    heif_encoding_options_free(defaults);
    o->save_alpha_channel = options.Alpha;
  }
  turned.image_orientation = heif_orientation(options.Orientation);
  heif_image_handle* primary = nullptr;
  const int tile = options.TileSize;
  if (tile > 0) {
    const int columns = (image.width() + tile - 1) / tile,
              rows = (image.height() + tile - 1) / tile;
    Check(heif_context_add_grid_image(context.get(), image.width(), image.height(), columns, rows,
                                      &upright, &primary));
    for (int y = 0; y < rows; ++y)
      for (int x = 0; x < columns; ++x)  // copy() fills beyond the picture with black
        Check(heif_context_add_image_tile(
            context.get(), primary, x, y,
            HeifPixels(image.copy(x * tile, y * tile, tile, tile), options.Alpha).get(), encoder));
    AddTurn(context.get(), heif_image_handle_get_item_id(primary), options.Orientation);
  } else {
    Check(heif_context_encode_image(context.get(), HeifPixels(image, options.Alpha).get(), encoder,
                                    &turned, &primary));
  }
  std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle*)> ownedPrimary(
      primary, heif_image_handle_release);
  Check(heif_context_set_primary_image(context.get(), primary));
  if (options.ThumbnailSize > 0)
    Check(heif_context_encode_thumbnail(
        context.get(), HeifPixels(image, options.Alpha).get(), primary, encoder,
        options.ThumbnailTurned ? &turned : &upright, options.ThumbnailSize, nullptr));
  std::string bytes;
  heif_writer writer{1, [](heif_context*, const void* data, size_t size, void* out) {
                       static_cast<std::string*>(out)->append(static_cast<const char*>(data), size);
                       return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
                     }};
  Check(heif_context_write(context.get(), &writer, &bytes));
  return bytes;
}

std::string EncodeAvif(const QImage& image, const AvifOptions& options) {
  const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
  std::unique_ptr<avifImage, void (*)(avifImage*)> avif(
      avifImageCreate(rgba.width(), rgba.height(), 8, AVIF_PIXEL_FORMAT_YUV444), avifImageDestroy);
  avifRGBImage rgb;
  avifRGBImageSetDefaults(&rgb, avif.get());
  rgb.ignoreAlpha = !options.Alpha;
  rgb.pixels = const_cast<std::uint8_t*>(rgba.constBits());
  rgb.rowBytes = std::uint32_t(rgba.bytesPerLine());
  avifImageRGBToYUV(avif.get(), &rgb);
  if (options.Rotation >= 0) avif->transformFlags |= AVIF_TRANSFORM_IROT;
  if (options.Mirror >= 0) avif->transformFlags |= AVIF_TRANSFORM_IMIR;
  if (options.CleanAperture) avif->transformFlags |= AVIF_TRANSFORM_CLAP;
  avif->irot.angle = std::uint8_t(std::max(0, options.Rotation));
  avif->imir.mode = std::uint8_t(std::max(0, options.Mirror));
  avif->clap = {
      std::uint32_t(rgba.width() / 2), 1, std::uint32_t(rgba.height() / 2), 1, 0, 1, 0, 1};
  std::unique_ptr<avifEncoder, void (*)(avifEncoder*)> encoder(avifEncoderCreate(),
                                                               avifEncoderDestroy);
  encoder->minQuantizer = encoder->maxQuantizer = options.Quantizer;
  encoder->minQuantizerAlpha = encoder->maxQuantizerAlpha = options.Quantizer;
  encoder->speed = 8;
  avifRWData output = AVIF_DATA_EMPTY;
  if (avifEncoderWrite(encoder.get(), avif.get(), &output) != AVIF_RESULT_OK)
    throw std::runtime_error("avifEncoderWrite");
  std::string bytes(reinterpret_cast<const char*>(output.data), output.size);
  avifRWDataFree(&output);
  return bytes;
}

std::string EncodeWithQt(const QImage& image, const char* format, int quality) {
  return TiffWithOrientation(image, 1, format, quality);
}

std::string EncodeGif(const QImage& image) {
  // Index 0 is transparent, 1 to 216 a cube of six levels of each colour.
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  std::string indices;
  for (int y = 0; y < argb.height(); ++y)
    for (int x = 0; x < argb.width(); ++x) {
      const QRgb c = argb.pixel(x, y);
      const auto level = [](int v) { return (v + 25) / 51; };
      indices += char(
          qAlpha(c) == 0 ? 0 : 1 + 36 * level(qRed(c)) + 6 * level(qGreen(c)) + level(qBlue(c)));
    }
  const char w[2] = {char(argb.width()), char(argb.width() >> 8)};
  const char h[2] = {char(argb.height()), char(argb.height() >> 8)};
  std::string gif = "GIF89a" + std::string(w, 2) + std::string(h, 2) + "\xF7" + std::string(2, 0);
  gif += std::string(3, 0);
  for (int i = 0; i < 255; ++i)
    gif += {char(i / 36 % 6 * 51), char(i / 6 % 6 * 51), char(i % 6 * 51)};
  if (indices.find('\0') != std::string::npos)  // index 0 transparent
    gif += std::string("\x21\xF9\x04\x01\0\0\0\0", 8);
  gif +=
      "\x2C" + std::string(4, 0) + std::string(w, 2) + std::string(h, 2) + std::string("\0\x08", 2);
  // 9-bit codes: a clear code (256) every 250 pixels keeps the decoder's
  // table from growing to 10 bits; 257 ends the data.
  std::string data;
  std::uint32_t bits = 0, count = 0;
  const auto code = [&](unsigned value) {
    for (bits |= value << count, count += 9; count >= 8; count -= 8, bits >>= 8) data += char(bits);
  };
  for (std::size_t i = 0; i < indices.size(); ++i) {
    if (i % 250 == 0) code(256);
    code(static_cast<unsigned char>(indices[i]));
  }
  code(257);
  if (count > 0) data += char(bits);
  for (std::size_t at = 0; at < data.size(); at += 255)
    gif += char(std::min<std::size_t>(255, data.size() - at)) + data.substr(at, 255);
  return gif + std::string("\0\x3B", 2);
}

std::string PngWithOrientation(const std::string& png, int orientation) {
  // "eXIf", then a big-endian TIFF structure whose IFD0 has one entry.
  std::string chunk = std::string(
                          "\0\0\0\x1A"
                          "eXIfMM\0\x2A\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0",
                          27) +
                      char(orientation) + std::string(6, 0);
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 4; i < chunk.size(); ++i) {
    crc ^= std::uint8_t(chunk[i]);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  crc = ~crc;
  for (int shift = 24; shift >= 0; shift -= 8) chunk += char(crc >> shift);
  std::string out = png;
  return out.insert(png.find("IDAT") - 4, chunk);
}

std::string TiffWithOrientation(const QImage& image, int orientation, const char* format,
                                int quality) {
  // Qt's transformations in the order of the EXIF orientations.
  constexpr int Transformations[8] = {0, 1, 3, 2, 6, 4, 5, 7};
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.setQuality(quality);
  writer.setTransformation(
      QImageIOHandler::Transformations(Transformations[std::clamp(orientation, 1, 8) - 1]));
  if (!writer.write(image)) throw std::runtime_error("QImageWriter: " + std::string(format));
  return bytes.toStdString();
}

}  // namespace drawfx
