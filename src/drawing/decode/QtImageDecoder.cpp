#include "drawing/decode/QtImageDecoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QColorSpace>
#include <QImageReader>

#include <cstring>
#include <string_view>
#include <utility>

#include "core/pictures/formats/ByteReader.h"
#include "core/pictures/formats/Exif.h"
#include "drawing/decode/JpegDecoder.h"

namespace {

// PNG: an 8-byte signature, then chunks of a big-endian u32 data length, a
// 4-letter type, the data and a 4-byte CRC.
namespace png {
constexpr unsigned char Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t FirstChunkAt = 8;
struct Chunk {
  static constexpr std::size_t LengthAt = 0;
  static constexpr std::size_t TypeAt = 4;
  static constexpr std::size_t DataAt = 8;
  static constexpr std::size_t CrcSize = 4;
};
}  // namespace png

bool IsChunk(const ByteReader& file, std::size_t at, const char (&type)[5]) {
  const unsigned char* bytes = file.At(at + png::Chunk::TypeAt, 4);
  return bytes != nullptr && std::memcmp(bytes, type, 4) == 0;
}

// True when the file starts as files of the format do: Qt would otherwise
// pick the reader by the content, and a GIF named .png would be drawn.
bool StartsAs(const std::string& bytes, QtImageFormat format) {
  const auto startsWith = [&bytes](std::string_view prefix, std::size_t at = 0) {
    return bytes.size() >= at + prefix.size() && bytes.compare(at, prefix.size(), prefix) == 0;
  };
  using namespace std::string_view_literals;
  switch (format) {
    case QtImageFormat::Png:
      return startsWith("\x89PNG\r\n\x1A\n"sv);
    case QtImageFormat::Gif:
      return startsWith("GIF87a"sv) || startsWith("GIF89a"sv);
    case QtImageFormat::Tiff:
      return startsWith("II*\0"sv) || startsWith("MM\0*"sv) || startsWith("II+\0"sv) ||
             startsWith("MM\0+"sv);
    case QtImageFormat::WebP:
      return startsWith("RIFF"sv) && startsWith("WEBP"sv, 8);
  }
  return false;
}

const char* FormatName(QtImageFormat format) {
  switch (format) {
    case QtImageFormat::Png:
      return "png";
    case QtImageFormat::Gif:
      return "gif";
    case QtImageFormat::Tiff:
      return "tiff";
    case QtImageFormat::WebP:
      return "webp";
  }
  return "";
}

}  // namespace

int PngOrientation(const std::string& bytes) {
  const ByteReader file(bytes);
  const unsigned char* signature = file.At(0, sizeof png::Signature);
  if (signature == nullptr || std::memcmp(signature, png::Signature, sizeof png::Signature) != 0)
    return exif::Upright;
  std::size_t at = png::FirstChunkAt;
  while (file.Has(at, png::Chunk::DataAt)) {
    if (IsChunk(file, at, "IDAT") || IsChunk(file, at, "IEND")) break;
    const std::size_t length = file.U32BigEndian(at + png::Chunk::LengthAt);
    const std::size_t dataAt = at + png::Chunk::DataAt;
    if (!file.Has(dataAt, length)) break;
    if (IsChunk(file, at, "eXIf")) {
      // The chunk holds the TIFF structure alone; the EXIF reader expects it
      // after the identifier an APP1 segment starts with.
      std::string payload(exif::Identifier, exif::Identifier + exif::Payload::IdentifierSize);
      payload.resize(exif::Payload::TiffAt, '\0');
      payload.append(reinterpret_cast<const char*>(file.At(dataAt, length)), length);
      return exif::ExifOrientation(ByteReader(payload));
    }
    at = dataAt + length + png::Chunk::CrcSize;  // no overflow: the data lies inside the file
  }
  return exif::Upright;
}

DecodedImage DecodeQtImage(const std::string& bytes, QtImageFormat format,
                           const ImageDecodeOptions& options) {
  DecodedImage result;
  if (!StartsAs(bytes, format)) return result;
  if (CancelRequested(options)) {
    result.Cancelled = true;
    return result;
  }
  QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  if (!buffer.open(QIODevice::ReadOnly)) return result;
  QImageReader reader(&buffer, FormatName(format));
  reader.setDecideFormatFromContent(false);
  reader.setAutoTransform(format == QtImageFormat::Tiff);
  // The size the header claims is checked before anything is allocated.
  const QSize claimed = reader.size();
  if (!DecodableSize(claimed.width(), claimed.height())) return result;
  QImage image;
  if (!reader.read(&image) || !DecodableSize(image.width(), image.height())) return result;
  if (format == QtImageFormat::Png) image = UprightImage(image, PngOrientation(bytes));
  if (image.colorSpace().isValid()) result.IccProfile = image.colorSpace().iccProfile();
  result.Image = FinishedImage(std::move(image), options);
  return result;
}
