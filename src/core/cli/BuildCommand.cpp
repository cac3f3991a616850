#include "core/cli/BuildCommand.h"

#include <unistd.h>

#include <algorithm>
#include <optional>
#include <ostream>

#include "core/album/AlbumBuild.h"
#include "core/album/LowerCaseNames.h"
#include "core/folder/FolderListing.h"
#include "core/folder/ImageTable.h"
#include "core/folder/KindListing.h"
#include "core/folder/Settings.h"
#include "core/pictures/KindNotices.h"
#include "core/platform/Errors.h"
#include "core/platform/FileSystem.h"
#include "core/platform/SafeFile.h"
#include "core/publish/Publish.h"
#include "core/shell/VersionInfo.h"

namespace {
const char* const Usage =
    "Usage: ambrelin-build [--title TEXT] [--index NAME] [--filenames | --no-filenames]\n"
    "                      [--all-kinds | --no-all-kinds] [--lowercase-names] FOLDER...\n"
    "       ambrelin-build [--title TEXT] [--index NAME] [--filenames | --no-filenames]\n"
    "                      [--all-kinds | --no-all-kinds] [--lowercase-names]\n"
    "                      --publish DIR [--max-size PX] FOLDER\n"
    "Builds the album page of each picture folder, as \"Create Album\" does.\n"
    "Options not given are taken from the folder's AmbrelinDir.INI.\n"
    "--all-kinds takes in HEIC, HEIF, AVIF, WebP, PNG, GIF and TIFF pictures too,\n"
    "besides JPEG, BMP, ICO, EMF and WMF.\n"
    "--lowercase-names first renames pictures with capital letters to the\n"
    "lower-case names the page links them by.\n"
    "--publish then copies the album to DIR (outside FOLDER) for the web: the page\n"
    "and a copy of each picture as a JPEG, PNG or GIF that every browser shows,\n"
    "fitted within PX x PX (default 2048, 0 keeps the size), upright and without\n"
    "metadata.\n"
    "--help shows this text, --version the program's version.\n";

struct Options {
  std::optional<std::string> Title;
  std::optional<std::string> Index;
  std::optional<bool> IncludeFileNames;
  std::optional<bool> AllPictureKinds;
  bool LowerCaseNames = false;
  std::optional<std::string> PublishTarget;
  std::optional<std::string> MaxSize;
  std::vector<std::string> Folders;
};

// A largest side: decimal digits, 0 to the largest JPEG side.
bool ParseMaxSize(const std::string& text, int& size) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  size = std::stoi(text);
  return size <= LargestJpegSide;
}

// Messages of a build: the information dialogs go to the error stream,
// "Ambrelin created!" to the output stream.
class StreamMessages : public MessageBoxes {
 public:
  StreamMessages(std::ostream& out, std::ostream& err) : Out(out), Err(err) {}
  void ShowPlainMessage(const std::string& text) override { Out << text << '\n'; }
  void ShowInformationDialog(const std::string& text) override { Err << text << '\n'; }
  void ShowErrorMessage(const Exception& error) override { Err << ErrorLine(error) << '\n'; }

 private:
  std::ostream& Out;
  std::ostream& Err;
};

// Parses the arguments; returns false with a message for a wrong command line.
bool ParseArguments(const std::vector<std::string>& args, Options& options, std::string& problem) {
  bool onlyFolders = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::optional<std::string>& into) {
      if (i + 1 >= args.size()) {
        problem = arg + " needs a value";
        return false;
      }
      into = args[++i];
      return true;
    };
    if (onlyFolders || arg.empty() || arg[0] != '-' || arg == "-") {
      options.Folders.push_back(arg);
    } else if (arg == "--") {
      onlyFolders = true;
    } else if (arg == "--title") {
      if (!value(options.Title)) return false;
    } else if (arg.rfind("--title=", 0) == 0) {
      options.Title = arg.substr(8);
    } else if (arg == "--index") {
      if (!value(options.Index)) return false;
    } else if (arg.rfind("--index=", 0) == 0) {
      options.Index = arg.substr(8);
    } else if (arg == "--filenames") {
      options.IncludeFileNames = true;
    } else if (arg == "--no-filenames") {
      options.IncludeFileNames = false;
    } else if (arg == "--all-kinds") {
      options.AllPictureKinds = true;
    } else if (arg == "--no-all-kinds") {
      options.AllPictureKinds = false;
    } else if (arg == "--lowercase-names") {
      options.LowerCaseNames = true;
    } else if (arg == "--publish") {
      if (!value(options.PublishTarget)) return false;
    } else if (arg.rfind("--publish=", 0) == 0) {
      options.PublishTarget = arg.substr(10);
    } else if (arg == "--max-size") {
      if (!value(options.MaxSize)) return false;
    } else if (arg.rfind("--max-size=", 0) == 0) {
      options.MaxSize = arg.substr(11);
    } else {
      problem = "unknown option " + arg;
      return false;
    }
  }
  if (options.Folders.empty()) {
    problem = "no FOLDER given";
    return false;
  }
  if (options.MaxSize && !options.PublishTarget) {
    problem = "--max-size needs --publish";
    return false;
  }
  if (!options.PublishTarget) return true;
  int size = 0;
  if (options.MaxSize && !ParseMaxSize(*options.MaxSize, size)) {
    problem = "--max-size needs a number of pixels from 0 to " + std::to_string(LargestJpegSide);
    return false;
  }
  if (options.Folders.size() != 1) {
    problem = "--publish takes exactly one FOLDER";
    return false;
  }
  if (options.PublishTarget->empty()) {
    problem = "--publish needs a folder";
    return false;
  }
  switch (PublishTargetProblemOf(options.Folders[0], *options.PublishTarget)) {
    case PublishTargetProblem::InsideFolder:
      problem = "DIR must not be FOLDER or lie inside it";
      return false;
    case PublishTargetProblem::NotAFolder:
      problem = *options.PublishTarget + ": DIR is not a folder";
      return false;
    case PublishTargetProblem::None:
      break;
  }
  return true;
}

// One line after the build about the pictures of other kinds: those the
// album left out, or those of the album some browsers cannot show.
void TellAboutKinds(const std::string& folder, const KindListing& listing, bool allKinds,
                    bool publishing, std::ostream& err) {
  if (!allKinds && !listing.LeftOut.empty()) {
    const std::vector<KindCount> counts = CountPhoneKinds(listing.LeftOut);
    const int total = PictureTotal(counts);
    err << "ambrelin-build: note: " << folder << ": " << total
        << (total == 1 ? " more picture" : " more pictures")
        << " not in the album: " << KindCountsText(counts) << " (--all-kinds takes them in)\n";
  } else if (const std::string limits = BrowserLimits(listing.Pictures);
             allKinds && !publishing && !limits.empty()) {
    err << "ambrelin-build: note: " << folder << ": " << limits
        << " (--publish DIR makes copies that every browser shows)\n";
  }
}

std::string CurrentDirectory() {
  std::string buffer(4096, '\0');
  if (!getcwd(buffer.data(), buffer.size())) return ".";
  return buffer.c_str();
}

// Builds one folder's album, and publishes it when asked; returns its exit
// status.
int BuildFolder(const std::string& folderArg, const Options& options, const VersionInfo& version,
                const CommandProcess& process, std::ostream& out, std::ostream& err) {
  StreamMessages messages(out, err);
  std::string folder;
  try {
    folder = EnterFolder(folderArg, CurrentDirectory());
    TIniFile folderSettings;
    const AlbumOptions stored = LoadAlbumOptions(folderSettings, folder);
    AlbumInput input;
    input.Title = options.Title.value_or(stored.WebPageTitle);
    input.IndexName = options.Index.value_or(stored.FileName);
    input.IncludeFileNames = options.IncludeFileNames.value_or(stored.IncludeFileNames);
    input.AllPictureKinds = options.AllPictureKinds.value_or(stored.AllPictureKinds);
    KindListing listing = ListAlbumPictures(folder, input.AllPictureKinds);
    input.PictureFiles = listing.Pictures;

    // Before anything is written or built: a publish that would replace
    // someone else's files is refused, naming them.
    const bool publishing = options.PublishTarget.has_value();
    int maxSize = DefaultPublishMaxSize;
    if (options.MaxSize) ParseMaxSize(*options.MaxSize, maxSize);
    if (publishing) {
      PublishRequest planned;
      planned.PictureDirectory = folder;
      planned.Pictures = input.PictureFiles;
      planned.PageName = PageFileName(AlbumBaseNameOf(input.IndexName));
      planned.Target = *options.PublishTarget;
      planned.MaxSize = maxSize;
      RefuseStrangersFiles(planned);
    }
    // A picture folder that cannot be written (a card, a share, a disc) is
    // published from an album built in memory; nothing is written to it,
    // no rename and no settings either.
    const bool inMemory = publishing && IsWriteProtected(folder);

    // Renamed before the build, so the page's lower-cased links find them.
    std::vector<LowerCaseRename> renames;
    if (options.LowerCaseNames && !inMemory) {
      renames = RenamePicturesToLowerCase(folder, input.PictureFiles);
      try {
        RenameDescriptionRecordsOf(folder, renames);
      } catch (const Exception& e) {
        // The records still match their pictures, by name ignoring case.
        err << "ambrelin-build: warning: " << ErrorLine(e) << '\n';
      }
      listing = ListAlbumPictures(folder, input.AllPictureKinds);
      input.PictureFiles = listing.Pictures;
    }

    ImageTable table;
    AlbumEnvironment env(folder, table, version, messages);
    env.DateTime = DateTimeSettingsFromLocale(QLocale::system());
    AlbumFiles kept;
    env.FolderSettings = inMemory ? nullptr : &folderSettings;
    env.KeptFiles = inMemory ? &kept : nullptr;
    AlbumBuildState state;
    if (!CreateAlbum(state, input, env)) return InputRefused;
    const std::string pageName = PageFileName(state.AlbumBaseName);
    if (inMemory)
      err << "ambrelin-build: note: " << folder
          << ": the picture folder cannot be written; the album was built in memory and the "
             "folder left as it was\n";
    else
      out << ResolvePath(folder, pageName) << '\n';
    // One line for the folder, written at once.
    const std::vector<std::string> missed =
        PicturesMissedByLowerCaseLinks(folder, input.PictureFiles);
    if (!missed.empty())
      err << "ambrelin-build: warning: " +
                 LowerCaseWarning(folder, missed, options.LowerCaseNames ? &renames : nullptr) +
                 '\n';
    TellAboutKinds(folder, listing, input.AllPictureKinds, options.PublishTarget.has_value(), err);
    if (!options.PublishTarget) return BuildSucceeded;
    PublishOptions publish{*options.PublishTarget, maxSize, std::nullopt};
    if (inMemory) publish.Page = kept[pageName];
    return PublishBuiltAlbum(folder, state, table, publish, process, out, err);
  } catch (Exception& e) {
    // Every error line starts with the path it is about: the folder, when
    // the error names no file of its own ("Cannot create file album.SRC").
    if (e.Path().empty()) e.SetPath(folder.empty() ? folderArg : folder);
    messages.ShowErrorMessage(e);
    return BuildFailed;
  }
}
}  // namespace

bool PublishRequested(const std::vector<std::string>& args) {
  for (const auto& arg : args) {
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h" || arg == "--version") return false;
  }
  Options options;
  std::string problem;
  return ParseArguments(args, options, problem) && options.PublishTarget.has_value();
}

int RunBuildCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const CommandProcess& process) {
  for (const auto& arg : args) {
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") {
      out << Usage;
      return BuildSucceeded;
    }
    if (arg == "--version") {
      VersionInfo version;
      ReadVersionInfo(version, &ProgramVersionRecord());
      out << "ambrelin-build " << version.FileVersion << '\n';
      return BuildSucceeded;
    }
  }
  Options options;
  std::string problem;
  if (!ParseArguments(args, options, problem)) {
    err << "ambrelin-build: " << problem << '\n' << Usage;
    return InputRefused;
  }
  VersionInfo version;
  ReadVersionInfo(version, &ProgramVersionRecord());
  int status = BuildSucceeded;
  for (const auto& folder : options.Folders) {
    const int folderStatus = BuildFolder(folder, options, version, process, out, err);
    status = std::max(status, folderStatus);
  }
  return status;
}
