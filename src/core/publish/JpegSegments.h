// A JPEG file's segments, copied without decoding: the web copy of a picture
// that needs neither resizing nor turning is the camera's own compressed
// data with the metadata segments left out.
#pragma once

#include <string>

#include "core/pictures/formats/ByteReader.h"

// The file with every segment a browser needs to show it and nothing else:
// the start-of-image marker, the tables, frame and scan headers with their
// compressed data, restart markers, the JFIF header (APP0 "JFIF"), the ICC
// colour profile (APP2 "ICC_PROFILE") and the Adobe segment (APP14 "Adobe",
// which tells how the colour components are coded), then an end-of-image
// marker. Left out: EXIF and XMP (APP1), every other application segment
// (IPTC in APP13, the multi-picture index in APP2 "MPF", JFIF extension
// thumbnails in APP0 "JFXX"), comments, and whatever follows the end of the
// image (the further pictures of a multi-picture file). A file cut short
// keeps what it has, and a cut scan is closed with an end-of-image marker.
// The file must start with a start-of-image marker (measuring has checked
// that); anything else gives an empty string.
std::string JpegWithoutMetadata(ByteReader file);

// The APP2 "ICC_PROFILE" segments in front of the first scan, each whole
// (marker, length, payload), in file order; empty when there are none.
std::string JpegIccSegments(ByteReader file);

// The JPEG data with segments (whole, as JpegIccSegments gives them)
// inserted after its start-of-image marker, and after the JFIF header when
// that comes next, where a JFIF reader expects it.
std::string InsertJpegSegments(const std::string& jpeg, const std::string& segments);
