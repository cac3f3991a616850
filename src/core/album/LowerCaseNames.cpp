#include "core/album/LowerCaseNames.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>
#include <utility>

#include "core/folder/DescriptionFile.h"
#include "core/platform/Errors.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Text.h"

namespace {
bool HasCapitals(const std::string& name) {
  return LowerAscii(name) != name;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

struct DirCloser {
  void operator()(DIR* d) const { closedir(d); }
};

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  std::unique_ptr<DIR, DirCloser> d(opendir(folder.c_str()));
  if (!d) return names;
  while (const dirent* e = readdir(d.get())) {
    const std::string_view name(e->d_name);
    if (name != "." && name != "..") names.emplace_back(name);
  }
  return names;
}

// The entry other than the picture itself whose name equals newName
// ignoring ASCII letter case; empty when there is none.
std::string OtherEntryNamed(const std::string& folder, const std::vector<std::string>& entries,
                            const std::string& picture, const std::string& newName) {
  struct stat pictureStat;
  const bool known = lstat(JoinPath(folder, picture).c_str(), &pictureStat) == 0;
  for (const std::string& entry : entries) {
    if (entry == picture || !EqualIgnoringAsciiCase(entry, newName)) continue;
    struct stat entryStat;
    if (known && lstat(JoinPath(folder, entry).c_str(), &entryStat) == 0 &&
        SameFile(entryStat, pictureStat))
      continue;  // the picture itself, seen under a name that ignores case
    return entry;
  }
  return {};
}

std::string CountedPictures(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " picture" : " pictures");
}

// Why a picture was left alone.
std::string NotRenamedReason(const LowerCaseRename& r) {
  if (r.Errno != EEXIST) return InOutErrorMessage(InOutCodeFromErrno(r.Errno));
  if (r.Taken.empty() || r.Taken == r.NewName) return "another file has that name";
  return r.Taken + " differs from that name only in letter case";
}
}  // namespace

std::vector<std::string> PicturesMissedByLowerCaseLinks(const std::string& folder,
                                                        const std::vector<std::string>& pictures) {
  std::vector<std::string> missed;
  for (const std::string& name : pictures) {
    if (!HasCapitals(name)) continue;
    struct stat pictureStat, linkStat;
    if (stat(JoinPath(folder, name).c_str(), &pictureStat) != 0) continue;
    if (stat(JoinPath(folder, LowerAscii(name)).c_str(), &linkStat) != 0 ||
        !SameFile(pictureStat, linkStat))
      missed.push_back(name);
  }
  return missed;
}

std::vector<LowerCaseRename> RenamePicturesToLowerCase(const std::string& folder,
                                                       const std::vector<std::string>& pictures) {
  std::vector<LowerCaseRename> results;
  std::vector<std::string> entries = FolderEntries(folder);
  for (const std::string& name : pictures) {
    if (!HasCapitals(name)) continue;
    LowerCaseRename result{name, LowerAscii(name), 0, {}};
    // Another entry equal to the new name ignoring case counts as taken,
    // as RenameNoReplace counts it; the check here also sees such an entry
    // when the picture itself comes first in the folder.
    result.Taken = OtherEntryNamed(folder, entries, name, result.NewName);
    if (!result.Taken.empty())
      result.Errno = EEXIST;
    else
      result.Errno =
          RenameNoReplace(JoinPath(folder, result.Name), JoinPath(folder, result.NewName));
    if (result.Errno == 0)
      for (std::string& entry : entries)
        if (entry == result.Name) entry = result.NewName;
    results.push_back(std::move(result));
  }
  return results;
}

void RenameDescriptionRecordsOf(const std::string& folder,
                                const std::vector<LowerCaseRename>& renames) {
  std::vector<std::pair<std::string, std::string>> renamed;
  for (const LowerCaseRename& r : renames)
    if (r.Errno == 0) renamed.emplace_back(r.Name, r.NewName);
  if (!renamed.empty()) RenameDescriptionRecords(DescriptionFilePath(folder), renamed);
}

std::string LowerCaseWarning(const std::string& folder, const std::string& name,
                             const LowerCaseRename* rename) {
  const std::string link = LowerAscii(name);
  std::string text = "ambrelin-build: warning: " + name + ": the page links it as " + link;
  struct stat linkStat;
  if (lstat(JoinPath(folder, link).c_str(), &linkStat) == 0) {
    text += ", which is another file in this folder";
    if (rename) text += " (not renamed)";
    return text;
  }
  text += ", which this folder does not have";
  if (!rename)
    text += " (--lowercase-names renames it)";
  else if (rename->Errno != 0)
    text += " (not renamed: " + NotRenamedReason(*rename) + ")";
  return text;
}

std::string LowerCaseQuestion(const std::vector<std::string>& names) {
  constexpr std::size_t Named = 5;
  const bool one = names.size() == 1;
  std::string text = CountedPictures(names.size()) +
                     (one ? " has capital letters in its name, and the page links it"
                          : " have capital letters in their names, and the page links them") +
                     " in lower case, which this folder does not find: ";
  for (std::size_t i = 0; i < names.size() && i < Named; ++i) {
    if (i > 0) text += ", ";
    text += names[i];
  }
  if (names.size() > Named) text += " and " + std::to_string(names.size() - Named) + " more";
  text += one ? ".\n\nRename it to lower case?" : ".\n\nRename them to lower case?";
  return text;
}

std::string LowerCaseNotRenamedNote(const std::vector<LowerCaseRename>& renames) {
  std::string lines;
  std::size_t count = 0;
  for (const LowerCaseRename& r : renames) {
    if (r.Errno == 0) continue;
    ++count;
    lines += "\n" + r.Name + ": " + NotRenamedReason(r);
  }
  if (count == 0) return {};
  return CountedPictures(count) + (count == 1 ? " was" : " were") +
         " not renamed, and the page still does not find " + (count == 1 ? "it" : "them") + ":" +
         lines;
}
