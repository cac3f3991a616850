#include "core/publish/JpegSegments.h"

#include <cstring>

#include "core/pictures/formats/Jpeg.h"

namespace {

// True when the payload starts with the identifier (its bytes, and the
// terminating zero when withZero).
bool StartsWith(ByteReader payload, const char* identifier, bool withZero) {
  const std::size_t n = std::strlen(identifier) + (withZero ? 1 : 0);
  const unsigned char* at = payload.At(0, n);
  return at != nullptr && std::memcmp(at, identifier, n) == 0;
}

bool KeptForDisplay(unsigned char code, ByteReader payload) {
  if (code == jpeg::App0) return StartsWith(payload, jpeg::JfifIdentifier, true);
  if (code == jpeg::App2) return StartsWith(payload, jpeg::IccIdentifier, true);
  if (code == jpeg::App14) return StartsWith(payload, jpeg::AdobeIdentifier, false);
  if ((code >= jpeg::App0 && code <= jpeg::App15) || code == jpeg::Com) return false;
  return true;  // tables, frame and scan headers, restart interval, ...
}

bool IsIccSegment(unsigned char code, ByteReader payload) {
  return code == jpeg::App2 && StartsWith(payload, jpeg::IccIdentifier, true);
}

// Walks the file's markers as a decoder does and copies the segments that
// keep() accepts; with withImage the compressed data of every scan is
// copied too and the walk goes on to the end of the image, else it stops
// at the first scan.
template <class Keep>
std::string CopySegments(ByteReader file, Keep keep, bool withImage) {
  const std::size_t n = file.Size();
  std::string out;
  if (file.U8(0) != jpeg::MarkerPrefix || file.U8(1) != jpeg::Soi) return out;
  const char* bytes = reinterpret_cast<const char*>(file.Data());
  if (withImage) out.append(bytes, 2);
  auto endImage = [&] {
    if (withImage) out += "\xFF\xD9";
  };
  std::size_t pos = 2;
  while (pos < n) {
    if (file.U8(pos) != jpeg::MarkerPrefix) {  // stray bytes between segments
      ++pos;
      continue;
    }
    std::size_t codeAt = pos + 1;
    while (codeAt < n && file.U8(codeAt) == jpeg::MarkerPrefix) ++codeAt;  // fill bytes
    if (codeAt >= n) break;
    const unsigned char code = file.U8(codeAt);
    const std::size_t markerAt = codeAt - 1;
    pos = codeAt + 1;
    if (code == jpeg::Eoi) break;
    if (code == jpeg::StuffedZero || code == jpeg::Soi) continue;
    if (code == jpeg::Tem || (code >= jpeg::Rst0 && code <= jpeg::Rst7)) {
      if (withImage) out.append(bytes + markerAt, 2);
      continue;
    }
    if (!file.Has(pos, jpeg::Segment::LengthSize)) break;
    const std::size_t length = file.U16BigEndian(pos);
    const std::size_t end = std::min(n, pos + std::max<std::size_t>(length, 2));
    const ByteReader payload = file.Part(pos + 2, end - (pos + 2));
    if (keep(code, payload)) out.append(bytes + markerAt, end - markerAt);
    pos = end;
    if (code != jpeg::Sos) continue;
    if (!withImage) return out;
    // The scan's compressed data runs to the next marker other than a
    // stuffed zero or a restart marker.
    const std::size_t dataAt = pos;
    while (pos < n) {
      if (file.U8(pos) != jpeg::MarkerPrefix) {
        ++pos;
        continue;
      }
      const unsigned char next = file.U8(pos + 1);
      if (pos + 1 < n &&
          (next == jpeg::StuffedZero || (next >= jpeg::Rst0 && next <= jpeg::Rst7))) {
        pos += 2;
        continue;
      }
      break;
    }
    out.append(bytes + dataAt, pos - dataAt);
  }
  endImage();
  return out;
}

}  // namespace

std::string JpegWithoutMetadata(ByteReader file) {
  return CopySegments(file, KeptForDisplay, true);
}

std::string JpegIccSegments(ByteReader file) {
  return CopySegments(file, IsIccSegment, false);
}

std::string InsertJpegSegments(const std::string& jpeg, const std::string& segments) {
  const ByteReader file(jpeg);
  std::size_t at = 2;  // after the start-of-image marker
  if (file.U8(at) == jpeg::MarkerPrefix && file.U8(at + 1) == jpeg::App0 &&
      StartsWith(file.Part(at + 4, file.Size() - std::min(file.Size(), at + 4)),
                 jpeg::JfifIdentifier, true))
    at = std::min(jpeg.size(), at + 2 + file.U16BigEndian(at + 2));
  return jpeg.substr(0, at) + segments + jpeg.substr(at);
}
