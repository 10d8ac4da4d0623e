// quillon [test]: the firmware update wizard. The word "test" anywhere on the command line
// runs every step but the restore and the flash. With a display it opens the window; inside
// a simulated PC without one, or with QUILLON_FRONT_END=headless, the automatic run's
// scripted user walks it and tells what it sees; QUILLON_AUTOMATIC_DRIVE=ADAPTER:TARGET:LUN
// has it take that drive instead of the first supported one.

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>

#include "platform/forms_qt.h"
#include "platform/host.h"
#include "quillon/gui/automatic_run.h"
#include "quillon/gui/program_forms.h"
#include "sim/machine/drive_look.h"

namespace {

using namespace quillon;

bool commandLineHasTest(int argc, char** argv) {
  std::string line;
  for (int arg = 1; arg < argc; ++arg) line += std::string(" ") + argv[arg];
  return line.find("test") != std::string::npos;
}

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

int runWizard(bool testMode, const std::function<int(TFormMain&)>& loop) {
  ProgramForms forms(testMode);
  loop(forms.main);
  return forms.main.RebootRequested() ? RestartWindows(forms.main.NtFamily()) : 0;
}

// The simulated user looks at the machine's drives through the machine's own state.
DriveEyes machineEyes(const std::string& machine) {
  return [machine](const std::string& address) -> std::optional<SeenDrive> {
    std::optional<sim::DriveLook> look = sim::lookAtDrive(machine, address);
    if (!look) return std::nullopt;
    return SeenDrive{look->indicator, look->revision};
  };
}

int runAutomatically(bool testMode) {
  std::string machine = environment(platform::kMachineVariable);
  if (machine.empty()) {
    std::fprintf(stderr,
                 "quillon: the wizard needs a display (DISPLAY or WAYLAND_DISPLAY); the automatic run works inside a "
                 "simulated PC only (simpc run DIR quillon --headless)\n");
    return 2;
  }
  AutomaticRun automatic(std::cout, machineEyes(machine), environment("QUILLON_AUTOMATIC_DRIVE"));
  platform::forms::ScopedFrontEnd useAutomatic(automatic);
  int status = runWizard(testMode, [&](TFormMain& wizard) { return automatic.run(wizard); });
  automatic.finish();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  bool testMode = commandLineHasTest(argc, argv);
  if (environment("QUILLON_FRONT_END") == "headless" || !platform::forms::QtApplication::displayAvailable())
    return runAutomatically(testMode);
  platform::forms::QtApplication application(false);
  platform::forms::QtFrontEnd qt;
  platform::forms::ScopedFrontEnd useQt(qt);
  return runWizard(testMode, [](TFormMain& wizard) { return wizard.ShowModal(); });
}
