#include "gui/mainwindow/TDriveComboBox.h"

#include <QStyle>

#include "core/platform/LocalText.h"
#include "core/shell/EventGuard.h"
#include "gui/mainwindow/TDirectoryListBox.h"

namespace {
QStyle::StandardPixmap GlyphOf(VolumeLine::VolumeKind kind) {
  switch (kind) {
    case VolumeLine::Removable:
      return QStyle::SP_DriveFDIcon;
    case VolumeLine::Network:
      return QStyle::SP_DriveNetIcon;
    case VolumeLine::Optical:
      return QStyle::SP_DriveCDIcon;
    case VolumeLine::Fixed:
    case VolumeLine::RamDisk:
      break;
  }
  return QStyle::SP_DriveHDIcon;
}
}  // namespace

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  setIconSize(QSize(16, 16));
  // activated: the user's choices only, not the selection the folder list sets.
  connect(this, &QComboBox::activated, this, [this](int line) { ChooseLine(line); });
  std::vector<VolumeLine> volumes;
  RunGuarded(nullptr, [&] { volumes = ListVolumes(); });
  SetVolumes(std::move(volumes));
}

void TDriveComboBox::SetVolumes(std::vector<VolumeLine> volumes) {
  VolumeLines = std::move(volumes);
  RememberedFolders.clear();
  Chosen = -1;
  const QSignalBlocker quiet(this);
  clear();
  for (const VolumeLine& volume : VolumeLines)
    addItem(style()->standardIcon(GlyphOf(volume.Kind)), FromLocal(volume.Text));
  if (DirList && !DirList->Directory().empty()) FolderShown(DirList->Directory());
}

std::string TDriveComboBox::FolderOfLine(int line) const {
  if (line < 0 || line >= static_cast<int>(VolumeLines.size())) return std::string();
  const std::string& mountPoint = VolumeLines[static_cast<std::size_t>(line)].MountPoint;
  const auto remembered = RememberedFolders.find(mountPoint);
  return remembered != RememberedFolders.end() ? remembered->second : mountPoint;
}

void TDriveComboBox::ChooseLine(int line) {
  if (line < 0 || line >= static_cast<int>(VolumeLines.size()) || line == Chosen) return;
  Chosen = line;
  if (currentIndex() != line) {
    const QSignalBlocker quiet(this);
    setCurrentIndex(line);
  }
  const std::string folder = FolderOfLine(line);
  if (DirList) RunGuarded(Guard, [&] { DirList->ShowFolder(folder); });
}

void TDriveComboBox::FolderShown(const std::string& folder) {
  if (VolumeLines.empty()) return;
  const std::size_t line = VolumeIndexOf(VolumeLines, folder);
  RememberedFolders[VolumeLines[line].MountPoint] = folder;
  Chosen = static_cast<int>(line);
  const QSignalBlocker quiet(this);
  setCurrentIndex(Chosen);
}
