// Fuzz target for one kind of picture, through the path a build and the
// description editor take: the bytes are written to a file with the kind's
// extension and read by Picture::LoadFromFile (the whole file in memory) and
// by ProbePicture (headers read from the open file on demand, the name in
// other letter case so it is found by a case-ignoring lookup). Besides not
// crashing, the two must agree: the same error class and message, or the
// same size (a probe reports 0 x 0 for a picture that is not positive in
// both directions); a failed load leaves the picture and a failed probe
// leaves the probe as they were.
//
// Built once per kind; AMBRELIN_FUZZ_EXTENSIONS names the kind's two
// extensions (the same one twice for a kind that has only one). Both read
// as a folder that takes in all picture kinds does, so the phone and
// messenger kinds are read too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "core/pictures/Picture.h"
#include "core/pictures/ProbePicture.h"
#include "core/platform/Errors.h"
#include "core/platform/Text.h"

#ifndef AMBRELIN_FUZZ_EXTENSIONS
#error "AMBRELIN_FUZZ_EXTENSIONS must name the kind's extensions"
#endif

namespace {
constexpr const char* Extensions[2] = {AMBRELIN_FUZZ_EXTENSIONS};

struct Outcome {
  bool Failed = false;
  std::string ClassName;
  std::string Message;
  int Width = 0;
  int Height = 0;
};

std::string Describe(const Outcome& o) {
  if (o.Failed) return o.ClassName + " \"" + o.Message + "\"";
  return std::to_string(o.Width) + " x " + std::to_string(o.Height);
}

// One picture kept across inputs, so a failing load always has a previous
// image (or the empty picture) to keep.
Picture& KeptPicture() {
  static Picture picture;
  return picture;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string loadName = std::string("p.") + Extensions[0];
  const std::string probeFile = std::string("q.") + Extensions[1];
  const std::string probeName = UpperAscii(probeFile);  // "Q.JPEG" finds q.jpeg
  WriteScratchFile(loadName, bytes);
  WriteScratchFile(probeFile, bytes);
  const ScreenMetrics screen;

  Picture& picture = KeptPicture();
  const bool hadImage = picture.HasImage();
  const int oldWidth = picture.Width(), oldHeight = picture.Height();
  const std::uint64_t oldGeneration = picture.Generation();
  Outcome load;
  try {
    picture.LoadFromFile(ScratchDir(), loadName, screen, /*allKinds=*/true);
    load.Width = picture.Width();
    load.Height = picture.Height();
    if (!picture.HasImage() || picture.Generation() == oldGeneration)
      PropertyBroken("a successful load did not replace the image");
    if (picture.Data() != bytes) PropertyBroken("a loaded picture does not hold the file's bytes");
  } catch (const Exception& e) {
    load.Failed = true;
    load.ClassName = e.ClassName();
    load.Message = e.Message();
    if (picture.HasImage() != hadImage || picture.Width() != oldWidth ||
        picture.Height() != oldHeight || picture.Generation() != oldGeneration)
      PropertyBroken("a failed load changed the picture");
  }

  static PictureProbe probe;
  const PictureProbe before = probe;
  Outcome measured;
  try {
    ProbePicture(probe, ScratchDir(), probeName, screen, /*allKinds=*/true);
    measured.Width = probe.ProbeWidth;
    measured.Height = probe.ProbeHeight;
    if (probe.Landscape != !(probe.ProbeHeight > probe.ProbeWidth))
      PropertyBroken("Landscape does not follow the size");
  } catch (const Exception& e) {
    measured.Failed = true;
    measured.ClassName = e.ClassName();
    measured.Message = e.Message();
    if (probe.ProbeWidth != before.ProbeWidth || probe.ProbeHeight != before.ProbeHeight ||
        probe.Landscape != before.Landscape)
      PropertyBroken("a failed probe changed the probe");
  }

  // The probe names the file as it was passed; the load names its own.
  Outcome expected = load;
  if (expected.Failed && expected.Message == "Cannot open file " + loadName)
    expected.Message = "Cannot open file " + probeName;
  if (!expected.Failed && (expected.Width <= 0 || expected.Height <= 0))
    expected.Width = expected.Height = 0;
  if (expected.Failed != measured.Failed || expected.ClassName != measured.ClassName ||
      expected.Message != measured.Message || expected.Width != measured.Width ||
      expected.Height != measured.Height)
    PropertyBroken("load gave " + Describe(load) + " but the probe gave " + Describe(measured));
  return 0;
}
