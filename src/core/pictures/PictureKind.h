// The four kinds of picture the program reads.
#pragma once

#include "core/platform/ScreenMetrics.h"

enum class PictureKind { Metafile, Icon, Bitmap, Jpeg };
