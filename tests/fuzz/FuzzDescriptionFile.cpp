// Fuzz target for the description file "!.KVD": any bytes as the file,
// loaded into a table whose names come from the file's own records (as
// written, with their ASCII letter case swapped) and a few fixed names. Checked
// besides not crashing against a plain reading of the record format: every
// entry gets the description of the last record of its name (ASCII letter
// case ignored) or keeps its own; names and hidden flags never change; a
// file that ends inside a record raises EInOutError 100 "Read beyond end of
// file" after the whole records before it were applied, any other file
// raises nothing.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "core/folder/DescriptionFile.h"
#include "core/folder/ImageTable.h"
#include "core/platform/Errors.h"
#include "core/platform/Text.h"

namespace {
constexpr std::size_t NameLengthAt = 0;
constexpr std::size_t DescriptionLengthAt = 256;

// A length-prefixed field of a record, read by the format alone.
std::string Field(std::string_view record, std::size_t at) {
  const auto length = static_cast<unsigned char>(record[at]);
  return std::string(record.substr(at + 1, length));
}

std::string SwapAsciiCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
    else if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string path = WriteScratchFile(DescriptionFileName, bytes);
  constexpr std::size_t RecordSize = PictureEntry::RecordSize;
  const std::size_t records = size / RecordSize;

  std::vector<std::string> names = {"a.jpg", "IMG_01.JPG", ""};
  for (std::size_t r = 0; r < records && r < 16; ++r) {
    const std::string name = Field(bytes.substr(r * RecordSize, RecordSize), NameLengthAt);
    names.push_back(r % 2 ? SwapAsciiCase(name) : name);
  }
  ImageTable table;
  BuildImageTable(table, names);
  for (std::size_t i = 0; i < table.Entries.size(); ++i)
    table.Entries[i].SetDescription("kept " + std::to_string(i));
  const ImageTable before = table;

  // The expected table, record by record.
  std::vector<std::string> expected;
  for (const auto& entry : table.Entries) expected.push_back(entry.DescriptionText());
  for (std::size_t r = 0; r < records; ++r) {
    const std::string_view record = bytes.substr(r * RecordSize, RecordSize);
    const std::string recordName = UpperAscii(Field(record, NameLengthAt));
    for (std::size_t i = 0; i < table.Entries.size(); ++i)
      if (UpperAscii(table.Entries[i].NameText()) == recordName)
        expected[i] = Field(record, DescriptionLengthAt);
  }

  int code = 0;
  try {
    LoadDescriptions(table, path);
  } catch (const EInOutError& e) {
    code = e.ErrorCode();
    if (e.Message() != "Read beyond end of file") PropertyBroken("message " + e.Message());
  }
  const int expectedCode = size % RecordSize != 0 ? 100 : 0;
  if (code != expectedCode)
    PropertyBroken("error code " + std::to_string(code) + ", expected " +
                   std::to_string(expectedCode));

  for (std::size_t i = 0; i < table.Entries.size(); ++i) {
    const PictureEntry& entry = table.Entries[i];
    if (std::memcmp(entry.Name, before.Entries[i].Name, sizeof entry.Name) != 0 ||
        entry.Hidden != before.Entries[i].Hidden)
      PropertyBroken("a load changed a name or a hidden flag");
    if (entry.DescriptionText() != expected[i])
      PropertyBroken("entry " + std::to_string(i) + " has description \"" +
                     entry.DescriptionText() + "\", expected \"" + expected[i] + "\"");
  }
  return 0;
}
