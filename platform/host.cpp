#include "platform/host.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include "platform/host_loader.h"
#include "platform/library_folder.h"
#include "platform/real_host.h"

namespace platform {
namespace {

struct HostChoice {
  Host* active = nullptr;  // nothing until first use or a ScopedHost
  bool resolving = false;
};

HostChoice& choice() {
  static HostChoice instance;
  return instance;
}

// Real drives only when the user names them; never by default.
Host& realHost(const char* named) {
  std::string error;
  auto drives = parseRealDrives(named, &error);
  if (!drives) {
    std::fprintf(stderr, "quillon: %s: %s; running on a bare PC without drives\n", kRealDrivesVariable, error.c_str());
    return bareHost();
  }
  static RealHost host(std::move(*drives), realSgIoCalls());
  return host;
}

Host& resolve() {
  const char* folder = std::getenv(kMachineVariable);
  const char* real = std::getenv(kRealDrivesVariable);
  if ((!folder || !*folder) && real && *real) return realHost(real);
  if (!folder || !*folder) return bareHost();
  std::string reason;
  if (Host* machine = loadMachineHost(libraryFolder() + "/" + kMachineLibrary, folder, reason)) return *machine;
  std::fprintf(stderr, "quillon: cannot attach the machine in %s (%s); running on a bare PC without drives\n", folder,
               reason.c_str());
  return bareHost();
}

}  // namespace

BareHost& bareHost() {
  static BareHost instance;
  return instance;
}

Host* loadMachineHost(const std::string& libraryPath, const char* machineFolder, std::string& reason) {
  void* library = ::dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    const char* error = ::dlerror();
    reason = error ? error : libraryPath + " cannot be loaded";
    return nullptr;
  }
  auto attach = reinterpret_cast<AttachMachineFunction>(::dlsym(library, kAttachMachineName));
  if (!attach) {
    reason = libraryPath + " does not export " + kAttachMachineName;
    return nullptr;
  }
  std::string error;
  Host* machine = attach(machineFolder, &error);
  if (!machine) reason = error.empty() ? "the machine refused to attach without saying why" : error;
  return machine;
}

Host& host() {
  HostChoice& state = choice();
  if (state.active) return *state.active;
  // The machine library may ask for the host while it attaches; it gets the bare one.
  if (state.resolving) return bareHost();
  state.resolving = true;
  Host& chosen = resolve();
  state.resolving = false;
  if (!state.active) state.active = &chosen;
  return *state.active;
}

ScopedHost::ScopedHost(Host& replacement) : previous_(choice().active) { choice().active = &replacement; }

ScopedHost::~ScopedHost() { choice().active = previous_; }

}  // namespace platform
