// Shrinking and turning 8-bit images held as interleaved samples (1, 3 or
// 4 per pixel): the pixel work of the web copies, on the decoder's rows.
#pragma once

#include <cstdint>
#include <vector>

// A separable Catmull-Rom shrink, fed row by row as a decoder hands the
// rows over. Each input row is first filtered across (to the output width,
// kept with 6 bits more than 8 and the negative lobes unclipped); the
// output rows are filtered down from a ring of the last few such rows as
// soon as their rows have all come, so memory stays at the output image
// plus a few rows. The filter is stretched by the shrink factor (its
// support is 2 input pixels times the factor), weights are fixed-point
// with 14 bits and, at the edges, only the taps inside the image count
// (renormalised). Enlarging works too (the filter then keeps its own
// width), though the web copies never enlarge.
class Resampler {
 public:
  // out receives outWidth x outHeight pixels, rows top to bottom, tightly
  // packed; it must hold outWidth * outHeight * channels bytes.
  Resampler(int inWidth, int inHeight, int channels, int outWidth, int outHeight,
            std::uint8_t* out);

  // The next input row (inWidth * channels samples). Rows past inHeight are
  // ignored.
  void AddRow(const std::uint8_t* row);

  // True once every output row has been written.
  bool Finished() const { return NextOutputRow == OutHeight; }

 private:
  // For each output position: the first input position, the number of taps
  // and their weights (Count of them from Weights[Start]).
  struct Taps {
    std::vector<int> First;
    std::vector<int> Count;
    std::vector<int> WeightsAt;
    std::vector<std::int32_t> Weights;
    int MostTaps = 0;
  };
  static Taps MakeTaps(int inSize, int outSize);
  void FilterAcross(const std::uint8_t* row, std::int16_t* into) const;
  void WriteOutputRows();

  int InHeight, Channels, OutWidth, OutHeight;
  std::uint8_t* Out;
  Taps Across, Down;
  // The rows filtered across, row r at slot r % RingRows.
  int RingRows = 0;
  std::vector<std::int16_t> Ring;
  std::vector<std::int32_t> Sums;
  int RowsIn = 0;
  int NextOutputRow = 0;
};

// The pixel that an EXIF orientation (1 to 8) puts at the upright position
// (x, y): the stored column and row, for a stored image of storedWidth x
// storedHeight. Orientations 5 to 8 show the stored width as the height.
struct StoredPosition {
  int X;
  int Y;
};
StoredPosition StoredPixelOf(int orientation, int x, int y, int storedWidth, int storedHeight);

// Row y of the upright image (its width is storedHeight for orientations 5
// to 8, else storedWidth) gathered from the stored image into row.
void UprightRow(const std::uint8_t* stored, int storedWidth, int storedHeight, int channels,
                int orientation, int y, std::uint8_t* row);
