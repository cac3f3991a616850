#include "gui/About/AboutPicture.h"

#include <string>

#include "gui/About/AboutPictureData.h"
#include "drawing/decode/JpegDecoder.h"

QImage AboutPicture() {
  const std::string bytes(reinterpret_cast<const char*>(AboutPictureJpeg), AboutPictureJpegSize);
  return DecodeJpeg(bytes, QSize());
}
