// The screen values that picture sizes, drawing and window layouts depend on.
#pragma once

// Read once at start-up from the primary screen; tests set their own.
struct ScreenMetrics {
  int PixelsPerInch = 96;  // logical, vertical
  int BitsPerPixel = 24;   // bits per pixel times planes
  int IconWidth = 32;
  int IconHeight = 32;
};
