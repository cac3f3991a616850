// The screen values the program reads once at start-up: logical pixels per
// inch (vertical), colour depth and the icon size.
#pragma once

#include "core/pictures/PictureKind.h"

// From the primary screen; the defaults (96, 24, 32 x 32) when there is none.
ScreenMetrics ReadScreenMetrics();
