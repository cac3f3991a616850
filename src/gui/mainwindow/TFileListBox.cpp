#include "gui/mainwindow/TFileListBox.h"

#include <QApplication>
#include <QCursor>

#include "core/folder/FolderListing.h"
#include "core/platform/Errors.h"
#include "core/platform/LocalText.h"
#include "gui/mainwindow/ListRowDelegate.h"

namespace {
// The busy pointer for as long as the object lives.
class BusyPointer {
 public:
  explicit BusyPointer(bool on) : On(on) {
    if (On) QApplication::setOverrideCursor(Qt::WaitCursor);
  }
  ~BusyPointer() {
    if (On) QApplication::restoreOverrideCursor();
  }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  bool On;
};
}  // namespace

TFileListBox::TFileListBox(QWidget* parent) : QListWidget(parent), Rows(new ListRowDelegate(this)) {
  setItemDelegate(Rows);
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void TFileListBox::SetMask(const std::string& mask) {
  SetMasks(mask, CountedMaskText);
}

void TFileListBox::SetMasks(const std::string& mask, const std::string& countedMask) {
  if (mask == MaskText && countedMask == CountedMaskText) return;
  MaskText = mask;
  CountedMaskText = countedMask;
  if (!FolderPath.empty()) SetFolder(FolderPath);
}

KindListing TFileListBox::ListFolder(const std::string& folder) const {
  return ListPicturesAndLeftOut(folder, MaskText, CountedMaskText, NameOrder());
}

void TFileListBox::ShowListing(const std::string& folder, KindListing listing) {
  const bool longListing = static_cast<int>(listing.Pictures.size()) > BusyListingThreshold;
  if (longListing) ++BusyListingCount;
  const BusyPointer busy(longListing);
  FolderPath = folder;
  Names = std::move(listing.Pictures);
  LeftOutNames = std::move(listing.LeftOut);
  QStringList lines;
  lines.reserve(static_cast<qsizetype>(Names.size()));
  for (const std::string& name : Names) lines << FromLocal(name);
  clear();
  addItems(lines);
}

void TFileListBox::SetFolder(const std::string& folder) {
  KindListing listing = NamingPath(folder, [&] { return ListFolder(folder); });
  ShowListing(folder, std::move(listing));
}

void TFileListBox::SetRowHeight(int height) {
  Rows->SetRowHeight(height);
  doItemsLayout();
}
