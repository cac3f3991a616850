#include "About/AboutPicture.h"

#include <string>

#include "About/AboutPictureData.h"
#include "pictures/JpegDecoder.h"

QImage AboutPicture() {
  const std::string bytes(reinterpret_cast<const char*>(AboutPictureJpeg), AboutPictureJpegSize);
  return DecodeJpeg(bytes, QSize());
}
