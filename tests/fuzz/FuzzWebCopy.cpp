// Fuzz target for the web copy of a JPEG picture, the part of publishing
// that reads untrusted bytes: the segment walk that leaves the metadata out
// and keeps the ICC profile, the EXIF orientation, the lossless turn and
// the decode, shrink and encode. Besides not crashing, a copy is made or
// EJPEG raised (nothing else), and a copy is a JPEG of the size it
// reports, fitted within the largest side, with no EXIF, XMP or comment
// segment in front of its first scan.
//
// Built twice: AMBRELIN_FUZZ_MAX_SIZE 0 keeps every size, so the copies are
// the stripped or losslessly turned compressed data; 64 shrinks nearly
// every picture, so they are decoded, shrunk and encoded.
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "core/pictures/LibjpegErrors.h"
#include "core/platform/Errors.h"
#include "core/publish/JpegWebCopy.h"

#ifndef AMBRELIN_FUZZ_MAX_SIZE
#error "AMBRELIN_FUZZ_MAX_SIZE must give the largest side of the copies"
#endif

namespace {
struct CopyHeader {
  jpeg_decompress_struct Info;
  LibjpegErrors Errors;
  bool Created;
  int Width;
  int Height;
  bool Metadata;  // an APP1 (EXIF, XMP) or comment segment
};

bool ReadCopyHeader(CopyHeader& h, const std::string& copy) {
  h.Info.err = UseLibjpegErrors(h.Errors);
  if (setjmp(h.Errors.Exit)) return false;
  jpeg_create_decompress(&h.Info);
  h.Created = true;
  jpeg_mem_src(&h.Info, reinterpret_cast<const unsigned char*>(copy.data()), copy.size());
  jpeg_save_markers(&h.Info, JPEG_APP0 + 1, 0);
  jpeg_save_markers(&h.Info, JPEG_COM, 0);
  jpeg_read_header(&h.Info, TRUE);
  h.Width = static_cast<int>(h.Info.image_width);
  h.Height = static_cast<int>(h.Info.image_height);
  h.Metadata = h.Info.marker_list != nullptr;
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string file(reinterpret_cast<const char*>(data), size);
  const int maxSize = AMBRELIN_FUZZ_MAX_SIZE;
  JpegWebCopy copy;
  try {
    copy = MakeJpegWebCopy(file, maxSize);
  } catch (const EJPEG&) {
    return 0;
  } catch (const Exception& e) {
    PropertyBroken("a web copy failed with " + e.ClassName() + " \"" + e.Message() + "\"");
  }
  if (maxSize > 0 && (copy.Width > maxSize || copy.Height > maxSize))
    PropertyBroken("the copy is larger than the largest side");

  CopyHeader header{};
  const bool read = ReadCopyHeader(header, copy.Bytes);
  if (header.Created) jpeg_destroy_decompress(&header.Info);
  if (!read) PropertyBroken("the copy is not a JPEG");
  if (header.Width != copy.Width || header.Height != copy.Height)
    PropertyBroken("the copy is " + std::to_string(header.Width) + " x " +
                   std::to_string(header.Height) + ", not the " + std::to_string(copy.Width) +
                   " x " + std::to_string(copy.Height) + " it reports");
  if (header.Metadata) PropertyBroken("the copy keeps an EXIF, XMP or comment segment");
  return 0;
}
