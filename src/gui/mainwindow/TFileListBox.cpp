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
  if (mask == MaskText) return;
  MaskText = mask;
  if (!FolderPath.empty()) SetFolder(FolderPath);
}

std::vector<std::string> TFileListBox::ListFolder(const std::string& folder) const {
  return ListPictureFiles(folder, MaskText);
}

void TFileListBox::ShowListing(const std::string& folder, std::vector<std::string> names) {
  const bool longListing = static_cast<int>(names.size()) > BusyListingThreshold;
  if (longListing) ++BusyListingCount;
  const BusyPointer busy(longListing);
  FolderPath = folder;
  Names = std::move(names);
  QStringList lines;
  lines.reserve(static_cast<qsizetype>(Names.size()));
  for (const std::string& name : Names) lines << FromLocal(name);
  clear();
  addItems(lines);
}

void TFileListBox::SetFolder(const std::string& folder) {
  std::vector<std::string> names = NamingPath(folder, [&] { return ListFolder(folder); });
  ShowListing(folder, std::move(names));
}

void TFileListBox::SetRowHeight(int height) {
  Rows->SetRowHeight(height);
  doItemsLayout();
}
