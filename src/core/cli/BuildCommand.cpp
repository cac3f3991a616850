#include "core/cli/BuildCommand.h"

#include <unistd.h>

#include <algorithm>
#include <optional>
#include <ostream>

#include "core/Main/FolderListing.h"
#include "core/Main/ImageTable.h"
#include "core/Main/Settings.h"
#include "core/Main/album/AlbumBuild.h"
#include "core/Main/album/LowerCaseNames.h"
#include "core/app/VersionInfo.h"
#include "core/pictures/FileFormats.h"
#include "core/platform/Errors.h"
#include "core/platform/FileSystem.h"

namespace {
const char* const Usage =
    "Usage: ambrelin-build [--title TEXT] [--index NAME] [--filenames | --no-filenames] "
    "[--lowercase-names] FOLDER...\n"
    "Builds the album page of each picture folder, as \"Create Album\" does.\n"
    "Options not given are taken from the folder's AmbrelinDir.INI.\n"
    "--lowercase-names first renames pictures with capital letters to the\n"
    "lower-case names the page links them by.\n"
    "--help shows this text, --version the program's version.\n";

struct Options {
  std::optional<std::string> Title;
  std::optional<std::string> Index;
  std::optional<bool> IncludeFileNames;
  bool LowerCaseNames = false;
  std::vector<std::string> Folders;
};

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
    } else if (arg == "--lowercase-names") {
      options.LowerCaseNames = true;
    } else {
      problem = "unknown option " + arg;
      return false;
    }
  }
  if (options.Folders.empty()) {
    problem = "no FOLDER given";
    return false;
  }
  return true;
}

std::string CurrentDirectory() {
  std::string buffer(4096, '\0');
  if (!getcwd(buffer.data(), buffer.size())) return ".";
  return buffer.c_str();
}

// Builds one folder's album; returns its exit status.
int BuildFolder(const std::string& folderArg, const Options& options, const VersionInfo& version,
                std::ostream& out, std::ostream& err) {
  StreamMessages messages(out, err);
  try {
    const std::string folder = EnterFolder(folderArg, CurrentDirectory());
    TIniFile folderSettings;
    const AlbumOptions stored = LoadAlbumOptions(folderSettings, folder);
    AlbumInput input;
    input.Title = options.Title.value_or(stored.WebPageTitle);
    input.IndexName = options.Index.value_or(stored.FileName);
    input.IncludeFileNames = options.IncludeFileNames.value_or(stored.IncludeFileNames);
    input.PictureFiles = ListPictureFiles(folder, PictureFileMask());

    // Renamed before the build, so the page's lower-cased links find them.
    std::vector<LowerCaseRename> renames;
    if (options.LowerCaseNames) {
      renames = RenamePicturesToLowerCase(folder, input.PictureFiles);
      try {
        RenameDescriptionRecordsOf(folder, renames);
      } catch (const Exception& e) {
        // The records still match their pictures, by name ignoring case.
        err << "ambrelin-build: warning: " << ErrorLine(e) << '\n';
      }
      input.PictureFiles = ListPictureFiles(folder, PictureFileMask());
    }

    ImageTable table;
    AlbumEnvironment env(folder, table, version, messages);
    env.DateTime = DateTimeSettingsFromLocale(QLocale::system());
    env.FolderSettings = &folderSettings;
    AlbumBuildState state;
    if (!CreateAlbum(state, input, env)) return InputRefused;
    out << ResolvePath(folder, PageFileName(state.AlbumBaseName)) << '\n';
    for (const std::string& name : PicturesMissedByLowerCaseLinks(folder, input.PictureFiles)) {
      const auto rename =
          std::find_if(renames.begin(), renames.end(),
                       [&name](const LowerCaseRename& r) { return r.Name == name; });
      err << LowerCaseWarning(folder, name, rename == renames.end() ? nullptr : &*rename) << '\n';
    }
    return BuildSucceeded;
  } catch (const Exception& e) {
    messages.ShowErrorMessage(e);
    return BuildFailed;
  }
}
}  // namespace

int RunBuildCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
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
    const int folderStatus = BuildFolder(folder, options, version, out, err);
    status = std::max(status, folderStatus);
  }
  return status;
}
