#include "gui/mainwindow/TDirectoryListBox.h"

#include <unistd.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cerrno>
#include <climits>

#include "core/platform/Errors.h"
#include "core/platform/FileSystem.h"
#include "core/platform/LocalText.h"
#include "core/shell/EventGuard.h"
#include "gui/mainwindow/ListRowDelegate.h"
#include "gui/mainwindow/TDriveComboBox.h"
#include "gui/mainwindow/TFileListBox.h"

namespace {

// The process's current directory; empty when the system cannot tell it
// (it was removed, for instance).
std::string CurrentDirectoryPath() {
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return std::string();
  return std::string(buffer);
}

enum class Glyph { Open, Current, Closed };

// The folder glyphs, drawn on a 16 x 16 grid: a closed folder for the
// subfolders, an open one for the root and the path, an open one with a
// sheet showing for the shown folder.
QPixmap DrawGlyph(Glyph glyph, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 16.0, size / 16.0);
  const QColor outline(0x8a, 0x6a, 0x10);
  const QColor back(0xe8, 0xb9, 0x3c);
  const QColor front(0xf8, 0xd8, 0x70);
  p.setPen(QPen(outline, 0.8));

  QPainterPath body;
  body.moveTo(1.5, 3.5);
  body.lineTo(6, 3.5);
  body.lineTo(7.5, 5);
  body.lineTo(14.5, 5);
  body.lineTo(14.5, 13.5);
  body.lineTo(1.5, 13.5);
  body.closeSubpath();
  p.setBrush(back);
  p.drawPath(body);

  if (glyph == Glyph::Current) {
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(0x55, 0x55, 0x55), 0.7));
    p.drawRect(QRectF(4, 2.5, 8, 8));
    p.setPen(QPen(QColor(0x4a, 0x78, 0xc8), 0.8));
    for (double y = 4.5; y < 8; y += 1.6) p.drawLine(QPointF(5.5, y), QPointF(10.5, y));
    p.setPen(QPen(outline, 0.8));
  }
  if (glyph == Glyph::Closed) {
    p.setBrush(front);
    p.drawRect(QRectF(1.5, 6.5, 13, 7));
  } else {
    QPainterPath flap;
    flap.moveTo(3.8, 8);
    flap.lineTo(15.5, 8);
    flap.lineTo(13.2, 13.5);
    flap.lineTo(1.5, 13.5);
    flap.closeSubpath();
    p.setBrush(front);
    p.drawPath(flap);
  }
  return pixmap;
}

}  // namespace

TDirectoryListBox::TDirectoryListBox(QWidget* parent)
    : QListWidget(parent), Rows(new ListRowDelegate(this)) {
  setItemDelegate(Rows);
  setUniformItemSizes(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  MakeGlyphs();
}

bool TDirectoryListBox::ShowFolder(const std::string& path) {
  if (path.empty() || path == Folder) return false;
  const std::string base = Folder.empty() ? CurrentDirectoryPath() : Folder;
  // A folder that cannot be entered or read is named in the error box.
  const std::string target =
      NamingPath(JoinPath(base, path), [&] { return EnterFolder(path, base); });
  if (target == Folder) return false;

  // Everything that can fail comes first, so a failure leaves the lists,
  // the shown folder and the current directory as they were.
  std::vector<std::string> subfolders;
  KindListing files;
  NamingPath(target, [&] {
    subfolders = ListSubfolders(target);
    if (FileList) files = FileList->ListFolder(target);
    if (::chdir(target.c_str()) != 0) throw EInOutError(InOutCodeFromErrno(errno));
  });

  Folder = target;
  FolderLinesShown = FolderLines(target, subfolders);
  FillLines();
  if (FileList) FileList->ShowListing(target, std::move(files));
  if (DriveBox) DriveBox->FolderShown(target);
  emit Change();
  return true;
}

void TDirectoryListBox::ActivateLine(int row) {
  if (row < 0 || row >= static_cast<int>(FolderLinesShown.size())) return;
  const std::string path = FolderLinesShown[static_cast<std::size_t>(row)].Path;
  RunGuarded(Guard, [&] {
    try {
      ShowFolder(path);
    } catch (...) {
      // The list stays on the folder it shows: so does its highlight,
      // before the error is shown.
      if (!FolderLinesShown.empty())
        setCurrentRow(static_cast<int>(CurrentLineIndex(FolderLinesShown)));
      throw;
    }
  });
}

void TDirectoryListBox::SetRowHeight(int height) {
  Rows->SetRowHeight(height);
  setIconSize(QSize(height, height));
  MakeGlyphs();
  FillLines();
}

void TDirectoryListBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    ActivateLine(currentRow());
    event->accept();
    return;
  }
  QListWidget::keyPressEvent(event);
}

void TDirectoryListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  QListWidget::mouseDoubleClickEvent(event);
  if (event->button() != Qt::LeftButton) return;
  const QModelIndex index = indexAt(event->position().toPoint());
  if (index.isValid()) ActivateLine(index.row());
}

void TDirectoryListBox::FillLines() {
  const int indentStep = Rows->Height() / 2;
  clear();
  for (const FolderLine& line : FolderLinesShown) {
    const QIcon& glyph = line.Kind == FolderLine::Current     ? CurrentGlyph
                         : line.Kind == FolderLine::Subfolder ? ClosedGlyph
                                                              : OpenGlyph;
    auto* item = new QListWidgetItem(glyph, FromLocal(line.Text));
    item->setData(ListRowDelegate::IndentRole, line.Level * indentStep);
    addItem(item);
  }
  if (!FolderLinesShown.empty()) {
    const int current = static_cast<int>(CurrentLineIndex(FolderLinesShown));
    setCurrentRow(current);
    scrollToItem(item(current));
  }
}

void TDirectoryListBox::MakeGlyphs() {
  const int size = Rows->Height();
  OpenGlyph = QIcon(DrawGlyph(Glyph::Open, size));
  CurrentGlyph = QIcon(DrawGlyph(Glyph::Current, size));
  ClosedGlyph = QIcon(DrawGlyph(Glyph::Closed, size));
}
