#include "drawing/metafile/MetafilePlayer.h"

#include "core/pictures/formats/Emf.h"
#include "core/pictures/formats/Wmf.h"
#include "drawing/metafile/MetafilePlayerDevice.h"

namespace metafile {

MetafileForm DetectForm(const std::string& bytes) {
  const ByteReader file(bytes);
  if (file.Has(0, emf::Header::SignatureAt + 4) &&
      file.U32(emf::Record::TypeAt) == emf::EmrHeader &&
      file.U32(emf::Header::SignatureAt) == emf::Header::Signature)
    return MetafileForm::Enhanced;
  if (file.Has(0, 4) && file.U32(wmf::Placeable::KeyAt) == wmf::Placeable::Key)
    return MetafileForm::Placeable;
  // A metafile header: in memory or on disk, 9 words long.
  using wmf::MetaHeader;
  const std::uint16_t type = file.U16(MetaHeader::TypeAt);
  if (file.Has(0, MetaHeader::Size) &&
      (type == MetaHeader::MemoryType || type == MetaHeader::DiskType) &&
      file.U16(MetaHeader::HeaderWordsAt) == MetaHeader::HeaderWords)
    return MetafileForm::Windows;
  return MetafileForm::None;
}

}  // namespace metafile

bool PlayMetafile(QPainter& painter, const std::string& bytes, const QRectF& target) {
  using metafile::MetafileForm;
  if (!painter.isActive()) return false;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  switch (metafile::DetectForm(bytes)) {
    case MetafileForm::Enhanced:
      return metafile::PlayEnhancedRecords(painter, data, bytes.size(), target);
    case MetafileForm::Placeable:
      return metafile::PlayWindowsRecords(painter, data, bytes.size(), true, target);
    case MetafileForm::Windows:
      return metafile::PlayWindowsRecords(painter, data, bytes.size(), false, target);
    case MetafileForm::None:
      break;
  }
  return false;
}
