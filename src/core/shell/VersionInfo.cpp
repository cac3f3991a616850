#include "core/shell/VersionInfo.h"

const VersionRecord& ProgramVersionRecord() {
  static const VersionRecord record = [] {
    VersionRecord r;
    r.FileVersionMS = 0x00030001;
    r.FileVersionLS = 0x00000002;
    r.ProductVersionMS = 0x00030001;
    r.ProductVersionLS = 0x00000002;
    r.FlagsMask = 0x3F;
    r.Flags = 0;
    r.FileOS = 4;    // 32-bit Windows
    r.FileType = 1;  // application
    r.FileSubtype = 0;
    r.StringBlocks.push_back(
        {"040904E4",
         {{"CompanyName", "Orvane Software"},
          {"FileDescription", "Ambrelin"},
          {"FileVersion", "3.1.0.2"},
          {"InternalName", "Ambrelin"},
          {"LegalCopyright", ""},
          {"LegalTrademarks", ""},
          {"OriginalFilename", ""},
          {"ProductName", "Ambrelin"},
          {"ProductVersion", "1.0.0.0"},
          {"Comments", "Turns a folder of pictures into an HTML album page"}}});
    r.Translations.push_back({0x0409, 0x04E4});
    return r;
  }();
  return record;
}

namespace {
std::string LookUpString(const VersionRecord& record, const std::string& key) {
  for (const auto& block : record.StringBlocks) {
    if (block.Name != "040904E4") continue;
    for (const auto& [name, value] : block.Strings)
      if (name == key) return value.substr(0, value.find('\0'));
  }
  return {};
}
}  // namespace

void ReadVersionInfo(VersionInfo& info, const VersionRecord* record) {
  if (!record) return;
  info.MajorVersion = std::to_string(record->FileVersionMS >> 16);
  info.MinorVersion = std::to_string(record->FileVersionMS & 0xFFFF);
  info.FileVersion = LookUpString(*record, "FileVersion");
  info.ProductName = LookUpString(*record, "ProductName");
  info.CompanyName = LookUpString(*record, "CompanyName");
}
