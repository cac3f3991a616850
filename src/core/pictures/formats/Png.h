// PNG files: the signature, then chunks of a u32 data length, a 4-letter
// type, the data and a CRC-32 of type and data. Numbers are big-endian
// (ByteReader's U32BigEndian). The first chunk is the header (IHDR); an
// eXIf chunk, when there is one before the pixel data (IDAT), holds a TIFF
// structure as an EXIF block does, without the "Exif" identifier.
#pragma once

#include <cstddef>
#include <cstdint>

namespace png {

constexpr unsigned char Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t SignatureSize = 8;

// A chunk; offsets from its first byte.
struct Chunk {
  static constexpr std::size_t LengthAt = 0;  // u32, bytes of data
  static constexpr std::size_t TypeAt = 4;    // 4 letters
  static constexpr std::size_t DataAt = 8;
  static constexpr std::size_t HeaderSize = 8;
  static constexpr std::size_t CrcSize = 4;  // after the data
};
// PNG's u32 numbers (chunk lengths, width and height) stay below 2^31.
constexpr std::uint32_t MaxNumber = 0x7FFFFFFF;

// The header chunk's data (IHDR, 13 bytes), right after the signature.
struct Header {
  static constexpr std::size_t ChunkAt = SignatureSize;
  static constexpr std::uint32_t Length = 13;
  static constexpr std::size_t WidthAt = 0;         // u32, 1 to 2^31 - 1
  static constexpr std::size_t HeightAt = 4;        // u32, 1 to 2^31 - 1
  static constexpr std::size_t BitDepthAt = 8;      // u8
  static constexpr std::size_t ColourTypeAt = 9;    // u8
  static constexpr std::size_t CompressionAt = 10;  // u8, 0
  static constexpr std::size_t FilterAt = 11;       // u8, 0
  static constexpr std::size_t InterlaceAt = 12;    // u8, 0 or 1
  // Signature, chunk header, data and CRC: what every PNG file starts with.
  static constexpr std::size_t FileBytes =
      SignatureSize + Chunk::HeaderSize + Length + Chunk::CrcSize;
};

// Colour types and the bit depths each allows.
constexpr std::uint8_t Greyscale = 0;        // 1, 2, 4, 8, 16
constexpr std::uint8_t Truecolour = 2;       // 8, 16
constexpr std::uint8_t Indexed = 3;          // 1, 2, 4, 8
constexpr std::uint8_t GreyscaleAlpha = 4;   // 8, 16
constexpr std::uint8_t TruecolourAlpha = 6;  // 8, 16

// Chunk types as big-endian u32 numbers.
constexpr std::uint32_t ChunkType(const char (&name)[5]) {
  return std::uint32_t(std::uint8_t(name[0])) << 24 | std::uint32_t(std::uint8_t(name[1])) << 16 |
         std::uint32_t(std::uint8_t(name[2])) << 8 | std::uint32_t(std::uint8_t(name[3]));
}
constexpr std::uint32_t Ihdr = ChunkType("IHDR");
constexpr std::uint32_t Idat = ChunkType("IDAT");
constexpr std::uint32_t Iend = ChunkType("IEND");
constexpr std::uint32_t Exif = ChunkType("eXIf");

// The CRC-32 of PNG chunks (and of zlib and Ethernet): reflected
// polynomial 0xEDB88320, starting from and finishing with all bits set.
// Continue a CRC over more bytes by passing the previous result.
inline std::uint32_t Crc32(const unsigned char* bytes, std::size_t n, std::uint32_t crc = 0) {
  crc = ~crc;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

}  // namespace png
