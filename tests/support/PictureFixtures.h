// Picture files made on the spot for tests and benchmarks: JPEGs from
// libjpeg's compressor, bitmaps, icons and metafiles byte by byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

struct jpeg_compress_struct;

// A w x h JPEG from libjpeg's compressor: components 1 (grey), 3 (RGB) or 4
// (CMYK), fill writes row y. settings changes the compressor after its
// defaults and the quality; afterStart writes markers before the pixels.
std::string EncodeJpegRows(int w, int h, int components, int quality,
                           const std::function<void(int y, unsigned char* row)>& fill,
                           const std::function<void(jpeg_compress_struct&)>& settings = {},
                           const std::function<void(jpeg_compress_struct&)>& afterStart = {});

// A w x h JPEG of a smooth pattern with some texture. With exifBytes > 0 an
// APP1 "Exif" segment of that many bytes (at most 65533) follows the
// start-of-image marker, in place of the JFIF segment, as cameras write it.
std::string MakeJpeg(int w, int h, int quality = 75, std::size_t exifBytes = 0,
                     bool grayscale = false, bool progressive = false);

// The JPEG with an APP1 segment right after its start-of-image marker that
// holds an EXIF block as cameras write it: "Exif\0\0", the TIFF header
// ("MM" order when bigEndian), IFD0 with a Make entry and an Orientation
// entry (none for orientation 0), the Make text, then filler up to `size`
// bytes. A cutTo other than 0 ends the segment after that many bytes.
std::string WithExif(const std::string& jpeg, int orientation, bool bigEndian = false,
                     std::size_t size = 0, std::size_t cutTo = 0);

// A w x h JPEG in four quadrants: red top left, green top right, blue bottom
// left, white bottom right, so a copy shows which way it was turned.
std::string MakeQuadrantJpeg(int w, int h, int quality = 90);

// The JPEG with a camera's EXIF block in an APP1 segment right after its
// start-of-image marker (little-endian TIFF): IFD0 with Make, Model, the
// Orientation (none for 0), pointers to an EXIF directory holding the body
// serial number and to a GPS directory holding latitude and longitude, and,
// when a thumbnail is given, IFD1 with that JPEG embedded.
std::string WithCameraExif(const std::string& jpeg, int orientation,
                           const std::string& thumbnail = std::string());

// A made-up ICC profile of n bytes (at least 128): the header's size field
// and "acsp" signature, then a pattern.
std::string MakeIccProfile(std::size_t n);
// The JPEG with the profile in APP2 "ICC_PROFILE" segments (as many as it
// needs) right after its start-of-image marker.
std::string WithIccProfile(const std::string& jpeg, const std::string& profile);

// Every field of a bitmap file that the tests vary.
struct BmpFields {
  std::int32_t Width = 4;
  std::int32_t Height = 3;  // negative: rows stored top-down
  std::uint16_t BitsPerPixel = 24;
  std::uint16_t Planes = 1;
  std::uint32_t Compression = 0;
  std::uint32_t HeaderSize = 40;  // 12: core header; 40 or more: info header
  std::uint32_t ColoursUsed = 0;
  bool WithPixels = true;  // false: the file ends after the colour table
};
std::string MakeBmp(const BmpFields& fields);
std::string MakeBmp(int w, int h, int bpp = 24, bool topDown = false);

// A 16 x 16 icon file with one 32-bit image; type 1 is an icon, 2 a cursor.
std::string MakeIcon(std::uint16_t type = 1);

// A placeable Windows metafile whose records set the window to the bounding
// box and draw a rectangle across it.
std::string MakePlaceableWmf(int left, int top, int right, int bottom, unsigned unitsPerInch);
// The same records without the placeable header.
std::string MakeNonPlaceableWmf();

// An enhanced metafile: header, one rectangle record, end-of-file record.
// The frame is in hundredths of a millimetre; the reference device is
// given in pixels and millimetres.
struct EmfFields {
  std::int32_t FrameLeft = 0;
  std::int32_t FrameTop = 0;
  std::int32_t FrameRight = 2540;  // one inch
  std::int32_t FrameBottom = 1270;
  std::int32_t DevicePixelsX = 960;
  std::int32_t DevicePixelsY = 960;
  std::int32_t DeviceMillimetresX = 254;
  std::int32_t DeviceMillimetresY = 254;
};
std::string MakeEmf(const EmfFields& fields = EmfFields());

// Byte offsets of enhanced metafile header fields that tests change.
inline constexpr std::size_t EmfTotalBytesOffset = 48;

// Overwrites a little-endian field of bytes at offset.
void PutU16(std::string& bytes, std::size_t offset, std::uint16_t value);
void PutU32(std::string& bytes, std::size_t offset, std::uint32_t value);
