// Writes the picture files of the browser test's album folders. Reads one
// picture a line from standard input:
//   jpeg WIDTH HEIGHT PATH
//   jpeg-exif ORIENTATION WIDTH HEIGHT PATH  (EXIF orientation 1-8, stored size)
//   bmp WIDTH HEIGHT PATH
//   ico PATH
//   heic ORIENTATION WIDTH HEIGHT PATH  (turned by irot/imir as the orientation says)
//   avif IROT WIDTH HEIGHT PATH         (quarter turns anticlockwise)
//   png-exif ORIENTATION WIDTH HEIGHT PATH
//   webp|png|gif|tiff WIDTH HEIGHT PATH
// PATH is the rest of the line, so it may hold blanks. Identical pictures
// are encoded once and written under every name that asks for them.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>

#include "support/PhoneFixtures.h"
#include "support/PictureFixtures.h"

namespace {

std::string RestOfLine(std::istringstream& in) {
  std::string rest;
  std::getline(in >> std::ws, rest);
  return rest;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main() {
  std::map<std::tuple<std::string, int, int, int>, std::string> made;
  std::string line;
  int lineNumber = 0;
  while (std::getline(std::cin, line)) {
    ++lineNumber;
    if (line.empty()) continue;
    std::istringstream in(line);
    std::string kind;
    int width = 0, height = 0, orientation = 0;
    in >> kind;
    const bool turned =
        kind == "jpeg-exif" || kind == "heic" || kind == "avif" || kind == "png-exif";
    if (turned) in >> orientation;
    if (kind != "ico") in >> width >> height;
    const std::string path = RestOfLine(in);
    const bool known = turned || kind == "jpeg" || kind == "bmp" || kind == "ico" ||
                       kind == "webp" || kind == "png" || kind == "gif" || kind == "tiff" ||
                       kind == "wmf" || kind == "emf";
    if (!in || !known || path.empty() || (kind != "ico" && (width <= 0 || height <= 0))) {
      std::cerr << "line " << lineNumber << ": cannot read \"" << line << "\"\n";
      return 2;
    }
    std::string& bytes = made[{kind, width, height, orientation}];
    if (bytes.empty()) {
      if (kind == "jpeg")
        bytes = MakeJpeg(width, height, 80);
      else if (kind == "jpeg-exif")
        bytes = WithExif(MakeJpeg(width, height, 80), orientation);
      else if (kind == "bmp")
        bytes = MakeBmp(width, height);
      else if (kind == "heic")
        bytes = MakeHeic(width, height, orientation);
      else if (kind == "avif")
        bytes = MakeAvif(width, height, orientation);
      else if (kind == "webp")
        bytes = MakeWebP(width, height);
      else if (kind == "png" || kind == "png-exif")
        bytes = MakePng(width, height, orientation);
      else if (kind == "gif")
        bytes = MakeGif(width, height);
      else if (kind == "tiff")
        bytes = MakeTiff(width, height);
      else if (kind == "wmf")  // width x height pixels at 96 dots an inch
        bytes = MakePlaceableWmf(0, 0, width * 10, height * 10, 960);
      else if (kind == "emf")
        bytes = MakeEmf({.FrameRight = width * 2540 / 96, .FrameBottom = height * 2540 / 96});
      else
        bytes = MakeIcon();
    }
    if (!WriteFile(path, bytes)) {
      std::cerr << "cannot write " << path << '\n';
      return 1;
    }
  }
  return 0;
}
