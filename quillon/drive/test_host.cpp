#include "quillon/drive/scsi_opcodes.h"
#include "quillon/drive/test_host.h"

#include <algorithm>

namespace quillon::testing {
namespace {

using platform::ScsiAddress;
using platform::ScsiOutcome;


// Peripheral device type 0 (direct access) in byte 0, then the identity texts from byte 8.
ScsiOutcome diskAnswer(const platform::ScsiCommand& command) {
  ScsiOutcome outcome;
  if (command.cdb[0] != kInquiry || command.direction != platform::DataDirection::In) return outcome;
  std::string answer = std::string(8, '\0') + "ACME    HARD DISK       1.00";
  std::fill(command.data.begin(), command.data.end(), 0);
  outcome.transferred = std::min(command.data.size(), answer.size());
  std::copy_n(answer.begin(), outcome.transferred, command.data.begin());
  return outcome;
}

}  // namespace

void TestBus::addAdapter(int number, std::string identifier, int maxTargets) {
  adapters_.push_back({number, std::move(identifier), maxTargets});
}

sim::EmulatedDrive& TestBus::addDrive(ScsiAddress address, std::optional<char> letter, sim::Identity identity,
                                      sim::Faults faults, std::unique_ptr<sim::Personality> personality) {
  auto drive = std::make_unique<sim::EmulatedDrive>(std::move(identity), faults, std::move(personality));
  sim::EmulatedDrive& added = *drive;
  devices_.push_back({address, letter, 5, std::move(drive)});
  return added;
}

void TestBus::addDisk(ScsiAddress address, char letter) { devices_.push_back({address, letter, 0, nullptr}); }

int TestBus::count(const ScsiAddress& address, std::uint8_t operationCode) const {
  return static_cast<int>(std::count_if(calls_.begin(), calls_.end(), [&](const Call& call) {
    return call.address == address && !call.cdb.empty() && call.cdb[0] == operationCode;
  }));
}

void TestBus::settle(platform::VirtualClock& clock) {
  clock.advance(sim::kBecomingReadyMs);
  for (auto& device : devices_) {
    if (!device.drive) continue;
    std::vector<std::uint8_t> sense(platform::kSenseSize);
    const std::uint8_t cdb[] = {kRequestSense, 0, 0, 0, static_cast<std::uint8_t>(sense.size()), 0};
    device.drive->execute({cdb, platform::DataDirection::In, sense});
  }
}

ScsiOutcome TestBus::execute(const ScsiAddress& address, const platform::ScsiCommand& command) {
  calls_.push_back({address, {command.cdb.begin(), command.cdb.end()}});
  const Device* device = find(address);
  if (!device) return {ScsiOutcome::Kind::NoDevice};
  return device->drive ? device->drive->execute(command) : diskAnswer(command);
}

std::optional<int> TestBus::deviceType(const ScsiAddress& address) const {
  const Device* device = find(address);
  return device ? std::optional(device->type) : std::nullopt;
}

std::optional<char> TestBus::driveLetter(const ScsiAddress& address) const {
  const Device* device = find(address);
  return device ? device->letter : std::nullopt;
}

std::optional<ScsiAddress> TestBus::addressOfLetter(char letter) const {
  auto found = std::find_if(devices_.begin(), devices_.end(), [&](const Device& d) { return d.letter == letter; });
  return found == devices_.end() ? std::nullopt : std::optional(found->address);
}

const TestBus::Device* TestBus::find(const ScsiAddress& address) const {
  auto found = std::find_if(devices_.begin(), devices_.end(), [&](const Device& d) { return d.address == address; });
  return found == devices_.end() ? nullptr : &*found;
}

platform::VersionInfo windowsVersion(PlatformCode code) {
  switch (code) {
    case kPlatformWin32s: return {3, 10, 0, 0, ""};
    case kPlatformWindows95: return {4, 0, 0x040003B6, 1, " B"};
    case kPlatformWindows98: return {4, 10, 0x040A08AE, 1, " A "};
    case kPlatformWindowsMe: return {4, 90, 0x045A0BB8, 1, " "};
    case kPlatformWindowsNt4: return {4, 0, 1381, 2, "Service Pack 6"};
    case kPlatformWindows2000: return {5, 0, 2195, 2, "Service Pack 4"};
    case kPlatformWindowsXp: return {5, 1, 2600, 2, "Service Pack 2"};
    default: return {5, 2, 3790, 2, ""};
  }
}

TestMachine::TestMachine(PlatformCode platform) { setPlatform(platform); }

sim::Identity cdromIdentity(const std::string& product) { return {"QUILLON", product, "1.00", "Q042"}; }

}  // namespace quillon::testing
