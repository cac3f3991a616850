#include "core/platform/TextFile.h"

#include "core/platform/Errors.h"
#include "core/platform/FileSystem.h"
#include "core/platform/SafeFile.h"

TextLines SplitTextLines(std::string_view text) {
  const auto nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  TextLines lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string JoinTextLines(const TextLines& lines) {
  std::size_t size = 0;
  for (const auto& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const auto& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

TextLines ReadTextFile(const std::string& dir, const std::string& name) {
  std::string content;
  if (ReadWholeFile(ResolvePath(dir, name), content) != 0) throw EFOpenError(name);
  return SplitTextLines(content);
}

void WriteTextFile(const std::string& dir, const std::string& name, const TextLines& lines) {
  const WriteFailure failure = WriteFileSafely(ResolvePath(dir, name), JoinTextLines(lines));
  if (failure.Stage == WriteFailure::Create) throw EFCreateError(name);
  if (failure.Stage == WriteFailure::Write) throw EWriteError();
}
