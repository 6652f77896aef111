#include "platform/linux/data_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace quorlen {

namespace {

namespace fs = std::filesystem;

// The placeholder image is the one file every data folder ships with.
bool HoldsShippedData(const std::string& folder) {
  std::error_code error;
  return !folder.empty() && fs::is_regular_file(folder + "/1by1.jpg", error);
}

// Copies every plain, non-executable file the user's folder lacks.
void Seed(const std::string& defaults, const std::string& folder) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(defaults, error)) {
    std::error_code fileError;
    if (!entry.is_regular_file(fileError)) continue;
    auto permissions = entry.status(fileError).permissions();
    if ((permissions & fs::perms::owner_exec) != fs::perms::none) continue;
    fs::path target = fs::path(folder) / entry.path().filename();
    if (fs::exists(target, fileError)) continue;
    fs::copy_file(entry.path(), target, fs::copy_options::skip_existing, fileError);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add,
                    fileError);
  }
}

}  // namespace

std::string ChooseDataFolder(const DataFolderPlaces& places) {
  const bool ownData = HoldsShippedData(places.programFolder);
  if (ownData && ::access(places.programFolder.c_str(), W_OK) == 0) return places.programFolder;
  if (places.userDataHome.empty()) return places.programFolder;

  const std::string folder = places.userDataHome + "/quorlen";
  std::error_code error;
  fs::create_directories(folder, error);
  if (error || ::access(folder.c_str(), W_OK) != 0) return places.programFolder;
  Seed(ownData ? places.programFolder : places.installedDefaults, folder);
  return folder;
}

DataFolderPlaces ThisProgramsPlaces(const std::string& programFile) {
  DataFolderPlaces places;
  places.programFolder = fs::path(programFile).parent_path().string();
  // An installed program finds its shipped files beside its own prefix first, so a package
  // unpacked elsewhere than /usr still seeds its users' folders.
  const std::string besidePrefix =
      (fs::path(places.programFolder).parent_path() / "share" / "quorlen").string();
  places.installedDefaults = HoldsShippedData(besidePrefix) ? besidePrefix : QUORLEN_INSTALLED_DATA;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/') {
    places.userDataHome = data;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    places.userDataHome = std::string(home) + "/.local/share";
  }
  return places;
}

}  // namespace quorlen
