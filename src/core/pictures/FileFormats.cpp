#include "core/pictures/FileFormats.h"

#include "core/platform/Errors.h"
#include "core/platform/Text.h"

const TFileFormat* TFileFormatsList::Find(std::string_view extension) const {
  for (auto it = Entries.rbegin(); it != Entries.rend(); ++it)
    if (EqualIgnoringAsciiCase(it->Extension, extension)) return &*it;
  return nullptr;
}

std::string TFileFormatsList::Mask() const {
  std::string mask;
  for (auto it = Entries.rbegin(); it != Entries.rend(); ++it) {
    if (it->Extension.empty()) continue;
    if (!mask.empty()) mask += ';';
    mask += "*." + it->Extension;
  }
  return mask;
}

const TFileFormatsList& FileFormats() {
  static const TFileFormatsList formats({
      {"wmf", "Metafiles", PictureKind::Metafile},
      {"emf", "Enhanced Metafiles", PictureKind::Metafile},
      {"ico", "Icons", PictureKind::Icon},
      {"bmp", "Bitmaps", PictureKind::Bitmap},
      {"jpeg", "JPEG Image File", PictureKind::Jpeg},
      {"jpg", "JPEG Image File", PictureKind::Jpeg},
  });
  return formats;
}

std::string PictureFileMask() {
  return FileFormats().Mask();
}

namespace {
// Listed from the last to the first, as the masks walk them.
std::vector<TFileFormat> ExtraEntries() {
  return {
      {"tiff", "TIFF Image File", PictureKind::Tiff},
      {"tif", "TIFF Image File", PictureKind::Tiff},
      {"gif", "GIF Image File", PictureKind::Gif},
      {"png", "PNG Image File", PictureKind::Png},
      {"webp", "WebP Image File", PictureKind::WebP},
      {"avif", "AVIF Image File", PictureKind::Avif},
      {"hif", "HEIF Image File", PictureKind::Heif},
      {"heif", "HEIF Image File", PictureKind::Heif},
      {"heic", "HEIF Image File", PictureKind::Heif},
  };
}
}  // namespace

const TFileFormatsList& ExtraFileFormats() {
  static const TFileFormatsList formats(ExtraEntries());
  return formats;
}

const TFileFormatsList& AllFileFormats() {
  static const TFileFormatsList formats([] {
    std::vector<TFileFormat> entries = ExtraEntries();
    for (const TFileFormat& format : FileFormats().Formats()) entries.push_back(format);
    return entries;
  }());
  return formats;
}

std::string ExtraPictureFileMask() {
  return ExtraFileFormats().Mask();
}

std::string AllPictureFileMask() {
  return AllFileFormats().Mask();
}

std::string_view FileExtension(std::string_view fileName) {
  const auto separator = fileName.find_last_of("/\\:");
  const std::string_view lastComponent =
      separator == std::string_view::npos ? fileName : fileName.substr(separator + 1);
  const auto dot = lastComponent.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : lastComponent.substr(dot + 1);
}

PictureKind PictureKindOfFile(std::string_view fileName, bool allKinds) {
  const std::string_view extension = FileExtension(fileName);
  const TFileFormat* format = (allKinds ? AllFileFormats() : FileFormats()).Find(extension);
  if (!format)
    throw EInvalidGraphic("Unknown picture file extension (." + std::string(extension) + ")");
  return format->Kind;
}
