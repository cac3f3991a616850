#include "gui/about/AboutPicture.h"

#include <string>

#include "drawing/decode/JpegDecoder.h"
#include "gui/about/AboutPictureData.h"

QImage AboutPicture() {
  const std::string bytes(reinterpret_cast<const char*>(AboutPictureJpeg), AboutPictureJpegSize);
  return DecodeJpeg(bytes, QSize());
}
