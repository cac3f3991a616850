// What each picture of a published album becomes, decided before any copy
// is made: every copy is a JPEG, PNG or GIF, the kinds every browser shows.
//
// - JPEG: a JPEG web copy (JpegWebCopy.h).
// - HEIC, HEIF, TIFF, AVIF and WebP: a JPEG, or a PNG when the header
//   announces transparency; fitted, upright.
// - PNG: its own chunks without the metadata when it fits and needs no
//   turning; else decoded, fitted, upright, as a PNG.
// - GIF: its own blocks without comments when it fits (animations
//   survive); else its first frame fitted, as a PNG.
// - BMP and ICO (its largest image): a PNG, fitted.
// - WMF and EMF: a PNG drawn by the metafile player at twice the size the
//   page shows it, fitted.
//
// A copy whose kind changes takes the new kind's extension in place of the
// picture's (lower-cased): "IMG_0002.HEIC" becomes "img_0002.jpg". Where that
// name is another copy's, the old extension stays in front of the new one:
// "img_0002.heic.jpg".
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/pictures/PictureKind.h"

enum class CopyFormat { Jpeg, Png, Gif };

enum class CopyWay {
  JpegCopy,  // MakeJpegWebCopy
  Filtered,  // the picture's own PNG chunks or GIF blocks, the metadata left out
  Drawn,     // decoded (or played) and encoded anew by the program's drawing
};

// What the drawing is asked to make of a picture's bytes.
struct WebCopyOrder {
  PictureKind Kind = PictureKind::Jpeg;
  CopyFormat Format = CopyFormat::Jpeg;
  int MaxSize = 0;  // the largest side; 0 keeps the picture's size
  // Metafiles: the size to play it at (already fitted within MaxSize).
  int Width = 0;
  int Height = 0;
};

// Makes a copy's bytes; raises the program's errors (EInvalidGraphic for a
// picture it cannot decode). The drawing layer provides it
// (drawing/WebCopies.h).
using WebCopyMaker = std::function<std::string(const std::string& bytes, const WebCopyOrder&)>;

struct PlannedCopy {
  std::string Name;        // in the published folder
  std::string SourceName;  // as the page names the picture
  WebCopyOrder Order;
  CopyWay Way = CopyWay::JpegCopy;
};

// The copies of pictures (page order) in folder, one per lower-cased name
// (of two pictures whose names differ only in letter case, the page's
// links find the one whose name is already lower case). Reads the headers
// of the pictures whose copy depends on them; a picture whose header cannot
// be read is planned as its kind's usual copy, and its error comes when
// the copy is made.
std::vector<PlannedCopy> PlanCopies(const std::string& folder,
                                    const std::vector<std::string>& pictures, int maxSize,
                                    const ScreenMetrics& screen);

// The page with the links to copies that changed name (src= and HRef=
// values, as the page writes them) pointing at the copies; nothing else
// changes.
std::string PageWithCopyNames(const std::string& page, const std::vector<PlannedCopy>& copies);

// The extension of a copy format, without the dot.
const char* CopyExtension(CopyFormat format);
