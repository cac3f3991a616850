#include "core/editor/PicDescState.h"

#include "core/platform/Errors.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Text.h"

FittedSize FitPicture(int w, int h) {
  FittedSize fitted{w, h, false};
  if (w <= PictureAreaLimit && h <= PictureAreaLimit) return fitted;
  fitted.Stretch = true;
  // 64-bit products: a header may claim sizes near the 32-bit limit.
  if (w > PictureAreaLimit) {
    fitted.Width = PictureAreaLimit;
    fitted.Height = static_cast<int>(std::int64_t{PictureAreaLimit} * h / w);
  }
  if (fitted.Height > PictureAreaLimit) {
    fitted.Height = PictureAreaLimit;
    fitted.Width = static_cast<int>(std::int64_t{w} * PictureAreaLimit / h);
  }
  return fitted;
}

namespace {
// The last four characters of text upper-cased (only a to z); all of it
// when it is shorter.
std::string UpperTail(const std::string& text) {
  return UpperAscii(text.size() > 4 ? std::string_view(text).substr(text.size() - 4) : text);
}
}  // namespace

void PrepareRename(PicDescState& state, const std::string& pictureDirectory,
                   const std::string& currentName, const std::string& typedName) {
  state.RenamePending = false;
  state.RenameFromPath = pictureDirectory + "/" + currentName;
  const std::string extension = UpperTail(state.RenameFromPath);
  state.RenameToName = typedName;
  if ((extension == ".JPG" || extension == ".BMP") && UpperTail(typedName) != extension)
    state.RenameToName += extension;
  state.RenameToPath = pictureDirectory + "/" + state.RenameToName;
  state.RenamePending = UpperAscii(state.RenameFromPath) != UpperAscii(state.RenameToPath);
}

bool IsPlainFileName(const std::string& name) {
  if (name.empty() || name.front() == '.') return false;
  return name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

std::string RenameFailureMessage(int code, const std::string& newName) {
  switch (code) {
    case 2:
    case BadPathNameCode:
      return "Error: " + newName + " is not a valid file name!";
    case 183:
      return "Error: " + newName + " already exists!";
    default:
      return "Error #" + std::to_string(code) + " renaming file";
  }
}

RenameOutcome ApplyPendingRename(PicDescState& state, ImageTable& table,
                                 const std::string& pictureDirectory) {
  if (!state.RenamePending) return {};
  state.RenamePending = false;
  if (state.CurrentPicture < 1 || state.CurrentPicture > table.PictureCount()) return {};
  PictureEntry& entry = table.Entries[static_cast<std::size_t>(state.CurrentPicture - 1)];
  // A rename belongs to the picture it was prepared for.
  if (state.RenameFromPath != pictureDirectory + "/" + entry.NameText()) return {};

  int code = 0;
  if (!IsPlainFileName(state.RenameToName)) {
    code = BadPathNameCode;
  } else if (const int err = RenameNoReplace(state.RenameFromPath, state.RenameToPath)) {
    code = RenameCodeFromErrno(err);
  }
  if (code != 0) return {RenameOutcome::Failed, RenameFailureMessage(code, state.RenameToName)};
  entry.SetName(state.RenameToName);
  return {RenameOutcome::Renamed, {}};
}
