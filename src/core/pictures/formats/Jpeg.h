// JPEG files: markers and the segment fields read outside libjpeg. Unlike
// the Windows formats these numbers are big-endian (ByteReader's
// U16BigEndian). Segment offsets count from the first byte after the
// segment's length.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jpeg {

// Every marker is 0xFF followed by its code; further 0xFF bytes before the
// code are fill bytes, and 0xFF 0x00 in compressed data is a 0xFF data byte.
constexpr unsigned char MarkerPrefix = 0xFF;
constexpr unsigned char StuffedZero = 0x00;

// Marker codes.
constexpr unsigned char Tem = 0x01;            // no length
constexpr unsigned char SofBaseline = 0xC0;    // frame header, sequential Huffman
constexpr unsigned char SofExtended = 0xC1;    // frame header, extended sequential Huffman
constexpr unsigned char SofFirstOther = 0xC2;  // ... SofLastOther: other codings
constexpr unsigned char Dht = 0xC4;            // Huffman tables, in the frame-header range
constexpr unsigned char Jpg = 0xC8;            // reserved, in the frame-header range
constexpr unsigned char SofLastOther = 0xCF;
constexpr unsigned char Rst0 = 0xD0;  // restart markers 0 to 7, no length
constexpr unsigned char Rst7 = 0xD7;
constexpr unsigned char Soi = 0xD8;  // start of image, no length
constexpr unsigned char Eoi = 0xD9;  // end of image, no length
constexpr unsigned char Sos = 0xDA;  // start of scan
constexpr unsigned char Dri = 0xDD;  // restart interval
constexpr int RestartMarkers = 8;

// Application segments 0 to 15 and the comment segment. APP0 holds the
// JFIF header, APP1 the EXIF block (see Exif.h) or XMP, APP2 the ICC colour
// profile (in parts), APP13 Photoshop's IPTC data, APP14 the Adobe segment
// that tells how the colour components are coded.
constexpr unsigned char App0 = 0xE0;
constexpr unsigned char App1 = 0xE1;
constexpr unsigned char App2 = 0xE2;
constexpr unsigned char App14 = 0xEE;
constexpr unsigned char App15 = 0xEF;
constexpr unsigned char Com = 0xFE;

// What the kept application segments start with (payload offset 0).
constexpr char JfifIdentifier[] = "JFIF";        // with its terminating zero: 5 bytes
constexpr char IccIdentifier[] = "ICC_PROFILE";  // with its zero: 12 bytes
constexpr char AdobeIdentifier[] = "Adobe";      // 5 bytes, no zero

// A segment: marker, then a u16 length that counts itself but not the marker.
struct Segment {
  static constexpr std::size_t CodeAt = 1;
  static constexpr std::size_t LengthAt = 2;
  static constexpr std::size_t DataAt = 4;
  static constexpr std::size_t LengthSize = 2;
};

// Frame header (SOFn).
struct Frame {
  // 0: u8 sample precision.
  static constexpr std::size_t HeightAt = 1;      // u16
  static constexpr std::size_t WidthAt = 3;       // u16
  static constexpr std::size_t ComponentsAt = 5;  // u8
  static constexpr std::size_t FixedSize = 6;
  // Then per component: identifier, sampling factors (horizontal << 4 |
  // vertical), quantisation table.
  static constexpr std::size_t ComponentSize = 3;
  static constexpr std::size_t SamplingInComponent = 1;
};

// Restart interval (DRI): MCUs between restart markers.
struct RestartInterval {
  static constexpr std::size_t IntervalAt = 0;  // u16
  static constexpr std::size_t Size = 2;
};

// Scan header (SOS).
struct Scan {
  static constexpr std::size_t ComponentsAt = 0;  // u8
};

}  // namespace jpeg
