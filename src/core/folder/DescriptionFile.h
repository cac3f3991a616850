// The folder's description file "!.KVD": one 513-byte record per picture,
// back to back, matched to pictures by name ignoring ASCII letter case.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/folder/ImageTable.h"

inline constexpr const char* DescriptionFileName = "!.KVD";
inline constexpr const char* OldDescriptionFileName = "@.KVD";

// The description file of a picture folder.
std::string DescriptionFilePath(const std::string& pictureDirectory);

// Merges the file's descriptions into the table: every entry with a record
// of its name gets the last such record's description. A file that cannot
// be opened changes nothing and reports nothing. A file that ends inside a
// record raises EInOutError "Read beyond end of file" after the whole
// records before it were applied.
void LoadDescriptions(ImageTable& table, const std::string& descriptionFile);

// Stores memoText (cut to 255 bytes) as the description of picture
// currentPicture (counted from 1), then rewrites the whole file with one
// record per entry in table order. The old file is replaced only when all
// records are written; a failure raises EInOutError and leaves it as it was.
void SaveDescriptions(ImageTable& table, const std::string& descriptionFile,
                      const std::string& memoText, int currentPicture);

// Gives the records of renamed pictures their new names: every whole record
// whose Name equals a renames[i].first ignoring ASCII case is given the name
// renames[i].second. The file is rewritten safely, and only when a record
// changed; a file that does not exist is left so, and bytes after the last
// whole record are kept. A failure raises EInOutError naming the file.
void RenameDescriptionRecords(const std::string& descriptionFile,
                              const std::vector<std::pair<std::string, std::string>>& renames);

// Gives an old-named "@.KVD" of the folder the name "!.KVD", unless that
// exists already. Nothing is reported.
void RenameOldDescriptionFile(const std::string& pictureDirectory);
