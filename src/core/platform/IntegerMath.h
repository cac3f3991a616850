// Integer scaling as the window and metafile sizes are defined by.
#pragma once

#include <cstdint>

// a * b / c with a 64-bit intermediate, rounded to the nearest integer with
// halves away from zero; -1 when c is 0 or the result does not fit 32 bits
// (as the Windows function of that name).
int MulDiv(int a, int b, int c);

// MulDiv over 64-bit values, such as differences of 32-bit fields: a value
// that does not fit the 32-bit argument counts as an overflow (-1).
int MulDiv64(std::int64_t a, std::int64_t b, std::int64_t c);
