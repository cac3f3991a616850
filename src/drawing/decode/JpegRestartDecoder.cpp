#include "drawing/decode/JpegRestartDecoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/pictures/formats/ByteReader.h"
#include "core/pictures/formats/Jpeg.h"

namespace {

// What splitting needs to know from the headers.
struct Layout {
  std::size_t HeightAt = 0;  // offset of the frame header's 16-bit height
  int Width = 0;
  int Height = 0;
  int McuWidth = 8;
  int McuHeight = 8;
  unsigned RestartInterval = 0;  // MCUs between restart markers, 0: none
  std::size_t DataStart = 0;     // first byte of the compressed data
};

// A frame header other than the two sequential Huffman-coded ones: progressive,
// lossless, hierarchical or arithmetic coding.
bool OtherFrame(unsigned char marker) {
  return marker >= jpeg::SofFirstOther && marker <= jpeg::SofLastOther && marker != jpeg::Dht &&
         marker != jpeg::Jpg;
}

// Reads the segments from the start of the file to the start-of-scan header.
bool ReadLayout(const ByteReader& file, Layout& layout) {
  using jpeg::Frame;
  using jpeg::Segment;
  const std::size_t n = file.Size();
  if (n < 4 || file.U8(0) != jpeg::MarkerPrefix || file.U8(1) != jpeg::Soi) return false;
  std::size_t pos = 2;
  int components = 0;
  while (pos + Segment::DataAt <= n) {
    if (file.U8(pos) != jpeg::MarkerPrefix) return false;
    const unsigned char marker = file.U8(pos + Segment::CodeAt);
    if (marker == jpeg::MarkerPrefix) {  // fill byte
      ++pos;
      continue;
    }
    if (marker == jpeg::Tem || (marker >= jpeg::Rst0 && marker <= jpeg::Soi)) {  // no length
      pos += 2;
      continue;
    }
    if (marker == jpeg::Eoi || OtherFrame(marker)) return false;
    const std::size_t length = file.U16BigEndian(pos + Segment::LengthAt);
    if (length < Segment::LengthSize || length > n - pos - 2) return false;
    const std::size_t dataAt = pos + Segment::DataAt;
    const ByteReader segment = file.Part(dataAt, length - Segment::LengthSize);
    const std::size_t size = segment.Size();
    if (marker == jpeg::SofBaseline || marker == jpeg::SofExtended) {
      if (components != 0 || size < Frame::FixedSize) return false;
      layout.HeightAt = dataAt + Frame::HeightAt;
      layout.Height = segment.U16BigEndian(Frame::HeightAt);
      layout.Width = segment.U16BigEndian(Frame::WidthAt);
      components = segment.U8(Frame::ComponentsAt);
      if (components < 1 || components > 4 ||
          size < Frame::FixedSize + Frame::ComponentSize * std::size_t(components))
        return false;
      int hMax = 1, vMax = 1;
      for (int c = 0; c < components; ++c) {
        const std::uint8_t sampling =
            segment.U8(Frame::FixedSize + Frame::ComponentSize * c + Frame::SamplingInComponent);
        const int h = sampling >> 4;
        const int v = sampling & 15;
        if (h < 1 || h > 4 || v < 1 || v > 4) return false;
        hMax = std::max(hMax, h);
        vMax = std::max(vMax, v);
      }
      // A single-component scan has one block per MCU.
      layout.McuWidth = components > 1 ? 8 * hMax : 8;
      layout.McuHeight = components > 1 ? 8 * vMax : 8;
    } else if (marker == jpeg::Dri) {
      if (size < jpeg::RestartInterval::Size) return false;
      layout.RestartInterval = segment.U16BigEndian(jpeg::RestartInterval::IntervalAt);
    } else if (marker == jpeg::Sos) {
      if (components == 0 || size < 1 || segment.U8(jpeg::Scan::ComponentsAt) != components)
        return false;
      layout.DataStart = pos + 2 + length;
      return layout.Width > 0 && layout.Height > 0;
    }
    pos += 2 + length;
  }
  return false;
}

// Positions of the restart markers of the compressed data, numbered 0 to 7 in
// turn, and where the data ends (the end-of-image marker or the file's end).
// False for anything else in the data: another scan, a marker out of turn.
bool FindRestarts(const unsigned char* d, std::size_t n, std::size_t start,
                  std::vector<std::size_t>& restarts, std::size_t& end) {
  std::size_t i = start;
  end = n;
  while (i < n) {
    const void* found = std::memchr(d + i, jpeg::MarkerPrefix, n - i);
    if (found == nullptr) return true;
    i = std::size_t(static_cast<const unsigned char*>(found) - d);
    if (i + 1 >= n) return true;
    const unsigned char next = d[i + 1];
    if (next == jpeg::StuffedZero) {  // a 0xFF data byte
      i += 2;
    } else if (next == jpeg::MarkerPrefix) {  // fill byte
      ++i;
    } else if (next >= jpeg::Rst0 && next <= jpeg::Rst7) {
      if (next - jpeg::Rst0 != int(restarts.size() % jpeg::RestartMarkers)) return false;
      restarts.push_back(i);
      i += 2;
    } else if (next == jpeg::Eoi) {
      end = i;
      return true;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

std::vector<JpegBand> SplitJpegAtRestarts(const std::string& bytes, int parts) {
  const auto* d = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  Layout layout;
  if (parts < 2 || !ReadLayout(ByteReader(bytes), layout) || layout.RestartInterval == 0) return {};
  const long long mcusPerRow = (layout.Width + layout.McuWidth - 1) / layout.McuWidth;
  const long long mcuRows = (layout.Height + layout.McuHeight - 1) / layout.McuHeight;
  const long long interval = layout.RestartInterval;
  const long long intervals = (mcusPerRow * mcuRows + interval - 1) / interval;
  if (mcuRows < parts) return {};

  std::vector<std::size_t> restarts;
  std::size_t end = n;
  if (!FindRestarts(d, n, layout.DataStart, restarts, end)) return {};
  if (static_cast<long long>(restarts.size()) != intervals - 1) return {};

  // Band boundaries: MCU rows that start a restart interval, near equal parts.
  std::vector<long long> rows = {0};
  for (int p = 1; p < parts; ++p) {
    const long long wanted = mcuRows * p / parts;
    for (long long delta = 0; delta < mcuRows; ++delta) {
      bool found = false;
      for (long long row : {wanted - delta, wanted + delta}) {
        if (row > rows.back() && row < mcuRows && (row * mcusPerRow) % interval == 0) {
          rows.push_back(row);
          found = true;
          break;
        }
      }
      if (found) break;
    }
  }
  rows.push_back(mcuRows);
  if (rows.size() < 3) return {};

  std::vector<JpegBand> bands;
  const std::string headers = bytes.substr(0, layout.DataStart);
  for (std::size_t b = 0; b + 1 < rows.size(); ++b) {
    const long long first = rows[b] * mcusPerRow / interval;  // interval that starts the band
    const long long last = b + 2 == rows.size() ? intervals : rows[b + 1] * mcusPerRow / interval;
    const std::size_t from = first == 0 ? layout.DataStart : restarts[std::size_t(first - 1)] + 2;
    const std::size_t to = last == intervals ? end : restarts[std::size_t(last - 1)];
    const int firstRow = int(rows[b] * layout.McuHeight);
    const int height = std::min<int>(layout.Height, int(rows[b + 1] * layout.McuHeight)) - firstRow;

    JpegBand band;
    band.Width = layout.Width;
    band.FirstRow = firstRow;
    band.Rows = height;
    band.Bytes.reserve(headers.size() + (to - from) + 2);
    band.Bytes = headers;
    band.Bytes[layout.HeightAt] = char(height >> 8);
    band.Bytes[layout.HeightAt + 1] = char(height & 0xFF);
    const std::size_t dataAt = band.Bytes.size();
    band.Bytes.append(bytes, from, to - from);
    // The band's restart markers count from 0.
    for (long long k = first; k + 1 < last; ++k) {
      const std::size_t at = dataAt + (restarts[std::size_t(k)] - from) + 1;
      band.Bytes[at] = char(jpeg::Rst0 + (k - first) % jpeg::RestartMarkers);
    }
    band.Bytes += "\xFF\xD9";
    bands.push_back(std::move(band));
  }
  return bands;
}
