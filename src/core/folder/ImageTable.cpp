#include "core/folder/ImageTable.h"

#include <cstring>
#include <unordered_map>

#include "core/platform/Text.h"

void PictureEntry::SetField(std::uint8_t (&field)[256], std::string_view text) {
  std::string cut;
  if (text.size() > MaxText) text = cut = CutUtf8(text, MaxText);
  std::memset(field, 0, sizeof field);
  field[0] = static_cast<std::uint8_t>(text.size());
  std::memcpy(field + 1, text.data(), text.size());
}

void BuildImageTable(ImageTable& table, const std::vector<std::string>& fileNames) {
  table.Entries.assign(fileNames.size(), PictureEntry{});
  for (std::size_t i = 0; i < fileNames.size(); ++i) table.Entries[i].SetName(fileNames[i]);
}

void RebuildImageTable(ImageTable& table, const std::vector<std::string>& fileNames) {
  std::unordered_map<std::string, std::string> descriptions;
  for (const PictureEntry& entry : table.Entries)
    descriptions.emplace(entry.NameText(), entry.DescriptionText());
  BuildImageTable(table, fileNames);
  for (PictureEntry& entry : table.Entries) {
    const auto kept = descriptions.find(entry.NameText());
    if (kept != descriptions.end()) entry.SetDescription(kept->second);
  }
}
