#include "core/publish/CopyPlan.h"

#include <set>

#include "core/album/AlbumBuild.h"
#include "core/album/HtmlNames.h"
#include "core/pictures/FileFormats.h"
#include "core/pictures/PictureReaders.h"
#include "core/pictures/PictureSource.h"
#include "core/platform/Errors.h"
#include "core/platform/Text.h"
#include "core/publish/JpegWebCopy.h"

namespace {

bool Fits(const PictureHeader& header, int maxSize) {
  return maxSize <= 0 || (header.Width <= maxSize && header.Height <= maxSize);
}

// The header of a picture whose copy depends on it; nullopt-like empty
// header (Width 0) when it cannot be read.
PictureHeader HeaderOf(const std::string& folder, const std::string& name, PictureKind kind,
                       const ScreenMetrics& screen) {
  try {
    FilePictureSource file(folder, name);
    return ReadPictureHeader(kind, file, screen);
  } catch (const Exception&) {
    return {};
  }
}

// The way and format of a picture's copy.
void Decide(PlannedCopy& copy, const std::string& folder, const ScreenMetrics& screen) {
  WebCopyOrder& order = copy.Order;
  auto header = [&] { return HeaderOf(folder, copy.SourceName, order.Kind, screen); };
  switch (order.Kind) {
    case PictureKind::Jpeg:
      copy.Way = CopyWay::JpegCopy;
      order.Format = CopyFormat::Jpeg;
      return;
    case PictureKind::Png: {
      const PictureHeader h = header();
      copy.Way = Fits(h, order.MaxSize) && h.Orientation == 1 ? CopyWay::Filtered : CopyWay::Drawn;
      order.Format = CopyFormat::Png;
      return;
    }
    case PictureKind::Gif: {
      const bool fits = Fits(header(), order.MaxSize);
      copy.Way = fits ? CopyWay::Filtered : CopyWay::Drawn;
      order.Format = fits ? CopyFormat::Gif : CopyFormat::Png;
      return;
    }
    case PictureKind::Heif:
    case PictureKind::Avif:
    case PictureKind::WebP:
    case PictureKind::Tiff:
      copy.Way = CopyWay::Drawn;
      order.Format = header().Alpha ? CopyFormat::Png : CopyFormat::Jpeg;
      return;
    case PictureKind::Metafile: {
      // Twice the size the page shows, for high-density screens.
      const PictureHeader h = header();
      const DisplaySize shown = FitDisplaySize(std::max(h.Width, 0), std::max(h.Height, 0));
      const WebCopySize size = FitWithin(2 * shown.Width, 2 * shown.Height, order.MaxSize);
      order.Width = size.Width;
      order.Height = size.Height;
      copy.Way = CopyWay::Drawn;
      order.Format = CopyFormat::Png;
      return;
    }
    case PictureKind::Bitmap:
    case PictureKind::Icon:
      copy.Way = CopyWay::Drawn;
      order.Format = CopyFormat::Png;
      return;
  }
}

bool KeepsItsKind(const WebCopyOrder& order) {
  return (order.Kind == PictureKind::Jpeg && order.Format == CopyFormat::Jpeg) ||
         (order.Kind == PictureKind::Png && order.Format == CopyFormat::Png) ||
         (order.Kind == PictureKind::Gif && order.Format == CopyFormat::Gif);
}

// The value of an attribute at `at`: quoted, or up to a blank or ">".
std::size_t ValueEnd(const std::string& page, std::size_t at) {
  if (at < page.size() && (page[at] == '"' || page[at] == '\'')) {
    const std::size_t close = page.find(page[at], at + 1);
    return close == std::string::npos ? page.size() : close + 1;
  }
  std::size_t end = at;
  while (end < page.size() && page[end] != ' ' && page[end] != '>' && page[end] != '\t' &&
         page[end] != '\r' && page[end] != '\n')
    ++end;
  return end;
}

}  // namespace

const char* CopyExtension(CopyFormat format) {
  switch (format) {
    case CopyFormat::Png:
      return "png";
    case CopyFormat::Gif:
      return "gif";
    case CopyFormat::Jpeg:
      break;
  }
  return "jpg";
}

std::vector<PlannedCopy> PlanCopies(const std::string& folder,
                                    const std::vector<std::string>& pictures, int maxSize,
                                    const ScreenMetrics& screen) {
  // One picture per lower-cased name.
  std::map<std::string, std::string> sources;
  for (const std::string& picture : pictures) {
    const std::string name = LowerAscii(picture);
    auto [at, added] = sources.emplace(name, picture);
    if (!added && picture == name) at->second = picture;
  }
  std::vector<PlannedCopy> copies;
  std::set<std::string> taken;
  for (const std::string& picture : pictures) {
    const std::string name = LowerAscii(picture);
    if (sources[name] != picture || !taken.insert(name).second) continue;
    PlannedCopy copy;
    copy.Name = name;
    copy.SourceName = picture;
    copy.Order.Kind = PictureKindOfFile(picture, /*allKinds=*/true);
    copy.Order.MaxSize = maxSize;
    Decide(copy, folder, screen);
    copies.push_back(std::move(copy));
  }

  // The copies that keep their kind keep their names; the others take the
  // new extension, after the old one where the plain name is taken.
  taken.clear();
  for (const PlannedCopy& copy : copies)
    if (KeepsItsKind(copy.Order)) taken.insert(copy.Name);
  for (PlannedCopy& copy : copies) {
    if (KeepsItsKind(copy.Order)) continue;
    const std::string extension = std::string(".") + CopyExtension(copy.Order.Format);
    const std::size_t dot = copy.Name.rfind('.');
    std::string name = copy.Name.substr(0, dot) + extension;
    if (taken.count(name) != 0) name = copy.Name + extension;
    for (int n = 2; taken.count(name) != 0; ++n)
      name = copy.Name + "-" + std::to_string(n) + extension;
    taken.insert(name);
    copy.Name = std::move(name);
  }
  return copies;
}

std::string PageWithCopyNames(const std::string& page, const std::vector<PlannedCopy>& copies) {
  std::map<std::string, std::string> urls;
  for (const PlannedCopy& copy : copies) {
    const std::string from = PageUrlName(copy.SourceName);
    const std::string to = PageUrlName(copy.Name);
    if (from != to) urls.emplace(from, to);
  }
  if (urls.empty()) return page;
  std::string out;
  out.reserve(page.size() + page.size() / 16);
  std::size_t done = 0;
  for (std::size_t at = 0; at < page.size();) {
    const std::size_t src = page.find("src=", at);
    const std::size_t href = page.find("HRef=", at);
    const std::size_t found = std::min(src, href);
    if (found == std::string::npos) break;
    const std::size_t value = found + (found == src ? 4 : 5);
    const std::size_t end = ValueEnd(page, value);
    std::string_view text(page.data() + value, end - value);
    const bool quoted = !text.empty() && (text[0] == '"' || text[0] == '\'');
    if (quoted) text = text.substr(1, text.size() >= 2 ? text.size() - 2 : 0);
    if (const auto it = urls.find(std::string(text)); it != urls.end()) {
      const std::size_t from = value + (quoted ? 1 : 0);
      out.append(page, done, from - done);
      out += it->second;
      done = from + text.size();
    }
    at = end > value ? end : value;
  }
  out.append(page, done, std::string::npos);
  return out;
}
