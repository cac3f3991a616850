#include "core/pictures/formats/Exif.h"

#include <algorithm>

#include "core/pictures/formats/Jpeg.h"

namespace exif {

int ExifOrientation(ByteReader app1Payload) {
  return FindOrientation(app1Payload).Value;
}

int JpegOrientation(ByteReader file) {
  const std::size_t n = file.Size();
  if (file.U8(0) != jpeg::MarkerPrefix || file.U8(1) != jpeg::Soi) return Upright;
  std::size_t pos = 2;
  while (pos < n) {
    // As the decoder does: bytes before a marker prefix are passed over, so
    // are fill bytes after it, and 0xFF 0x00 is no marker.
    if (file.U8(pos) != jpeg::MarkerPrefix) {
      ++pos;
      continue;
    }
    std::size_t codeAt = pos + 1;
    while (codeAt < n && file.U8(codeAt) == jpeg::MarkerPrefix) ++codeAt;
    if (codeAt >= n) break;
    const unsigned char code = file.U8(codeAt);
    pos = codeAt + 1;
    if (code == jpeg::StuffedZero || code == jpeg::Tem ||
        (code >= jpeg::Rst0 && code <= jpeg::Rst7))
      continue;  // no length follows
    if (code == jpeg::Soi || code == jpeg::Eoi || code == jpeg::Sos) break;
    if (!file.Has(pos, jpeg::Segment::LengthSize)) break;
    const std::size_t length = file.U16BigEndian(pos);
    const std::size_t dataAt = pos + jpeg::Segment::LengthSize;
    const std::size_t dataSize =
        length > jpeg::Segment::LengthSize ? length - jpeg::Segment::LengthSize : 0;
    if (code == jpeg::App1) {
      // A segment cut by the end of the file is read as far as it goes.
      ByteReader payload = file.Part(dataAt, std::min(dataSize, n - dataAt));
      const OrientationEntry entry = FindOrientation(payload);
      if (entry.Found) return entry.Value;
    }
    pos = dataAt + dataSize;
  }
  return Upright;
}

}  // namespace exif
