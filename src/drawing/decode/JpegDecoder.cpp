#include "drawing/decode/JpegDecoder.h"

#include <QTransform>
#include <QtGlobal>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "core/pictures/LibjpegErrors.h"
#include "core/pictures/formats/ByteReader.h"
#include "core/pictures/formats/Exif.h"
#include "drawing/decode/JpegRestartDecoder.h"

#include <jerror.h>

namespace {

// The largest picture decoded at all (full-scale pixels): larger ones would
// take seconds of decoding even at 1/8 scale. Such sizes only come from damaged
// or hostile headers.
constexpr qint64 MaxFullPixels = qint64(1) << 30;
// The largest decoded image (pixels, 4 bytes each).
constexpr qint64 MaxOutputPixels = qint64(1) << 28;
// The decoder's working memory (coefficient buffers of progressive pictures).
constexpr long MaxDecoderMemory = 1024L * 1024L * 1024L;
// Files with restart markers are decoded in at most this many bands.
constexpr unsigned MaxBands = 4;
// Grayscale pictures and pictures on screens of 8 bits or fewer are reduced to
// this many colours.
constexpr int PaletteColors = 236;

enum class OutputKind {
  Bgrx,     // 4 bytes a pixel, straight into a Format_RGB32 image
  Indexed,  // 1 byte a pixel (palette index), colour map from the quantiser
  Cmyk,     // 4 bytes a pixel C, M, Y, K; converted to RGB afterwards
};

// Everything the stages share. Plain data only: it is written between setjmp
// and longjmp and read afterwards, so it lives outside the stages' frames.
struct Session {
  jpeg_decompress_struct Info;
  LibjpegErrors Errors;  // a decoder error jumps back to the stage that called it
  bool Created;
  OutputKind Kind;
  bool InvertedCmyk;
  int FullWidth;
  int FullHeight;
  int ScaleDenominator;
  int Colors;
  unsigned char ColorMap[3][256];
};

struct StartRequest {
  const unsigned char* Data;
  unsigned long Size;
  int MinimumWidth;  // 0: full scale
  int MinimumHeight;
  int Denominator;  // the DCT scale to use; 0: chosen from the minimum size
  bool Quantize;
};

int ScaledSize(int size, int denominator) {
  return (size + denominator - 1) / denominator;
}

int ChooseDenominator(int width, int height, int minimumWidth, int minimumHeight) {
  if (minimumWidth <= 0 || minimumHeight <= 0) return 1;
  int chosen = 1;
  for (int denominator : {2, 4, 8}) {
    if (ScaledSize(width, denominator) < minimumWidth ||
        ScaledSize(height, denominator) < minimumHeight)
      break;
    chosen = denominator;
  }
  return chosen;
}

// Stage 1: header, settings, start of decompression. Returns false on a
// decoder error (code in session->Errors.Code).
bool StartDecoding(Session* session, const StartRequest* request) {
  jpeg_decompress_struct* info = &session->Info;
  info->err = UseLibjpegErrors(session->Errors);
  if (setjmp(session->Errors.Exit)) return false;

  jpeg_create_decompress(info);
  session->Created = true;
  info->mem->max_memory_to_use = MaxDecoderMemory;
  jpeg_mem_src(info, request->Data, request->Size);
  if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK) ERREXIT(info, JERR_NO_IMAGE);

  session->FullWidth = static_cast<int>(info->image_width);
  session->FullHeight = static_cast<int>(info->image_height);
  if (qint64(info->image_width) * info->image_height > MaxFullPixels)
    ERREXIT1(info, JERR_IMAGE_TOO_BIG, JPEG_MAX_DIMENSION);

  session->ScaleDenominator =
      request->Denominator != 0 ? request->Denominator
                                : ChooseDenominator(session->FullWidth, session->FullHeight,
                                                    request->MinimumWidth, request->MinimumHeight);
  info->scale_num = 1;
  info->scale_denom = static_cast<unsigned int>(session->ScaleDenominator);
  info->dct_method = JDCT_ISLOW;
  info->do_block_smoothing = TRUE;
  info->do_fancy_upsampling = TRUE;

  switch (info->jpeg_color_space) {
    case JCS_GRAYSCALE:
      info->out_color_space = JCS_GRAYSCALE;
      info->quantize_colors = TRUE;
      info->desired_number_of_colors = PaletteColors;
      session->Kind = OutputKind::Indexed;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      info->out_color_space = JCS_CMYK;
      session->Kind = OutputKind::Cmyk;
      session->InvertedCmyk = info->saw_Adobe_marker;
      break;
    default:
      if (request->Quantize) {
        info->out_color_space = JCS_RGB;
        info->quantize_colors = TRUE;
        info->desired_number_of_colors = PaletteColors;
        session->Kind = OutputKind::Indexed;
      } else {
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        info->out_color_space = JCS_EXT_BGRX;
#else
        info->out_color_space = JCS_EXT_XRGB;
#endif
        session->Kind = OutputKind::Bgrx;
      }
      break;
  }

  jpeg_calc_output_dimensions(info);
  if (qint64(info->output_width) * info->output_height > MaxOutputPixels)
    ERREXIT(info, JERR_OUT_OF_MEMORY);
  jpeg_start_decompress(info);
  return true;
}

// Stage 2: all scanlines into the caller's buffer, then the colour map.
bool ReadScanlines(Session* session, unsigned char* bits, qsizetype bytesPerLine) {
  jpeg_decompress_struct* info = &session->Info;
  if (setjmp(session->Errors.Exit)) return false;

  constexpr int RowsAtOnce = 16;
  JSAMPROW rows[RowsAtOnce];
  while (info->output_scanline < info->output_height) {
    const JDIMENSION first = info->output_scanline;
    const JDIMENSION count = std::min<JDIMENSION>(RowsAtOnce, info->output_height - first);
    for (JDIMENSION i = 0; i < count; ++i) rows[i] = bits + (first + i) * bytesPerLine;
    if (jpeg_read_scanlines(info, rows, count) == 0) break;  // cannot happen with a memory source
  }
  if (session->Kind == OutputKind::Indexed && info->colormap != nullptr) {
    session->Colors = std::clamp(info->actual_number_of_colors, 0, 256);
    const int components = info->out_color_components;
    for (int c = 0; c < 3; ++c) {
      const JSAMPROW row = info->colormap[components == 3 ? c : 0];
      for (int i = 0; i < session->Colors; ++i) session->ColorMap[c][i] = row[i];
    }
  }
  return true;
}

void ConvertCmykInPlace(QImage& image, bool inverted) {
  for (int y = 0; y < image.height(); ++y) {
    unsigned char* p = image.scanLine(y);
    auto* out = reinterpret_cast<QRgb*>(p);
    for (int x = 0; x < image.width(); ++x, p += 4) {
      int c = p[0], m = p[1], ye = p[2], k = p[3];
      if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        ye = 255 - ye;
        k = 255 - k;
      }
      out[x] = qRgb(c * k / 255, m * k / 255, ye * k / 255);
    }
  }
}

}  // namespace

int JpegScaleDenominator(QSize fullSize, QSize minimumSize) {
  if (!minimumSize.isValid() || minimumSize.isEmpty()) return 1;
  return ChooseDenominator(fullSize.width(), fullSize.height(), minimumSize.width(),
                           minimumSize.height());
}

namespace {

// The whole file in one pass.
JpegDecodeResult DecodeWhole(const std::string& bytes, const JpegDecodeOptions& options,
                             int denominator) {
  JpegDecodeResult result;
  // Value-initialised: the stages rely on zeroed plain data.
  auto session = std::make_unique<Session>();
  StartRequest request{};
  request.Data = reinterpret_cast<const unsigned char*>(bytes.data());
  request.Size = static_cast<unsigned long>(bytes.size());
  if (options.MinimumSize.isValid() && !options.MinimumSize.isEmpty()) {
    request.MinimumWidth = options.MinimumSize.width();
    request.MinimumHeight = options.MinimumSize.height();
  }
  request.Denominator = denominator;
  request.Quantize = options.QuantizeColors;

  bool ok = StartDecoding(session.get(), &request);
  if (session->FullWidth > 0 && session->FullHeight > 0)
    result.FullSize = QSize(session->FullWidth, session->FullHeight);
  QImage image;
  if (ok) {
    const int width = static_cast<int>(session->Info.output_width);
    const int height = static_cast<int>(session->Info.output_height);
    image = QImage(
        width, height,
        session->Kind == OutputKind::Indexed ? QImage::Format_Indexed8 : QImage::Format_RGB32);
    if (image.isNull()) {
      session->Errors.Code = JERR_OUT_OF_MEMORY;
      ok = false;
    } else {
      ok = ReadScanlines(session.get(), image.bits(), image.bytesPerLine());
    }
  }
  if (session->Created) jpeg_destroy_decompress(&session->Info);
  if (!ok) {
    result.ErrorCode = session->Errors.Code != 0 ? session->Errors.Code : JERR_NO_IMAGE;
    return result;
  }

  switch (session->Kind) {
    case OutputKind::Bgrx:
      break;
    case OutputKind::Indexed: {
      QList<QRgb> table(session->Colors);
      for (int i = 0; i < session->Colors; ++i)
        table[i] = qRgb(session->ColorMap[0][i], session->ColorMap[1][i], session->ColorMap[2][i]);
      if (table.isEmpty()) table.append(qRgb(0, 0, 0));
      image.setColorTable(table);
      image = image.convertToFormat(QImage::Format_RGB32);
      break;
    }
    case OutputKind::Cmyk:
      ConvertCmykInPlace(image, session->InvertedCmyk);
      break;
  }
  result.Image = std::move(image);
  result.ScaleDenominator = session->ScaleDenominator;
  return result;
}

// The bands of a file with restart markers, decoded side by side and joined.
// A null image when any band fails: the caller then decodes the whole file.
JpegDecodeResult DecodeBands(const std::vector<JpegBand>& bands, const JpegDecodeOptions& options) {
  JpegDecodeResult result;
  const JpegBand& last = bands.back();
  const QSize picture(last.Width, last.FirstRow + last.Rows);
  const int denominator = JpegScaleDenominator(picture, options.MinimumSize);

  std::vector<JpegDecodeResult> decoded(bands.size());
  std::vector<std::thread> workers;
  for (std::size_t i = 1; i < bands.size(); ++i)
    workers.emplace_back(
        [&, i] { decoded[i] = DecodeWhole(bands[i].Bytes, options, denominator); });
  decoded[0] = DecodeWhole(bands[0].Bytes, options, denominator);
  for (std::thread& worker : workers) worker.join();

  int height = 0;
  for (const JpegDecodeResult& band : decoded) {
    if (band.Image.isNull() || band.Image.format() != QImage::Format_RGB32 ||
        band.Image.width() != decoded[0].Image.width())
      return result;
    height += band.Image.height();
  }
  QImage image(decoded[0].Image.width(), height, QImage::Format_RGB32);
  if (image.isNull()) return result;
  int row = 0;
  for (const JpegDecodeResult& band : decoded) {
    for (int y = 0; y < band.Image.height(); ++y, ++row)
      std::memcpy(image.scanLine(row), band.Image.constScanLine(y), std::size_t(image.width()) * 4);
  }
  result.Image = std::move(image);
  result.FullSize = picture;
  result.ScaleDenominator = denominator;
  return result;
}

// Decodes the stored pixels, not turned.
JpegDecodeResult DecodeStored(const std::string& bytes, const JpegDecodeOptions& options) {
  // Several cores decode the bands between restart markers side by side. The
  // colour quantiser needs the whole picture for its palette.
  const unsigned cores = std::thread::hardware_concurrency();
  if (options.UseThreads && !options.QuantizeColors && cores >= 2 &&
      bytes.size() >= JpegMinBandedBytes) {
    const std::vector<JpegBand> bands = SplitJpegAtRestarts(bytes, int(std::min(cores, MaxBands)));
    if (bands.size() >= 2) {
      JpegDecodeResult result = DecodeBands(bands, options);
      if (!result.Image.isNull()) return result;
    }
  }
  return DecodeWhole(bytes, options, 0);
}

}  // namespace

QImage UprightImage(const QImage& stored, int orientation) {
  if (stored.isNull()) return stored;
  // Exact turns by whole quarters (no smoothing); QTransform's y axis points
  // down, so positive angles turn clockwise.
  const auto turned = [&stored](int degrees) {
    return stored.transformed(QTransform().rotate(degrees), Qt::FastTransformation);
  };
  switch (orientation) {
    case exif::Mirrored:
      return stored.mirrored(true, false);
    case exif::UpsideDown:
      return stored.mirrored(true, true);
    case exif::Flipped:
      return stored.mirrored(false, true);
    case exif::Transposed:
      return turned(90).mirrored(true, false);
    case exif::Clockwise:
      return turned(90);
    case exif::Transversed:
      return turned(90).mirrored(false, true);
    case exif::Anticlockwise:
      return turned(270);
    default:
      return stored;
  }
}

JpegDecodeResult DecodeJpegImage(const std::string& bytes, const JpegDecodeOptions& options) {
  if (bytes.empty()) return {};
  const int orientation =
      options.Upright ? exif::JpegOrientation(ByteReader(bytes)) : exif::Upright;
  if (orientation == exif::Upright) return DecodeStored(bytes, options);
  // The reduced scale is chosen for the stored picture.
  JpegDecodeOptions stored = options;
  if (exif::SwapsWidthAndHeight(orientation)) stored.MinimumSize.transpose();
  JpegDecodeResult result = DecodeStored(bytes, stored);
  if (result.Image.isNull()) return result;
  result.Image = UprightImage(result.Image, orientation);
  if (exif::SwapsWidthAndHeight(orientation)) result.FullSize.transpose();
  result.Orientation = orientation;
  return result;
}

QImage DecodeJpeg(const std::string& bytes, QSize target, bool smooth) {
  const bool scaled = target.isValid() && !target.isEmpty();
  JpegDecodeOptions options;
  if (scaled) options.MinimumSize = target;
  JpegDecodeResult decoded = DecodeJpegImage(bytes, options);
  if (decoded.Image.isNull() || !scaled || decoded.Image.size() == target) return decoded.Image;
  return decoded.Image.scaled(target, Qt::IgnoreAspectRatio,
                              smooth ? Qt::SmoothTransformation : Qt::FastTransformation);
}
