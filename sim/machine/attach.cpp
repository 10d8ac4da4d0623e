// The entry point of libsimpc.so: the platform's host() loads the library and attaches the
// machine named in QUILLON_MACHINE once per process.

#include <string>

#include "platform/immortal.h"
#include "platform/registry.h"
#include "sim/machine/machine_host.h"

namespace {

// Never destroyed: other libraries' objects may still ask for the host while the process exits.
struct AttachedMachine {
  explicit AttachedMachine(const std::string& folder)
      : host(folder), hive(platform::Hive::openFile(host.folder().registry().native())) {}

  sim::MachineHost host;
  platform::Hive hive;
  platform::ScopedHive active{hive};
};

platform::Host* attach(const std::string& folder) {
  static platform::Immortal<AttachedMachine> machine(folder);
  if (machine.get().host.folder().root() != sim::MachineFolder(folder).root())
    throw sim::MachineError("this process runs on " + machine.get().host.folder().root().native() + " already");
  return &machine.get().host;
}

}  // namespace

extern "C" platform::Host* quillon_attach_machine(const char* folder, std::string* error) {
  try {
    if (!folder || !*folder) throw sim::MachineError("no machine folder named");
    return attach(folder);
  } catch (const std::exception& fault) {
    if (error) *error = fault.what();
    return nullptr;
  }
}
