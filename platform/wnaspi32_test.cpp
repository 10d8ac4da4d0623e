#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/aspi.h"
#include "platform/dynlib.h"
#include "platform/handles.h"
#include "platform/test_host.h"

namespace platform {
namespace {

using testing::checkCondition;

constexpr std::uint8_t kGuard = 0xA5;

// A request block with guard bytes on both sides, to see that nothing outside it is written.
template <typename Block>
class Guarded {
 public:
  explicit Guarded(BYTE command) : bytes_(sizeof(Block) + 2 * kRoom, kGuard) {
    std::memset(raw(), 0, sizeof(Block));
    raw()[0] = command;
  }
  Block get() const {
    Block block;
    std::memcpy(&block, raw(), sizeof block);
    return block;
  }
  void set(const Block& block) { std::memcpy(raw(), &block, sizeof block); }
  void* request() { return raw(); }
  bool guardsIntact() const {
    for (std::size_t i = 0; i < kRoom; ++i)
      if (bytes_[i] != kGuard || bytes_[kRoom + sizeof(Block) + i] != kGuard) return false;
    return true;
  }

 private:
  static constexpr std::size_t kRoom = 32;
  std::uint8_t* raw() { return bytes_.data() + kRoom; }
  const std::uint8_t* raw() const { return bytes_.data() + kRoom; }
  std::vector<std::uint8_t> bytes_;
};

class Aspi : public ::testing::Test {
 protected:
  Aspi() {
    bus.adapterList = {{0, "ESDI_506", 8}, {1, "Fast SCSI-2", 16}};
    bus.devices = {{{0, 0, 1, 0}, 5, 'E'}, {{1, 0, 3, 0}, 5, std::nullopt}, {{1, 0, 4, 0}, 0, 'C'}};
    machine.scsiBus = &bus;
    machine.installed = {"WNASPI32"};
    library.reset(LoadLibrary("WNASPI32"));
    supportInfo = reinterpret_cast<GetASPI32SupportInfoFunction>(GetProcAddress(library.get(), "GetASPI32SupportInfo"));
    send = reinterpret_cast<SendASPI32CommandFunction>(GetProcAddress(library.get(), "SendASPI32Command"));
  }
  void SetUp() override {
    ASSERT_NE(supportInfo, nullptr);
    ASSERT_NE(send, nullptr);
  }
  static SRB_ExecSCSICmd execRequest(BYTE target, BYTE flags, BYTE* buffer, DWORD length) {
    SRB_ExecSCSICmd block{};
    block.SRB_Cmd = SC_EXEC_SCSI_CMD;
    block.SRB_Target = target;
    block.SRB_Flags = flags;
    block.SRB_BufPointer = buffer;
    block.SRB_BufLen = length;
    block.SRB_SenseLen = 18;
    block.SRB_CDBLen = 6;
    return block;
  }

  testing::FakeBus bus;
  testing::FakeHost machine;
  ScopedHost scoped{machine};
  ScopedLibrary library;
  GetASPI32SupportInfoFunction supportInfo = nullptr;
  SendASPI32CommandFunction send = nullptr;
};

TEST_F(Aspi, SupportInfoCountsTheAdapters) {
  EXPECT_EQ(supportInfo(), DWORD{SS_COMP} << 8 | 2);
  bus.adapterList.clear();
  EXPECT_EQ(supportInfo(), DWORD{SS_NO_ADAPTERS} << 8);
  machine.scsiBus = nullptr;
  EXPECT_EQ(supportInfo(), DWORD{SS_NO_ADAPTERS} << 8);
}

TEST_F(Aspi, HostAdapterInquiryDescribesTheAdapter) {
  Guarded<SRB_HAInquiry> request(SC_HA_INQUIRY);
  SRB_HAInquiry block = request.get();
  block.SRB_HaId = 1;
  request.set(block);
  EXPECT_EQ(send(request.request()), SS_COMP);
  block = request.get();
  EXPECT_EQ(block.SRB_Status, SS_COMP);
  EXPECT_EQ(block.HA_Count, 2);
  EXPECT_EQ(block.HA_SCSI_ID, 7);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block.HA_ManagerId), 16), std::string("ASPI for WIN32\0\0", 16));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block.HA_Identifier)), "Fast SCSI-2");
  EXPECT_EQ(block.HA_Unique[3], 16);
  EXPECT_EQ(block.HA_Unique[4] | block.HA_Unique[5] << 8 | block.HA_Unique[6] << 16 | block.HA_Unique[7] << 24, 65536);
  EXPECT_TRUE(request.guardsIntact());

  block.SRB_HaId = 2;
  request.set(block);
  EXPECT_EQ(send(request.request()), SS_INVALID_HA);
  EXPECT_EQ(request.get().SRB_Status, SS_INVALID_HA);
}

TEST_F(Aspi, DeviceTypeAndDiskInfoComeFromTheBus) {
  struct Case {
    BYTE adapter, target;
    DWORD typeStatus;
    BYTE type;
    DWORD diskStatus;
    BYTE drive;
  };
  const Case cases[] = {
      {0, 1, SS_COMP, 5, SS_COMP, 'E' - 'A'},
      {1, 3, SS_COMP, 5, SS_NO_DEVICE, 0},  // no drive letter
      {1, 4, SS_COMP, 0, SS_COMP, 'C' - 'A'},
      {0, 2, SS_NO_DEVICE, 0x1F, SS_NO_DEVICE, 0},
      {5, 1, SS_INVALID_HA, 0, SS_INVALID_HA, 0},
  };
  for (const Case& c : cases) {
    Guarded<SRB_GDEVBlock> type(SC_GET_DEV_TYPE);
    SRB_GDEVBlock typeBlock = type.get();
    typeBlock.SRB_HaId = c.adapter;
    typeBlock.SRB_Target = c.target;
    type.set(typeBlock);
    EXPECT_EQ(send(type.request()), c.typeStatus) << int{c.adapter} << ":" << int{c.target};
    EXPECT_EQ(type.get().SRB_DeviceType, c.type);
    EXPECT_TRUE(type.guardsIntact());

    Guarded<SRB_GetDiskInfo> disk(SC_GET_DISK_INFO);
    SRB_GetDiskInfo diskBlock = disk.get();
    diskBlock.SRB_HaId = c.adapter;
    diskBlock.SRB_Target = c.target;
    disk.set(diskBlock);
    EXPECT_EQ(send(disk.request()), c.diskStatus) << int{c.adapter} << ":" << int{c.target};
    EXPECT_EQ(disk.get().SRB_Int13HDriveInfo, c.drive);
    EXPECT_TRUE(disk.guardsIntact());
  }
}

TEST_F(Aspi, ExecutesOnTheAdapterTargetAndLunOfTheRequest) {
  bus.respond = [](const ScsiAddress&, const ScsiCommand& command) {
    ScsiOutcome outcome;
    std::fill(command.data.begin(), command.data.end(), 0x42);
    outcome.transferred = command.data.size();
    return outcome;
  };
  std::vector<BYTE> data(36, 0);
  Guarded<SRB_ExecSCSICmd> request(SC_EXEC_SCSI_CMD);
  SRB_ExecSCSICmd block = execRequest(3, SRB_DIR_IN, data.data(), 36);
  block.SRB_HaId = 1;
  const BYTE inquiry[] = {0x12, 0, 0, 0, 0x24, 0};
  std::memcpy(block.CDBByte, inquiry, sizeof inquiry);
  request.set(block);
  EXPECT_EQ(send(request.request()), SS_COMP);
  EXPECT_EQ(request.get().SRB_Status, SS_COMP);
  EXPECT_EQ(request.get().SRB_TargStat, kStatusGood);
  EXPECT_EQ(data, std::vector<BYTE>(36, 0x42));
  ASSERT_EQ(bus.calls.size(), 1u);
  EXPECT_EQ(bus.calls[0].address, (ScsiAddress{1, 0, 3, 0}));
  EXPECT_EQ(bus.calls[0].cdb, std::vector<std::uint8_t>(std::begin(inquiry), std::end(inquiry)));
  EXPECT_EQ(bus.calls[0].direction, DataDirection::In);
  EXPECT_TRUE(request.guardsIntact());
}

TEST_F(Aspi, ACheckConditionBringsItsSenseAsFarAsTheAreaHolds) {
  bus.respond = [](const ScsiAddress&, const ScsiCommand&) {
    ScsiOutcome outcome = checkCondition(0x02, 0x3A, 0x01);
    outcome.sense[16] = outcome.sense[17] = 0x77;  // beyond the request's sense area
    return outcome;
  };
  for (BYTE senseLength : {BYTE{18}, BYTE{14}, BYTE{0}}) {
    Guarded<SRB_ExecSCSICmd> request(SC_EXEC_SCSI_CMD);
    SRB_ExecSCSICmd block = execRequest(1, 0, nullptr, 0);
    block.SRB_SenseLen = senseLength;
    request.set(block);
    EXPECT_EQ(send(request.request()), SS_ERR);
    block = request.get();
    EXPECT_EQ(block.SRB_TargStat, kStatusCheckCondition);
    EXPECT_EQ(block.SRB_HaStat, HASTAT_OK);
    EXPECT_EQ(block.SenseArea[12], senseLength >= 13 ? 0x3A : 0);
    EXPECT_EQ(block.SenseArea[13], senseLength >= 14 ? 0x01 : 0);
    EXPECT_EQ(block.SenseArea[15], 0);
    EXPECT_TRUE(request.guardsIntact()) << int{senseLength};
  }
}

TEST_F(Aspi, ARequestThatFailsOnTheBusIsAnErrorWithTheAdaptersReason) {
  const std::tuple<ScsiOutcome::Kind, BYTE, BYTE> cases[] = {
      {ScsiOutcome::Kind::Timeout, SS_ERR, HASTAT_COMMAND_TIMEOUT},
      {ScsiOutcome::Kind::NoDevice, SS_ERR, HASTAT_SEL_TO},
      {ScsiOutcome::Kind::Refused, SS_ABORTED, HASTAT_OK},
  };
  for (auto [kind, status, adapterStatus] : cases) {
    bus.respond = [kind](const ScsiAddress&, const ScsiCommand&) { return ScsiOutcome{kind}; };
    SRB_ExecSCSICmd block = execRequest(1, 0, nullptr, 0);
    EXPECT_EQ(send(&block), status);
    EXPECT_EQ(block.SRB_HaStat, adapterStatus);
  }
  SRB_ExecSCSICmd absent = execRequest(6, 0, nullptr, 0);
  bus.respond = nullptr;
  EXPECT_EQ(send(&absent), SS_ERR);
  EXPECT_EQ(absent.SRB_HaStat, HASTAT_SEL_TO);
}

TEST_F(Aspi, WithEventNotificationTheRequestIsPendingAndTheEventSet) {
  ScopedHandle event(CreateEvent(nullptr, TRUE, FALSE, nullptr));
  SRB_ExecSCSICmd block = execRequest(1, SRB_EVENT_NOTIFY, nullptr, 0);
  block.SRB_PostProc = reinterpret_cast<void*>(event.get());
  EXPECT_EQ(send(&block), SS_PENDING);
  EXPECT_EQ(block.SRB_Status, SS_COMP);
  EXPECT_EQ(WaitForSingleObject(event.get(), 0), WAIT_OBJECT_0);

  block.SRB_PostProc = reinterpret_cast<void*>(HANDLE{0x7777});
  EXPECT_EQ(send(&block), SS_INVALID_SRB) << "an event that does not exist";
}

SRB_ExecSCSICmd* posted = nullptr;
void postRoutine(void* request) { posted = static_cast<SRB_ExecSCSICmd*>(request); }

TEST_F(Aspi, WithPostingTheRoutineGetsTheFinishedRequest) {
  SRB_ExecSCSICmd block = execRequest(1, SRB_POSTING, nullptr, 0);
  block.SRB_PostProc = reinterpret_cast<void*>(&postRoutine);
  posted = nullptr;
  EXPECT_EQ(send(&block), SS_PENDING);
  EXPECT_EQ(posted, &block);
  EXPECT_EQ(block.SRB_Status, SS_COMP);
}

TEST_F(Aspi, AMalformedRequestNeverReachesTheBus) {
  BYTE buffer[16];
  struct Case {
    const char* what;
    BYTE cdbLength;
    BYTE flags;
    BYTE* pointer;
    DWORD length;
    DWORD status;
  };
  const Case cases[] = {
      {"no CDB", 0, SRB_DIR_IN, buffer, 16, SS_INVALID_SRB},
      {"CDB over 16", 17, SRB_DIR_IN, buffer, 16, SS_INVALID_SRB},
      {"over 64 KiB", 12, SRB_DIR_IN, buffer, kAspiMaxTransfer + 1, SS_BUFFER_TO_BIG},
      {"length without buffer", 12, SRB_DIR_OUT, nullptr, 16, SS_INVALID_SRB},
      {"data without direction", 12, 0, buffer, 16, SS_INVALID_SRB},
      {"posting and event", 12, SRB_POSTING | SRB_EVENT_NOTIFY, nullptr, 0, SS_INVALID_SRB},
      {"posting without routine", 12, SRB_POSTING, nullptr, 0, SS_INVALID_SRB},
  };
  for (const Case& c : cases) {
    SRB_ExecSCSICmd block = execRequest(1, c.flags, c.pointer, c.length);
    block.SRB_CDBLen = c.cdbLength;
    EXPECT_EQ(send(&block), c.status) << c.what;
    EXPECT_EQ(block.SRB_Status, c.status) << c.what;
  }
  SRB_ExecSCSICmd unknownAdapter = execRequest(1, 0, nullptr, 0);
  unknownAdapter.SRB_HaId = 9;
  EXPECT_EQ(send(&unknownAdapter), SS_INVALID_HA);
  EXPECT_TRUE(bus.calls.empty());
}

TEST_F(Aspi, BothDirectionBitsMeanNoDataMoves) {
  BYTE buffer[16] = {};
  SRB_ExecSCSICmd block = execRequest(1, SRB_DIR_IN | SRB_DIR_OUT, buffer, sizeof buffer);
  EXPECT_EQ(send(&block), SS_COMP);
  ASSERT_EQ(bus.calls.size(), 1u);
  EXPECT_EQ(bus.calls[0].direction, DataDirection::None);
  EXPECT_EQ(bus.calls[0].dataSize, 0u);
}

TEST_F(Aspi, AnUnknownCommandIsRefused) {
  Guarded<SRB_Header> request(0x05);
  EXPECT_EQ(send(request.request()), SS_INVALID_CMD);
  EXPECT_EQ(request.get().SRB_Status, SS_INVALID_CMD);
  EXPECT_TRUE(request.guardsIntact());
}

}  // namespace
}  // namespace platform
