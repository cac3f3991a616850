#include "support/PhoneFixtures.h"

#include <avif/avif.h>
#include <libheif/heif.h>
#include <libheif/heif_properties.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <cstdint>
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

namespace {

// The four quadrants as RGB.
void QuadrantColour(int x, int y, int w, int h, unsigned char rgb[3]) {
  const bool right = x >= w / 2, bottom = y >= h / 2;
  rgb[0] = !right || bottom ? 255 : 0;
  rgb[1] = right ? 255 : 0;
  rgb[2] = bottom ? 255 : 0;
}

QImage QuadrantImage(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      unsigned char rgb[3];
      QuadrantColour(x, y, w, h, rgb);
      image.setPixel(x, y, qRgb(rgb[0], rgb[1], rgb[2]));
    }
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
  if (!writer.write(image))
    throw std::runtime_error(std::string("cannot write ") + format + ": " +
                             writer.errorString().toStdString());
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void PutBigEndian32(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(v >> shift));
}
void PutLittleEndian(std::string& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

// A TIFF structure ("II") whose IFD0 holds only the orientation.
std::string TiffWithOrientation(int orientation) {
  std::string tiff = "II*";
  tiff.push_back('\0');
  PutLittleEndian(tiff, 8, 4);       // IFD0
  PutLittleEndian(tiff, 1, 2);       // one entry
  PutLittleEndian(tiff, 0x0112, 2);  // Orientation
  PutLittleEndian(tiff, 3, 2);       // SHORT
  PutLittleEndian(tiff, 1, 4);
  PutLittleEndian(tiff, static_cast<std::uint32_t>(orientation), 4);
  PutLittleEndian(tiff, 0, 4);  // no next IFD
  return tiff;
}

// CRC-32 as PNG chunks carry it, table-driven.
std::uint32_t Crc32(const std::string& bytes) {
  static const std::vector<std::uint32_t> table = [] {
    std::vector<std::uint32_t> t(256);
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char b : bytes) crc = table[(crc ^ static_cast<unsigned char>(b)) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::string PngChunk(const std::string& type, const std::string& data) {
  std::string chunk;
  PutBigEndian32(chunk, static_cast<std::uint32_t>(data.size()));
  chunk += type + data;
  PutBigEndian32(chunk, Crc32(type + data));
  return chunk;
}

// The bits of GIF's LZW codes, least significant first, in sub-blocks.
class LzwBits {
 public:
  void Put(unsigned code, int width) {
    Pending |= code << Count;
    Count += width;
    for (; Count >= 8; Count -= 8, Pending >>= 8) Bytes.push_back(static_cast<char>(Pending));
  }
  std::string SubBlocks() {
    if (Count > 0) Bytes.push_back(static_cast<char>(Pending));
    std::string out;
    for (std::size_t i = 0; i < Bytes.size(); i += 255) {
      const std::size_t n = std::min<std::size_t>(255, Bytes.size() - i);
      out.push_back(static_cast<char>(n));
      out.append(Bytes, i, n);
    }
    out.push_back('\0');
    return out;
  }

 private:
  std::string Bytes;
  std::uint32_t Pending = 0;
  int Count = 0;
};

// x265 keeps a small buffer of every encoder to the end of the process;
// LeakSanitizer is not told about what is allocated while one lives, as
// none of it is ours.
struct X265Allocations {
#ifdef AMBRELIN_LEAK_CHECKS
  X265Allocations() {
    __lsan_disable();
  }
  ~X265Allocations() {
    __lsan_enable();
  }
#endif
};

struct HeifContext {
  X265Allocations Unchecked;
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
  static void Check(const heif_error& error) {
    if (error.code != heif_error_Ok)
      throw std::runtime_error(std::string("libheif: ") + error.message);
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
};

// A quadrant picture in libheif's form; the quadrants are those of the
// whole w x h picture, seen through the tile at (x0, y0).
heif_image* HeifImage(int tileW, int tileH, int x0 = 0, int y0 = 0, int w = 0, int h = 0) {
  if (w == 0) w = tileW, h = tileH;
  heif_image* image = nullptr;
  HeifContext::Check(
      heif_image_create(tileW, tileH, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image));
  HeifContext::Check(heif_image_add_plane(image, heif_channel_interleaved, tileW, tileH, 8));
  int stride = 0;
  std::uint8_t* pixels = heif_image_get_plane(image, heif_channel_interleaved, &stride);
  for (int y = 0; y < tileH; ++y)
    for (int x = 0; x < tileW; ++x)
      QuadrantColour(x0 + x, y0 + y, w, h, pixels + y * stride + 3 * x);
  return image;
}

}  // namespace

std::string MakePng(int w, int h, int exifOrientation) {
  const std::string png = Written(QuadrantImage(w, h), "png");
  if (exifOrientation == 0) return png;
  constexpr std::size_t afterHeader = 8 + 25;  // signature, IHDR chunk
  return png.substr(0, afterHeader) + PngChunk("eXIf", TiffWithOrientation(exifOrientation)) +
         png.substr(afterHeader);
}

std::string MakeGif(int w, int h) {
  std::string gif = "GIF89a";
  PutLittleEndian(gif, static_cast<std::uint32_t>(w), 2);
  PutLittleEndian(gif, static_cast<std::uint32_t>(h), 2);
  gif += std::string("\x81\0\0", 3);  // a global colour table of 4 entries
  gif += std::string(
      "\xFF\0\0"
      "\0\xFF\0"
      "\0\0\xFF"
      "\xFF\xFF\xFF",
      12);
  gif.push_back(',');
  PutLittleEndian(gif, 0, 4);  // left, top
  PutLittleEndian(gif, static_cast<std::uint32_t>(w), 2);
  PutLittleEndian(gif, static_cast<std::uint32_t>(h), 2);
  gif.push_back('\0');
  // LZW with 2-bit colours: 3-bit codes throughout, as a clear code (4)
  // before every second pixel keeps the code table from growing.
  gif.push_back('\x02');
  LzwBits bits;
  for (int y = 0, n = 0; y < h; ++y)
    for (int x = 0; x < w; ++x, ++n) {
      if (n % 2 == 0) bits.Put(4, 3);
      bits.Put(static_cast<unsigned>((x >= w / 2) + 2 * (y >= h / 2)), 3);
    }
  bits.Put(5, 3);  // end of information
  gif += bits.SubBlocks();
  gif.push_back(';');
  return gif;
}

std::string MakeWebP(int w, int h, WebPForm form) {
  const std::string simple =
      Written(QuadrantImage(w, h), "webp", form == WebPForm::Lossless ? 100 : 80);
  if (form != WebPForm::Extended) return simple;
  std::string extended = "VP8X";
  PutLittleEndian(extended, 10, 4);
  PutLittleEndian(extended, 0x08, 4);  // flags: an EXIF chunk follows
  PutLittleEndian(extended, static_cast<std::uint32_t>(w - 1), 3);
  PutLittleEndian(extended, static_cast<std::uint32_t>(h - 1), 3);
  extended += simple.substr(12);  // the VP8 chunk
  const std::string tiff = TiffWithOrientation(6);
  extended += "EXIF";
  PutLittleEndian(extended, static_cast<std::uint32_t>(tiff.size()), 4);
  extended += tiff;
  std::string riff = "RIFF";
  PutLittleEndian(riff, static_cast<std::uint32_t>(4 + extended.size()), 4);
  return riff + "WEBP" + extended;
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
  heif_image* image = HeifImage(w, h);
  const heif_error error =
      heif_context_encode_image(heif.Context, image, heif.Encoder, options, nullptr);
  heif_image_release(image);
  heif_encoding_options_free(options);
  HeifContext::Check(error);
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
  HeifContext::Check(added);
  for (int row = 0; row < rows; ++row)
    for (int column = 0; column < columns; ++column) {
      heif_image* part = HeifImage(tile, tile, column * tile, row * tile, w, h);
      const heif_error error =
          heif_context_add_image_tile(heif.Context, grid, static_cast<std::uint32_t>(column),
                                      static_cast<std::uint32_t>(row), part, heif.Encoder);
      heif_image_release(part);
      HeifContext::Check(error);
    }
  // The grid's own rotation, as a camera writes it (libheif's encoding
  // options would turn the tiles instead).
  if (quarterTurnsAnticlockwise != 0) {
    const std::uint8_t angle = static_cast<std::uint8_t>(quarterTurnsAnticlockwise & 3);
    HeifContext::Check(heif_item_add_raw_property(heif.Context, heif_image_handle_get_item_id(grid),
                                                  heif_fourcc('i', 'r', 'o', 't'), nullptr, &angle,
                                                  1, 1, nullptr));
  }
  heif_image* small = HeifImage(64, 48);
  heif_image_handle* thumbnail = nullptr;
  heif_error error =
      heif_context_encode_image(heif.Context, small, heif.Encoder, nullptr, &thumbnail);
  heif_image_release(small);
  HeifContext::Check(error);
  error = heif_context_assign_thumbnail(heif.Context, grid, thumbnail);
  heif_image_handle_release(thumbnail);
  HeifContext::Check(error);
  HeifContext::Check(heif_context_set_primary_image(heif.Context, grid));
  heif_image_handle_release(grid);
  return heif.Write();
}

std::string MakeAvif(int w, int h, int irot, int imir, bool grid) {
  const int cells = grid ? 2 : 1;
  std::vector<avifImage*> images;
  for (int cell = 0; cell < cells; ++cell) {
    const int cellW = w / cells;
    avifImage* image = avifImageCreate(static_cast<std::uint32_t>(cellW),
                                       static_cast<std::uint32_t>(h), 8, AVIF_PIXEL_FORMAT_YUV444);
    QImage rgba = QuadrantImage(w, h)
                      .copy(cell * cellW, 0, cellW, h)
                      .convertToFormat(QImage::Format_RGBA8888);
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, image);
    rgb.pixels = rgba.bits();
    rgb.rowBytes = static_cast<std::uint32_t>(rgba.bytesPerLine());
    avifImageRGBToYUV(image, &rgb);
    if (irot >= 0) {
      image->transformFlags |= AVIF_TRANSFORM_IROT;
      image->irot.angle = static_cast<std::uint8_t>(irot);
    }
    if (imir >= 0) {
      image->transformFlags |= AVIF_TRANSFORM_IMIR;
      image->imir.mode = static_cast<std::uint8_t>(imir);
    }
    images.push_back(image);
  }
  avifEncoder* encoder = avifEncoderCreate();
  encoder->speed = AVIF_SPEED_FASTEST;
  avifRWData out = AVIF_DATA_EMPTY;
  avifResult result =
      grid ? avifEncoderAddImageGrid(encoder, 2, 1, images.data(), AVIF_ADD_IMAGE_FLAG_SINGLE)
           : AVIF_RESULT_OK;
  if (result == AVIF_RESULT_OK)
    result = grid ? avifEncoderFinish(encoder, &out) : avifEncoderWrite(encoder, images[0], &out);
  std::string bytes(reinterpret_cast<const char*>(out.data), out.size);
  avifRWDataFree(&out);
  avifEncoderDestroy(encoder);
  for (avifImage* image : images) avifImageDestroy(image);
  if (result != AVIF_RESULT_OK)
    throw std::runtime_error(std::string("libavif: ") + avifResultToString(result));
  return bytes;
}
