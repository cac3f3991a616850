// Measuring a picture for the album page: its size in screen pixels and its
// orientation, read from the file's headers alone.
#pragma once

#include <string>

#include "core/pictures/PictureKind.h"

struct PictureProbe {
  int ProbeWidth = 0;
  int ProbeHeight = 0;
  bool Landscape = true;  // width not less than height (square and 0 x 0 included)
};

// Measures fileName (absolute, or relative to dir; a bare name is looked up
// in dir ignoring letter case) as a load of it would, with the same checks
// and the same errors, but reading only the headers. On success: a picture
// whose width and height are both positive gives that size, any other gives
// 0 x 0; Landscape is false only when the height exceeds the width. The size
// is the one shown upright: a JPEG whose EXIF orientation is 5 to 8 gives
// its stored height as the width and its stored width as the height. On
// failure the error passes on and probe keeps its previous values. The
// extension names a kind of the registry or, with allKinds, of all picture
// kinds; those are measured as browsers show them (a HEIF or AVIF picture
// turned by its rotation, a PNG or TIFF by its EXIF orientation), reading
// at most MeasuringBudget bytes of the file.
void ProbePicture(PictureProbe& probe, const std::string& dir, const std::string& fileName,
                  const ScreenMetrics& screen, bool allKinds = false);
