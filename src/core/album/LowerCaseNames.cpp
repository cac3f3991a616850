#include "core/album/LowerCaseNames.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "core/folder/DescriptionFile.h"
#include "core/platform/Errors.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Text.h"

namespace {
bool HasCapitals(const std::string& name) {
  return std::any_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True when both names of folder lead to one file.
bool SameFile(const std::string& folder, const std::string& a, const std::string& b) {
  struct stat aStat, bStat;
  return stat(JoinPath(folder, a).c_str(), &aStat) == 0 &&
         stat(JoinPath(folder, b).c_str(), &bStat) == 0 && SameFile(aStat, bStat);
}

// name with every ASCII letter in the other case ("Photo.JPG": "pHOTO.jpg").
std::string OtherCase(const std::string& name) {
  std::string other = name;
  for (char& c : other)
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) c = static_cast<char>(c ^ 0x20);
  return other;
}

// Whether the file system of folder tells letter case apart, asked with one
// stat: a listed name (known to hold a letter) in the other case. A name
// that leads nowhere, or to an entry listed under that name, tells case
// apart; one that leads to the picture itself ignores it (a FAT stick, a
// share).
bool TellsLetterCaseApart(const std::string& folder, const std::string& known,
                          const std::unordered_set<std::string_view>& listed) {
  const std::string other = OtherCase(known);
  struct stat otherStat;
  if (stat(JoinPath(folder, other).c_str(), &otherStat) != 0) return true;
  if (listed.contains(other)) return true;
  struct stat knownStat;
  return stat(JoinPath(folder, known).c_str(), &knownStat) == 0 && !SameFile(knownStat, otherStat);
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

// Pictures named in a message; the others are counted.
constexpr std::size_t NamedPictures = 5;

// " and N more" for the pictures beyond the named ones, else nothing.
std::string AndMore(std::size_t count) {
  if (count <= NamedPictures) return {};
  return " and " + std::to_string(count - NamedPictures) + " more";
}

// How many pictures the page does not find, and the first of them by name.
std::string MissedPictures(const std::vector<std::string>& names) {
  const bool one = names.size() == 1;
  std::string text = CountedPictures(names.size()) +
                     (one ? " has capital letters in its name, and the page links it"
                          : " have capital letters in their names, and the page links them") +
                     " in lower case, which this folder does not find: ";
  for (std::size_t i = 0; i < names.size() && i < NamedPictures; ++i) {
    if (i > 0) text += ", ";
    text += names[i];
  }
  return text + AndMore(names.size());
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
  const auto first = std::find_if(pictures.begin(), pictures.end(), HasCapitals);
  if (first == pictures.end()) return missed;
  const std::unordered_set<std::string_view> listed(pictures.begin(), pictures.end());
  if (!TellsLetterCaseApart(folder, *first, listed)) return missed;
  // On such a file system a lower-cased name leads to the picture only when
  // the folder lists it too and it is the same file (a link to it).
  for (auto name = first; name != pictures.end(); ++name) {
    if (!HasCapitals(*name)) continue;
    const std::string link = LowerAscii(*name);
    if (!listed.contains(link) || !SameFile(folder, *name, link)) missed.push_back(*name);
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

std::string LowerCaseWarning(const std::string& folder, const std::vector<std::string>& names,
                             const std::vector<LowerCaseRename>* renames) {
  const bool one = names.size() == 1;
  if (!renames)
    return folder + ": " + MissedPictures(names) + " (--lowercase-names renames " +
           (one ? "it)" : "them)");
  // After a rename: the pictures left alone, each named one with its reason.
  std::string text = folder + ": " + CountedPictures(names.size()) +
                     (one ? " was not renamed, and the page does not find it: "
                          : " were not renamed, and the page does not find them: ");
  for (std::size_t i = 0; i < names.size() && i < NamedPictures; ++i) {
    if (i > 0) text += ", ";
    text += names[i];
    const auto rename = std::find_if(renames->begin(), renames->end(),
                                     [&](const LowerCaseRename& r) { return r.Name == names[i]; });
    if (rename != renames->end() && rename->Errno != 0)
      text += " (" + NotRenamedReason(*rename) + ")";
  }
  return text + AndMore(names.size());
}

std::string LowerCaseQuestion(const std::vector<std::string>& names) {
  const bool one = names.size() == 1;
  return MissedPictures(names) +
         (one ? ".\n\nRename it to lower case?" : ".\n\nRename them to lower case?");
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
