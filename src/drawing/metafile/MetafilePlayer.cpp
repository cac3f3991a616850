#include "drawing/metafile/MetafilePlayer.h"

#include "drawing/metafile/MetafilePlayerDevice.h"

namespace {

constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;

}  // namespace

MetafileForm MetafilePlayer::DetectForm(const std::string& bytes) {
  const metafile::RecordView view(reinterpret_cast<const unsigned char*>(bytes.data()),
                                  bytes.size());
  if (view.Has(0, 44) && view.U32(0) == 1 && view.U32(40) == kEmfSignature)
    return MetafileForm::Enhanced;
  if (view.Has(0, 4) && view.U32(0) == kPlaceableKey) return MetafileForm::Placeable;
  // A metafile header: type 1 (memory) or 2 (disk), 9 words long.
  if (view.Has(0, 18) && (view.U16(0) == 1 || view.U16(0) == 2) && view.U16(2) == 9)
    return MetafileForm::Windows;
  return MetafileForm::None;
}

bool MetafilePlayer::Play(QPainter& painter, const std::string& bytes, const QRectF& target) {
  if (!painter.isActive()) return false;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  switch (DetectForm(bytes)) {
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
