// Metafiles, both forms behind one reader: the file's content, not its
// extension, tells an enhanced metafile from a placeable Windows metafile.
//
// There is no system converter to hand the records to, so "the system
// accepts the metafile" is a structural check of our own that guarantees
// the record player a well-formed record stream:
// - enhanced form: the records tile the declared size exactly, each at least
//   8 bytes long and a multiple of 4, the first being the header (at least
//   88 bytes) and the last EMR_EOF;
// - placeable form: the 18-byte Windows metafile header after the placeable
//   header is sane (memory or disk type, 9-word header, version 1 or 3, a
//   declared size that covers the header and lies within the file).
// The converter would take the screen as reference device for a placeable
// metafile without units per inch; here that device is a screen of the
// given pixels per inch, 254 mm (ten inches) wide and high, so such a
// metafile measures as if it had 96 units per inch.
#include <cstdint>
#include <string>

#include "core/pictures/PictureReaders.h"
#include "core/pictures/formats/ByteReader.h"
#include "core/pictures/formats/Emf.h"
#include "core/pictures/formats/Wmf.h"
#include "core/platform/Errors.h"
#include "core/platform/IntegerMath.h"

namespace {

[[noreturn]] void NotValid() {
  throw EInvalidGraphic("Metafile is not valid");
}

using emf::EmrEof;
using emf::EmrHeader;
using wmf::MetaHeader;
using wmf::Placeable;

// Units per inch assumed for a placeable header that gives none.
constexpr std::uint16_t DefaultUnitsPerInch = 96;

constexpr int HundredthsMmPerInch = 2540;
// The reference device for a placeable metafile without units per inch.
constexpr int ReferenceScreenInches = 10;
constexpr int ReferenceScreenMillimetres = 254;

// The bytes [0, n) of the source: a view of the memory it holds, or a copy
// read from the file into storage.
const unsigned char* Bytes(PictureSource& source, std::size_t n, std::string& storage) {
  if (const unsigned char* contents = source.Contents()) return contents;
  storage = source.ReadString(0, n);
  return reinterpret_cast<const unsigned char*>(storage.data());
}

bool EnhancedRecordsWellFormed(const ByteReader& records) {
  const std::uint64_t total = records.Size();
  std::uint64_t at = 0;
  std::uint32_t lastType = 0;
  while (at < total) {
    if (total - at < emf::Record::MinSize) return false;
    const std::uint32_t type = records.U32(at + emf::Record::TypeAt);
    const std::uint32_t size = records.U32(at + emf::Record::SizeAt);
    if (size < emf::Record::MinSize || size % 4 != 0 || size > total - at) return false;
    if (at == 0 && (type != EmrHeader || size < emf::Header::MinSize)) return false;
    lastType = type;
    at += size;
  }
  return lastType == EmrEof;
}

PictureHeader ReadEnhanced(PictureSource& source, const ByteReader& head) {
  using emf::Header;
  const std::uint32_t total = head.U32(Header::TotalBytesAt);
  if (total < Header::ReadSize) NotValid();
  if (!source.Holds(0, total)) throw EReadError();
  std::string storage;
  if (!EnhancedRecordsWellFormed(ByteReader(Bytes(source, total, storage), total))) NotValid();

  const std::int64_t frameWidth =
      std::int64_t{head.I32(Header::FrameRightAt)} - head.I32(Header::FrameLeftAt);
  const std::int64_t frameHeight =
      std::int64_t{head.I32(Header::FrameBottomAt)} - head.I32(Header::FrameTopAt);
  PictureHeader header;
  header.Width = MulDiv64(frameWidth, head.I32(Header::DevicePixelsXAt),
                          std::int64_t{head.I32(Header::DeviceMillimetresXAt)} * 100);
  header.Height = MulDiv64(frameHeight, head.I32(Header::DevicePixelsYAt),
                           std::int64_t{head.I32(Header::DeviceMillimetresYAt)} * 100);
  return header;
}

bool MetaHeaderSane(PictureSource& source) {
  const std::uint64_t available = source.Size() - Placeable::Size;
  if (available < MetaHeader::Size) return false;
  unsigned char bytes[MetaHeader::Size];
  source.ReadExact(Placeable::Size, bytes, sizeof bytes);
  const ByteReader meta(bytes, sizeof bytes);
  const std::uint16_t type = meta.U16(MetaHeader::TypeAt);
  const std::uint16_t version = meta.U16(MetaHeader::VersionAt);
  const std::uint64_t sizeBytes = std::uint64_t{meta.U32(MetaHeader::SizeWordsAt)} * 2;
  return (type == MetaHeader::MemoryType || type == MetaHeader::DiskType) &&
         meta.U16(MetaHeader::HeaderWordsAt) == MetaHeader::HeaderWords &&
         (version == MetaHeader::Version1 || version == MetaHeader::Version3) &&
         sizeBytes >= MetaHeader::Size && sizeBytes <= available;
}

PictureHeader ReadPlaceable(PictureSource& source, const ScreenMetrics& screen) {
  if (source.Size() < Placeable::Size) NotValid();
  unsigned char bytes[Placeable::Size];
  source.ReadExact(0, bytes, sizeof bytes);
  const ByteReader head(bytes, sizeof bytes);
  if (head.U32(Placeable::KeyAt) != Placeable::Key) NotValid();
  std::uint16_t checksum = 0;
  for (std::size_t at = 0; at < Placeable::ChecksumAt; at += 2) checksum ^= head.U16(at);
  if (checksum != head.U16(Placeable::ChecksumAt)) NotValid();
  if (!MetaHeaderSane(source)) NotValid();

  const int width = head.I16(Placeable::RightAt) - head.I16(Placeable::LeftAt);
  const int height = head.I16(Placeable::BottomAt) - head.I16(Placeable::TopAt);
  const int unitsPerInch = head.U16(Placeable::UnitsPerInchAt);
  const int u = unitsPerInch != 0 ? unitsPerInch : DefaultUnitsPerInch;
  const int sizeX = MulDiv(width, HundredthsMmPerInch, u);  // hundredths of a millimetre
  const int sizeY = MulDiv(height, HundredthsMmPerInch, u);
  const int p = screen.PixelsPerInch;
  PictureHeader header;
  if (unitsPerInch != 0) {
    header.Width = MulDiv(sizeX, p, HundredthsMmPerInch);
    header.Height = MulDiv(sizeY, p, HundredthsMmPerInch);
  } else {
    const std::int64_t devicePixels = std::int64_t{p} * ReferenceScreenInches;
    const std::int64_t deviceHundredthsMm = std::int64_t{ReferenceScreenMillimetres} * 100;
    header.Width = MulDiv64(sizeX, devicePixels, deviceHundredthsMm);
    header.Height = MulDiv64(sizeY, devicePixels, deviceHundredthsMm);
  }
  return header;
}

}  // namespace

PictureHeader ReadMetafileHeader(PictureSource& source, const ScreenMetrics& screen) {
  if (source.Size() > emf::Header::ReadSize) {
    unsigned char bytes[emf::Header::ReadSize];
    source.ReadExact(0, bytes, sizeof bytes);
    const ByteReader head(bytes, sizeof bytes);
    if (head.U32(emf::Record::TypeAt) == EmrHeader &&
        head.U32(emf::Header::SignatureAt) == emf::Header::Signature)
      return ReadEnhanced(source, head);
  }
  return ReadPlaceable(source, screen);
}
