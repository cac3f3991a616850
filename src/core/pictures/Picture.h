// A picture: at most one loaded image of one kind, kept as the file's bytes
// together with what its headers say. Loading reads and checks the whole
// file but decodes no pixels; the drawing code decodes from Data() when it
// first draws the picture.
#pragma once

#include <cstdint>
#include <string>

#include "core/pictures/PictureKind.h"
#include "core/pictures/PictureReaders.h"

class Picture {
 public:
  // Loads fileName (absolute, or relative to dir; a bare name is looked up
  // in dir ignoring letter case) by the reader its extension names, among
  // the registry's kinds or, with allKinds, among all picture kinds. On
  // success the new image replaces the previous one and Generation() moves
  // on; on failure the picture keeps its previous image and the error
  // passes on unchanged:
  // - EInvalidGraphic "Unknown picture file extension (.%s)" for an
  //   extension no picture kind has;
  // - EFOpenError "Cannot open file %s" (fileName as passed);
  // - the reader's errors (EReadError, EInvalidGraphic, EJPEG).
  void LoadFromFile(const std::string& dir, const std::string& fileName,
                    const ScreenMetrics& screen, bool allKinds = false);

  // Releases the image; the picture is empty afterwards.
  void Clear();

  // True while an image is held.
  bool HasImage() const { return Loaded; }
  // True when there is nothing to draw: no image, or an image whose width
  // or height is not positive (an empty file, for instance).
  bool Empty() const { return !Loaded || Header.Width <= 0 || Header.Height <= 0; }

  // Size in screen pixels as the picture is shown, upright (a JPEG whose
  // EXIF orientation turns it by 90 degrees gives its stored height as the
  // width); 0 x 0 without an image.
  int Width() const { return Header.Width; }
  int Height() const { return Header.Height; }
  // The kind of the image held; meaningful only while HasImage().
  PictureKind Kind() const { return ImageKind; }
  // JPEG only: one colour component, progressive coding.
  bool Grayscale() const { return Header.Grayscale; }
  bool Progressive() const { return Header.Progressive; }

  // The whole file's bytes as loaded (empty without an image).
  const std::string& Data() const { return Bytes; }

  // Changes with every successful load and every Clear(), so a holder of
  // decoded pixels can tell that they belong to an older image.
  std::uint64_t Generation() const { return ImageGeneration; }

 private:
  bool Loaded = false;
  PictureKind ImageKind = PictureKind::Bitmap;
  PictureHeader Header;
  std::string Bytes;
  std::uint64_t ImageGeneration = 0;
};
