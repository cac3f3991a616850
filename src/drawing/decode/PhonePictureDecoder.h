// The decoders of the phone and messenger kinds (HEIF, AVIF, WebP, PNG, GIF,
// TIFF) behind one call by picture kind, for drawing them and for making web
// copies of them.
#pragma once

#include <string>

#include "core/pictures/PictureKind.h"
#include "drawing/decode/DecodedImage.h"

// True for the six kinds DecodePhonePicture reads.
bool IsPhonePictureKind(PictureKind kind);

// The whole picture, upright (see each decoder's header for what upright
// means for its kind). A null image for any other kind.
DecodedImage DecodePhonePicture(PictureKind kind, const std::string& bytes,
                                const ImageDecodeOptions& options);

// A small image of the picture that decodes in a few milliseconds, for
// showing something while DecodePhonePicture runs: a HEIF picture's
// thumbnail item, upright. A null image for pictures without one and for
// the other kinds.
DecodedImage DecodePhonePicturePreview(PictureKind kind, const std::string& bytes,
                                       const ImageDecodeOptions& options);
