#pragma once
// A PC for the wizard's tests: the maker's emulated drives on one IDE channel, a scratch
// current folder with the OEM and firmware files, the headless front end standing in for
// the user, and a host that records restarts and can make chosen commands fail.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms_headless.h"
#include "platform/host.h"
#include "platform/registry.h"
#include "quillon/gui/dialogs.h"
#include "quillon/gui/form_main.h"
#include "quillon/gui/logging.h"
#include "quillon/kernel/kernel_test_support.h"
#include "sim/drives/vorante/vorante_test_support.h"

namespace quillon::testing {

// Answers chosen commands itself, before the drives see them.
class GatedBus final : public platform::ScsiBus {
 public:
  using Gate = std::function<std::optional<platform::ScsiOutcome>(const platform::ScsiCommand&)>;
  explicit GatedBus(platform::ScsiBus& inner) : inner_(inner) {}
  Gate gate;

  platform::ScsiOutcome execute(const platform::ScsiAddress& address, const platform::ScsiCommand& command) override {
    if (gate)
      if (std::optional<platform::ScsiOutcome> answer = gate(command)) return *answer;
    return inner_.execute(address, command);
  }
  std::vector<platform::HostAdapter> adapters() const override { return inner_.adapters(); }
  std::optional<int> deviceType(const platform::ScsiAddress& a) const override { return inner_.deviceType(a); }
  std::optional<char> driveLetter(const platform::ScsiAddress& a) const override { return inner_.driveLetter(a); }
  std::optional<platform::ScsiAddress> addressOfLetter(char letter) const override {
    return inner_.addressOfLetter(letter);
  }

 private:
  platform::ScsiBus& inner_;
};

// The test machine's host with its restarts recorded and its bus gated; `bare` takes the
// simulated PC's state folder away, as on a real PC.
class WizardHost final : public platform::Host {
 public:
  explicit WizardHost(platform::Host& inner) : inner_(inner), bus_(*inner.bus()) {}
  GatedBus& gatedBus() { return bus_; }
  bool bare = false;
  std::vector<platform::DWORD> restarts;

  std::optional<platform::VersionInfo> version() const override { return inner_.version(); }
  bool isAdministrator() const override { return inner_.isAdministrator(); }
  bool libraryInstalled(std::string_view name) const override { return inner_.libraryInstalled(name); }
  platform::ScsiBus* bus() override { return &bus_; }
  std::optional<std::string> stateFolder() const override {
    return bare ? std::nullopt : inner_.stateFolder();
  }
  void requestRestart(platform::DWORD flags) override { restarts.push_back(flags); }

 private:
  platform::Host& inner_;
  GatedBus bus_;
};

inline constexpr const char* kSoftwareKey = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software]\n";

class WizardTest : public ::testing::Test {
 protected:
  // A drive of the maker with an erased flash, which the OEM file supports.
  sim::EmulatedDrive& addMakerDrive(int driveType, const std::string& revision = "1.00");
  // A drive that only answers the common commands, of the OEM file's `driveType`.
  void addPlainDrive(const std::string& product, int driveType);
  std::string writeFirmware(const std::string& name, int driveType, const std::string& revision);
  // Keys and values in REGEDIT4 form, added to the machine's software key.
  void useRegistry(const std::string& keys);

  // Creates the wizard; the drives are settled first, as after power-on.
  void open(bool testMode = false);
  // Runs the message loop with `script` as what the user does; true when the wizard ended it.
  bool run(const std::function<void()>& script);

  platform::forms::Control& control(const char* name) const { return wizard_->form().control(name); }
  bool click(const char* name) { return control(name).click(); }
  // Next with `boxes` message boxes answered OK on the way.
  void next(int boxes = 0);
  int page() const { return wizard_->currentPage(); }
  const std::string& title() const { return wizard_->form().caption(); }
  std::vector<std::string> boxTexts() const;
  std::string gui(int number) const { return catalogue_.String(0x01000000 + number); }
  std::string catalogueText(ResultCode code) const { return catalogue_.String(static_cast<std::int32_t>(code)); }
  // Walks from the welcome page to the start page, with the first drive and file selected.
  void walkToStartPage();
  // From the start page through the progress page until the outcome question.
  void runProgress();
  std::vector<std::uint8_t> erased() const { return std::vector<std::uint8_t>(flash_->read().size(), 0xFF); }

  LogCapture log_;
  KernelBench bench_;
  WizardHost host_{bench_.machine.host};
  platform::ScopedHost useHost_{host_};
  platform::Hive hive_ = platform::Hive::fromText(kSoftwareKey);
  platform::ScopedHive useHive_{hive_};
  platform::forms::HeadlessFrontEnd headless_;
  platform::forms::ScopedFrontEnd useHeadless_{headless_};
  TlngString catalogue_;
  TFormExit exit_;
  TFormReadMe readMe_;
  TFormPopUp popUp_;
  std::unique_ptr<TFormMain> wizard_;
  std::shared_ptr<sim::vorante::MemoryFlash> flash_;
  std::shared_ptr<sim::Faults> faults_;
  std::vector<sim::OemEntry> oem_;
};

}  // namespace quillon::testing
