// Fuzz target for the manifest of a published folder, a file in a folder
// that may be shared or synced. Reading any text gives copies and pages
// whose names are plain names in the folder (never a path that leads out of
// it), and writing them and reading them back gives the same ones.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "core/publish/PublishManifest.h"

namespace {
bool PlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\0", 2)) == std::string::npos;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const PublishManifest manifest = ParsePublishManifest(text);
  for (const auto& [name, entry] : manifest.Copies) {
    if (name != entry.Name) PropertyBroken("an entry is kept under another name");
    if (!PlainName(entry.Name) || !PlainName(entry.SourceName))
      PropertyBroken("an entry names a path: \"" + entry.Name + "\" from \"" + entry.SourceName +
                     "\"");
  }
  for (const std::string& page : manifest.Pages)
    if (!PlainName(page)) PropertyBroken("a page names a path: \"" + page + "\"");
  const PublishManifest again = ParsePublishManifest(FormatPublishManifest(manifest));
  if (again.Copies != manifest.Copies || again.Pages != manifest.Pages)
    PropertyBroken("the manifest does not read back as written");
  return 0;
}
