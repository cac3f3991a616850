// The web copies that are decoded and encoded anew: every picture kind a
// browser may not show (or shows far larger than needed) turned into a
// JPEG or PNG, fitted, upright and without metadata. Publishing decides
// which kind becomes what (core/publish/CopyPlan.h) and calls this from its
// worker threads.
#pragma once

#include <string>

#include "core/publish/CopyPlan.h"

// Makes the copy the order asks for from a picture file's bytes:
// - the phone and messenger kinds, bitmaps and icons (their largest image)
//   decoded upright, fitted within order.MaxSize by a smooth shrink;
// - metafiles played by the program's own player at order.Width x
//   order.Height on a transparent background;
// - a JPEG at quality 90 (transparent pixels laid over white) or a PNG,
//   with the picture's ICC profile where it has one, and nothing else.
// The pixels of the pictures decoded at once by all threads stay within a
// budget: a worker whose picture does not fit waits for the others. A
// picture that cannot be decoded raises EInvalidGraphic with its kind's
// message ("HEIF image is not valid").
std::string MakeDrawnWebCopy(const std::string& bytes, const WebCopyOrder& order);
