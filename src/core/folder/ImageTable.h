// The pictures of the shown folder with their descriptions, in listing
// order. An entry is byte for byte the record of the description file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Record layout, 513 bytes, no padding:
//   offset   0, 256 bytes: Name, length byte L then L bytes of the file name
//   offset 256, 256 bytes: Description, length byte then up to 255 bytes
//   offset 512,   1 byte : Hidden flag, always written as 0
struct PictureEntry {
  static constexpr std::size_t NameOffset = 0;
  static constexpr std::size_t DescriptionOffset = 256;
  static constexpr std::size_t HiddenOffset = 512;
  static constexpr std::size_t RecordSize = 513;
  static constexpr std::size_t MaxText = 255;

  std::uint8_t Name[256] = {};
  std::uint8_t Description[256] = {};
  std::uint8_t Hidden = 0;

  std::string NameText() const { return std::string(NameView()); }
  std::string DescriptionText() const { return std::string(DescriptionView()); }
  // The same without a copy, valid while the entry is.
  std::string_view NameView() const { return Field(Name); }
  std::string_view DescriptionView() const { return Field(Description); }
  // Both cut the text to 255 bytes without splitting a UTF-8 character.
  void SetName(std::string_view text) { SetField(Name, text); }
  void SetDescription(std::string_view text) { SetField(Description, text); }

 private:
  static std::string_view Field(const std::uint8_t (&field)[256]) {
    return std::string_view(reinterpret_cast<const char*>(field + 1), field[0]);
  }
  static void SetField(std::uint8_t (&field)[256], std::string_view text);
};
static_assert(sizeof(PictureEntry) == PictureEntry::RecordSize, "record must be 513 bytes");

class ImageTable {
 public:
  std::vector<PictureEntry> Entries;
  int PictureCount() const { return static_cast<int>(Entries.size()); }
};

// One entry per listed file, in list order, with empty descriptions.
void BuildImageTable(ImageTable& table, const std::vector<std::string>& fileNames);

// The same for the shown folder listed again (after the description editor
// renamed a picture): an entry whose name the table held already keeps its
// description, loaded or typed; a new name starts with an empty one.
void RebuildImageTable(ImageTable& table, const std::vector<std::string>& fileNames);
