// quillon-gallery --out DIR: renders Quillon's dialogs and the nine pages of its wizard in
// each language with the Qt front end, offscreen, into PNG files named by window and language
// (exit-en.png, wizard-p1-en.png, ...). The wizard runs on a small emulated PC, walked by a
// script on the headless front end, so its pages show what a run really shows.

#include <fmt/format.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/forms_headless.h"
#include "platform/forms_qt.h"
#include "platform/registry.h"
#include "quillon/gui/dialogs.h"
#include "quillon/gui/form_main.h"
#include "quillon/gui/gallery_pc.h"
#include "quillon/gui/logging.h"

namespace {

using namespace quillon;
using platform::forms::HeadlessFrontEnd;
using platform::forms::QtFrontEnd;

struct Language {
  const char* code;
  const char* registryName;
};

constexpr Language kLanguages[] = {{"en", "English"}, {"de", "German"}, {"fr", "French"}};

constexpr const char* kSampleReadMe =
    "VR1204A firmware, revision 2.10\n"
    "\n"
    "Changes since revision 2.00:\n"
    "- Better writing quality on 80-minute CD-R media.\n"
    "- Faster recognition of CD-RW discs after the tray closes.\n"
    "\n"
    "Do not switch off the computer while the drive is being updated.\n";

constexpr int kProgressShown = 37;  // per cent, for the progress page's picture
constexpr const char* kChosenFirmware = "VR1204A-0220.CVT";
constexpr std::uint32_t kLongerThanAnyProgressMs = 100000;

// The language every catalogue built while this lives will choose.
class LanguageChoice {
 public:
  explicit LanguageChoice(const char* name) : use_(hive_) {
    platform::ScopedKey key;
    platform::RegCreateKeyEx(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\Vorante\\Quillon", platform::KEY_ALL_ACCESS,
                             key.out(), nullptr);
    std::string value(name);
    platform::RegSetValueEx(key.get(), "Language", platform::REG_SZ,
                            reinterpret_cast<const platform::BYTE*>(value.c_str()),
                            static_cast<platform::DWORD>(value.size() + 1));
  }

 private:
  platform::Hive hive_;
  platform::ScopedHive use_;
};

using PathOf = std::function<std::string(const std::string& window)>;

// One wizard on its own PC. The headless front end stands in for the user while the Qt
// front end takes the pictures; Qt forgets the form after each one, so that nothing of it
// outlives the wizard.
class WizardShoot {
 public:
  WizardShoot(QtFrontEnd& qt, PathOf path) : qt_(qt), path_(std::move(path)) {}
  // Every page but the failure page, with a flash that succeeds.
  bool successfulRun();
  // A flash the drive refuses: the message the wizard gives, then the failure page.
  bool failedRun();
  int page() const { return wizard_.currentPage(); }

 private:
  // Runs the message loop with `script` as the user; the script's answer.
  bool run(const std::function<bool()>& script);
  // False when the wizard is on another page; takes the picture only while photographing.
  bool photograph(int page);
  bool walkToStartPage();
  bool chooseDriveAndFirmware();
  bool progressPartWay();
  bool refusedFlash();
  platform::forms::Control& control(const char* name) { return wizard_.form().control(name); }
  bool click(const char* name) { return control(name).click(); }

  QtFrontEnd& qt_;
  PathOf path_;
  bool photographing_ = true;
  LogCapture log_;  // the status log stays out of the gallery's output
  gallery::GalleryPc pc_;
  HeadlessFrontEnd headless_;
  platform::forms::ScopedFrontEnd useHeadless_{headless_};
  TFormExit exit_;
  TFormReadMe readMe_;
  TFormPopUp popUp_;
  TFormMain wizard_{false, WizardDialogs{exit_, readMe_, popUp_}};
};

bool WizardShoot::run(const std::function<bool()>& script) {
  bool done = false;
  headless_.whenModal([&](platform::forms::Form& form) {
    done = script();
    if (form.modalResult() == platform::mrNone) form.setModalResult(platform::mrCancel);
  });
  wizard_.ShowModal();
  return done;
}

bool WizardShoot::photograph(int page) {
  if (wizard_.currentPage() != page) return false;
  if (!photographing_) return true;
  bool taken = qt_.renderPng(wizard_.form(), path_("wizard-p" + std::to_string(page)));
  qt_.forget(wizard_.form());
  return taken;
}

bool WizardShoot::walkToStartPage() {
  return photograph(1) && click("ButNext") && chooseDriveAndFirmware() && click("ButNext") && photograph(4) &&
         click("ButNext") && photograph(5);
}

bool WizardShoot::chooseDriveAndFirmware() {
  auto& tree = wizard_.form().get<platform::forms::TreeView>("DrvTree");
  if (tree.topLevel().empty() || tree.topLevel()[0]->children().empty()) return false;
  tree.select(*tree.topLevel()[0]->children()[0]);
  tree.topLevel().back()->setExpanded(true);  // as the user opens it, to see the drive of another maker
  if (!photograph(2) || !click("ButNext")) return false;
  auto& list = wizard_.form().get<platform::forms::ListBox>("P3SelList");
  auto line = std::find_if(list.lines().begin(), list.lines().end(),
                           [](const std::string& text) { return text.starts_with(kChosenFirmware); });
  return line != list.lines().end() && list.clickLine(static_cast<int>(line - list.lines().begin())) &&
         photograph(3);
}

// The flash runs in the first tick; the bar then moves one step a tick.
bool WizardShoot::progressPartWay() {
  const std::string shown = std::to_string(kProgressShown);
  platform::forms::Timer& timer = *wizard_.form().timers().front();
  while (wizard_.currentPage() == 6 && !control("P6LCompl").text().starts_with(shown))
    headless_.advance(timer.interval());
  return photograph(6);
}

bool WizardShoot::successfulRun() {
  return run([this] {
    if (!walkToStartPage() || !click("ButNext") || !progressPartWay()) return false;
    headless_.advance(kLongerThanAnyProgressMs);
    return photograph(7) && click("P7ButNext") && photograph(9) && click("ButNext");
  });
}

// The drive answers every block of the download with CHECK CONDITION.
bool WizardShoot::refusedFlash() {
  pc_.firstDriveFaults().failingBlock = 1;
  pc_.firstDriveFaults().failingBlockAlways = true;
  headless_.answerNextMessageBox(platform::IDOK);
  if (!click("ButNext")) return false;
  headless_.advance(kLongerThanAnyProgressMs);
  if (headless_.messageBoxes().size() != 1 || wizard_.currentPage() != 7) return false;
  const auto& box = headless_.messageBoxes().front();
  return QtFrontEnd::renderMessageBoxPng(box.text, box.caption, box.flags, path_("wizard-flash-failed"));
}

bool WizardShoot::failedRun() {
  return run([this] {
    photographing_ = false;  // the way to the start page is the successful run's
    bool atStart = walkToStartPage();
    photographing_ = true;
    return atStart && refusedFlash() && click("P7ButFail") && photograph(8) && click("ButNext");
  });
}

class Gallery {
 public:
  explicit Gallery(std::filesystem::path folder) : folder_(std::move(folder)) {}
  bool renderLanguage(const Language& language);

 private:
  std::string path(const std::string& window, const Language& language) const {
    return (folder_ / (window + "-" + language.code + ".png")).native();
  }
  bool box(const MessageBoxContent& content, const std::string& file) const {
    return QtFrontEnd::renderMessageBoxPng(content.text, content.caption, content.flags, file);
  }
  bool renderDialogs(const Language& language);
  bool renderWizard(const Language& language);

  std::filesystem::path folder_;
  QtFrontEnd qt_;
  platform::forms::ScopedFrontEnd useQt_{qt_};  // so that forms going away are forgotten
};

bool Gallery::renderLanguage(const Language& language) {
  LanguageChoice choice(language.registryName);
  bool ok = renderDialogs(language);
  return renderWizard(language) && ok;
}

bool Gallery::renderDialogs(const Language& language) {
  TFormExit exitForm;
  TFormReadMe readMe;
  TFormPopUp popUp;
  readMe.setText(kSampleReadMe);
  bool ok = qt_.renderPng(exitForm.form(), path("exit", language));
  ok &= qt_.renderPng(readMe.form(), path("readme", language));
  const ResultCode removeDisk = 0x02000042, aspiMissing = 0x04000137;
  popUp.prepare(popUp.texts(), removeDisk, popUp.texts().String(removeDisk));
  ok &= qt_.renderPng(popUp.form(), path("popup", language));
  popUp.prepare(popUp.texts(), aspiMissing, popUp.texts().String(aspiMissing));
  ok &= qt_.renderPng(popUp.form(), path("popup-fatal", language));
  ok &= box(resultBox(popUp.texts(), 0x03000038), path("result", language));
  ok &= box(questionBox(popUp.texts(), 0x0100003F, {"- DMA\n- Auto Insert Notification"}), path("question", language));
  return ok;
}

bool Gallery::renderWizard(const Language& language) {
  PathOf pathOf = [&](const std::string& window) { return path(window, language); };
  bool ok = true;
  for (bool succeeding : {true, false}) {
    WizardShoot shoot(qt_, pathOf);
    if (succeeding ? shoot.successfulRun() : shoot.failedRun()) continue;
    fmt::print(stderr, "quillon-gallery: the wizard's {} run in {} stopped on page {}\n",
               succeeding ? "successful" : "failing", language.registryName, shoot.page());
    ok = false;
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() != 2 || args[0] != "--out") {
    std::fprintf(stderr, "usage: quillon-gallery --out DIR\n");
    return 2;
  }
  std::error_code error;
  std::filesystem::create_directories(args[1], error);
  platform::forms::QtApplication app(true);
  Gallery gallery(args[1]);
  bool ok = true;
  try {
    for (const Language& language : kLanguages) ok &= gallery.renderLanguage(language);
  } catch (const std::exception& failure) {  // a wizard that went another way than the walk expects
    std::fprintf(stderr, "quillon-gallery: %s\n", failure.what());
    ok = false;
  }
  if (!ok) std::fprintf(stderr, "quillon-gallery: cannot make every picture in %s\n", args[1].c_str());
  return ok ? 0 : 1;
}
