#include "quillon/gui/form_main_test_support.h"

namespace quillon::testing {
namespace {

using sim::vorante::testing_support::specFor;

constexpr std::uint32_t kLongerThanAnyProgressMs = 100000;

}  // namespace

sim::EmulatedDrive& WizardTest::addMakerDrive(int driveType, const std::string& revision) {
  std::string product = specFor(driveType, revision).model;
  flash_ = std::make_shared<sim::vorante::MemoryFlash>(
      std::vector<std::uint8_t>(sim::vorante::profileOf(driveType).flashSize(), 0xFF));
  faults_ = std::make_shared<sim::Faults>();
  sim::vorante::DriveSetup setup{.driveType = driveType};
  sim::EmulatedDrive& drive = bench_.machine.bus().addDrive(
      {0, 0, 0, 0}, 'D', {"VORANTE", product, revision, ""}, {},
      std::make_unique<sim::vorante::VorantePersonality>(setup, flash_, faults_));
  oem_.push_back(oemEntry(product, static_cast<std::uint32_t>(driveType)));
  bench_.writeOem(oem_);
  return drive;
}

void WizardTest::addPlainDrive(const std::string& product, int driveType) {
  bench_.machine.bus().addDrive({0, 0, 0, 0}, 'D', {"VORANTE", product, "1.00", ""});
  oem_.push_back(oemEntry(product, static_cast<std::uint32_t>(driveType)));
  bench_.writeOem(oem_);
}

std::string WizardTest::writeFirmware(const std::string& name, int driveType, const std::string& revision) {
  return bench_.writeFirmware(name, specFor(driveType, revision));
}

void WizardTest::useRegistry(const std::string& keys) { hive_ = platform::Hive::fromText(kSoftwareKey + keys); }

void WizardTest::open(bool testMode) {
  bench_.machine.settle();
  wizard_ = std::make_unique<TFormMain>(testMode, WizardDialogs{exit_, readMe_, popUp_});
}

bool WizardTest::run(const std::function<void()>& script) {
  bool ended = true;
  headless_.whenModal([&](platform::forms::Form& form) {
    script();
    if (form.modalResult() != platform::mrNone) return;
    ended = false;
    form.setModalResult(platform::mrCancel);
  });
  wizard_->ShowModal();
  return ended;
}

void WizardTest::next(int boxes) {
  for (int box = 0; box < boxes; ++box) headless_.answerNextMessageBox(platform::IDOK);
  EXPECT_TRUE(click("ButNext")) << "on page " << page();
}

std::vector<std::string> WizardTest::boxTexts() const {
  std::vector<std::string> texts;
  for (const auto& box : headless_.messageBoxes()) texts.push_back(box.text);
  return texts;
}

void WizardTest::walkToStartPage() {
  for (int page = 1; page <= 4; ++page) next();
}

void WizardTest::runProgress() {
  next();
  headless_.advance(kLongerThanAnyProgressMs);
}

}  // namespace quillon::testing
