// The folder listing behind the folder list and the file list: which
// entries of a folder are listed, in which order, and the lines of the
// folder list. No widgets here; the folder controls and the batch front-end
// both use it.
#pragma once

#include <QCollator>
#include <QLocale>
#include <string>
#include <vector>

// The order of names in both lists: the locale's collation, letter case
// ignored, digits compared as characters (img10 before img2), punctuation
// significant. Names that collate equal are ordered by their bytes, so the
// order is total and does not depend on the order of the folder's entries.
// Under the C locale (no collation rules) names are compared by their
// case-folded characters.
class NameOrder {
 public:
  // The user's locale (QLocale::system()).
  NameOrder();
  explicit NameOrder(const QLocale& locale);

  const QLocale& Locale() const { return CollationLocale; }

  // Negative, zero or positive as a sorts before, together with or after b
  // (zero for names that collate equal, which need not be identical).
  int Compare(const std::string& a, const std::string& b) const;

  // Sorts names ascending: one sort over precomputed sort keys, equal keys
  // ordered by bytes. With dropEqual, a name collating equal to the one
  // kept before it is dropped (of such names the first by bytes stays).
  void Sort(std::vector<std::string>& names, bool dropEqual = false) const;

 private:
  bool PlainOrder() const { return CollationLocale.language() == QLocale::C; }

  QLocale CollationLocale;
  QCollator Collator;
};

// The names of the files in folder that match mask, sorted by order. The
// mask holds parts separated by ";"; a part "*." + extension matches a name
// ending in "." and that extension, letters compared ignoring ASCII case;
// "*" and "*.*" match every name; any other part matches the name it spells,
// ignoring ASCII case. A name matched by two parts is listed twice. Listed:
// regular files (read-only ones too) and symbolic links to regular files.
// Left out: folders (whatever their names), hidden entries (names beginning
// with "."), links to folders, dangling links and special files. No file is
// opened; the entry type comes from the folder itself, with a stat call only
// for links and file systems that report no type. A folder that cannot be
// read raises EInOutError with the code of its errno value (2 "File not
// found", 3 "Invalid filename", 5 "File access denied", ...).
std::vector<std::string> ListPictureFiles(const std::string& folder, const std::string& mask,
                                          const NameOrder& order);
// The same with the order of the user's locale.
std::vector<std::string> ListPictureFiles(const std::string& folder, const std::string& mask);

// The number of the mask's parts that name matches (see ListPictureFiles).
int MaskMatchCount(const std::string& name, const std::string& mask);

// The subfolders of folder (symbolic links to folders included), without
// "." and "..", hidden ones left out, sorted by order; a name collating
// equal to one already taken is dropped. Errors as ListPictureFiles.
std::vector<std::string> ListSubfolders(const std::string& folder, const NameOrder& order);
std::vector<std::string> ListSubfolders(const std::string& folder);

// One line of the folder list.
struct FolderLine {
  enum LineKind { Root, Ancestor, Current, Subfolder };

  std::string Path;  // the folder's full path
  std::string Text;  // what the line shows: "/" for the root, else the name as stored
  int Level = 0;     // indentation steps: 0 for the root, one more per level
  LineKind Kind = Root;

  bool operator==(const FolderLine&) const = default;
};

// The lines of the folder list for the shown folder (an absolute path): the
// root "/", each folder on the way down to the shown folder's parent, the
// shown folder itself, then its subfolders (as given, already sorted) one
// level further in. When the root is shown, its line is the only path line
// and is the Current line.
std::vector<FolderLine> FolderLines(const std::string& shownFolder,
                                    const std::vector<std::string>& subfolders);

// The index of the shown folder's line (the one to select) in lines.
std::size_t CurrentLineIndex(const std::vector<FolderLine>& lines);

// The folder that showing path would show: path resolved against
// currentFolder when relative, checked to be a folder that can be read and
// entered, and returned absolute and canonical (links resolved, no "." or
// ".." parts, no trailing "/" except the root "/"). Nothing is changed: the
// caller makes it the current directory. Failure raises EInOutError: 2 "File
// not found" for a missing folder, 3 "Invalid filename" for a file, 5 "File
// access denied" for a folder that may not be read or entered.
std::string EnterFolder(const std::string& path, const std::string& currentFolder);
