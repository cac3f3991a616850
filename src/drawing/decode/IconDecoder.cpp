#include "drawing/decode/IconDecoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <tuple>
#include <vector>

#include "core/pictures/formats/Bmp.h"
#include "core/pictures/formats/ByteReader.h"
#include "core/pictures/formats/Ico.h"

namespace {

using ico::Directory;
using ico::Entry;

struct Candidate {
  int Index;
  int SizeDifference;
  int ColorDifference;
};

// The colour depth of an image: from its directory entry, else from the
// image data (PNG or a DIB info header), else from the entry's colour count.
int EntryBits(const ByteReader& file, const ByteReader& entry) {
  int bits = entry.U16(Entry::BitCountAt);
  if (bits != 0) return bits;
  const std::uint32_t offset = entry.U32(Entry::OffsetAt);
  // Enough for the PNG signature and for the info header's bit count.
  const ByteReader image = file.Part(offset, bmp::InfoHeader::BitCountAt + 2);
  if (image.Size() != 0) {
    if (std::equal(std::begin(ico::PngSignature), std::end(ico::PngSignature), image.Data()))
      return 32;
    return image.U16(bmp::InfoHeader::BitCountAt);
  }
  switch (entry.U8(Entry::ColourCountAt)) {
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
  if (bytes.size() < Directory::Size || !iconSize.isValid() || iconSize.isEmpty()) return {};
  const ByteReader file(bytes);
  const std::size_t count = std::min<std::size_t>(file.U16(Directory::CountAt),
                                                  (bytes.size() - Directory::Size) / Entry::Size);

  std::vector<Candidate> candidates;
  for (std::size_t i = 0; i < count; ++i) {
    const ByteReader entry = file.Part(Directory::Size + i * Entry::Size, Entry::Size);
    const int width = entry.U8(Entry::WidthAt) == 0 ? ico::LargestSize : entry.U8(Entry::WidthAt);
    const int height =
        entry.U8(Entry::HeightAt) == 0 ? ico::LargestSize : entry.U8(Entry::HeightAt);
    // An image that would start beyond the end of the file cannot be read.
    if (entry.U32(Entry::OffsetAt) >= bytes.size()) continue;
    const int bits = EntryBits(file, entry);
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
