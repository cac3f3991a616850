// The manifest of a published folder, ".ambrelin-publish": what each copy
// was made from and by which rules, so a publish makes again only what has
// changed, and removes only copies it made itself.
//
// A text file: the line "ambrelin-publish 2", then one line per copy with
// seven fields separated by tabs: the copy's name, the picture's name in the
// picture folder, the picture's size in bytes and modification time (in
// nanoseconds since 1970), the largest side asked for, the version of the
// copy rules and the copy's size in bytes; and one line per page that
// publishing wrote into the folder: "page", a tab and the page's name. In
// names, "%", tabs, line breaks and other control characters are written as
// "%" and two hexadecimal digits. Lines ending in CR LF or LF are read
// alike; lines that do not read as an entry, and entries whose names are
// not plain names of files in the folder (a path, "..", a "/" written as
// "%2F"), are left out, and a file with another first line counts as no
// manifest. A manifest of the first version, "ambrelin-publish 1", has no
// page lines.
//
// What the manifest lists is the publish's own; every other file of the
// folder is someone else's and is never written over.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>

inline constexpr char PublishManifestName[] = ".ambrelin-publish";

// Moves on whenever the copies would come out differently, so that every
// copy is made again once.
inline constexpr int CopyRulesVersion = 2;

struct ManifestEntry {
  std::string Name;        // the copy in the published folder
  std::string SourceName;  // the picture in the picture folder
  std::uint64_t SourceSize = 0;
  std::int64_t SourceModified = 0;  // nanoseconds since 1970
  int MaxSize = 0;
  int RulesVersion = 0;
  std::uint64_t CopySize = 0;
  bool operator==(const ManifestEntry&) const = default;
};

struct PublishManifest {
  // 2 for a manifest of this version, 1 for one written before pages were
  // listed, 0 for a text that is no manifest.
  int Version = 0;
  std::map<std::string, ManifestEntry> Copies;  // by copy name
  std::set<std::string> Pages;
};

PublishManifest ParsePublishManifest(std::string_view text);
std::string FormatPublishManifest(const PublishManifest& manifest);
