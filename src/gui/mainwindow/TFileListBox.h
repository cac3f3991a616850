// The file list FLB1: the names of the shown folder's files that match the
// mask, sorted by name (letter case ignored). Its lines are the album's
// pictures in the album's order. Selecting a line has no effect.
#pragma once

#include <QListWidget>
#include <string>
#include <vector>

class ListRowDelegate;

class TFileListBox : public QListWidget {
  Q_OBJECT

 public:
  // Lists of more names than this show the busy pointer while they fill.
  static constexpr int BusyListingThreshold = 100;

  explicit TFileListBox(QWidget* parent = nullptr);

  // The mask: parts "*." + extension separated by ";". A mask that differs
  // from the current one (exact comparison) is stored and the folder, when
  // there is one, listed again (raising EInOutError as SetFolder when the
  // folder cannot be read any more). The initial mask is "*.*".
  void SetMask(const std::string& mask);
  const std::string& Mask() const { return MaskText; }

  // The folder listed; empty until the first folder is shown.
  const std::string& Folder() const { return FolderPath; }

  // The names that listing folder with the mask would show, in list order.
  // Changes nothing; a folder that cannot be read raises EInOutError.
  std::vector<std::string> ListFolder(const std::string& folder) const;

  // Shows names (as ListFolder gave them) as the lines of folder.
  void ShowListing(const std::string& folder, std::vector<std::string> names);

  // ListFolder then ShowListing; on failure the list keeps what it showed.
  void SetFolder(const std::string& folder);

  // The lines, in list order, and their number.
  const std::vector<std::string>& Lines() const { return Names; }
  int Count() const { return static_cast<int>(Names.size()); }

  // Row height in pixels (16 at the design density).
  void SetRowHeight(int height);

  // How many listings so far were long enough to show the busy pointer.
  int BusyListings() const { return BusyListingCount; }

 private:
  ListRowDelegate* Rows;
  std::string MaskText = "*.*";
  std::string FolderPath;
  std::vector<std::string> Names;
  int BusyListingCount = 0;
};
