#pragma once
// The program's four forms in the order Quillon creates them; the wizard only keeps
// references to the three that follow it.

#include "quillon/gui/dialogs.h"
#include "quillon/gui/form_main.h"

namespace quillon {

struct ProgramForms {
  explicit ProgramForms(bool testMode) : main(testMode, {exit, readMe, popUp}) {}
  TFormMain main;
  TFormExit exit;
  TFormReadMe readMe;
  TFormPopUp popUp;
};

}  // namespace quillon
