#pragma once
// A host and a SCSI bus for tests of the services above the bus: drives are placed at
// addresses with a type and a letter, and each command is recorded and answered by a
// function the test chooses.

#include <algorithm>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/scsi_bus.h"

namespace platform::testing {

class FakeBus final : public ScsiBus {
 public:
  struct Device {
    ScsiAddress address;
    int type = 5;
    std::optional<char> letter;
  };
  struct Call {
    ScsiAddress address;
    std::vector<std::uint8_t> cdb;
    DataDirection direction = DataDirection::None;
    std::vector<std::uint8_t> sent;  // the data of a host-to-drive command
    std::size_t dataSize = 0;
    std::uint32_t timeoutMs = 0;
  };
  using Responder = std::function<ScsiOutcome(const ScsiAddress&, const ScsiCommand&)>;

  std::vector<HostAdapter> adapterList{{0, "Fake ATAPI", 8}};
  std::vector<Device> devices;
  Responder respond;  // none: every command ends GOOD without moving data
  std::vector<Call> calls;

  ScsiOutcome execute(const ScsiAddress& address, const ScsiCommand& command) override {
    Call call{address, {command.cdb.begin(), command.cdb.end()}, command.direction, {}, command.data.size(),
              command.timeoutMs};
    if (command.direction == DataDirection::Out) call.sent.assign(command.data.begin(), command.data.end());
    calls.push_back(std::move(call));
    if (!find(address)) return {ScsiOutcome::Kind::NoDevice};
    return respond ? respond(address, command) : ScsiOutcome{};
  }
  std::vector<HostAdapter> adapters() const override { return adapterList; }
  std::optional<int> deviceType(const ScsiAddress& address) const override {
    const Device* device = find(address);
    return device ? std::optional(device->type) : std::nullopt;
  }
  std::optional<char> driveLetter(const ScsiAddress& address) const override {
    const Device* device = find(address);
    return device ? device->letter : std::nullopt;
  }
  std::optional<ScsiAddress> addressOfLetter(char letter) const override {
    auto found = std::find_if(devices.begin(), devices.end(), [&](const Device& d) { return d.letter == letter; });
    return found == devices.end() ? std::nullopt : std::optional(found->address);
  }

 private:
  const Device* find(const ScsiAddress& address) const {
    auto found = std::find_if(devices.begin(), devices.end(), [&](const Device& d) { return d.address == address; });
    return found == devices.end() ? nullptr : &*found;
  }
};

class FakeHost final : public Host {
 public:
  std::optional<VersionInfo> versionInfo = VersionInfo{};
  bool administrator = true;
  std::set<std::string> installed;  // library names as LoadLibrary asks for them
  ScsiBus* scsiBus = nullptr;
  std::optional<std::string> state;
  std::vector<DWORD> restarts;

  std::optional<VersionInfo> version() const override { return versionInfo; }
  bool isAdministrator() const override { return administrator; }
  bool libraryInstalled(std::string_view name) const override { return installed.contains(std::string(name)); }
  ScsiBus* bus() override { return scsiBus; }
  std::optional<std::string> stateFolder() const override { return state; }
  void requestRestart(DWORD flags) override { restarts.push_back(flags); }
};

// An outcome that ends with CHECK CONDITION and fixed-format sense of the given key, ASC and ASCQ.
inline ScsiOutcome checkCondition(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) {
  ScsiOutcome outcome;
  outcome.status = kStatusCheckCondition;
  outcome.sense[0] = 0x70;
  outcome.sense[2] = key;
  outcome.sense[7] = 10;
  outcome.sense[12] = asc;
  outcome.sense[13] = ascq;
  return outcome;
}

}  // namespace platform::testing
