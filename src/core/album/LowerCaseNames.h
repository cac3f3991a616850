// The page links every picture by its lower-cased name. On a file system
// that tells letter case apart, a picture whose name has capital letters is
// then not found under that name: these functions find such pictures, say
// so, and rename them to lower case when the user asks.
#pragma once

#include <string>
#include <vector>

// The pictures of folder (its whole listing, names as listed) whose
// lower-cased name does not lead to the same file: nothing has that name, or
// another file has it. Empty on a file system that ignores letter case and
// when every name is lower-case. Decided from the listing: whether the
// folder tells letter case apart is asked once, and only a lower-cased name
// that the listing holds as well is looked up.
std::vector<std::string> PicturesMissedByLowerCaseLinks(const std::string& folder,
                                                        const std::vector<std::string>& pictures);

// What renaming a picture to its lower-cased name gave.
struct LowerCaseRename {
  std::string Name;     // as it was on disk
  std::string NewName;  // its lower-cased name
  // 0: renamed. EEXIST: another file of the folder has the new name in some
  // letter case (Taken), and the picture was left alone. Else the errno
  // value of the failed rename.
  int Errno = 0;
  std::string Taken;
};

// Renames each picture whose name has letters A-Z to its lower-cased name,
// never over another file. Pictures with lower-case names are not mentioned
// in the result.
std::vector<LowerCaseRename> RenamePicturesToLowerCase(const std::string& folder,
                                                       const std::vector<std::string>& pictures);

// Renames the records of the renamed pictures in the folder's description
// file with them. The records match their pictures by name ignoring case
// either way; this keeps the file's names as on disk. A description file
// that cannot be rewritten raises EInOutError naming it.
void RenameDescriptionRecordsOf(const std::string& folder,
                                const std::vector<LowerCaseRename>& renames);

// The warning of the batch front-end for folder, one line without its line
// end, about the pictures the page does not find (names, as
// PicturesMissedByLowerCaseLinks gives them): how many, the first five by
// name, "and N more", and that --lowercase-names renames them. renames is
// null when no rename was asked for, else what the rename gave: the line
// then says that they were not renamed, and why.
std::string LowerCaseWarning(const std::string& folder, const std::vector<std::string>& names,
                             const std::vector<LowerCaseRename>* renames);

// The main window's question after a build: how many pictures the page does
// not find, the first five by name, and whether to rename them.
std::string LowerCaseQuestion(const std::vector<std::string>& names);

// The main window's note on the pictures a rename left alone (empty when
// every picture was renamed).
std::string LowerCaseNotRenamedNote(const std::vector<LowerCaseRename>& renames);
