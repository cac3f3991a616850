#include "support/PhoneFixtures.h"

#include <avif/avif.h>
#include <libheif/heif.h>
#include <libheif/heif_properties.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <stdexcept>

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

namespace {

void QuadrantColour(int x, int y, int w, int h, unsigned char rgb[3]) {
  const bool right = x >= w / 2, bottom = y >= h / 2;
  rgb[0] = !right || bottom ? 255 : 0;
  rgb[1] = right ? 255 : 0;
  rgb[2] = bottom ? 255 : 0;
}

QImage QuadrantImage(int w, int h) {
  QImage image(w, h, QImage::Format_RGB888);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) QuadrantColour(x, y, w, h, image.scanLine(y) + 3 * x);
  return image;
}

std::string Written(const QImage& image, const char* format, int quality = -1,
                    QImageIOHandler::Transformations turn = QImageIOHandler::TransformationNone) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.setQuality(quality);
  writer.setTransformation(turn);
  if (!writer.write(image)) throw std::runtime_error("Qt cannot write " + std::string(format));
  return bytes.toStdString();
}

// Appends a number of n bytes, little-endian or big-endian.
void Le(std::string& out, std::uint32_t v, int n) {
  for (int i = 0; i < n; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}
void Be(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(v >> shift));
}

// A TIFF structure ("II") whose IFD0 holds only an Orientation SHORT.
std::string TiffWithOrientation(int orientation) {
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
  Be(chunk, static_cast<std::uint32_t>(data.size()));
  chunk += type + data;
  Be(chunk, ~crc);
  return chunk;
}

void Check(const heif_error& error) {
  if (error.code != heif_error_Ok)
    throw std::runtime_error(std::string("libheif: ") + error.message);
}

// A libheif context with an HEVC encoder. x265 keeps a small buffer of
// every encoder to the end of the process; LeakSanitizer is not told about
// what is allocated while a context lives, none of it being ours.
struct HeifContext {
#ifdef AMBRELIN_LEAK_CHECKS
  struct Unchecked {
    Unchecked() { __lsan_disable(); }
    ~Unchecked() { __lsan_enable(); }
  } LeaksUnchecked;
#endif
  heif_context* Context = heif_context_alloc();
  heif_encoder* Encoder = nullptr;
  HeifContext() {
    Check(heif_context_get_encoder_for_format(Context, heif_compression_HEVC, &Encoder));
    heif_encoder_set_lossy_quality(Encoder, 60);
  }
  ~HeifContext() {
    heif_encoder_release(Encoder);
    heif_context_free(Context);
  }
  std::string Write() {
    std::string out;
    heif_writer writer{1, [](heif_context*, const void* data, size_t size, void* into) {
                         static_cast<std::string*>(into)->append(static_cast<const char*>(data),
                                                                 size);
                         return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
                       }};
    Check(heif_context_write(Context, &writer, &out));
    return out;
  }
  // Encodes the part at (x0, y0) of a w x h quadrant picture.
  heif_error Encode(int partW, int partH, int x0, int y0, int w, int h,
                    const std::function<heif_error(heif_image*)>& encode) {
    heif_image* image = nullptr;
    Check(
        heif_image_create(partW, partH, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image));
    Check(heif_image_add_plane(image, heif_channel_interleaved, partW, partH, 8));
    int stride = 0;
    std::uint8_t* pixels = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < partH; ++y)
      for (int x = 0; x < partW; ++x)
        QuadrantColour(x0 + x, y0 + y, w, h, pixels + y * stride + 3 * x);
    const heif_error error = encode(image);
    heif_image_release(image);
    return error;
  }
};

}  // namespace

std::string MakePng(int w, int h, int exifOrientation) {
  const std::string png = Written(QuadrantImage(w, h), "png");
  constexpr std::size_t afterHeader = 8 + 25;  // signature, IHDR chunk
  if (exifOrientation == 0) return png;
  return png.substr(0, afterHeader) + PngChunk("eXIf", TiffWithOrientation(exifOrientation)) +
         png.substr(afterHeader);
}

std::string MakeGif(int w, int h) {
  std::string gif = "GIF89a";
  Le(gif, static_cast<std::uint32_t>(w), 2);
  Le(gif, static_cast<std::uint32_t>(h), 2);
  // A global table of 4 colours, then the image descriptor at (0, 0).
  gif += std::string("\x81\0\0\xFF\0\0\0\xFF\0\0\0\xFF\xFF\xFF\xFF,\0\0\0\0", 20);
  Le(gif, static_cast<std::uint32_t>(w), 2);
  Le(gif, static_cast<std::uint32_t>(h), 2);
  gif += std::string("\0\x02", 2);  // no local table; LZW of 2-bit colours
  // 3-bit codes throughout: a clear code (4) before every second pixel
  // keeps the code table from growing; 5 ends the data.
  std::string data;
  std::uint32_t bits = 0;
  int count = 0;
  const auto put = [&](unsigned code) {
    bits |= code << count;
    for (count += 3; count >= 8; count -= 8, bits >>= 8) data.push_back(static_cast<char>(bits));
  };
  for (int n = 0; n < w * h; ++n) {
    if (n % 2 == 0) put(4);
    put(static_cast<unsigned>((n % w >= w / 2) + 2 * (n / w >= h / 2)));
  }
  put(5);
  if (count > 0) data.push_back(static_cast<char>(bits));
  for (std::size_t i = 0; i < data.size(); i += 255) {
    gif.push_back(static_cast<char>(std::min<std::size_t>(255, data.size() - i)));
    gif += data.substr(i, 255);
  }
  return gif + std::string("\0;", 2);
}

std::string MakeWebP(int w, int h, WebPForm form) {
  const std::string simple =
      Written(QuadrantImage(w, h), "webp", form == WebPForm::Lossless ? 100 : 80);
  if (form != WebPForm::Extended) return simple;
  std::string body = "WEBPVP8X";
  Le(body, 10, 4);
  Le(body, 0x08, 4);  // flags: an EXIF chunk follows
  Le(body, static_cast<std::uint32_t>(w - 1), 3);
  Le(body, static_cast<std::uint32_t>(h - 1), 3);
  body += simple.substr(12) + "EXIF";  // the VP8 chunk, then the EXIF chunk
  Le(body, static_cast<std::uint32_t>(TiffWithOrientation(6).size()), 4);
  body += TiffWithOrientation(6);
  std::string riff = "RIFF";
  Le(riff, static_cast<std::uint32_t>(body.size()), 4);
  return riff + body;
}

std::string MakeTiff(int w, int h, int orientation) {
  using T = QImageIOHandler;
  static const T::Transformations turns[9] = {
      T::TransformationNone,     T::TransformationNone,
      T::TransformationMirror,   T::TransformationRotate180,
      T::TransformationFlip,     T::TransformationFlipAndRotate90,
      T::TransformationRotate90, T::TransformationMirrorAndRotate90,
      T::TransformationRotate270};
  return Written(QuadrantImage(w, h), "tiff", -1,
                 turns[orientation >= 1 && orientation <= 8 ? orientation : 0]);
}

std::string MakeHeic(int w, int h, int exifOrientation) {
  HeifContext heif;
  heif_encoding_options* options = heif_encoding_options_alloc();
  options->image_orientation = static_cast<heif_orientation>(exifOrientation);
  const heif_error error = heif.Encode(w, h, 0, 0, w, h, [&](heif_image* image) {
    return heif_context_encode_image(heif.Context, image, heif.Encoder, options, nullptr);
  });
  heif_encoding_options_free(options);
  Check(error);
  return heif.Write();
}

std::string MakeHeicGrid(int w, int h, int tile, int quarterTurnsAnticlockwise) {
  HeifContext heif;
  const int columns = (w + tile - 1) / tile, rows = (h + tile - 1) / tile;
  heif_image_handle* grid = nullptr;
  heif_encoding_options* options = heif_encoding_options_alloc();
  const heif_error added = heif_context_add_grid_image(
      heif.Context, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h),
      static_cast<std::uint32_t>(columns), static_cast<std::uint32_t>(rows), options, &grid);
  heif_encoding_options_free(options);
  Check(added);
  for (std::uint32_t row = 0; row < static_cast<std::uint32_t>(rows); ++row)
    for (std::uint32_t column = 0; column < static_cast<std::uint32_t>(columns); ++column)
      Check(heif.Encode(tile, tile, column * tile, row * tile, w, h, [&](heif_image* part) {
        return heif_context_add_image_tile(heif.Context, grid, column, row, part, heif.Encoder);
      }));
  // The grid's own rotation, as a camera writes it (libheif's encoding
  // options would turn the tiles instead).
  const std::uint8_t angle = static_cast<std::uint8_t>(quarterTurnsAnticlockwise & 3);
  if (angle != 0)
    Check(heif_item_add_raw_property(heif.Context, heif_image_handle_get_item_id(grid),
                                     heif_fourcc('i', 'r', 'o', 't'), nullptr, &angle, 1, 1,
                                     nullptr));
  heif_image_handle* thumbnail = nullptr;
  Check(heif.Encode(64, 48, 0, 0, 64, 48, [&](heif_image* small) {
    return heif_context_encode_image(heif.Context, small, heif.Encoder, nullptr, &thumbnail);
  }));
  Check(heif_context_assign_thumbnail(heif.Context, grid, thumbnail));
  Check(heif_context_set_primary_image(heif.Context, grid));
  heif_image_handle_release(thumbnail);
  heif_image_handle_release(grid);
  return heif.Write();
}

std::string MakeAvif(int w, int h, int irot, int imir) {
  avifImage* image = avifImageCreate(static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h),
                                     8, AVIF_PIXEL_FORMAT_YUV444);
  QImage rgba = QuadrantImage(w, h).convertToFormat(QImage::Format_RGBA8888);
  avifRGBImage rgb;
  avifRGBImageSetDefaults(&rgb, image);
  rgb.pixels = rgba.bits();
  rgb.rowBytes = static_cast<std::uint32_t>(rgba.bytesPerLine());
  avifImageRGBToYUV(image, &rgb);
  image->transformFlags =
      (irot >= 0 ? AVIF_TRANSFORM_IROT : 0) | (imir >= 0 ? AVIF_TRANSFORM_IMIR : 0);
  image->irot.angle = static_cast<std::uint8_t>(irot);
  image->imir.mode = static_cast<std::uint8_t>(imir);
  avifEncoder* encoder = avifEncoderCreate();
  encoder->speed = AVIF_SPEED_FASTEST;
  avifRWData out = AVIF_DATA_EMPTY;
  const avifResult result = avifEncoderWrite(encoder, image, &out);
  std::string bytes(reinterpret_cast<const char*>(out.data), out.size);
  avifRWDataFree(&out);
  avifEncoderDestroy(encoder);
  avifImageDestroy(image);
  if (result != AVIF_RESULT_OK)
    throw std::runtime_error(std::string("libavif: ") + avifResultToString(result));
  return bytes;
}
