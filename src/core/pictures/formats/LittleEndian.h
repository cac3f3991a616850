// Little-endian fields of the picture file headers.
#pragma once

#include <cstddef>
#include <cstdint>

inline std::uint16_t ReadU16(const unsigned char* p, std::size_t offset) {
  return static_cast<std::uint16_t>(p[offset] | (p[offset + 1] << 8));
}

inline std::int16_t ReadI16(const unsigned char* p, std::size_t offset) {
  return static_cast<std::int16_t>(ReadU16(p, offset));
}

inline std::uint32_t ReadU32(const unsigned char* p, std::size_t offset) {
  return static_cast<std::uint32_t>(p[offset]) | (static_cast<std::uint32_t>(p[offset + 1]) << 8) |
         (static_cast<std::uint32_t>(p[offset + 2]) << 16) |
         (static_cast<std::uint32_t>(p[offset + 3]) << 24);
}

inline std::int32_t ReadI32(const unsigned char* p, std::size_t offset) {
  return static_cast<std::int32_t>(ReadU32(p, offset));
}
