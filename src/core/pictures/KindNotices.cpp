#include "core/pictures/KindNotices.h"

#include <string_view>

#include "core/pictures/FileFormats.h"
#include "core/platform/Text.h"

namespace {

struct KindName {
  const char* Extension;
  const char* Kind;
};

// The extensions of each counted kind, kinds in the order they are told.
constexpr KindName PhoneKinds[] = {{"heic", "HEIC"}, {"heif", "HEIF"}, {"hif", "HEIF"},
                                   {"avif", "AVIF"}, {"webp", "WebP"}, {"png", "PNG"},
                                   {"gif", "GIF"},   {"tif", "TIFF"},  {"tiff", "TIFF"}};
constexpr KindName SafariOnlyKinds[] = {
    {"heic", "HEIC"}, {"heif", "HEIF"}, {"hif", "HEIF"}, {"tif", "TIFF"}, {"tiff", "TIFF"}};
constexpr KindName UnshownKinds[] = {{"wmf", "WMF"}, {"emf", "EMF"}};

template <std::size_t N>
std::vector<KindCount> Count(const std::vector<std::string>& names, const KindName (&kinds)[N]) {
  std::vector<KindCount> counts;
  for (const KindName& kind : kinds)
    if (counts.empty() || counts.back().Kind != kind.Kind) counts.push_back({kind.Kind, 0});
  for (const std::string& name : names) {
    const std::string_view extension = FileExtension(name);
    for (const KindName& kind : kinds)
      if (EqualIgnoringAsciiCase(extension, kind.Extension)) {
        for (KindCount& count : counts)
          if (count.Kind == kind.Kind) ++count.Count;
        break;
      }
  }
  std::erase_if(counts, [](const KindCount& count) { return count.Count == 0; });
  return counts;
}

}  // namespace

std::vector<KindCount> CountPhoneKinds(const std::vector<std::string>& names) {
  return Count(names, PhoneKinds);
}

std::vector<KindCount> CountSafariOnlyKinds(const std::vector<std::string>& names) {
  return Count(names, SafariOnlyKinds);
}

std::vector<KindCount> CountUnshownKinds(const std::vector<std::string>& names) {
  return Count(names, UnshownKinds);
}

std::string KindCountsText(const std::vector<KindCount>& counts) {
  std::string text;
  for (const KindCount& count : counts) {
    if (!text.empty()) text += ", ";
    text += count.Kind + " " + std::to_string(count.Count);
  }
  return text;
}

int PictureTotal(const std::vector<KindCount>& counts) {
  int total = 0;
  for (const KindCount& count : counts) total += count.Count;
  return total;
}

std::string LeftOutNotice(const std::vector<std::string>& leftOut) {
  const std::vector<KindCount> counts = CountPhoneKinds(leftOut);
  const int total = PictureTotal(counts);
  if (total == 0) return std::string();
  return std::to_string(total) + (total == 1 ? " more picture: " : " more pictures: ") +
         KindCountsText(counts);
}

std::string BrowserLimits(const std::vector<std::string>& pictures) {
  const std::vector<KindCount> safari = CountSafariOnlyKinds(pictures);
  const std::vector<KindCount> none = CountUnshownKinds(pictures);
  std::string text;
  if (!safari.empty()) text = KindCountsText(safari) + " only in Safari";
  if (!none.empty()) text += (text.empty() ? "" : ", ") + KindCountsText(none) + " in no browser";
  return text;
}
