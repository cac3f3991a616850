#include "support/PhoneFixtures.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>

#include <avif/avif.h>
#include <libheif/heif.h>
#include <libheif/heif_properties.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define AMBRELIN_LEAK_CHECKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define AMBRELIN_LEAK_CHECKS 1
#endif
#endif
#ifdef AMBRELIN_LEAK_CHECKS
#include <sanitizer/lsan_interface.h>
#endif

namespace drawfx {

namespace {

// x265 keeps a small buffer of every encoder to the end of the process;
// LeakSanitizer is not told about what is allocated while this lives, none
// of it being ours.
struct LeaksUnchecked {
#ifdef AMBRELIN_LEAK_CHECKS
  LeaksUnchecked() {
    __lsan_disable();
  }
  ~LeaksUnchecked() {
    __lsan_enable();
  }
#endif
};

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

// Appends a number of n bytes, little-endian.
void Le(std::string& out, std::uint32_t v, int n) {
  for (int i = 0; i < n; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

// A TIFF structure ("II") whose IFD0 holds only an Orientation SHORT: the
// EXIF block of a PNG's eXIf chunk and a WebP's EXIF chunk.
std::string ExifOrientation(int orientation) {
  std::string tiff("II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 18);
  Le(tiff, static_cast<std::uint32_t>(orientation), 4);
  Le(tiff, 0, 4);  // no next IFD
  return tiff;
}

std::string PngChunk(const std::string& type, const std::string& data) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char b : type + data) {
    crc ^= static_cast<unsigned char>(b);
    for (int k = 0; k < 8; ++k) crc = crc >> 1 ^ (crc & 1 ? 0xEDB88320u : 0);
  }
  std::string chunk;
  for (int shift = 24; shift >= 0; shift -= 8) chunk += char(data.size() >> shift);
  chunk += type + data;
  for (int shift = 24; shift >= 0; shift -= 8) chunk += char(~crc >> shift);
  return chunk;
}

}  // namespace

std::string EncodeHeic(const QImage& image, const HeicOptions& options) {
  [[maybe_unused]] LeaksUnchecked unchecked;
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
  const avifResult result = avifEncoderWrite(encoder.get(), avif.get(), &output);
  std::string bytes(reinterpret_cast<const char*>(output.data), output.size);
  avifRWDataFree(&output);
  if (result != AVIF_RESULT_OK)
    throw std::runtime_error(std::string("libavif: ") + avifResultToString(result));
  return bytes;
}

std::string EncodeWithQt(const QImage& image, const char* format, int quality) {
  return TiffWithOrientation(image, 1, format, quality);
}

std::string EncodeGif(const QImage& image) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  const auto colour = [](QRgb c) { return qAlpha(c) == 0 ? QRgb(0) : c | 0xFF000000u; };
  // The table: the image's colours in the order they come, while they fit.
  std::vector<QRgb> table;
  std::map<QRgb, int> index;
  for (int y = 0; y < argb.height() && table.size() <= 256; ++y)
    for (int x = 0; x < argb.width() && table.size() <= 256; ++x)
      if (index.try_emplace(colour(argb.pixel(x, y)), int(table.size())).second)
        table.push_back(colour(argb.pixel(x, y)));
  const bool cube = table.size() > 256;
  if (cube) {  // transparent, then six levels of each colour
    table = {0};
    for (int i = 0; i < 216; ++i) table.push_back(qRgb(i / 36 * 51, i / 6 % 6 * 51, i % 6 * 51));
  }
  const auto level = [](int v) { return (v + 25) / 51; };
  std::string indices;
  for (int y = 0; y < argb.height(); ++y)
    for (int x = 0; x < argb.width(); ++x) {
      const QRgb c = colour(argb.pixel(x, y));
      indices += char(!cube    ? index[c]
                      : c == 0 ? 0
                               : 1 + 36 * level(qRed(c)) + 6 * level(qGreen(c)) + level(qBlue(c)));
    }
  const std::size_t transparent = std::find(table.begin(), table.end(), QRgb(0)) - table.begin();
  const bool anyTransparent =
      transparent < table.size() && indices.find(char(transparent)) != std::string::npos;
  int bits = 2;  // the table's and the codes' bits (the codes one more)
  while ((std::size_t{1} << bits) < table.size()) ++bits;
  std::string gif = "GIF89a";
  Le(gif, std::uint32_t(argb.width()), 2);
  Le(gif, std::uint32_t(argb.height()), 2);
  gif += char(0xF0 | (bits - 1)) + std::string(2, 0);
  table.resize(std::size_t{1} << bits, qRgb(0, 0, 0));
  for (const QRgb c : table) gif += {char(qRed(c)), char(qGreen(c)), char(qBlue(c))};
  if (anyTransparent) gif += std::string("\x21\xF9\x04\x01\0\0", 6) + char(transparent) + '\0';
  gif += std::string(",\0\0\0\0", 5);
  Le(gif, std::uint32_t(argb.width()), 2);
  Le(gif, std::uint32_t(argb.height()), 2);
  gif += '\0' + std::string(1, char(bits));  // no local table
  // Codes of bits + 1 bits throughout: a clear code before every 2^bits - 2
  // pixels keeps the decoder's table from growing; the next code ends.
  const unsigned clear = 1u << bits;
  std::string data;
  std::uint32_t pending = 0, count = 0;
  const auto put = [&](unsigned code) {
    for (pending |= code << count, count += bits + 1; count >= 8; count -= 8, pending >>= 8)
      data += char(pending);
  };
  for (std::size_t i = 0; i < indices.size(); ++i) {
    if (i % (clear - 2) == 0) put(clear);
    put(static_cast<unsigned char>(indices[i]));
  }
  put(clear + 1);
  if (count > 0) data += char(pending);
  for (std::size_t at = 0; at < data.size(); at += 255)
    gif += char(std::min<std::size_t>(255, data.size() - at)) + data.substr(at, 255);
  return gif + std::string("\0;", 2);
}

std::string PngWithChunk(const std::string& png, const std::string& type, const std::string& data) {
  constexpr std::size_t afterHeader = 8 + 25;  // signature, IHDR chunk
  return png.substr(0, afterHeader) + PngChunk(type, data) + png.substr(afterHeader);
}

std::string PngWithOrientation(const std::string& png, int orientation) {
  return PngWithChunk(png, "eXIf", ExifOrientation(orientation));
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

using namespace drawfx;

namespace {

QImage QuadrantImage(int w, int h) {
  QImage image(w, h, QImage::Format_RGB888);
  QPainter painter(&image);
  painter.fillRect(0, 0, w, h, Qt::white);
  painter.fillRect(0, 0, w / 2, h / 2, Qt::red);
  painter.fillRect(w / 2, 0, w - w / 2, h / 2, Qt::green);
  painter.fillRect(0, h / 2, w / 2, h - h / 2, Qt::blue);
  return image;
}

}  // namespace

std::string MakePng(int w, int h, int exifOrientation) {
  const std::string png = EncodeWithQt(QuadrantImage(w, h), "png");
  return exifOrientation == 0 ? png : PngWithOrientation(png, exifOrientation);
}

std::string MakeGif(int w, int h) {
  return EncodeGif(QuadrantImage(w, h));
}

std::string MakeWebP(int w, int h, WebPForm form) {
  const std::string simple =
      EncodeWithQt(QuadrantImage(w, h), "webp", form == WebPForm::Lossless ? 100 : 80);
  if (form != WebPForm::Extended) return simple;
  std::string body = "WEBPVP8X";
  Le(body, 10, 4);
  Le(body, 0x08, 4);  // flags: an EXIF chunk follows
  Le(body, static_cast<std::uint32_t>(w - 1), 3);
  Le(body, static_cast<std::uint32_t>(h - 1), 3);
  body += simple.substr(12) + "EXIF";  // the VP8 chunk, then the EXIF chunk
  Le(body, static_cast<std::uint32_t>(ExifOrientation(6).size()), 4);
  body += ExifOrientation(6);
  std::string riff = "RIFF";
  Le(riff, static_cast<std::uint32_t>(body.size()), 4);
  return riff + body;
}

std::string MakeTiff(int w, int h, int orientation) {
  return TiffWithOrientation(QuadrantImage(w, h), orientation);
}

std::string MakeHeic(int w, int h, int exifOrientation) {
  return EncodeHeic(QuadrantImage(w, h), {.Quality = 60, .Orientation = exifOrientation});
}

std::string MakeHeicGrid(int w, int h, int tile, int quarterTurnsAnticlockwise) {
  // The EXIF orientations of 0 to 3 anticlockwise quarter turns.
  constexpr int Orientations[4] = {1, 8, 3, 6};
  return EncodeHeic(QuadrantImage(w, h),
                    {.Quality = 60,
                     .TileSize = tile,
                     .ThumbnailSize = 64,
                     .Orientation = Orientations[quarterTurnsAnticlockwise & 3]});
}

std::string MakeAvif(int w, int h, int irot, int imir) {
  return EncodeAvif(QuadrantImage(w, h), {.Rotation = irot, .Mirror = imir});
}
