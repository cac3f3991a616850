// HEIF and AVIF headers: the ISOBMFF boxes of the primary item. The file
// type comes first; the top-level boxes after it are passed over by their
// sizes up to the meta box; of the meta box's boxes only the handler, the
// primary item and the item properties are read, and of the properties
// only the primary item's spatial extents and transformations. So a meta
// box behind the media data, a large colour profile or thousands of tiles
// cost no more than the few headers walked, within the measuring budget.
//
// The size is the one browsers show. The primary item's ispe gives the
// coded size (the whole grid for a grid picture); rotations by a quarter
// turn swap width and height, mirroring changes neither. A clean aperture
// crops a HEIF picture (Safari, the one browser that shows HEIF, crops);
// Chromium ignores it in AVIF pictures, and so does this reader. An EXIF
// orientation in either kind is not applied: the transformations say how
// to show the picture.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

#include "core/pictures/HeaderWindow.h"
#include "core/pictures/PictureReaders.h"
#include "core/pictures/formats/Exif.h"
#include "core/pictures/formats/Isobmff.h"
#include "core/platform/Errors.h"

namespace {

using namespace isobmff;

// The ipma boxes read: a file has one, or one for each form of its entries.
constexpr std::size_t MaxIpmaBoxes = 4;

class HeifBoxes {
 public:
  HeifBoxes(PictureSource& source, bool avif) : Window(source), Avif(avif) {}

  [[noreturn]] void NotValid() const {
    throw EInvalidGraphic(Avif ? "AVIF image is not valid" : "HEIF image is not valid");
  }

  std::uint64_t FileSize() const { return Window.FileSize(); }

  // The n bytes at offset, all of them: a file that ends first raises
  // EReadError; a read beyond the budget means boxes that lie about their
  // sizes.
  ByteReader ReadWhole(std::uint64_t offset, std::uint64_t n) {
    if (n > MeasuringBudget) NotValid();
    const ByteReader bytes = Window.Read(offset, static_cast<std::size_t>(n));
    if (Window.Exhausted()) NotValid();
    if (bytes.Size() < n) throw EReadError();  // "Stream read error"
    return bytes;
  }

  struct BoxAt {
    std::uint32_t Type = 0;
    std::uint64_t DataAt = 0;  // file offset of the box's data
    std::uint64_t End = 0;     // file offset after the box
    std::uint64_t DataSize() const { return End - DataAt; }
  };

  // The box at `at`, which its parent ends at `limit`. A box that reaches
  // beyond the end of the file raises EReadError (the file is cut short),
  // one that reaches beyond its parent is not valid.
  BoxAt Box(std::uint64_t at, std::uint64_t limit) {
    ByteReader header = ReadWhole(at, isobmff::Box::HeaderSize);
    BoxAt box;
    box.Type = header.U32BigEndian(isobmff::Box::TypeAt);
    std::uint64_t size = header.U32BigEndian(isobmff::Box::SizeAt);
    std::uint64_t headerSize = isobmff::Box::HeaderSize;
    if (size == SizeIsLarge) {
      header = ReadWhole(at, isobmff::Box::LargeHeaderSize);
      size = std::uint64_t{header.U32BigEndian(isobmff::Box::LargeSizeAt)} << 32 |
             header.U32BigEndian(isobmff::Box::LargeSizeAt + 4);
      headerSize = isobmff::Box::LargeHeaderSize;
    } else if (size == SizeToEnd) {
      size = limit - at;
    }
    if (size < headerSize) NotValid();
    if (size > limit - at) {
      if (limit < FileSize()) NotValid();
      throw EReadError();
    }
    box.DataAt = at + headerSize;
    box.End = at + size;
    return box;
  }

  // The data of a box, whole or up to limit bytes of it.
  ByteReader Data(const BoxAt& box, std::uint64_t limit = MeasuringBudget) {
    return ReadWhole(box.DataAt, std::min(box.DataSize(), limit));
  }

  HeaderWindow Window;
  bool Avif;
};

bool Lists(const std::uint32_t* brands, std::size_t count, std::uint32_t brand) {
  for (std::size_t i = 0; i < count; ++i)
    if (brands[i] == brand) return true;
  return false;
}

// The file type box names a brand of the kind.
bool HasBrandOfKind(const ByteReader& fileType, bool avif) {
  const auto known = [&](std::uint32_t brand) {
    return avif ? Lists(AvifBrands, std::size(AvifBrands), brand)
                : Lists(HeifBrands, std::size(HeifBrands), brand);
  };
  if (known(fileType.U32BigEndian(FileType::MajorBrandAt))) return true;
  for (std::size_t at = FileType::CompatibleBrandsAt; fileType.Has(at, FileType::BrandSize);
       at += FileType::BrandSize)
    if (known(fileType.U32BigEndian(at))) return true;
  return false;
}

// How a picture is turned for display: quarter turns clockwise after an
// optional mirroring left to right, composed as the properties come.
struct Turn {
  int Clockwise = 0;  // 0 to 3
  bool Mirrored = false;

  void Then(int clockwise, bool mirrored) {
    // Mirroring then turning one way equals turning the other way first.
    Clockwise = ((mirrored ? -Clockwise : Clockwise) + clockwise + 8) % 4;
    Mirrored = Mirrored != mirrored;
  }
  bool SwapsWidthAndHeight() const { return Clockwise % 2 == 1; }
  // The EXIF orientation that shows the picture the same way.
  int ExifOrientation() const {
    static constexpr int plain[4] = {exif::Upright, exif::Clockwise, exif::UpsideDown,
                                     exif::Anticlockwise};
    static constexpr int mirrored[4] = {exif::Mirrored, exif::Transversed, exif::Flipped,
                                        exif::Transposed};
    return (Mirrored ? mirrored : plain)[Clockwise];
  }
};

// A fraction of u32 numbers rounded to the nearest integer (halves up).
std::uint64_t Rounded(std::uint32_t numerator, std::uint32_t denominator) {
  return (std::uint64_t{numerator} + denominator / 2) / denominator;
}

}  // namespace

PictureHeader ReadHeifHeader(PictureSource& source, bool avif) {
  HeifBoxes boxes(source, avif);
  const std::uint64_t fileSize = boxes.FileSize();

  // The file type, first.
  const HeifBoxes::BoxAt fileType = boxes.Box(0, fileSize);
  if (fileType.Type != Ftyp || fileType.DataSize() < FileType::CompatibleBrandsAt) boxes.NotValid();
  const ByteReader brands = boxes.Data(fileType, HeaderWindow::ChunkSize);
  if (!HasBrandOfKind(brands, avif)) boxes.NotValid();

  // The meta box; the file must not end before it.
  HeifBoxes::BoxAt meta;
  for (std::uint64_t at = fileType.End;; at = meta.End) {
    if (at >= fileSize) throw EReadError();
    meta = boxes.Box(at, fileSize);
    if (meta.Type == Meta) break;
  }

  // Its handler, primary item and item properties.
  bool pictures = false;
  bool primaryFound = false;
  std::uint32_t primary = 0;
  HeifBoxes::BoxAt properties;
  std::vector<HeifBoxes::BoxAt> associations;
  for (std::uint64_t at = meta.DataAt + FullBox::Size; at < meta.End;) {
    const HeifBoxes::BoxAt box = boxes.Box(at, meta.End);
    at = box.End;
    if (box.Type == Hdlr) {
      const ByteReader data = boxes.Data(box, Handler::Size);
      pictures = data.Size() >= Handler::Size &&
                 data.U32BigEndian(Handler::HandlerTypeAt) == PictureHandler;
    } else if (box.Type == Pitm) {
      const ByteReader data = boxes.Data(box, PrimaryItem::ItemIdAt + 4);
      const bool wide = data.U8(FullBox::VersionAt) != 0;
      if (!data.Has(PrimaryItem::ItemIdAt, wide ? 4 : 2)) boxes.NotValid();
      primary = wide ? data.U32BigEndian(PrimaryItem::ItemIdAt)
                     : data.U16BigEndian(PrimaryItem::ItemIdAt);
      primaryFound = true;
    } else if (box.Type == Iprp) {
      for (std::uint64_t inner = box.DataAt; inner < box.End;) {
        const HeifBoxes::BoxAt child = boxes.Box(inner, box.End);
        inner = child.End;
        if (child.Type == Ipco && properties.Type == 0)
          properties = child;
        else if (child.Type == Ipma && associations.size() < MaxIpmaBoxes)
          associations.push_back(child);
      }
    }
  }
  if (!pictures || !primaryFound || properties.Type == 0) boxes.NotValid();

  // The primary item's property indices, in their order.
  std::vector<std::uint16_t> indices;
  for (const HeifBoxes::BoxAt& box : associations) {
    const ByteReader data = boxes.Data(box);
    if (!data.Has(0, Associations::EntriesAt)) boxes.NotValid();
    const bool wideItems = data.U8(FullBox::VersionAt) != 0;
    // The flags' low bit is the low bit of the version and flags together.
    const bool wideIndices = (data.U32BigEndian(FullBox::VersionAt) & WideIndicesFlag) != 0;
    const std::uint32_t entries = data.U32BigEndian(Associations::EntryCountAt);
    std::size_t at = Associations::EntriesAt;
    for (std::uint32_t e = 0; e < entries && indices.empty(); ++e) {
      const std::size_t idSize = wideItems ? 4 : 2;
      if (!data.Has(at, idSize + 1)) boxes.NotValid();
      const std::uint32_t item = wideItems ? data.U32BigEndian(at) : data.U16BigEndian(at);
      const std::uint8_t count = data.U8(at + idSize);
      at += idSize + 1;
      const std::size_t indexSize = wideIndices ? 2 : 1;
      if (!data.HasArray(at, count, indexSize)) boxes.NotValid();
      if (item == primary)
        for (std::uint8_t i = 0; i < count; ++i)
          indices.push_back(wideIndices ? data.U16BigEndian(at + i * indexSize) & WideIndexMask
                                        : data.U8(at + i) & IndexMask);
      at += count * indexSize;
    }
    if (!indices.empty()) break;
  }

  // The properties those indices name, by walking the property boxes (at
  // most 255 of them are named, whatever the indices).
  std::vector<std::pair<std::uint16_t, HeifBoxes::BoxAt>> named;
  const std::uint16_t lastIndex =
      indices.empty() ? 0 : *std::max_element(indices.begin(), indices.end());
  std::uint64_t at = properties.DataAt;
  for (std::uint16_t index = 1; index <= lastIndex; ++index) {
    if (at >= properties.End) boxes.NotValid();  // an index beyond the last property
    const HeifBoxes::BoxAt box = boxes.Box(at, properties.End);
    at = box.End;
    if (std::find(indices.begin(), indices.end(), index) != indices.end())
      named.emplace_back(index, box);
  }
  const auto property = [&](std::uint16_t index) {
    for (const auto& [number, box] : named)
      if (number == index) return box;
    return HeifBoxes::BoxAt();  // index 0: no property
  };

  // The extents, then the transformations in their order.
  std::uint64_t width = 0, height = 0;
  for (const std::uint16_t index : indices) {
    const HeifBoxes::BoxAt box = property(index);
    if (box.Type != Ispe) continue;
    const ByteReader data = boxes.Data(box, SpatialExtents::Size);
    if (data.Size() < SpatialExtents::Size) boxes.NotValid();
    width = data.U32BigEndian(SpatialExtents::WidthAt);
    height = data.U32BigEndian(SpatialExtents::HeightAt);
    break;
  }
  if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) boxes.NotValid();
  Turn turn;
  for (const std::uint16_t index : indices) {
    const HeifBoxes::BoxAt box = property(index);
    if (box.Type == Irot || box.Type == Imir) {
      const ByteReader data = boxes.Data(box, 1);
      if (data.Size() < 1) boxes.NotValid();
      if (box.Type == Irot) {
        turn.Then(4 - (data.U8(0) & RotationMask), false);
      } else if ((data.U8(0) & MirrorMask) == MirrorLeftRight) {
        turn.Then(0, true);
      } else {
        turn.Then(2, true);  // top and bottom exchanged: mirrored, then half a turn
      }
    } else if (box.Type == Clap && !avif) {
      const ByteReader data = boxes.Data(box, CleanAperture::Size);
      if (data.Size() < CleanAperture::Size) boxes.NotValid();
      const std::uint32_t widthD = data.U32BigEndian(CleanAperture::WidthDAt);
      const std::uint32_t heightD = data.U32BigEndian(CleanAperture::HeightDAt);
      if (widthD == 0 || heightD == 0) boxes.NotValid();
      // The crop applies to the picture as turned so far.
      std::uint64_t& across = turn.SwapsWidthAndHeight() ? height : width;
      std::uint64_t& down = turn.SwapsWidthAndHeight() ? width : height;
      across = std::min(across, Rounded(data.U32BigEndian(CleanAperture::WidthNAt), widthD));
      down = std::min(down, Rounded(data.U32BigEndian(CleanAperture::HeightNAt), heightD));
      if (across == 0 || down == 0) boxes.NotValid();
    }
  }

  // An alpha plane anywhere among the properties: an auxiliary image of
  // the picture (or of its thumbnail) that holds transparency.
  PictureHeader header;
  at = properties.DataAt;
  for (int n = 0; n < MostPropertiesForAlpha && at < properties.End && !header.Alpha; ++n) {
    const HeifBoxes::BoxAt box = boxes.Box(at, properties.End);
    at = box.End;
    if (box.Type != Auxc) continue;
    const ByteReader data = boxes.Data(box, FullBox::Size + sizeof AlphaUrns[0]);
    const std::string_view urn =
        data.Size() > FullBox::Size
            ? std::string_view(reinterpret_cast<const char*>(data.At(FullBox::Size, 1)),
                               data.Size() - FullBox::Size)
            : std::string_view();
    for (const char* alpha : AlphaUrns)
      header.Alpha = header.Alpha || urn.substr(0, urn.find('\0')) == alpha;
  }
  header.Orientation = turn.ExifOrientation();
  header.Width = static_cast<int>(turn.SwapsWidthAndHeight() ? height : width);
  header.Height = static_cast<int>(turn.SwapsWidthAndHeight() ? width : height);
  return header;
}
