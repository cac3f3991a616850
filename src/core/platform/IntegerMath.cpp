#include "core/platform/IntegerMath.h"

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const std::int64_t product = std::int64_t{a} * b;
  const std::int64_t divisor = c;
  const bool negative = (product < 0) != (divisor < 0);
  const std::uint64_t magnitude =
      (static_cast<std::uint64_t>(product < 0 ? -product : product) +
       static_cast<std::uint64_t>(divisor < 0 ? -divisor : divisor) / 2) /
      static_cast<std::uint64_t>(divisor < 0 ? -divisor : divisor);
  if (magnitude > static_cast<std::uint64_t>(INT32_MAX)) return -1;
  const auto result = static_cast<std::int64_t>(magnitude);
  return static_cast<int>(negative ? -result : result);
}

int MulDiv64(std::int64_t a, std::int64_t b, std::int64_t c) {
  auto fits = [](std::int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; };
  if (!fits(a) || !fits(b) || !fits(c)) return -1;
  return MulDiv(static_cast<int>(a), static_cast<int>(b), static_cast<int>(c));
}
