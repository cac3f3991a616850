// Decoder and encoder errors leave by longjmp (LibjpegErrors.h) back to the
// functions that hold the setjmp point (ReadFrame, RunTranscode); these have
// no local objects with destructors, and everything they fill lives in the
// caller's frame, which releases it whether or not the library failed.
#include "core/publish/JpegWebCopy.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <jerror.h>
#include <turbojpeg.h>

#include "core/pictures/LibjpegErrors.h"
#include "core/pictures/formats/ByteReader.h"
#include "core/pictures/formats/Exif.h"
#include "core/platform/Errors.h"
#include "core/publish/JpegSegments.h"
#include "core/publish/Resample.h"

WebCopySize FitWithin(int width, int height, int maxSize) {
  if (maxSize <= 0 || (width <= maxSize && height <= maxSize)) return {width, height};
  auto shortSide = [maxSize](int side, int longSide) {
    const long long scaled =
        (static_cast<long long>(side) * maxSize * 2 + longSide) / (2LL * longSide);
    return static_cast<int>(std::max(1LL, scaled));
  };
  if (width >= height) return {maxSize, shortSide(height, width)};
  return {shortSide(width, height), maxSize};
}

namespace {

constexpr int ScaleDenominator = 8;
constexpr unsigned MaxIccBytes = 0xFFFF;  // what jpeg_save_markers keeps of a segment

// A header may claim up to 65535 x 65535 pixels in a few hundred bytes. The
// decoded pixels (or a lossless turn's coefficients, about as many bytes)
// of one copy stay within this, so that several workers keep publishing
// within a few hundred megabytes; only a picture kept at its full size and
// turned can need that much (a 58 MP one).
constexpr std::uint64_t MostWorkingBytes = 176u << 20;
// Larger than any camera's pictures; even shrunk at 1/8, decoding more
// would take long for nothing.
constexpr std::uint64_t MostPixels = std::uint64_t{1} << 28;

// RGB bytes of a w x h image.
std::uint64_t RgbBytes(int width, int height) {
  return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 3;
}

// The stored size and colour space from the file's headers.
struct Frame {
  int Width = 0;
  int Height = 0;
  J_COLOR_SPACE Space = JCS_UNKNOWN;
};

struct HeaderRead {
  jpeg_decompress_struct Info;
  LibjpegErrors Errors;
  bool Created;
  Frame Result;
};

bool ReadFrame(HeaderRead& h, const unsigned char* data, unsigned long size) {
  h.Info.err = UseLibjpegErrors(h.Errors);
  if (setjmp(h.Errors.Exit)) return false;
  jpeg_create_decompress(&h.Info);
  h.Created = true;
  jpeg_mem_src(&h.Info, data, size);
  jpeg_read_header(&h.Info, TRUE);
  h.Result.Width = static_cast<int>(h.Info.image_width);
  h.Result.Height = static_cast<int>(h.Info.image_height);
  h.Result.Space = h.Info.jpeg_color_space;
  return true;
}

Frame StoredFrame(const std::string& file) {
  HeaderRead h{};
  const bool ok = ReadFrame(h, reinterpret_cast<const unsigned char*>(file.data()), file.size());
  if (h.Created) jpeg_destroy_decompress(&h.Info);
  if (!ok) throw EJPEG(h.Errors.Code);
  return h.Result;
}

// The colour space the pixels are decoded to and encoded from: the coded
// one where the encoder takes it as it is (no conversion either way).
J_COLOR_SPACE WorkingSpace(J_COLOR_SPACE coded) {
  switch (coded) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
      return coded;
    case JCS_CMYK:
    case JCS_YCCK:
      return JCS_CMYK;  // encoded as YCCK with an Adobe segment, as Photoshop writes it
    default:
      return JCS_RGB;
  }
}

// What a decode-and-encode works with. The buffers are the caller's.
struct Transcode {
  jpeg_decompress_struct In;
  jpeg_compress_struct Out;
  LibjpegErrors Errors;
  bool InCreated;
  bool OutCreated;
  const unsigned char* Data;
  unsigned long Size;
  int ScaleNumerator;
  int TargetWidth;  // stored orientation
  int TargetHeight;
  int Orientation;
  JOCTET* Icc;  // malloc'ed by libjpeg
  unsigned IccSize;
  unsigned char* Encoded;  // malloc'ed by libjpeg
  unsigned long EncodedSize;
};

struct TranscodeBuffers {
  explicit TranscodeBuffers(JpegCopyBuffers& kept)
      : Decoded(kept.Decoded), Image(kept.Image), Row(kept.Row) {}
  std::vector<std::uint8_t>& Decoded;  // a band of decoded rows, when shrinking
  std::vector<std::uint8_t>& Image;    // the fitted image, stored orientation
  std::vector<std::uint8_t>& Row;      // one upright row
  std::vector<JSAMPROW> RowPointers;
  std::unique_ptr<Resampler> Shrink;
};

bool RunTranscode(Transcode& t, TranscodeBuffers& b) {
  t.In.err = UseLibjpegErrors(t.Errors);
  t.Out.err = &t.Errors.Manager;
  if (setjmp(t.Errors.Exit)) return false;
  jpeg_create_decompress(&t.In);
  t.InCreated = true;
  jpeg_mem_src(&t.In, t.Data, t.Size);
  jpeg_save_markers(&t.In, JPEG_APP0 + 2, MaxIccBytes);
  jpeg_read_header(&t.In, TRUE);
  if (!jpeg_read_icc_profile(&t.In, &t.Icc, &t.IccSize)) t.Icc = nullptr;
  t.In.scale_num = static_cast<unsigned>(t.ScaleNumerator);
  t.In.scale_denom = ScaleDenominator;
  const J_COLOR_SPACE space = WorkingSpace(t.In.jpeg_color_space);
  t.In.out_color_space = space;
  jpeg_start_decompress(&t.In);

  const int width = static_cast<int>(t.In.output_width);
  const int height = static_cast<int>(t.In.output_height);
  const int channels = t.In.output_components;
  const std::size_t targetRow = static_cast<std::size_t>(t.TargetWidth) * channels;
  b.Image.resize(targetRow * t.TargetHeight);
  const bool shrink = width != t.TargetWidth || height != t.TargetHeight;
  const int band = t.In.rec_outbuf_height;
  b.RowPointers.resize(band);
  if (shrink) {
    b.Shrink = std::make_unique<Resampler>(width, height, channels, t.TargetWidth, t.TargetHeight,
                                           b.Image.data());
    const std::size_t decodedRow = static_cast<std::size_t>(width) * channels;
    b.Decoded.resize(decodedRow * band);
    for (int i = 0; i < band; ++i) b.RowPointers[i] = b.Decoded.data() + decodedRow * i;
  }
  while (t.In.output_scanline < t.In.output_height) {
    const JDIMENSION y = t.In.output_scanline;
    if (!shrink)
      for (int i = 0; i < band; ++i)
        b.RowPointers[i] = b.Image.data() + targetRow * std::min<JDIMENSION>(y + i, height - 1);
    const JDIMENSION got = jpeg_read_scanlines(&t.In, b.RowPointers.data(), band);
    if (shrink)
      for (JDIMENSION i = 0; i < got; ++i) b.Shrink->AddRow(b.RowPointers[i]);
  }
  jpeg_abort_decompress(&t.In);  // what follows the last row is not needed

  const bool swapped = exif::SwapsWidthAndHeight(t.Orientation);
  jpeg_create_compress(&t.Out);
  t.OutCreated = true;
  jpeg_mem_dest(&t.Out, &t.Encoded, &t.EncodedSize);
  t.Out.image_width = static_cast<JDIMENSION>(swapped ? t.TargetHeight : t.TargetWidth);
  t.Out.image_height = static_cast<JDIMENSION>(swapped ? t.TargetWidth : t.TargetHeight);
  t.Out.input_components = channels;
  t.Out.in_color_space = space;
  jpeg_set_defaults(&t.Out);
  jpeg_set_quality(&t.Out, WebCopyQuality, TRUE);
  jpeg_start_compress(&t.Out, TRUE);
  if (t.Icc) jpeg_write_icc_profile(&t.Out, t.Icc, t.IccSize);
  b.Row.resize(static_cast<std::size_t>(t.Out.image_width) * channels);
  while (t.Out.next_scanline < t.Out.image_height) {
    const int y = static_cast<int>(t.Out.next_scanline);
    JSAMPROW row = b.Row.data();
    if (t.Orientation == exif::Upright)
      row = b.Image.data() + targetRow * y;
    else
      UprightRow(b.Image.data(), t.TargetWidth, t.TargetHeight, channels, t.Orientation, y,
                 b.Row.data());
    jpeg_write_scanlines(&t.Out, &row, 1);
  }
  jpeg_finish_compress(&t.Out);
  return true;
}

// The smallest M whose M/8 scale still gives at least the target size (the
// decoder rounds scaled sizes up).
int ScaleNumeratorFor(const Frame& frame, int targetWidth, int targetHeight) {
  for (int m = 1; m < ScaleDenominator; ++m) {
    const long long w =
        (static_cast<long long>(frame.Width) * m + ScaleDenominator - 1) / ScaleDenominator;
    const long long h =
        (static_cast<long long>(frame.Height) * m + ScaleDenominator - 1) / ScaleDenominator;
    if (w >= targetWidth && h >= targetHeight) return m;
  }
  return ScaleDenominator;
}

// Releases what libjpeg made for a transcode, however it ended.
class TranscodeRelease {
 public:
  explicit TranscodeRelease(Transcode& t) : T(t) {}
  ~TranscodeRelease() {
    if (T.InCreated) jpeg_destroy_decompress(&T.In);
    if (T.OutCreated) jpeg_destroy_compress(&T.Out);
    std::free(T.Icc);
    std::free(T.Encoded);
  }
  TranscodeRelease(const TranscodeRelease&) = delete;
  TranscodeRelease& operator=(const TranscodeRelease&) = delete;

 private:
  Transcode& T;
};

std::string DecodeAndEncode(const std::string& file, const Frame& frame, int targetWidth,
                            int targetHeight, int orientation, JpegCopyBuffers& kept) {
  Transcode t{};
  const TranscodeRelease release(t);
  t.Data = reinterpret_cast<const unsigned char*>(file.data());
  t.Size = file.size();
  t.ScaleNumerator = ScaleNumeratorFor(frame, targetWidth, targetHeight);
  t.TargetWidth = targetWidth;
  t.TargetHeight = targetHeight;
  t.Orientation = orientation;
  if (RgbBytes(targetWidth, targetHeight) > MostWorkingBytes) throw EJPEG(JERR_IMAGE_TOO_BIG);
  TranscodeBuffers buffers(kept);
  if (!RunTranscode(t, buffers)) throw EJPEG(t.Errors.Code);
  return std::string(reinterpret_cast<const char*>(t.Encoded), t.EncodedSize);
}

// TurboJPEG's transform that turns a picture of the orientation upright.
int UprightTransform(int orientation) {
  switch (orientation) {
    case 2:
      return TJXOP_HFLIP;
    case 3:
      return TJXOP_ROT180;
    case 4:
      return TJXOP_VFLIP;
    case 5:
      return TJXOP_TRANSPOSE;
    case 6:
      return TJXOP_ROT90;
    case 7:
      return TJXOP_TRANSVERSE;
    case 8:
      return TJXOP_ROT270;
    default:
      return TJXOP_NONE;
  }
}

// The picture turned upright without decoding, no marker copied; false
// when the transform is not perfect (partial MCU blocks at an edge that
// would move) or fails.
bool TurnLosslessly(const std::string& file, int orientation, std::string& turned) {
  const tjhandle handle = tjInitTransform();
  if (!handle) return false;
  tjtransform transform{};
  transform.op = UprightTransform(orientation);
  transform.options = TJXOPT_PERFECT | TJXOPT_COPYNONE;
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  const int status = tjTransform(handle, reinterpret_cast<const unsigned char*>(file.data()),
                                 file.size(), 1, &out, &outSize, &transform, 0);
  if (status == 0 && out) turned.assign(reinterpret_cast<const char*>(out), outSize);
  tjFree(out);
  tjDestroy(handle);
  return status == 0 && !turned.empty();
}

}  // namespace

JpegWebCopy MakeJpegWebCopy(const std::string& file, int maxSize) {
  JpegCopyBuffers buffers;
  return MakeJpegWebCopy(file, maxSize, buffers);
}

JpegWebCopy MakeJpegWebCopy(const std::string& file, int maxSize, JpegCopyBuffers& buffers) {
  const ByteReader bytes(file);
  const Frame frame = StoredFrame(file);
  const int orientation = exif::JpegOrientation(bytes);
  const bool swapped = exif::SwapsWidthAndHeight(orientation);
  const int uprightWidth = swapped ? frame.Height : frame.Width;
  const int uprightHeight = swapped ? frame.Width : frame.Height;
  const WebCopySize fitted = FitWithin(uprightWidth, uprightHeight, maxSize);
  const bool keepsSize = fitted.Width == uprightWidth && fitted.Height == uprightHeight;

  JpegWebCopy copy;
  copy.Width = fitted.Width;
  copy.Height = fitted.Height;
  if (keepsSize && orientation == exif::Upright) {
    copy.Way = JpegCopyWay::Segments;
    copy.Bytes = JpegWithoutMetadata(bytes);
    return copy;
  }
  if (static_cast<std::uint64_t>(frame.Width) * static_cast<std::uint64_t>(frame.Height) >
      MostPixels)
    throw EJPEG(JERR_IMAGE_TOO_BIG);
  std::string turned;
  if (keepsSize && RgbBytes(frame.Width, frame.Height) <= MostWorkingBytes &&
      TurnLosslessly(file, orientation, turned)) {
    copy.Way = JpegCopyWay::LosslessTurn;
    copy.Bytes = InsertJpegSegments(turned, JpegIccSegments(bytes));
    return copy;
  }
  copy.Way = JpegCopyWay::Encoded;
  copy.Bytes = DecodeAndEncode(file, frame, swapped ? fitted.Height : fitted.Width,
                               swapped ? fitted.Width : fitted.Height, orientation, buffers);
  return copy;
}
