// The kinds of picture the program reads: the six of the registry and, on request, the phone and
// messenger kinds.
#pragma once

#include "core/platform/ScreenMetrics.h"

enum class PictureKind { Metafile, Icon, Bitmap, Jpeg, Heif, Avif, WebP, Png, Gif, Tiff };
