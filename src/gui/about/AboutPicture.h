// The picture the About box shows, decoded from the JPEG kept with the box.
#pragma once

#include <QImage>

// The About box's own picture at full size; a null image should its bytes
// not decode.
QImage AboutPicture();
