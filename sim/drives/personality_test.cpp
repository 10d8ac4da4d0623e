#include "sim/drives/personality.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "sim/drives/drive_test_support.h"

namespace sim {
namespace {

using namespace testing_support;
using platform::DataDirection;
using platform::kStatusCheckCondition;
using platform::kStatusGood;

// A maker's command 0xDF (12 bytes): sub-command 1 reads four bytes, 2 commits an update that
// changes the revision, anything else is refused. It claims INQUIRY too, which the core keeps.
class TinyPersonality final : public Personality {
 public:
  bool handles(std::uint8_t opcode) const override { return opcode == 0xDF || opcode == 0x12; }
  platform::ScsiOutcome execute(EmulatedDrive& drive, const platform::ScsiCommand& command) override {
    if (command.cdb.size() < 12) return drive.checkCondition(kInvalidFieldInCdb);
    if (command.cdb[1] == 1) {
      static constexpr std::array<std::uint8_t, 4> kAnswer{1, 2, 3, 4};
      if (!directionFits(command, DataDirection::In, command.cdb[11]))
        return drive.checkCondition(kInvalidFieldInCdb);
      return drive.goodWithData(command, kAnswer, command.cdb[11]);
    }
    if (command.cdb[1] == 2) {
      Identity updated = drive.identity();
      updated.revision = "2.10";
      drive.setIdentity(updated);
      return drive.good();
    }
    return drive.checkCondition(kInvalidFieldInCdb);
  }
};

class PersonalityTest : public DriveTest {
 protected:
  PersonalityTest() { makeReady(drive); }
  EmulatedDrive drive{testIdentity(), Faults{.mediumPresent = true}, std::make_unique<TinyPersonality>()};
};

Cdb vendorCdb(std::uint8_t sub, std::uint8_t length = 0) { return {0xDF, sub, 0, 0, 0, 0, 0, 0, 0, 0, 0, length}; }

TEST_F(PersonalityTest, AddsItsOperationCodesAndUsesTheCoreHelpers) {
  std::array<std::uint8_t, 8> data{};
  auto read = send(drive, vendorCdb(1, 8), DataDirection::In, data);
  EXPECT_EQ(read.status, kStatusGood);
  EXPECT_EQ(read.transferred, 4u);
  EXPECT_EQ(data[3], 4);
  EXPECT_EQ(senseOf(send(drive, {0xDE, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})), kInvalidOperationCode);
}

TEST_F(PersonalityTest, ItsCheckConditionIsTheSenseThatRequestSenseReturns) {
  EXPECT_EQ(send(drive, vendorCdb(9)).status, kStatusCheckCondition);
  std::array<std::uint8_t, 18> sense{};
  send(drive, requestSenseCdb(18), DataDirection::In, sense);
  EXPECT_EQ(sense[2], sense_key::kIllegalRequest);
  EXPECT_EQ(sense[12], 0x24);
}

TEST_F(PersonalityTest, CoreCommandsAndAttentionComeFirst) {
  drive.reset();
  EXPECT_EQ(senseOf(send(drive, vendorCdb(2))), kPowerOnOrReset);
  ASSERT_EQ(send(drive, vendorCdb(2)).status, kStatusGood);
  std::array<std::uint8_t, 36> data{};
  ASSERT_EQ(send(drive, inquiryCdb(36), DataDirection::In, data).transferred, 36u);
  EXPECT_EQ(std::string(data.begin() + 32, data.end()), "2.10");
}

}  // namespace
}  // namespace sim
