// Fuzz target for the manifest of a published folder, a file in a folder
// that may be shared or synced. Reading any text gives entries whose names
// are plain names in the folder (never a path that leads out of it), and
// writing them and reading them back gives the same entries.
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
  for (const auto& [name, entry] : manifest) {
    if (name != entry.Name) PropertyBroken("an entry is kept under another name");
    if (!PlainName(entry.Name) || !PlainName(entry.SourceName))
      PropertyBroken("an entry names a path: \"" + entry.Name + "\" from \"" + entry.SourceName +
                     "\"");
  }
  if (ParsePublishManifest(FormatPublishManifest(manifest)) != manifest)
    PropertyBroken("the manifest does not read back as written");
  return 0;
}
