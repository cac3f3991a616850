// A picture folder listed for its album: the pictures of the kinds the
// album takes in and, from the same pass over the folder, those of the
// kinds it leaves out, so the user can be told about them without a second
// reading of a large folder.
#pragma once

#include <string>
#include <vector>

#include "core/folder/FolderListing.h"

struct KindListing {
  // The names ListPictureFiles gives for the mask, in list order.
  std::vector<std::string> Pictures;
  // The names matched only by the counted mask, each once, in list order.
  std::vector<std::string> LeftOut;
};

// Lists folder once for mask and countedMask together (see
// ListPictureFiles for masks, order and errors). Pictures is exactly what
// ListPictureFiles(folder, mask, order) gives.
KindListing ListPicturesAndLeftOut(const std::string& folder, const std::string& mask,
                                   const std::string& countedMask, const NameOrder& order);

// The album's pictures: those of the registry's kinds (PictureFileMask), or
// with allKinds those of all kinds (AllPictureFileMask). Without allKinds,
// LeftOut holds the phone and messenger pictures that are left out.
KindListing ListAlbumPictures(const std::string& folder, bool allKinds,
                              const NameOrder& order = NameOrder());
