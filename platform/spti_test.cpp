#include "platform/spti.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <vector>

#include "platform/test_host.h"

namespace platform {
namespace {

using testing::checkCondition;

constexpr ScsiAddress kDrive{1, 0, 2, 0};
constexpr std::uint8_t kReadBuffer[] = {0x3C, 0x02, 0, 0, 0, 0, 0, 0x01, 0x00, 0};
constexpr ULONG kSenseOffset = sizeof(SCSI_PASS_THROUGH);
constexpr ULONG kSenseRoom = 32;
constexpr ULONG kDataOffset = kSenseOffset + kSenseRoom;

SCSI_PASS_THROUGH bufferedRecord(UCHAR dataIn, ULONG length) {
  SCSI_PASS_THROUGH record{};
  record.Length = sizeof record;
  record.CdbLength = sizeof kReadBuffer;
  std::memcpy(record.Cdb, kReadBuffer, sizeof kReadBuffer);
  record.SenseInfoLength = 24;
  record.SenseInfoOffset = kSenseOffset;
  record.DataIn = dataIn;
  record.DataTransferLength = length;
  record.DataBufferOffset = kDataOffset;
  record.TimeOutValue = 20;
  return record;
}

SCSI_PASS_THROUGH_DIRECT directRecord(UCHAR dataIn, void* data, ULONG length) {
  SCSI_PASS_THROUGH_DIRECT record{};
  record.Length = sizeof record;
  record.CdbLength = 6;
  record.SenseInfoLength = 24;
  record.SenseInfoOffset = sizeof record;
  record.DataIn = dataIn;
  record.DataTransferLength = length;
  record.DataBuffer = data;
  record.TimeOutValue = 108000;
  return record;
}

// One buffer holding a record, its sense area and its data, as the callers lay it out.
struct Request {
  std::vector<std::uint8_t> bytes;
  template <typename Record>
  Request(const Record& record, std::size_t size) : bytes(size, 0xEE) {
    std::memcpy(bytes.data(), &record, sizeof record);
  }
  template <typename Record>
  Record record() const {
    Record r;
    std::memcpy(&r, bytes.data(), sizeof r);
    return r;
  }
  DWORD size() const { return static_cast<DWORD>(bytes.size()); }
};

class PassThrough : public ::testing::Test {
 protected:
  PassThrough() {
    bus.devices = {{kDrive, 5, 'D'}};
    machine.scsiBus = &bus;
    device.reset(CreateFile("\\\\.\\D:", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, 0));
  }
  BOOL send(HANDLE handle, DWORD code, Request& request, DWORD* returned = nullptr) {
    return DeviceIoControl(handle, code, request.bytes.data(), request.size(), request.bytes.data(), request.size(),
                           returned, nullptr);
  }
  // A drive that answers reads with 0, 1, 2, ... and takes writes.
  void answerWithCountingBytes() {
    bus.respond = [](const ScsiAddress&, const ScsiCommand& command) {
      ScsiOutcome outcome;
      if (command.direction == DataDirection::In) std::iota(command.data.begin(), command.data.end(), std::uint8_t{0});
      outcome.transferred = command.data.size();
      return outcome;
    };
  }

  testing::FakeBus bus;
  testing::FakeHost machine;
  ScopedHost scoped{machine};
  ScopedHandle device;
};

TEST_F(PassThrough, TheAddressQueryWorksOnAQueryOnlyHandle) {
  ScopedHandle query(CreateFile("\\\\.\\D:", 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, 0));
  SCSI_ADDRESS address{};
  DWORD returned = 0;
  ASSERT_TRUE(DeviceIoControl(query.get(), IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address, sizeof address, &returned, nullptr));
  EXPECT_EQ(address.Length, sizeof address);
  EXPECT_EQ(address.PortNumber, 1);
  EXPECT_EQ(address.PathId, 0);
  EXPECT_EQ(address.TargetId, 2);
  EXPECT_EQ(address.Lun, 0);
  EXPECT_EQ(returned, sizeof address);
  EXPECT_FALSE(DeviceIoControl(query.get(), IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address, sizeof address - 1, &returned,
                               nullptr));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INSUFFICIENT_BUFFER});
}

TEST_F(PassThrough, BufferedReadLandsBehindTheRecordAtItsOffset) {
  answerWithCountingBytes();
  Request request(bufferedRecord(SCSI_IOCTL_DATA_IN, 256), kDataOffset + 256);
  DWORD returned = 0;
  ASSERT_TRUE(send(device.get(), IOCTL_SCSI_PASS_THROUGH, request, &returned));
  auto answer = request.record<SCSI_PASS_THROUGH>();
  EXPECT_EQ(answer.ScsiStatus, kStatusGood);
  EXPECT_EQ(answer.DataTransferLength, 256u);
  EXPECT_EQ(answer.SenseInfoLength, 0);
  EXPECT_EQ(returned, kDataOffset + 256);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(request.bytes[kDataOffset + i], i);
  ASSERT_EQ(bus.calls.size(), 1u);
  EXPECT_EQ(bus.calls[0].address, kDrive);
  EXPECT_EQ(bus.calls[0].cdb, std::vector<std::uint8_t>(std::begin(kReadBuffer), std::end(kReadBuffer)));
  EXPECT_EQ(bus.calls[0].timeoutMs, 20000u);
}

TEST_F(PassThrough, DirectWriteSendsTheCallersBytesToTheHandlesDrive) {
  answerWithCountingBytes();
  std::vector<std::uint8_t> block(16384, 0x5A);
  auto record = directRecord(SCSI_IOCTL_DATA_OUT, block.data(), static_cast<ULONG>(block.size()));
  record.PathId = 7;
  record.TargetId = 9;  // the handle names the drive, not these
  Request request(record, sizeof record + 24);
  DWORD returned = 0;
  ASSERT_TRUE(send(device.get(), IOCTL_SCSI_PASS_THROUGH_DIRECT, request, &returned));
  EXPECT_EQ(returned, sizeof record);
  ASSERT_EQ(bus.calls.size(), 1u);
  EXPECT_EQ(bus.calls[0].address, kDrive);
  EXPECT_EQ(bus.calls[0].direction, DataDirection::Out);
  EXPECT_EQ(bus.calls[0].sent, block);
  EXPECT_EQ(bus.calls[0].timeoutMs, 108000000u);
  EXPECT_EQ(request.record<SCSI_PASS_THROUGH_DIRECT>().DataTransferLength, 16384u);
}

TEST_F(PassThrough, SenseOfACheckConditionIsCopiedUpToTheRoomGiven) {
  bus.respond = [](const ScsiAddress&, const ScsiCommand&) { return checkCondition(0x06, 0x28, 0x00); };
  for (UCHAR room : {UCHAR{24}, UCHAR{14}, UCHAR{0}}) {
    auto record = directRecord(SCSI_IOCTL_DATA_UNSPECIFIED, nullptr, 0);
    record.SenseInfoLength = room;
    Request request(record, sizeof record + 24);
    ASSERT_TRUE(send(device.get(), IOCTL_SCSI_PASS_THROUGH_DIRECT, request));
    auto answer = request.record<SCSI_PASS_THROUGH_DIRECT>();
    std::size_t copied = std::min<std::size_t>(room, kSenseSize);
    EXPECT_EQ(answer.ScsiStatus, kStatusCheckCondition);
    EXPECT_EQ(answer.SenseInfoLength, copied);
    const std::uint8_t* sense = request.bytes.data() + sizeof record;
    if (room) {
      EXPECT_EQ(sense[2], 0x06);
      EXPECT_EQ(sense[12], 0x28);
    }
    EXPECT_EQ(sense[copied], 0xEE) << "written past the sense given, room " << int{room};
  }
}

TEST_F(PassThrough, ABadRecordIsRefusedBeforeAnythingIsTouched) {
  struct Case {
    const char* what;
    void (*spoil)(SCSI_PASS_THROUGH&);
    DWORD size = kDataOffset + 512;
  };
  const Case cases[] = {
      {"length field", [](SCSI_PASS_THROUGH& r) { r.Length = 44; }},
      {"no CDB", [](SCSI_PASS_THROUGH& r) { r.CdbLength = 0; }},
      {"CDB over 16", [](SCSI_PASS_THROUGH& r) { r.CdbLength = 17; }},
      {"direction", [](SCSI_PASS_THROUGH& r) { r.DataIn = 3; }},
      {"transfer over 64 KiB", [](SCSI_PASS_THROUGH& r) { r.DataTransferLength = kSptiMaxTransfer + 1; }},
      {"data past the buffer", [](SCSI_PASS_THROUGH& r) { r.DataTransferLength = 513; }},
      {"data offset wraps", [](SCSI_PASS_THROUGH& r) { r.DataBufferOffset = ~ULONG_PTR{0} - 4; }},
      {"data over the record", [](SCSI_PASS_THROUGH& r) { r.DataBufferOffset = 8; }},
      {"sense past the buffer", [](SCSI_PASS_THROUGH& r) { r.SenseInfoOffset = kDataOffset + 500; }},
      {"sense over the record", [](SCSI_PASS_THROUGH& r) { r.SenseInfoOffset = 0; }},
      {"sense over the data", [](SCSI_PASS_THROUGH& r) { r.SenseInfoOffset = kDataOffset + 8; }},
      {"buffer smaller than the record", [](SCSI_PASS_THROUGH&) {}, sizeof(SCSI_PASS_THROUGH) - 1},
  };
  for (const Case& c : cases) {
    SCSI_PASS_THROUGH record = bufferedRecord(SCSI_IOCTL_DATA_IN, 512);
    c.spoil(record);
    Request request(record, std::max<std::size_t>(c.size, sizeof record));
    std::vector<std::uint8_t> before = request.bytes;
    SetLastError(0);
    EXPECT_FALSE(DeviceIoControl(device.get(), IOCTL_SCSI_PASS_THROUGH, request.bytes.data(), c.size,
                                 request.bytes.data(), c.size, nullptr, nullptr))
        << c.what;
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER}) << c.what;
    EXPECT_EQ(request.bytes, before) << c.what;
  }
  auto direct = directRecord(SCSI_IOCTL_DATA_IN, nullptr, 16);
  Request request(direct, sizeof direct + 24);
  EXPECT_FALSE(send(device.get(), IOCTL_SCSI_PASS_THROUGH_DIRECT, request)) << "no data buffer";
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
  EXPECT_TRUE(bus.calls.empty());
}

TEST_F(PassThrough, NeedsADeviceHandleOpenedForReadingAndWriting) {
  Request request(bufferedRecord(SCSI_IOCTL_DATA_IN, 0), kDataOffset);
  ScopedHandle readOnly(CreateFile("\\\\.\\D:", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, 0));
  EXPECT_FALSE(send(readOnly.get(), IOCTL_SCSI_PASS_THROUGH, request));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
  ScopedHandle event(CreateEvent(nullptr, TRUE, FALSE, nullptr));
  EXPECT_FALSE(send(event.get(), IOCTL_SCSI_PASS_THROUGH, request));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
  EXPECT_FALSE(send(device.get(), 0x12345, request));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
  EXPECT_TRUE(bus.calls.empty());
}

TEST_F(PassThrough, ACommandThatDoesNotCompleteFailsWithTheMatchingError) {
  const std::pair<ScsiOutcome::Kind, int> cases[] = {
      {ScsiOutcome::Kind::Timeout, ERROR_SEM_TIMEOUT},
      {ScsiOutcome::Kind::NoDevice, ERROR_NOT_READY},
      {ScsiOutcome::Kind::Refused, ERROR_GEN_FAILURE},
  };
  for (auto [kind, error] : cases) {
    bus.respond = [kind](const ScsiAddress&, const ScsiCommand&) { return ScsiOutcome{kind}; };
    for (DWORD code : {IOCTL_SCSI_PASS_THROUGH, IOCTL_SCSI_PASS_THROUGH_DIRECT}) {
      std::uint8_t data[64];
      Request request = code == IOCTL_SCSI_PASS_THROUGH
                            ? Request(bufferedRecord(SCSI_IOCTL_DATA_IN, 64), kDataOffset + 64)
                            : Request(directRecord(SCSI_IOCTL_DATA_IN, data, 64), sizeof(SCSI_PASS_THROUGH_DIRECT) + 24);
      EXPECT_FALSE(send(device.get(), code, request));
      EXPECT_EQ(GetLastError(), DWORD(error));
    }
  }
}

}  // namespace
}  // namespace platform
