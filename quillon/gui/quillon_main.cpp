// quillon [test]: the firmware update wizard. The word "test" anywhere on the command line
// runs every step but the restore and the flash. Needs a display; the automatic run that
// answers the pages without one comes from the launcher.

#include <cstdio>
#include <string>

#include "platform/forms_qt.h"
#include "quillon/gui/dialogs.h"
#include "quillon/gui/form_main.h"

namespace {

using namespace quillon;

bool commandLineHasTest(int argc, char** argv) {
  std::string line;
  for (int arg = 1; arg < argc; ++arg) line += std::string(" ") + argv[arg];
  return line.find("test") != std::string::npos;
}

// The four forms in the order the program creates them; the wizard only keeps references to
// the three that follow it.
struct Forms {
  explicit Forms(bool testMode) : main(testMode, {exit, readMe, popUp}) {}
  TFormMain main;
  TFormExit exit;
  TFormReadMe readMe;
  TFormPopUp popUp;
};

int runWizard(bool testMode) {
  Forms forms(testMode);
  forms.main.ShowModal();
  return forms.main.RebootRequested() ? RestartWindows(forms.main.NtFamily()) : 0;
}

}  // namespace

int main(int argc, char** argv) {
  bool testMode = commandLineHasTest(argc, argv);
  if (!platform::forms::QtApplication::displayAvailable()) {
    std::fprintf(stderr, "quillon: the wizard needs a display (DISPLAY or WAYLAND_DISPLAY)\n");
    return 2;
  }
  platform::forms::QtApplication application(false);
  platform::forms::QtFrontEnd qt;
  platform::forms::ScopedFrontEnd useQt(qt);
  return runWizard(testMode);
}
