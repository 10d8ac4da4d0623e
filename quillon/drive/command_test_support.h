#pragma once
// What the tests of the firmware transfer and the vendor commands share: a drive that records
// every command of the maker's set it receives and answers as a test scripts it, and a fixture
// with one such drive as drive index 0.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "quillon/drive/dri_drives.h"
#include "quillon/drive/scsi_opcodes.h"
#include "quillon/drive/test_host.h"
#include "quillon/gui/logging.h"

namespace quillon::testing {

using Bytes = std::vector<std::uint8_t>;

struct ReceivedCommand {
  Bytes cdb;
  Bytes data;  // what the host sent; empty for commands that read
};

// How the drive answers, and what it received.
struct DriveScript {
  // Operation code to the ordinals (from 1, counted per operation code) answered with CHECK
  // CONDITION.
  std::map<std::uint8_t, std::set<int>> refused;
  // Operation code to the bytes it returns; READ BUFFER returns the buffer instead.
  std::map<std::uint8_t, Bytes> answers;
  // READ BUFFER answers (from 1) whose byte at `corruptPosition` comes back inverted.
  std::set<int> corruptReads;
  std::size_t corruptPosition = 0;

  std::vector<ReceivedCommand> received;
  Bytes buffer;  // what WRITE BUFFER mode 1 stored
  std::map<std::uint8_t, int> seen;

  std::vector<ReceivedCommand> withOpcode(std::uint8_t opcode) const {
    std::vector<ReceivedCommand> found;
    std::copy_if(received.begin(), received.end(), std::back_inserter(found),
                 [opcode](const ReceivedCommand& c) { return c.cdb.at(0) == opcode; });
    return found;
  }
};

inline std::uint32_t field24(const Bytes& cdb, std::size_t at) {
  return std::uint32_t{cdb.at(at)} << 16 | std::uint32_t{cdb.at(at + 1)} << 8 | cdb.at(at + 2);
}

class RecordingPersonality final : public sim::Personality {
 public:
  explicit RecordingPersonality(DriveScript& script) : script_(script) {}

  bool handles(std::uint8_t opcode) const override {
    return opcode == kWriteBuffer || opcode == kReadBuffer || opcode >= 0xF0;
  }

  platform::ScsiOutcome execute(sim::EmulatedDrive& drive, const platform::ScsiCommand& command) override {
    Bytes cdb(command.cdb.begin(), command.cdb.end());
    bool out = command.direction == platform::DataDirection::Out;
    script_.received.push_back({cdb, out ? Bytes(command.data.begin(), command.data.end()) : Bytes{}});
    int ordinal = ++script_.seen[cdb[0]];
    if (script_.refused[cdb[0]].contains(ordinal)) return drive.checkCondition(sim::kInvalidFieldInCdb);
    if (cdb[0] == kWriteBuffer) return store(drive, command, cdb);
    if (cdb[0] == kReadBuffer) return readBack(drive, command, cdb, ordinal);
    return drive.goodWithData(command, script_.answers[cdb[0]], command.data.size());
  }

 private:

  platform::ScsiOutcome store(sim::EmulatedDrive& drive, const platform::ScsiCommand& command, const Bytes& cdb) {
    std::size_t offset = field24(cdb, 3);
    if (cdb[1] == 1 && !command.data.empty()) {
      script_.buffer.resize(std::max(script_.buffer.size(), offset + command.data.size()));
      std::copy(command.data.begin(), command.data.end(), script_.buffer.begin() + offset);
    }
    return drive.good();
  }

  platform::ScsiOutcome readBack(sim::EmulatedDrive& drive, const platform::ScsiCommand& command, const Bytes& cdb,
                                 int ordinal) {
    std::size_t offset = field24(cdb, 3);
    Bytes answer(field24(cdb, 6));
    for (std::size_t i = 0; i < answer.size() && offset + i < script_.buffer.size(); ++i)
      answer[i] = script_.buffer[offset + i];
    if (script_.corruptReads.contains(ordinal) && script_.corruptPosition < answer.size())
      answer[script_.corruptPosition] = static_cast<std::uint8_t>(~answer[script_.corruptPosition]);
    return drive.goodWithData(command, answer, answer.size());
  }

  DriveScript& script_;
};

// Drive index 0 is the recording drive at (0,0,0) with letter D.
class CommandTest : public ::testing::Test {
 protected:
  CommandTest() {
    machine_.bus().addAdapter(0, "ESDI_506");
    machine_.bus().addDrive(kAddress, 'D', cdromIdentity(), {}, std::make_unique<RecordingPersonality>(script_));
  }

  DriDrives& start(int driveType, PlatformCode platform = kPlatformWindowsXp) {
    drives_.reset();
    machine_.setPlatform(platform);
    transport_ = std::make_unique<ScsiTransport>();
    drives_ = std::make_unique<DriDrives>(*transport_);
    machine_.settle();
    setDriveType(driveType);
    script_.received.clear();
    log_.clear();
    return *drives_;
  }
  void setDriveType(int driveType) {
    int count = 0;
    DriveRecord* records = nullptr;
    drives_->GetDrives(count, records);
    records[0].driveType = driveType;
  }
  std::vector<std::string> logTexts() const {
    std::vector<std::string> texts;
    for (const auto& entry : log_.entries()) texts.push_back(entry.text);
    return texts;
  }

  static constexpr platform::ScsiAddress kAddress{0, 0, 0, 0};
  DriveScript script_;
  TestMachine machine_;
  LogCapture log_;
  std::unique_ptr<ScsiTransport> transport_;
  std::unique_ptr<DriDrives> drives_;
};

}  // namespace quillon::testing
