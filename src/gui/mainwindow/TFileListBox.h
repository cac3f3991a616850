// The file list FLB1: the names of the shown folder's files that match the
// mask, sorted by name (letter case ignored). Its lines are the album's
// pictures in the album's order. Selecting a line has no effect.
#pragma once

#include <QListWidget>
#include <string>
#include <vector>

#include "core/folder/KindListing.h"

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

  // The mask and a counted mask: files that only the counted mask matches
  // are not shown but kept in LeftOut(), from the same listing. When either
  // differs from the current one, both are stored and the folder, when
  // there is one, listed again (errors as SetMask). The initial counted
  // mask is "".
  void SetMasks(const std::string& mask, const std::string& countedMask);
  const std::string& CountedMask() const { return CountedMaskText; }

  // The folder listed; empty until the first folder is shown.
  const std::string& Folder() const { return FolderPath; }

  // The names that listing folder with the mask would show, in list order,
  // and those left out that the counted mask matches. Changes nothing; a
  // folder that cannot be read raises EInOutError.
  KindListing ListFolder(const std::string& folder) const;

  // Shows a listing (as ListFolder gave it) as the lines of folder.
  void ShowListing(const std::string& folder, KindListing listing);

  // ListFolder then ShowListing; on failure the list keeps what it showed.
  void SetFolder(const std::string& folder);

  // The lines, in list order, and their number.
  const std::vector<std::string>& Lines() const { return Names; }
  int Count() const { return static_cast<int>(Names.size()); }
  // The files of the folder listed that only the counted mask matches.
  const std::vector<std::string>& LeftOut() const { return LeftOutNames; }

  // Row height in pixels (16 at the design density).
  void SetRowHeight(int height);

  // How many listings so far were long enough to show the busy pointer.
  int BusyListings() const { return BusyListingCount; }

 private:
  ListRowDelegate* Rows;
  std::string MaskText = "*.*";
  std::string CountedMaskText;
  std::string FolderPath;
  std::vector<std::string> Names;
  std::vector<std::string> LeftOutNames;
  int BusyListingCount = 0;
};
