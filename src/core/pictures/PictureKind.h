// The four kinds of picture the program reads, and the screen values that
// sizes and drawing depend on.
#pragma once

enum class PictureKind { Metafile, Icon, Bitmap, Jpeg };

// Read once at start-up from the primary screen; tests set their own.
struct ScreenMetrics {
  int PixelsPerInch = 96;  // logical, vertical
  int BitsPerPixel = 24;   // bits per pixel times planes
  int IconWidth = 32;
  int IconHeight = 32;
};
