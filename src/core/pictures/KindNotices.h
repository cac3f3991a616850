// What the user is told about the kinds of the pictures in a folder: how
// many pictures of the phone and messenger kinds its album leaves out, and,
// when it takes them in, which of its pictures some current browsers cannot
// show (HEIC, HEIF and TIFF only Safari shows, WMF and EMF none), which
// publishing turns into copies every browser shows. Each kind has the name
// the user knows it by, from the file's extension.
#pragma once

#include <string>
#include <vector>

struct KindCount {
  std::string Kind;  // "HEIC", "HEIF", "AVIF", "WebP", "PNG", "GIF", "TIFF", "WMF", "EMF"
  int Count = 0;

  bool operator==(const KindCount&) const = default;
};

// The phone and messenger pictures among names, by kind in the order HEIC
// (.heic), HEIF (.heif, .hif), AVIF, WebP, PNG, GIF, TIFF (.tif, .tiff);
// kinds without pictures are left out.
std::vector<KindCount> CountPhoneKinds(const std::vector<std::string>& names);

// The pictures among names that only Safari shows: HEIC, HEIF, TIFF.
std::vector<KindCount> CountSafariOnlyKinds(const std::vector<std::string>& names);

// The pictures among names that no browser shows: WMF, EMF.
std::vector<KindCount> CountUnshownKinds(const std::vector<std::string>& names);

// The counts as "HEIC 200, PNG 12".
std::string KindCountsText(const std::vector<KindCount>& counts);

// The sum of the counts.
int PictureTotal(const std::vector<KindCount>& counts);

// "212 more pictures: HEIC 200, PNG 12" ("1 more picture: PNG 1") for the
// pictures an album leaves out; "" for none.
std::string LeftOutNotice(const std::vector<std::string>& leftOut);

// What some browsers cannot show of an album's pictures: "HEIC 200, TIFF 1
// only in Safari, WMF 1 in no browser"; "" when every browser shows them
// all.
std::string BrowserLimits(const std::vector<std::string>& pictures);
