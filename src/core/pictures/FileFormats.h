// The registry of picture file extensions: which extensions the program
// reads and which kind of picture each one names. Beyond the registry's six
// extensions, a folder's album takes in the phone and messenger kinds when
// its option asks for all picture kinds (allKinds below).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/pictures/PictureKind.h"

struct TFileFormat {
  std::string Extension;  // lower case, without the dot
  std::string Description;
  PictureKind Kind;
};

// The ordered list of known extensions. It never changes once built.
class TFileFormatsList {
 public:
  explicit TFileFormatsList(std::vector<TFileFormat> entries) : Entries(std::move(entries)) {}

  const std::vector<TFileFormat>& Formats() const { return Entries; }

  // The entry whose extension equals the given one ignoring ASCII letter
  // case, searching from the last entry to the first; nullptr for none.
  const TFileFormat* Find(std::string_view extension) const;

  // "*." + extension for every entry with an extension, from the last entry
  // to the first, joined by ";".
  std::string Mask() const;

 private:
  std::vector<TFileFormat> Entries;
};

// The program's registry: metafiles, icons and bitmaps first, then the two
// JPEG extensions.
const TFileFormatsList& FileFormats();

// The mask the folder listing shows pictures by:
// "*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf".
std::string PictureFileMask();

// The phone and messenger kinds: HEIF ("heic", "heif", "hif"), AVIF, WebP,
// PNG, GIF and TIFF ("tif", "tiff"). Videos and camera raw files are no
// pictures here.
const TFileFormatsList& ExtraFileFormats();

// The registry and the phone and messenger kinds together, the registry's
// entries last.
const TFileFormatsList& AllFileFormats();

// "*.heic;*.heif;*.hif;*.avif;*.webp;*.png;*.gif;*.tif;*.tiff".
std::string ExtraPictureFileMask();

// The mask of all picture kinds: PictureFileMask() + ";" + ExtraPictureFileMask().
std::string AllPictureFileMask();

// The extension of a file name as written: the text after the last "." of
// its last component (the part after the last "/", "\" or ":"), empty when
// that component has no ".".
std::string_view FileExtension(std::string_view fileName);

// The kind of picture a file name's extension names: by the registry, or
// with allKinds by all picture kinds. An extension that no entry has (or
// none at all) raises EInvalidGraphic "Unknown picture file extension (.%s)"
// with the extension as written.
PictureKind PictureKindOfFile(std::string_view fileName, bool allKinds = false);
