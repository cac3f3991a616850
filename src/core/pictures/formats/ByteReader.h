// The one reader of binary fields in picture files: a view over bytes it does
// not own, read at offsets from the view's start. Numbers are little-endian
// (every Windows header and record), with big-endian reads for the JPEG
// markers and for TIFF structures in "MM" byte order (EXIF blocks).
//
// Every read is bounds-checked: a field that does not lie wholly inside the
// view reads as 0 (At gives nullptr, Part an empty view), so a reader that
// forgets a check still never touches a byte outside the buffer. Readers
// check the sizes they rely on with Has / HasArray first all the same, and
// decide themselves what a short header means (an error, or nothing drawn).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

class ByteReader {
 public:
  ByteReader() = default;
  ByteReader(const unsigned char* data, std::size_t size)
      : Bytes(data), Length(data != nullptr ? size : 0) {}
  explicit ByteReader(const std::string& bytes)
      : ByteReader(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) {}

  std::size_t Size() const { return Length; }
  const unsigned char* Data() const { return Bytes; }

  // True when `count` bytes at `offset` lie inside the view (no overflow).
  bool Has(std::size_t offset, std::size_t count) const {
    return offset <= Length && count <= Length - offset;
  }
  // True when `count` items of `itemSize` bytes at `offset` lie inside.
  bool HasArray(std::size_t offset, std::uint64_t count, std::size_t itemSize) const {
    return offset <= Length && count <= (Length - offset) / (itemSize == 0 ? 1 : itemSize);
  }

  std::uint8_t U8(std::size_t offset) const { return Has(offset, 1) ? Bytes[offset] : 0; }
  std::uint16_t U16(std::size_t offset) const {
    if (!Has(offset, 2)) return 0;
    return static_cast<std::uint16_t>(Bytes[offset] | Bytes[offset + 1] << 8);
  }
  std::int16_t I16(std::size_t offset) const { return static_cast<std::int16_t>(U16(offset)); }
  std::uint32_t U32(std::size_t offset) const {
    if (!Has(offset, 4)) return 0;
    return std::uint32_t{Bytes[offset]} | std::uint32_t{Bytes[offset + 1]} << 8 |
           std::uint32_t{Bytes[offset + 2]} << 16 | std::uint32_t{Bytes[offset + 3]} << 24;
  }
  std::int32_t I32(std::size_t offset) const { return static_cast<std::int32_t>(U32(offset)); }
  // An IEEE single-precision number (the metafiles' transforms and angles).
  float F32(std::size_t offset) const {
    const std::uint32_t bits = U32(offset);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  // A big-endian 16-bit number (JPEG segment lengths and frame sizes).
  std::uint16_t U16BigEndian(std::size_t offset) const {
    if (!Has(offset, 2)) return 0;
    return static_cast<std::uint16_t>(Bytes[offset] << 8 | Bytes[offset + 1]);
  }
  // A big-endian 32-bit number (TIFF structures written in "MM" order).
  std::uint32_t U32BigEndian(std::size_t offset) const {
    if (!Has(offset, 4)) return 0;
    return std::uint32_t{Bytes[offset]} << 24 | std::uint32_t{Bytes[offset + 1]} << 16 |
           std::uint32_t{Bytes[offset + 2]} << 8 | std::uint32_t{Bytes[offset + 3]};
  }

  // The bytes at offset, or nullptr when `count` of them do not fit.
  const unsigned char* At(std::size_t offset, std::size_t count) const {
    return Has(offset, count) ? Bytes + offset : nullptr;
  }
  // The `count` bytes at offset as a view of their own; empty when they do
  // not fit.
  ByteReader Part(std::size_t offset, std::size_t count) const {
    return Has(offset, count) ? ByteReader(Bytes + offset, count) : ByteReader();
  }
  // Everything from offset on; empty past the end.
  ByteReader From(std::size_t offset) const {
    return offset <= Length ? ByteReader(Bytes + offset, Length - offset) : ByteReader();
  }

 private:
  const unsigned char* Bytes = nullptr;
  std::size_t Length = 0;
};
