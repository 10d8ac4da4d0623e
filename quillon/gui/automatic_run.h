#pragma once
// The automatic run: a scripted user on the headless front end who walks the wizard the way
// an owner with one drive to update would. It takes the first supported drive (or the one at
// the address it is given) and the newest fitting file, answers Yes to every question and OK to everything else, lets the progress
// run on a virtual clock, and at the outcome page decides by the drive's "DISC IN" indicator.
// It tells what it sees on `out`: each page, each message, the progress, the outcome.

#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "platform/clock.h"
#include "platform/forms_headless.h"
#include "platform/forms_lists.h"
#include "quillon/gui/form_main.h"

namespace quillon {

// What the user sees of the drive itself: its front panel's indicator ("steady" once the
// new firmware runs, "blinking", "error", "off") and the revision it now reports.
struct SeenDrive {
  std::string indicator;
  std::string revision;
};
// Asked with the drive's address "adapter:target:lun"; nothing when the drive cannot be seen.
using DriveEyes = std::function<std::optional<SeenDrive>(const std::string& address)>;

inline constexpr const char* kIndicatorSuccess = "steady";

class AutomaticRun final : public platform::forms::FrontEnd {
 public:
  // Installs its virtual clock for its lifetime, so the progress costs no wall time.
  // `address` ("adapter:target:lun") names the drive to take; empty: the first supported.
  AutomaticRun(std::ostream& out, DriveEyes eyes, std::string address = {});

  // Runs the wizard's message loop with this user in front of it.
  int run(TFormMain& wizard);
  // The chosen drive's revision once the program is done with it, as the last line.
  void finish();

  int showModal(platform::forms::Form& form) override;
  void hide(platform::forms::Form& form) override { headless_.hide(form); }
  int messageBox(const std::string& text, const std::string& caption, unsigned flags) override;
  std::optional<std::string> browseForFolder(const platform::forms::FolderBrowse& browse) override;
  void forget(platform::forms::Form& form) override { headless_.forget(form); }

 private:
  void stepOn(platform::forms::Form& form);
  void closeDialog(platform::forms::Form& form);
  void actOnWizard();
  void tellPage(int page);
  void chooseDrive();
  platform::forms::TreeNode* supportedDrive(const platform::forms::TreeView& tree) const;
  void chooseFirmware();
  void letTimePass();
  void judgeOutcome();
  void giveUp(const std::string& why);

  std::ostream& out_;
  DriveEyes eyes_;
  platform::VirtualClock clock_;
  platform::ScopedClock useClock_{clock_};
  platform::forms::HeadlessFrontEnd headless_;
  TFormMain* wizard_ = nullptr;
  int toldPage_ = 0;
  int stepsOnPage_ = 0;
  std::string wanted_;   // the address asked for, or empty
  std::string address_;  // of the chosen drive
  bool barShown_ = false;
};

// The revision in a line of the firmware list ("NAME   V2.10    date"); empty without one.
std::string RevisionOfLine(const std::string& line);
// The index of the line with the highest revision text, -1 for none.
int NewestLine(const std::vector<std::string>& lines);

}  // namespace quillon
