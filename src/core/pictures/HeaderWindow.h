// Reading a picture's headers piece by piece at the offsets a reader asks
// for, with a fixed budget: measuring reads at most MeasuringBudget bytes of
// a file, whatever its headers claim, and never allocates more than one
// window of it. Readers whose headers lie anywhere in the file (an ISOBMFF
// meta box behind a large media box, a TIFF directory at the end of the
// file, PNG chunks before the pixel data) walk them through one window.
//
// The window fetches ChunkSize bytes (or the size asked for, when larger)
// from the offset asked for, so neighbouring small reads cost one fetch.
// The budget counts the bytes fetched, the same way over a file read on
// demand and over one held in memory, so a load and a measurement of the
// same bytes always stop at the same place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/pictures/PictureSource.h"
#include "core/pictures/formats/ByteReader.h"

// Bytes a measurement may read of one picture file.
inline constexpr std::uint64_t MeasuringBudget = 64 * 1024;

class HeaderWindow {
 public:
  static constexpr std::size_t ChunkSize = 4096;

  explicit HeaderWindow(PictureSource& source) : Source(source) {}
  HeaderWindow(const HeaderWindow&) = delete;
  HeaderWindow& operator=(const HeaderWindow&) = delete;

  std::uint64_t FileSize() const { return Source.Size(); }

  // The n bytes at offset, as a view that stays valid until the next Read.
  // The view is shorter than n when the file ends first (empty from the end
  // on), and empty when fetching them would exceed the budget, which
  // Exhausted() then tells. A file that cannot be read raises EReadError.
  ByteReader Read(std::uint64_t offset, std::size_t n);

  // True once a Read was refused for the budget.
  bool Exhausted() const { return BudgetExceeded; }

 private:
  PictureSource& Source;
  std::string Buffer;  // the window's bytes, for a file read on demand
  const unsigned char* Bytes = nullptr;
  std::uint64_t Start = 0;    // file offset of the window's first byte
  std::size_t Length = 0;     // bytes in the window
  std::uint64_t Fetched = 0;  // bytes fetched so far, counted against the budget
  bool BudgetExceeded = false;
};
