#include "core/folder/FolderListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <string_view>

#include "core/platform/Errors.h"
#include "core/platform/FileSystem.h"
#include "core/platform/LocalText.h"
#include "core/platform/Text.h"

// ---------------------------------------------------------------------------
// Name order

NameOrder::NameOrder() : NameOrder(QLocale::system()) {}

NameOrder::NameOrder(const QLocale& locale) : CollationLocale(locale), Collator(locale) {
  // Set on this collator itself, never on a copy: with Qt 6.4 a copy that
  // is changed starts again from the locale's defaults.
  Collator.setCaseSensitivity(Qt::CaseInsensitive);
  Collator.setNumericMode(false);
  Collator.setIgnorePunctuation(false);
}

namespace {

// The sort key of the C locale. Qt's own key there is the case-sensitive
// UTF-8 text, which would put every capital before every small letter. An
// ASCII name folds to its lower-case bytes, without the trip through a
// QString (and, being short, without an allocation of its own).
std::string FoldedKey(const std::string& name) {
  if (std::all_of(name.begin(), name.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return LowerAscii(name);
  return FromLocal(name).toCaseFolded().toStdString();
}

// Sorts names by their keys, equal keys by the names' bytes, with one sort
// over indices (keys and names are not moved while sorting). With
// dropEqual, a name whose key equals the key of the name kept before it is
// left out.
template <typename Key>
void SortByKeys(std::vector<std::string>& names, const std::vector<Key>& keys, bool dropEqual) {
  std::vector<std::uint32_t> index(names.size());
  std::iota(index.begin(), index.end(), 0u);
  std::sort(index.begin(), index.end(), [&](std::uint32_t a, std::uint32_t b) {
    const int byKey = keys[a].compare(keys[b]);
    if (byKey != 0) return byKey < 0;
    return names[a] < names[b];
  });
  std::vector<std::string> sorted;
  sorted.reserve(names.size());
  const Key* lastKept = nullptr;
  for (const std::uint32_t i : index) {
    if (dropEqual && lastKept && lastKept->compare(keys[i]) == 0) continue;
    sorted.push_back(std::move(names[i]));
    lastKept = &keys[i];
  }
  names = std::move(sorted);
}

}  // namespace

int NameOrder::Compare(const std::string& a, const std::string& b) const {
  if (PlainOrder()) return FoldedKey(a).compare(FoldedKey(b));
  return Collator.compare(FromLocal(a), FromLocal(b));
}

void NameOrder::Sort(std::vector<std::string>& names, bool dropEqual) const {
  if (names.size() < 2) return;
  if (PlainOrder()) {
    std::vector<std::string> keys;
    keys.reserve(names.size());
    for (const auto& name : names) keys.push_back(FoldedKey(name));
    SortByKeys(names, keys, dropEqual);
    return;
  }
  std::vector<QCollatorSortKey> keys;
  keys.reserve(names.size());
  for (const auto& name : names) keys.push_back(Collator.sortKey(FromLocal(name)));
  SortByKeys(names, keys, dropEqual);
}

// ---------------------------------------------------------------------------
// Masks

namespace {

// One part of a file mask.
struct MaskPart {
  enum PartKind { Extension, Everything, WholeName } Kind;
  std::string Text;  // the extension, or the whole name
};

std::vector<MaskPart> ParseMask(std::string_view mask) {
  std::vector<MaskPart> parts;
  std::size_t start = 0;
  while (start <= mask.size()) {
    std::size_t end = mask.find(';', start);
    if (end == std::string_view::npos) end = mask.size();
    const std::string part = TrimControl(mask.substr(start, end - start));
    start = end + 1;
    if (part.empty()) continue;
    if (part == "*" || part == "*.*")
      parts.push_back({MaskPart::Everything, {}});
    else if (part.size() > 2 && part[0] == '*' && part[1] == '.')
      parts.push_back({MaskPart::Extension, part.substr(2)});
    else
      parts.push_back({MaskPart::WholeName, part});
  }
  return parts;
}

bool Matches(std::string_view name, const MaskPart& part) {
  switch (part.Kind) {
    case MaskPart::Everything:
      return true;
    case MaskPart::WholeName:
      return EqualIgnoringAsciiCase(name, part.Text);
    case MaskPart::Extension: {
      const std::size_t ext = part.Text.size();
      return name.size() > ext && name[name.size() - ext - 1] == '.' &&
             EqualIgnoringAsciiCase(name.substr(name.size() - ext), part.Text);
    }
  }
  return false;
}

int MatchCount(std::string_view name, const std::vector<MaskPart>& parts) {
  int count = 0;
  for (const auto& part : parts) count += Matches(name, part) ? 1 : 0;
  return count;
}

}  // namespace

int MaskMatchCount(const std::string& name, const std::string& mask) {
  return MatchCount(name, ParseMask(mask));
}

// ---------------------------------------------------------------------------
// Reading folders

namespace {

struct DirCloser {
  void operator()(DIR* d) const { closedir(d); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

DirHandle OpenFolder(const std::string& folder) {
  DirHandle dir(opendir(folder.c_str()));
  if (!dir) throw EInOutError(InOutCodeFromErrno(errno));
  return dir;
}

// The next entry, or nullptr at the end; a read error raises EInOutError.
dirent* NextEntry(DIR* dir) {
  errno = 0;
  dirent* entry = readdir(dir);
  if (!entry && errno != 0) throw EInOutError(InOutCodeFromErrno(errno));
  return entry;
}

enum class EntryType { File, Folder, Other };

// The entry's type, following a symbolic link to what it names. The type
// the folder reports is used as it is; only links and entries of file
// systems that report none cost a stat call.
EntryType TypeOf(DIR* dir, const dirent& entry) {
  switch (entry.d_type) {
    case DT_REG:
      return EntryType::File;
    case DT_DIR:
      return EntryType::Folder;
    case DT_UNKNOWN:
    case DT_LNK:
      break;
    default:
      return EntryType::Other;
  }
  struct stat st;
  if (fstatat(dirfd(dir), entry.d_name, &st, 0) != 0) return EntryType::Other;  // dangling link
  if (S_ISREG(st.st_mode)) return EntryType::File;
  if (S_ISDIR(st.st_mode)) return EntryType::Folder;
  return EntryType::Other;
}

bool IsHidden(const char* name) {
  return name[0] == '.';
}

}  // namespace

std::vector<std::string> ListPictureFiles(const std::string& folder, const std::string& mask,
                                          const NameOrder& order) {
  const std::vector<MaskPart> parts = ParseMask(mask);
  std::vector<std::string> names;
  DirHandle dir = OpenFolder(folder);
  while (const dirent* entry = NextEntry(dir.get())) {
    if (IsHidden(entry->d_name)) continue;
    const int count = MatchCount(entry->d_name, parts);
    if (count == 0 || TypeOf(dir.get(), *entry) != EntryType::File) continue;
    for (int i = 0; i < count; ++i) names.emplace_back(entry->d_name);
  }
  dir.reset();
  order.Sort(names);
  return names;
}

std::vector<std::string> ListPictureFiles(const std::string& folder, const std::string& mask) {
  return ListPictureFiles(folder, mask, NameOrder());
}

std::vector<std::string> ListSubfolders(const std::string& folder, const NameOrder& order) {
  std::vector<std::string> names;
  DirHandle dir = OpenFolder(folder);
  while (const dirent* entry = NextEntry(dir.get())) {
    // Covers "." and ".." as well as hidden folders.
    if (IsHidden(entry->d_name)) continue;
    if (TypeOf(dir.get(), *entry) == EntryType::Folder) names.emplace_back(entry->d_name);
  }
  dir.reset();
  order.Sort(names, /*dropEqual=*/true);
  return names;
}

std::vector<std::string> ListSubfolders(const std::string& folder) {
  return ListSubfolders(folder, NameOrder());
}

// ---------------------------------------------------------------------------
// Folder list lines

std::vector<FolderLine> FolderLines(const std::string& shownFolder,
                                    const std::vector<std::string>& subfolders) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start < shownFolder.size()) {
    std::size_t end = shownFolder.find('/', start);
    if (end == std::string::npos) end = shownFolder.size();
    if (end > start) parts.push_back(shownFolder.substr(start, end - start));
    start = end + 1;
  }

  std::vector<FolderLine> lines;
  lines.reserve(parts.size() + 1 + subfolders.size());
  lines.push_back({"/", "/", 0, parts.empty() ? FolderLine::Current : FolderLine::Root});
  std::string path;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    path += "/" + parts[i];
    const bool last = i + 1 == parts.size();
    lines.push_back({path, parts[i], static_cast<int>(i + 1),
                     last ? FolderLine::Current : FolderLine::Ancestor});
  }
  const std::string shown = path.empty() ? std::string("/") : path;
  const int subLevel = static_cast<int>(parts.size()) + 1;
  for (const auto& name : subfolders)
    lines.push_back({JoinPath(shown, name), name, subLevel, FolderLine::Subfolder});
  return lines;
}

std::size_t CurrentLineIndex(const std::vector<FolderLine>& lines) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].Kind == FolderLine::Current) return i;
  return 0;
}

// ---------------------------------------------------------------------------
// Entering a folder

std::string EnterFolder(const std::string& path, const std::string& currentFolder) {
  const std::string full = JoinPath(currentFolder, path);
  std::unique_ptr<char, decltype(&std::free)> resolved(realpath(full.c_str(), nullptr), &std::free);
  if (!resolved) throw EInOutError(InOutCodeFromErrno(errno));
  const std::string folder(resolved.get());
  struct stat st;
  if (stat(folder.c_str(), &st) != 0) throw EInOutError(InOutCodeFromErrno(errno));
  if (!S_ISDIR(st.st_mode)) throw EInOutError(InOutCodeFromErrno(ENOTDIR));
  // Shown means listed and made current: both reading and entering.
  OpenFolder(folder);
  if (access(folder.c_str(), X_OK) != 0) throw EInOutError(InOutCodeFromErrno(errno));
  return folder;
}
