// A machine library for the host loader's tests: attaches any folder but "refused", and
// its host names the folder it was given as its state folder.

#include <optional>
#include <string>

#include "platform/host.h"

namespace {

class FolderHost final : public platform::Host {
 public:
  std::optional<platform::VersionInfo> version() const override { return platform::VersionInfo{4, 10, 2222, 1, "A"}; }
  bool isAdministrator() const override { return false; }
  bool libraryInstalled(std::string_view) const override { return true; }
  platform::ScsiBus* bus() override { return nullptr; }
  std::optional<std::string> stateFolder() const override { return folder; }
  void requestRestart(platform::DWORD) override {}
  std::string folder;
};

}  // namespace

extern "C" platform::Host* quillon_attach_machine(const char* machineFolder, std::string* error) {
  static FolderHost host;
  if (std::string(machineFolder) == "refused") {
    *error = "no machine.json in refused";
    return nullptr;
  }
  host.folder = machineFolder;
  return &host;
}
