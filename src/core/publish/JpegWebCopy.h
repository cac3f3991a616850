// The web copy of a JPEG picture: fitted within a square, upright, and
// without metadata except the ICC colour profile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A size fitted within maxSize x maxSize: unchanged when it fits (or when
// maxSize is 0), else the long side is maxSize and the short side keeps the
// proportion, rounded, at least 1. Never enlarged.
struct WebCopySize {
  int Width;
  int Height;
};
WebCopySize FitWithin(int width, int height, int maxSize);

// The default of the largest side of a published picture.
inline constexpr int DefaultPublishMaxSize = 2048;
// The largest side a JPEG may have, and so the largest maxSize that means
// anything.
inline constexpr int LargestJpegSide = 65535;

// The quality of the copies that are encoded anew.
inline constexpr int WebCopyQuality = 90;

// How a copy was made, cheapest first.
enum class JpegCopyWay {
  Segments,      // the compressed data as it was, metadata segments left out
  LosslessTurn,  // turned upright by a lossless transform of the compressed data
  Encoded,       // decoded (at a reduced DCT scale where it shrinks), shrunk, turned, encoded
};

struct JpegWebCopy {
  std::string Bytes;
  JpegCopyWay Way = JpegCopyWay::Segments;
  int Width = 0;  // the copy's size, upright
  int Height = 0;
};

// Makes the web copy of a JPEG file held in memory, following these rules:
// - its upright size (the EXIF orientation applied) is fitted within
//   maxSize x maxSize (0 keeps it);
// - a picture that keeps its size and needs no turning keeps its
//   compressed data: only the metadata segments are left out
//   (JpegWithoutMetadata);
// - one that needs turning but keeps its size is turned by TurboJPEG's
//   lossless transform (no partial MCU blocks allowed, so nothing at the
//   edges is lost), its ICC profile put back; where that transform is not
//   possible it is decoded and encoded as below at full size;
// - one that shrinks is decoded at the smallest DCT scale (M/8) whose size
//   still covers the fitted size, shrunk by a Catmull-Rom filter to exactly
//   that size, turned upright and encoded at quality 90 with the ICC
//   profile of the original and no other metadata.
// Copies have no orientation tag, so every orientation shows upright.
// A decoder or encoder failure raises EJPEG with the decoder's message code;
// warnings (a picture cut short, damaged data) leave the decoder's fill in
// the copy as a browser would show it.
JpegWebCopy MakeJpegWebCopy(const std::string& file, int maxSize);

// The memory of the pixels, kept by a caller that makes one copy after
// another (a publishing worker), so the large buffers are taken from the
// system once rather than zeroed and faulted in for every picture.
struct JpegCopyBuffers {
  std::vector<std::uint8_t> Decoded;  // a band of decoded rows
  std::vector<std::uint8_t> Image;    // the fitted image, as stored
  std::vector<std::uint8_t> Row;      // one upright row
};
JpegWebCopy MakeJpegWebCopy(const std::string& file, int maxSize, JpegCopyBuffers& buffers);
