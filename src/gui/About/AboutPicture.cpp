#include "gui/About/AboutPicture.h"

#include <string>

#include "drawing/decode/JpegDecoder.h"
#include "gui/About/AboutPictureData.h"

QImage AboutPicture() {
  const std::string bytes(reinterpret_cast<const char*>(AboutPictureJpeg), AboutPictureJpegSize);
  return DecodeJpeg(bytes, QSize());
}
