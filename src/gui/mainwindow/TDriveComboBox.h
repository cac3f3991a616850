// The drive box DCB1: one line per mounted volume, with a glyph for its
// kind. Choosing a line shows that volume's folder in the folder list: the
// folder last shown on it during this run, its mount point until then. The
// selected line follows the volume of the shown folder.
#pragma once

#include <QComboBox>
#include <map>
#include <string>
#include <vector>

#include "core/folder/Volumes.h"

class EventGuard;
class TDirectoryListBox;

class TDriveComboBox : public QComboBox {
  Q_OBJECT

 public:
  // Lists the mounted volumes (ListVolumes).
  explicit TDriveComboBox(QWidget* parent = nullptr);

  // The folder list that choosing a line shows a folder in.
  void SetDirList(TDirectoryListBox* dirList) { DirList = dirList; }
  // Shows the errors of the user's choices.
  void SetGuard(const EventGuard* guard) { Guard = guard; }

  // Replaces the lines (the volumes found at start-up by default).
  void SetVolumes(std::vector<VolumeLine> volumes);
  const std::vector<VolumeLine>& Volumes() const { return VolumeLines; }

  // The line chosen last, by the user or by the folder list; -1 for none.
  int ChosenLine() const { return Chosen; }

  // The folder that choosing line would show.
  std::string FolderOfLine(int line) const;

  // What choosing line does: nothing when it is the line chosen already;
  // otherwise the line becomes the chosen one and its folder is shown in
  // the folder list. A folder that cannot be entered is reported through
  // the guard; the box then stays on the chosen line while the folder list
  // keeps its folder.
  void ChooseLine(int line);

  // Called by the folder list when it shows folder: selects the folder's
  // volume and remembers folder as that volume's folder.
  void FolderShown(const std::string& folder);

 private:
  TDirectoryListBox* DirList = nullptr;
  const EventGuard* Guard = nullptr;
  std::vector<VolumeLine> VolumeLines;
  std::map<std::string, std::string> RememberedFolders;  // mount point -> folder
  int Chosen = -1;
};
