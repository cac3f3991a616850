#include "core/pictures/ProbePicture.h"

#include "core/pictures/FileFormats.h"
#include "core/pictures/PictureReaders.h"
#include "core/pictures/PictureSource.h"

void ProbePicture(PictureProbe& probe, const std::string& dir, const std::string& fileName,
                  const ScreenMetrics& screen, bool allKinds) {
  const PictureKind kind = PictureKindOfFile(fileName, allKinds);
  FilePictureSource file(dir, fileName);
  const PictureHeader header = ReadPictureHeader(kind, file, screen);

  const bool positive = header.Width > 0 && header.Height > 0;
  probe.ProbeWidth = positive ? header.Width : 0;
  probe.ProbeHeight = positive ? header.Height : 0;
  probe.Landscape = !(probe.ProbeHeight > probe.ProbeWidth);
}
