#include "core/pictures/Picture.h"

#include "core/pictures/FileFormats.h"
#include "core/pictures/PictureSource.h"

void Picture::LoadFromFile(const std::string& dir, const std::string& fileName,
                           const ScreenMetrics& screen, bool allKinds) {
  const PictureKind kind = PictureKindOfFile(fileName, allKinds);
  std::string bytes;
  {
    FilePictureSource file(dir, fileName);
    bytes = file.ReadAll();
  }  // the file is closed before the reader runs, whatever it finds
  MemoryPictureSource source(bytes);
  const PictureHeader header = ReadPictureHeader(kind, source, screen);

  // Nothing below throws: the new image replaces the old one as a whole.
  Loaded = true;
  ImageKind = kind;
  Header = header;
  Bytes.swap(bytes);
  ++ImageGeneration;
}

void Picture::Clear() {
  Loaded = false;
  Header = PictureHeader();
  Bytes.clear();
  Bytes.shrink_to_fit();
  ++ImageGeneration;
}
