// The About box picture, JPEG bytes compiled into the program (generated at
// build time by ambrelin_artwork).
#pragma once

#include <cstddef>

extern const unsigned char AboutPictureJpeg[];
extern const std::size_t AboutPictureJpegSize;
