#include "core/folder/KindListing.h"

#include "core/pictures/FileFormats.h"

KindListing ListPicturesAndLeftOut(const std::string& folder, const std::string& mask,
                                   const std::string& countedMask, const NameOrder& order) {
  KindListing listing;
  if (countedMask.empty()) {
    listing.Pictures = ListPictureFiles(folder, mask, order);
    return listing;
  }
  std::vector<std::string> names = ListPictureFiles(folder, mask + ";" + countedMask, order);
  listing.Pictures.reserve(names.size());
  // A name that several parts match is listed once for each, next to
  // itself: it goes to Pictures as often as the mask alone matches it.
  for (std::size_t i = 0; i < names.size();) {
    std::size_t next = i + 1;
    while (next < names.size() && names[next] == names[i]) ++next;
    const int shown = MaskMatchCount(names[i], mask);
    if (shown == 0) listing.LeftOut.push_back(std::move(names[i]));
    for (int copy = 0; copy < shown; ++copy) listing.Pictures.push_back(names[i]);
    i = next;
  }
  return listing;
}

KindListing ListAlbumPictures(const std::string& folder, bool allKinds, const NameOrder& order) {
  return allKinds
             ? ListPicturesAndLeftOut(folder, AllPictureFileMask(), std::string(), order)
             : ListPicturesAndLeftOut(folder, PictureFileMask(), ExtraPictureFileMask(), order);
}
