// PNG, GIF, TIFF and WebP pictures decoded by Qt's image readers: PNG and
// GIF come with Qt Gui, TIFF and WebP with Qt's image format plugins
// (Debian: qt6-image-formats-plugins).
//
// The reader is the one of the picture's kind, and a file that does not start
// as files of that kind do is not decoded (measuring refuses it too). A GIF
// gives its first frame, a TIFF its
// first page. Pictures are turned upright as browsers turn them: a PNG by the
// orientation in its eXIf chunk, a TIFF by its Orientation tag (Safari, the
// one browser that shows TIFF, turns it); browsers leave a WebP's EXIF
// orientation alone, and so does this.
//
// None of these readers decodes at a reduced size for less work (Qt's PNG
// reader offers a scaled size but decodes the whole picture first), so the
// image always has the picture's own size; pictures larger than
// MaxDecodedPixels, or than Qt's allocation limit, are not decoded.
#pragma once

#include <string>

#include "drawing/decode/DecodedImage.h"

enum class QtImageFormat { Png, Gif, Tiff, WebP };

DecodedImage DecodeQtImage(const std::string& bytes, QtImageFormat format,
                           const ImageDecodeOptions& options);

// The EXIF orientation (1 to 8) a PNG file's first eXIf chunk gives, when
// that chunk comes before the image data and holds a TIFF structure whose
// IFD0 has an Orientation entry, as Chromium reads it; 1 otherwise.
int PngOrientation(const std::string& bytes);
