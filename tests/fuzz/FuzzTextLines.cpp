// Fuzz target for the text-file reader: SplitTextLines over any bytes, and
// ReadTextFile over the same bytes in a file. Checked besides not crashing:
// the text ends at the first NUL; no line holds CR, LF or NUL; the lines
// are the text's bytes without the line ends, one line per line end (CR LF,
// a lone CR or a lone LF) plus a last line without one; writing the lines
// and reading them again gives the same lines; the file gives what the
// bytes give.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "core/platform/TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const TextLines lines = SplitTextLines(bytes);

  const std::string_view text = bytes.substr(0, bytes.find('\0'));
  std::string kept;  // the text without its line ends
  std::size_t lineEnds = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      ++lineEnds;
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      kept += text[i];
    }
  }
  const bool openLastLine = !text.empty() && text.back() != '\r' && text.back() != '\n';
  if (lines.size() != lineEnds + (openLastLine ? 1 : 0))
    PropertyBroken(std::to_string(lines.size()) + " lines for " + std::to_string(lineEnds) +
                   " line ends");
  std::string joined;
  for (const auto& line : lines) {
    if (line.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
      PropertyBroken("a line holds CR, LF or NUL");
    joined += line;
  }
  if (joined != kept) PropertyBroken("the lines are not the text's bytes");

  if (SplitTextLines(JoinTextLines(lines)) != lines)
    PropertyBroken("written and read again, the lines differ");

  WriteScratchFile("Text.INC", bytes);
  if (ReadTextFile(ScratchDir(), "TEXT.inc") != lines)
    PropertyBroken("the file reads other lines than its bytes");
  return 0;
}
