// The folder list DLB1: the root "/", each folder on the way down to the
// shown folder, the shown folder itself and its subfolders, each level
// indented a step further. Showing a folder makes it the process's current
// directory (the only place in the program that changes it), lists its
// files in the linked file list and then reports the change, exactly once
// per change.
#pragma once

#include <QIcon>
#include <QListWidget>
#include <string>
#include <vector>

#include "core/folder/FolderListing.h"

class EventGuard;
class ListRowDelegate;
class TDriveComboBox;
class TFileListBox;

class TDirectoryListBox : public QListWidget {
  Q_OBJECT

 public:
  explicit TDirectoryListBox(QWidget* parent = nullptr);

  // The file list that lists the shown folder's files.
  void SetFileList(TFileListBox* fileList) { FileList = fileList; }
  // The drive box that follows the shown folder's volume.
  void SetDriveBox(TDriveComboBox* driveBox) { DriveBox = driveBox; }
  // Shows the errors of the user's actions (double-click, Enter).
  void SetGuard(const EventGuard* guard) { Guard = guard; }

  // The shown folder: absolute and canonical, as the system reports it;
  // empty until the first folder is shown.
  const std::string& Directory() const { return Folder; }

  // Shows path (absolute, or relative to the shown folder or, before the
  // first one, the current directory). An empty path or the shown folder
  // itself change nothing and return false. Otherwise the folder is
  // entered and becomes the current directory, both lists are filled anew
  // and Change is emitted; returns true. A folder that cannot be entered or
  // read raises EInOutError (2 "File not found", 3 "Invalid filename",
  // 5 "File access denied", ...) and everything keeps the previous folder.
  bool ShowFolder(const std::string& path);

  // The lines as shown, in order.
  const std::vector<FolderLine>& Lines() const { return FolderLinesShown; }

  // What double-clicking line row (or Enter on it) does: shows that line's
  // folder. Errors are shown through the guard.
  void ActivateLine(int row);

  // Row height in pixels (16 at the design density); the glyphs and the
  // indentation follow it.
  void SetRowHeight(int height);

 signals:
  // The shown folder changed (DLB1Change).
  void Change();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void FillLines();
  void MakeGlyphs();

  TFileListBox* FileList = nullptr;
  TDriveComboBox* DriveBox = nullptr;
  const EventGuard* Guard = nullptr;
  ListRowDelegate* Rows;
  std::string Folder;
  std::vector<FolderLine> FolderLinesShown;
  QIcon OpenGlyph;
  QIcon CurrentGlyph;
  QIcon ClosedGlyph;
};
