// The program's own artwork, drawn rather than stored as files: the picture
// of the About box and the application icon. No text is drawn, so the
// drawing needs no fonts and runs in the build-time generator without an
// application object.
#pragma once

#include <QIcon>
#include <QImage>
#include <QSize>

// A photo print of a mountain lake at sunrise, filling size.
QImage DrawProgramPicture(const QSize& size);

// Two photo prints lying on each other, size x size pixels, transparent
// around them.
QImage DrawApplicationIcon(int size);

// The icon at the sizes the desktop asks for (needs the application object).
QIcon ApplicationIcon();
