#include "drawing/decode/IconDecoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <tuple>
#include <vector>

namespace {

// Icon directory, little-endian:
//   0  2  reserved
//   2  2  type (1 icon, 2 cursor)
//   4  2  number of images
//   6     one 16-byte entry per image:
//         0  1  width (0 means 256)
//         1  1  height (0 means 256)
//         2  1  colour count (0 for 256 or more)
//         3  1  reserved
//         4  2  planes
//         6  2  bits per pixel (may be 0)
//         8  4  size of the image data
//        12  4  offset of the image data from the start of the file
// The image data is a PNG file or a bitmap info header (height doubled for the
// AND mask) with colour table, colour bits and mask bits.
constexpr std::size_t kDirectorySize = 6;
constexpr std::size_t kEntrySize = 16;

std::uint32_t U32(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}
std::uint16_t U16(const unsigned char* p) {
  return std::uint16_t(p[0] | p[1] << 8);
}

struct Candidate {
  int Index;
  int SizeDifference;
  int ColorDifference;
};

int EntryBits(const unsigned char* data, std::size_t size, const unsigned char* entry) {
  int bits = U16(entry + 6);
  if (bits != 0) return bits;
  const std::uint32_t offset = U32(entry + 12);
  if (offset < size && size - offset >= 16) {
    static const unsigned char kPng[4] = {0x89, 'P', 'N', 'G'};
    if (std::equal(kPng, kPng + 4, data + offset)) return 32;
    return U16(data + offset + 14);
  }
  switch (entry[2]) {
    case 2:
      return 1;
    case 16:
      return 4;
    default:
      return 8;
  }
}

}  // namespace

QImage DecodeIcon(const std::string& bytes, QSize iconSize, int screenBits) {
  if (bytes.size() < kDirectorySize || !iconSize.isValid() || iconSize.isEmpty()) return {};
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t count =
      std::min<std::size_t>(U16(data + 4), (bytes.size() - kDirectorySize) / kEntrySize);

  std::vector<Candidate> candidates;
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char* entry = data + kDirectorySize + i * kEntrySize;
    const int width = entry[0] == 0 ? 256 : entry[0];
    const int height = entry[1] == 0 ? 256 : entry[1];
    // An image that would start beyond the end of the file cannot be read.
    if (U32(entry + 12) >= bytes.size()) continue;
    const int bits = EntryBits(data, bytes.size(), entry);
    candidates.push_back({static_cast<int>(i),
                          std::abs(width - iconSize.width()) + std::abs(height - iconSize.height()),
                          std::abs(bits - screenBits)});
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) {
                     return std::tie(a.SizeDifference, a.ColorDifference) <
                            std::tie(b.SizeDifference, b.ColorDifference);
                   });

  QByteArray raw = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
  for (const Candidate& candidate : candidates) {
    QBuffer buffer(&raw);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    if (!reader.jumpToImage(candidate.Index)) continue;
    QImage image = reader.read();
    if (image.isNull()) continue;
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.size() == iconSize) return image;
    const bool enlarging = image.width() <= iconSize.width() && image.height() <= iconSize.height();
    return image.scaled(iconSize, Qt::IgnoreAspectRatio,
                        enlarging ? Qt::FastTransformation : Qt::SmoothTransformation);
  }
  return {};
}
