#pragma once
// A PC for the drive layer's tests and benchmarks: a Windows version, an administrator or
// not, the outside libraries installed or not, and a SCSI bus whose host adapters carry
// emulated drives with drive letters. Time runs on a virtual clock, so retries and spin-up
// cost nothing.

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/host.h"
#include "platform/scratch_folder.h"
#include "platform/scsi_bus.h"
#include "quillon/drive/os_info.h"
#include "quillon/drive/scsi_transport.h"
#include "sim/drives/emulated_drive.h"

namespace quillon::testing {

class TestBus final : public platform::ScsiBus {
 public:
  struct Call {
    platform::ScsiAddress address;
    std::vector<std::uint8_t> cdb;
  };

  void addAdapter(int number, std::string identifier, int maxTargets = 8);
  sim::EmulatedDrive& addDrive(platform::ScsiAddress address, std::optional<char> letter, sim::Identity identity,
                               sim::Faults faults = {}, std::unique_ptr<sim::Personality> personality = nullptr);
  // A hard disk: it answers INQUIRY as a direct-access device and every other command GOOD.
  void addDisk(platform::ScsiAddress address, char letter);

  // The commands with this operation code that reached the address.
  int count(const platform::ScsiAddress& address, std::uint8_t operationCode) const;
  const std::vector<Call>& calls() const { return calls_; }
  void clearCalls() { calls_.clear(); }
  // Spins up the discs and takes each drive's power-on attention, as a host does before its work.
  void settle(platform::VirtualClock& clock);

  platform::ScsiOutcome execute(const platform::ScsiAddress& address, const platform::ScsiCommand& command) override;
  std::vector<platform::HostAdapter> adapters() const override { return adapters_; }
  std::optional<int> deviceType(const platform::ScsiAddress& address) const override;
  std::optional<char> driveLetter(const platform::ScsiAddress& address) const override;
  std::optional<platform::ScsiAddress> addressOfLetter(char letter) const override;

 private:
  struct Device {
    platform::ScsiAddress address;
    std::optional<char> letter;
    int type = 5;
    std::unique_ptr<sim::EmulatedDrive> drive;  // none for a disk
  };
  const Device* find(const platform::ScsiAddress& address) const;

  std::vector<platform::HostAdapter> adapters_;
  std::vector<Device> devices_;
  std::vector<Call> calls_;
};

class TestHost final : public platform::Host {
 public:
  std::optional<platform::VersionInfo> versionInfo;
  bool administrator = true;
  std::set<std::string> installed{"WNASPI32", "CDR4DLL"};
  TestBus testBus;

  std::optional<platform::VersionInfo> version() const override { return versionInfo; }
  bool isAdministrator() const override { return administrator; }
  bool libraryInstalled(std::string_view name) const override { return installed.contains(std::string(name)); }
  platform::ScsiBus* bus() override { return &testBus; }
  std::optional<std::string> stateFolder() const override { return state_.path().native(); }
  void requestRestart(platform::DWORD) override {}

 private:
  platform::ScratchFolder state_{"quillon_drive_host"};
};

// The version record Windows gives for a platform code (0: Windows Server 2003).
platform::VersionInfo windowsVersion(PlatformCode code);

// The host and the virtual clock in use for the lifetime of this object.
class TestMachine {
 public:
  explicit TestMachine(PlatformCode platform = kPlatformWindowsXp);
  void setPlatform(PlatformCode platform) { host.versionInfo = windowsVersion(platform); }
  TestBus& bus() { return host.testBus; }
  const TestBus& bus() const { return host.testBus; }
  void settle() { host.testBus.settle(clock); }

  platform::VirtualClock clock;
  TestHost host;

 private:
  platform::ScopedClock clockScope_{clock};
  platform::ScopedHost hostScope_{host};
};

// Catches what the transport hands to its trace sink and to its time-out hook.
class ObservedTransport : public ScsiTransport {
 public:
  void TraceDeviceLine(int device, std::string_view text) override {
    devices.push_back(device);
    lines.emplace_back(text);
  }
  void OnTimeout(int device) override { timeouts.push_back(device); }

  std::vector<int> devices;
  std::vector<std::string> lines;
  std::vector<int> timeouts;
};

sim::Identity cdromIdentity(const std::string& product = "CDRW 1204A");

}  // namespace quillon::testing
