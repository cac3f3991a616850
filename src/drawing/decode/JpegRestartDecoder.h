// Splitting a JPEG at its restart markers, so that its bands can be decoded
// on several cores at once.
//
// The compressed data of a JPEG can only be read from its start, one MCU after
// the other, except where the encoder wrote restart markers (many cameras
// do): there the decoder starts afresh. A band of MCU rows that begins at such
// a marker is turned into a JPEG file of its own: the original headers with
// the frame height of the band, the band's compressed data with its markers
// numbered from 0, and an end-of-image marker. Decoded side by side, the
// bands give the picture (the rows at the seams may differ slightly in their
// colour smoothing, which upsamples within each band).
#pragma once

#include <string>
#include <vector>

struct JpegBand {
  std::string Bytes;  // a JPEG file of the band
  int Width = 0;      // the picture's width in pixels
  int FirstRow = 0;   // the band's first pixel row in the picture
  int Rows = 0;       // its height in pixels
};

// Splits into at most `parts` bands of about equal height. Returns no bands
// when the file is no single-scan sequential Huffman-coded JPEG with restart
// markers at suitable MCU rows, or when it looks damaged in any way; the caller
// then decodes the file as a whole.
std::vector<JpegBand> SplitJpegAtRestarts(const std::string& bytes, int parts);
