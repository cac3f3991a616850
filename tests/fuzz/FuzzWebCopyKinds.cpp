// Fuzz target for the web copies of every kind but JPEG, as publishing
// makes them from untrusted bytes: a PNG's chunks and a GIF's blocks passed
// on without their metadata, and the copy drawn anew (decoded or played,
// fitted within 64 pixels, encoded as JPEG or PNG). Besides not crashing,
// a filtered copy starts as its kind does, and a drawn copy is either
// refused with EInvalidGraphic or is an image of the format asked for,
// fitted within the largest side.
//
// The first byte chooses the kind (and, above that, the format); the rest
// is the picture file.
#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzGui.h"
#include "FuzzSupport.h"
#include "core/platform/Errors.h"
#include "core/publish/MetadataFilters.h"
#include "drawing/WebCopies.h"

namespace {
constexpr PictureKind Kinds[] = {PictureKind::Heif,   PictureKind::Avif, PictureKind::WebP,
                                 PictureKind::Tiff,   PictureKind::Png,  PictureKind::Gif,
                                 PictureKind::Bitmap, PictureKind::Icon, PictureKind::Metafile};
constexpr int KindCount = sizeof Kinds / sizeof Kinds[0];
constexpr int MaxSize = 64;

void CheckFiltered(PictureKind kind, const std::string& file) {
  std::string out;
  if (kind == PictureKind::Png && PngWithoutMetadata(file, out)) {
    if (out.compare(0, 8, file, 0, 8) != 0) PropertyBroken("the PNG copy lost its signature");
    for (const char* text : {"tEXt", "zTXt", "iTXt", "eXIf"})
      if (out.find(text) != std::string::npos && file.find(text) == std::string::npos)
        PropertyBroken(std::string("the PNG copy made up a ") + text + " chunk");
  }
  if (kind == PictureKind::Gif && GifWithoutComments(file, out) &&
      (out.compare(0, 4, "GIF8") != 0 || out.back() != ';'))
    PropertyBroken("the GIF copy is not a whole GIF");
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  StartOffscreenGuiApplication();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  WebCopyOrder order;
  order.Kind = Kinds[data[0] % KindCount];
  order.Format = data[0] / KindCount % 2 == 0 ? CopyFormat::Jpeg : CopyFormat::Png;
  order.MaxSize = MaxSize;
  order.Width = 48;  // a metafile's size on the page, twice
  order.Height = 32;
  const std::string file(reinterpret_cast<const char*>(data) + 1, size - 1);
  CheckFiltered(order.Kind, file);

  std::string copy;
  try {
    copy = MakeDrawnWebCopy(file, order);
  } catch (const EInvalidGraphic&) {
    return 0;
  } catch (const Exception& e) {
    PropertyBroken("a drawn copy failed with " + e.ClassName() + " \"" + e.Message() + "\"");
  }
  const bool jpeg = copy.compare(0, 3, "\xFF\xD8\xFF") == 0;
  const bool png = copy.compare(0, 4, "\x89PNG") == 0;
  if (order.Format == CopyFormat::Jpeg ? !jpeg : !png)
    PropertyBroken("the copy is not of the format asked for");
  const QImage shown = QImage::fromData(QByteArray::fromStdString(copy));
  if (shown.isNull()) PropertyBroken("the copy cannot be read back");
  if (shown.width() > MaxSize || shown.height() > MaxSize)
    PropertyBroken("the copy is larger than the largest side");
  return 0;
}
