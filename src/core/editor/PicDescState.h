// What the description editor keeps from one opening to the next, and the
// plain procedures behind its commands that need no window: fitting a
// picture into the picture area, preparing a rename from the typed file
// name, carrying it out and the texts of a failed rename.
#pragma once

#include <cstdint>
#include <string>

#include "core/folder/ImageTable.h"

// The editor's state. The program makes one at start-up and hands it to the
// editor window; tests make their own.
struct PicDescState {
  // The number (from 1) of the picture shown; picture N is entry N - 1 of
  // the image table.
  std::int32_t CurrentPicture = 0;
  // Set by the user's edits of the description, cleared by a save.
  bool DescriptionsDirty = false;
  // Set when leaving the file-name box has prepared a rename that has not
  // been tried yet.
  bool RenamePending = false;
  std::string RenameFromPath;  // full path of the picture file
  std::string RenameToPath;    // full path of the new name
  std::string RenameToName;    // the new name without directory
};

// The picture area is at most this many pixels wide and high.
inline constexpr int PictureAreaLimit = 500;

// How a picture of w x h pixels is shown: at width x height, scaled to that
// size when Stretch is set, else at its own size.
struct FittedSize {
  int Width = 0;
  int Height = 0;
  bool Stretch = false;
  bool operator==(const FittedSize&) const = default;
};

// Fits w x h into 500 x 500: a wider picture is made 500 wide keeping its
// proportions, and one that is then still too high (or was only too high)
// is made 500 high, its width taken from the measured size. Fractions are
// dropped. A picture that fits is shown at its own size.
FittedSize FitPicture(int w, int h);

// Prepares the rename of the picture file currentName of pictureDirectory
// to the name typed into the file-name box (what leaving the box does):
// a picture whose name ends in .jpg or .bmp (any case) keeps that extension,
// appended in capitals when the typed name does not end in it; every other
// name is taken as typed. A rename is pending only when the full paths
// differ other than in ASCII letter case. The typed name is not checked.
void PrepareRename(PicDescState& state, const std::string& pictureDirectory,
                   const std::string& currentName, const std::string& typedName);

// True when name can stand for a listed picture of the picture folder
// itself: not empty, not beginning with "." and without "/" or NUL. Other
// names are refused as bad path names before the file system is asked, so
// a rename never moves a picture into another folder, nor hides it (a name
// beginning with "." is a hidden entry, left out of the file list and so
// of the album).
bool IsPlainFileName(const std::string& name);

// The rename error code of a new name that IsPlainFileName refuses.
inline constexpr int BadPathNameCode = 161;

// The message of a failed rename to newName with the rename error code
// (2: the file does not exist, 161: bad path name, 183: the name exists).
std::string RenameFailureMessage(int code, const std::string& newName);

// What carrying out a prepared rename gave.
struct RenameOutcome {
  enum Kind { NotTried, Renamed, Failed };
  Kind Result = NotTried;
  std::string Message;  // Failed: the text for the plain message box
};

// Carries out the prepared rename, once (the pending flag is cleared
// whatever happens): the picture file is renamed without replacing another
// file, and on success the shown picture's table entry takes the new name.
// Nothing is tried when no picture of the table is shown, or when the
// rename was prepared for another picture than the shown one.
RenameOutcome ApplyPendingRename(PicDescState& state, ImageTable& table,
                                 const std::string& pictureDirectory);
