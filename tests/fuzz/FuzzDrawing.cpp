// Fuzz target for drawing one kind of picture, along the path the
// description editor takes to show it: the core reader measures the file's
// bytes (a file it refuses is shown as an empty picture area, so nothing is
// drawn), the size is fitted into the 500 x 500 picture area, and a
// DrawnPicture draws the bytes into that rectangle; a second paint draws the
// kept image again. The image must be null or exactly the rectangle's size.
//
// The screen is a true-colour one for inputs of even length and one of 256
// colours for inputs of odd length, so that both ways of drawing (the
// palette-reducing JPEG decoder and smoothed bitmap scaling on the second)
// are reached. A JPEG file with a restart interval is padded with zero bytes
// to the size from which the decoder splits such files into bands decoded on
// several threads, so that small inputs take that path too; after the
// end-of-image marker the padding is never read.
//
// The phone and messenger kinds' decoders (libheif, libavif, Qt's readers)
// read the whole file themselves, whatever the header reader found, so an
// input of such a kind that measuring refuses or finds empty is drawn all
// the same, into a picture area of 64 x 48; a HEIF picture is also drawn
// from its thumbnail and into a small area (where its thumbnail may do).
//
// Built once per kind; AMBRELIN_FUZZ_KIND names the PictureKind.
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FuzzGui.h"
#include "FuzzSupport.h"
#include "core/editor/PicDescState.h"
#include "core/pictures/PictureReaders.h"
#include "core/pictures/PictureSource.h"
#include "core/platform/Errors.h"
#include "drawing/PictureDrawing.h"
#include "drawing/decode/JpegDecoder.h"
#include "drawing/decode/PhonePictureDecoder.h"

#ifndef AMBRELIN_FUZZ_KIND
#error "AMBRELIN_FUZZ_KIND must name the picture kind"
#endif

namespace {
constexpr PictureKind Kind = PictureKind::AMBRELIN_FUZZ_KIND;

bool HasRestartInterval(std::string_view bytes) {
  return bytes.find("\xFF\xDD") != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StartOffscreenGuiApplication();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  ScreenMetrics screen;
  screen.BitsPerPixel = size % 2 == 0 ? 24 : 8;
  if (Kind == PictureKind::Jpeg && screen.BitsPerPixel > 8 && bytes.size() < JpegMinBandedBytes &&
      HasRestartInterval(bytes))
    bytes.resize(JpegMinBandedBytes, '\0');

  PictureHeader header;
  bool measured = true;
  try {
    MemoryPictureSource source(bytes);
    header = ReadPictureHeader(Kind, source, screen);
  } catch (const Exception&) {
    measured = false;
  }
  const FittedSize fitted = FitPicture(header.Width, header.Height);
  QSize area(fitted.Width, fitted.Height);
  if (!measured || area.isEmpty()) {
    if (!IsPhonePictureKind(Kind)) return 0;  // a picture area of no size is not painted
    area = QSize(64, 48);
  }
  if (Kind == PictureKind::Heif) {
    const QImage preview = RenderPicturePreview(Kind, bytes, area);
    const QImage small = RenderPicture(Kind, bytes, QSize(12, 9), screen);
    if ((!preview.isNull() && preview.size() != area) ||
        (!small.isNull() && small.size() != QSize(12, 9)))
      PropertyBroken("an image of another size than the picture area");
  }

  DrawnPicture picture(Kind, std::move(bytes));
  const QImage& image = picture.Render(area, screen);
  if (!image.isNull() && image.size() != area)
    PropertyBroken("an image of another size than the picture area");
  QImage window(area, QImage::Format_ARGB32_Premultiplied);
  window.fill(Qt::transparent);
  QPainter painter(&window);
  picture.Draw(painter, QRect(QPoint(0, 0), area), screen);
  return 0;
}
