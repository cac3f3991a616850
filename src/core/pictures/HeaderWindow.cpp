#include "core/pictures/HeaderWindow.h"

#include <algorithm>

ByteReader HeaderWindow::Read(std::uint64_t offset, std::size_t n) {
  const std::uint64_t size = Source.Size();
  if (offset >= size) return ByteReader();
  const std::size_t available = static_cast<std::size_t>(std::min<std::uint64_t>(n, size - offset));
  // Served from the window when it holds all of what the file has there.
  if (Bytes && offset >= Start && offset - Start <= Length &&
      available <= Length - (offset - Start))
    return ByteReader(Bytes + (offset - Start), available);

  const std::size_t fetch =
      static_cast<std::size_t>(std::min<std::uint64_t>(std::max(n, ChunkSize), size - offset));
  if (fetch > MeasuringBudget - std::min(Fetched, MeasuringBudget)) {
    BudgetExceeded = true;
    return ByteReader();
  }
  Fetched += fetch;
  if (const unsigned char* contents = Source.Contents()) {
    Bytes = contents + offset;
  } else {
    Buffer.resize(fetch);
    Source.ReadExact(offset, Buffer.data(), fetch);
    Bytes = reinterpret_cast<const unsigned char*>(Buffer.data());
  }
  Start = offset;
  Length = fetch;
  return ByteReader(Bytes, available);
}
