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
#include "core/pictures/formats/LittleEndian.h"
#include "core/platform/Errors.h"
#include "core/platform/IntegerMath.h"

namespace {

[[noreturn]] void NotValid() {
  throw EInvalidGraphic("Metafile is not valid");
}

// ENHMETAHEADER, the first record of an enhanced metafile, as far as it is
// read (100 bytes).
constexpr std::size_t EmfHeaderSize = 100;
constexpr std::size_t EmfTypeAt = 0;  // u32, EMR_HEADER
constexpr std::uint32_t EmrHeader = 1;
// 4: u32 size of the header record, at least the 88 bytes that end with the
// reference device's size; 8: the bounds in device pixels, not used.
constexpr std::uint32_t EmfHeaderRecordMinSize = 88;
constexpr std::size_t EmfFrameLeftAt = 24;  // 4 x i32, hundredths of a millimetre
constexpr std::size_t EmfFrameTopAt = 28;
constexpr std::size_t EmfFrameRightAt = 32;
constexpr std::size_t EmfFrameBottomAt = 36;
constexpr std::size_t EmfSignatureAt = 40;  // u32, " EMF"
constexpr std::uint32_t EmfSignature = 0x464D4520;
constexpr std::size_t EmfTotalBytesAt = 48;     // u32, the whole metafile
constexpr std::size_t EmfDevicePixelsXAt = 72;  // i32, reference device in pixels
constexpr std::size_t EmfDevicePixelsYAt = 76;
constexpr std::size_t EmfDeviceMillimetresXAt = 80;  // i32, reference device in mm
constexpr std::size_t EmfDeviceMillimetresYAt = 84;

// Every enhanced metafile record: u32 type, u32 size in bytes.
constexpr std::size_t EmrTypeAt = 0;
constexpr std::size_t EmrSizeAt = 4;
constexpr std::uint32_t EmrMinSize = 8;
constexpr std::uint32_t EmrEof = 14;

// The placeable header in front of a Windows metafile, 22 bytes.
constexpr std::size_t PlaceableHeaderSize = 22;
constexpr std::size_t PlaceableKeyAt = 0;  // u32
constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7;
// 4: u16 handle, ignored.
constexpr std::size_t PlaceableLeftAt = 6;  // 4 x i16, bounding box in metafile units
constexpr std::size_t PlaceableTopAt = 8;
constexpr std::size_t PlaceableRightAt = 10;
constexpr std::size_t PlaceableBottomAt = 12;
constexpr std::size_t PlaceableUnitsPerInchAt = 14;  // u16
// 16: u32 reserved.
constexpr std::size_t PlaceableChecksumAt = 20;  // u16, XOR of the ten words before it
constexpr std::uint16_t DefaultUnitsPerInch = 96;

// METAHEADER, the Windows metafile's own header after the placeable one.
constexpr std::size_t MetaHeaderSize = 18;
constexpr std::size_t MetaTypeAt = 0;         // u16: 1 in memory, 2 on disk
constexpr std::size_t MetaHeaderWordsAt = 2;  // u16: 9
constexpr std::uint16_t MetaHeaderWords = 9;
constexpr std::size_t MetaVersionAt = 4;    // u16: 0x0100 or 0x0300
constexpr std::size_t MetaSizeWordsAt = 6;  // u32: whole metafile in 16-bit words

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

bool EnhancedRecordsWellFormed(const unsigned char* bytes, std::uint64_t total) {
  std::uint64_t at = 0;
  std::uint32_t lastType = 0;
  while (at < total) {
    if (total - at < EmrMinSize) return false;
    const std::uint32_t type = ReadU32(bytes, at + EmrTypeAt);
    const std::uint32_t size = ReadU32(bytes, at + EmrSizeAt);
    if (size < EmrMinSize || size % 4 != 0 || size > total - at) return false;
    if (at == 0 && (type != EmrHeader || size < EmfHeaderRecordMinSize)) return false;
    lastType = type;
    at += size;
  }
  return lastType == EmrEof;
}

PictureHeader ReadEnhanced(PictureSource& source, const unsigned char* head) {
  const std::uint32_t total = ReadU32(head, EmfTotalBytesAt);
  if (total < EmfHeaderSize) NotValid();
  if (!source.Holds(0, total)) throw EReadError();
  std::string storage;
  const unsigned char* bytes = Bytes(source, total, storage);
  if (!EnhancedRecordsWellFormed(bytes, total)) NotValid();

  const std::int64_t frameWidth =
      std::int64_t{ReadI32(head, EmfFrameRightAt)} - ReadI32(head, EmfFrameLeftAt);
  const std::int64_t frameHeight =
      std::int64_t{ReadI32(head, EmfFrameBottomAt)} - ReadI32(head, EmfFrameTopAt);
  PictureHeader header;
  header.Width = MulDiv64(frameWidth, ReadI32(head, EmfDevicePixelsXAt),
                          std::int64_t{ReadI32(head, EmfDeviceMillimetresXAt)} * 100);
  header.Height = MulDiv64(frameHeight, ReadI32(head, EmfDevicePixelsYAt),
                           std::int64_t{ReadI32(head, EmfDeviceMillimetresYAt)} * 100);
  return header;
}

bool MetaHeaderSane(PictureSource& source) {
  const std::uint64_t available = source.Size() - PlaceableHeaderSize;
  if (available < MetaHeaderSize) return false;
  unsigned char meta[MetaHeaderSize];
  source.ReadExact(PlaceableHeaderSize, meta, sizeof meta);
  const std::uint16_t type = ReadU16(meta, MetaTypeAt);
  const std::uint16_t version = ReadU16(meta, MetaVersionAt);
  const std::uint64_t sizeBytes = std::uint64_t{ReadU32(meta, MetaSizeWordsAt)} * 2;
  return (type == 1 || type == 2) && ReadU16(meta, MetaHeaderWordsAt) == MetaHeaderWords &&
         (version == 0x0100 || version == 0x0300) && sizeBytes >= MetaHeaderSize &&
         sizeBytes <= available;
}

PictureHeader ReadPlaceable(PictureSource& source, const ScreenMetrics& screen) {
  if (source.Size() < PlaceableHeaderSize) NotValid();
  unsigned char head[PlaceableHeaderSize];
  source.ReadExact(0, head, sizeof head);
  if (ReadU32(head, PlaceableKeyAt) != PlaceableKey) NotValid();
  std::uint16_t checksum = 0;
  for (std::size_t at = 0; at < PlaceableChecksumAt; at += 2) checksum ^= ReadU16(head, at);
  if (checksum != ReadU16(head, PlaceableChecksumAt)) NotValid();
  if (!MetaHeaderSane(source)) NotValid();

  const int width = ReadI16(head, PlaceableRightAt) - ReadI16(head, PlaceableLeftAt);
  const int height = ReadI16(head, PlaceableBottomAt) - ReadI16(head, PlaceableTopAt);
  const int unitsPerInch = ReadU16(head, PlaceableUnitsPerInchAt);
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
  if (source.Size() > EmfHeaderSize) {
    unsigned char head[EmfHeaderSize];
    source.ReadExact(0, head, sizeof head);
    if (ReadU32(head, EmfTypeAt) == EmrHeader && ReadU32(head, EmfSignatureAt) == EmfSignature)
      return ReadEnhanced(source, head);
  }
  return ReadPlaceable(source, screen);
}
