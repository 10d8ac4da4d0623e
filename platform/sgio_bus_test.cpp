#include "platform/sgio_bus.h"

#include <gtest/gtest.h>
#include <scsi/sg.h>

#include <cerrno>

namespace platform {
namespace {

// Records what the bus asks of the system and answers as the test says.
class FakeSystem {
 public:
  SgIoCalls calls() {
    return {[this](const std::string& device) {
              opened.push_back(device);
              return openResult;
            },
            [this](int, sg_io_hdr& request) {
              lastCdb.assign(request.cmdp, request.cmdp + request.cmd_len);
              last = request;
              answer(request);
              if (ioctlErrno) errno = ioctlErrno;
              return ioctlErrno ? -1 : 0;
            },
            [this](int) { ++closed; },
            [this](const std::string&) {
              ++questions;
              return confirmAnswer;
            }};
  }
  std::function<void(sg_io_hdr&)> answer = [](sg_io_hdr&) {};
  std::vector<std::string> opened;
  std::vector<std::uint8_t> lastCdb;
  sg_io_hdr last{};
  int openResult = 7;
  int ioctlErrno = 0;
  int closed = 0;
  int questions = 0;
  bool confirmAnswer = true;
};

TEST(ParseRealDrives, AcceptsLetterDevicePairs) {
  std::string error;
  auto drives = parseRealDrives("d=/dev/sr0,E=/dev/sg1", &error);
  ASSERT_TRUE(drives);
  EXPECT_EQ((*drives)[0].letter, 'D');
  EXPECT_EQ((*drives)[1].device, "/dev/sg1");
  for (const char* bad : {"D", "D=sr0", "B=/dev/sr0", "D=/dev/sr0,D=/dev/sr1", "D=/dev/sr0,"})
    EXPECT_FALSE(parseRealDrives(bad, &error)) << bad;
  EXPECT_TRUE(parseRealDrives("", &error)->empty());
}

class SgIoBusTest : public ::testing::Test {
 protected:
  FakeSystem system_;
  SgIoBus bus_{{{'D', "/dev/sr0"}, {'E', "/dev/sr1"}}, system_.calls()};
};

TEST_F(SgIoBusTest, MapsLettersToTargetsOfOneAdapter) {
  EXPECT_EQ(bus_.addressOfLetter('e'), (ScsiAddress{0, 0, 1, 0}));
  EXPECT_EQ(bus_.driveLetter({0, 0, 0, 0}), 'D');
  EXPECT_FALSE(bus_.driveLetter({0, 0, 2, 0}));
  EXPECT_EQ(bus_.deviceType({0, 0, 1, 0}), 5);
  EXPECT_EQ(bus_.adapters().size(), 1u);
}

TEST_F(SgIoBusTest, BuildsTheRequestFromTheCommand) {
  const std::uint8_t inquiry[] = {0x12, 0, 0, 0, 36, 0};
  std::array<std::uint8_t, 36> data{};
  system_.answer = [](sg_io_hdr& r) { r.resid = 6; };
  ScsiOutcome outcome = bus_.execute({0, 0, 1, 0}, {inquiry, DataDirection::In, data, 0});
  EXPECT_EQ(system_.opened, std::vector<std::string>{"/dev/sr1"});
  EXPECT_EQ(system_.lastCdb, std::vector<std::uint8_t>(std::begin(inquiry), std::end(inquiry)));
  EXPECT_EQ(system_.last.dxfer_direction, SG_DXFER_FROM_DEV);
  EXPECT_EQ(system_.last.dxfer_len, 36u);
  EXPECT_EQ(system_.last.timeout, 60000u);
  EXPECT_EQ(outcome.kind, ScsiOutcome::Kind::Done);
  EXPECT_EQ(outcome.transferred, 30u);
  bus_.execute({0, 0, 1, 0}, {inquiry, DataDirection::In, data, 0});
  EXPECT_EQ(system_.opened.size(), 1u) << "the device stays open";
}

TEST_F(SgIoBusTest, MapsTheSystemsAnswers) {
  const std::uint8_t unitReady[6] = {};
  struct Case {
    const char* name;
    std::function<void(sg_io_hdr&)> answer;
    int ioctlErrno;
    ScsiOutcome::Kind kind;
  };
  const Case cases[] = {
      {"check condition", [](sg_io_hdr& r) { r.status = 2; r.sb_len_wr = 18; r.sbp[2] = 0x02; }, 0,
       ScsiOutcome::Kind::Done},
      {"host time-out", [](sg_io_hdr& r) { r.host_status = 0x03; }, 0, ScsiOutcome::Kind::Timeout},
      {"driver time-out", [](sg_io_hdr& r) { r.driver_status = 0x06; }, 0, ScsiOutcome::Kind::Timeout},
      {"no connection", [](sg_io_hdr& r) { r.host_status = 0x01; }, 0, ScsiOutcome::Kind::NoDevice},
      {"ioctl timed out", [](sg_io_hdr&) {}, ETIMEDOUT, ScsiOutcome::Kind::Timeout},
      {"ioctl failed", [](sg_io_hdr&) {}, EIO, ScsiOutcome::Kind::NoDevice},
  };
  for (const Case& c : cases) {
    system_.answer = c.answer;
    system_.ioctlErrno = c.ioctlErrno;
    ScsiOutcome outcome = bus_.execute({0, 0, 0, 0}, {unitReady, DataDirection::None, {}, 0});
    EXPECT_EQ(outcome.kind, c.kind) << c.name;
    if (std::string(c.name) == "check condition") {
      EXPECT_EQ(outcome.status, 2);
      EXPECT_EQ(outcome.sense[2], 0x02);
    }
  }
}

TEST_F(SgIoBusTest, TheFirstChangingCommandNeedsAConfirmation) {
  const std::uint8_t writeBuffer[10] = {0x3B, 0x01};
  std::array<std::uint8_t, 4> data{};
  system_.confirmAnswer = false;
  EXPECT_EQ(bus_.execute({0, 0, 0, 0}, {writeBuffer, DataDirection::Out, data, 0}).kind, ScsiOutcome::Kind::Refused);
  EXPECT_TRUE(system_.opened.empty()) << "nothing reached the drive";
  system_.confirmAnswer = true;
  EXPECT_EQ(bus_.execute({0, 0, 0, 0}, {writeBuffer, DataDirection::Out, data, 0}).kind, ScsiOutcome::Kind::Done);
  EXPECT_EQ(bus_.execute({0, 0, 1, 0}, {writeBuffer, DataDirection::Out, data, 0}).kind, ScsiOutcome::Kind::Done);
  EXPECT_EQ(system_.questions, 2) << "asked until confirmed, then never again";
  const std::uint8_t unitReady[6] = {};
  bus_.execute({0, 0, 0, 0}, {unitReady, DataDirection::None, {}, 0});
  EXPECT_EQ(system_.questions, 2);
}

TEST_F(SgIoBusTest, RefusesWhatItCannotSend) {
  const std::uint8_t tooLong[17] = {};
  EXPECT_EQ(bus_.execute({0, 0, 0, 0}, {tooLong, DataDirection::None, {}, 0}).kind, ScsiOutcome::Kind::Refused);
  EXPECT_EQ(bus_.execute({0, 0, 0, 0}, {{}, DataDirection::None, {}, 0}).kind, ScsiOutcome::Kind::Refused);
  const std::uint8_t unitReady[6] = {};
  EXPECT_EQ(bus_.execute({1, 0, 0, 0}, {unitReady, DataDirection::None, {}, 0}).kind, ScsiOutcome::Kind::NoDevice);
  system_.openResult = -1;
  EXPECT_EQ(bus_.execute({0, 0, 0, 0}, {unitReady, DataDirection::None, {}, 0}).kind, ScsiOutcome::Kind::NoDevice);
}

}  // namespace
}  // namespace platform
