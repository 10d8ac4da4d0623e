// The ASPI for Win32 stand-in, libwnaspi32.so: the two published entry points over the
// host's SCSI bus. Everything but the two entry points is hidden.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/aspi.h"
#include "platform/device_handles.h"
#include "platform/handles.h"
#include "platform/host.h"

namespace platform {
namespace {

constexpr BYTE kInitiatorId = 7;
constexpr BYTE kUnknownDeviceType = 0x1F;
constexpr char kManagerId[] = "ASPI for WIN32";
constexpr std::size_t kSenseCopyLimit = std::min<std::size_t>(SENSE_LEN + 2, kSenseSize);

std::vector<HostAdapter> adaptersOf(ScsiBus* bus) { return bus ? bus->adapters() : std::vector<HostAdapter>{}; }

std::optional<HostAdapter> adapterOf(const std::vector<HostAdapter>& adapters, BYTE number) {
  auto found = std::find_if(adapters.begin(), adapters.end(), [&](const HostAdapter& a) { return a.number == number; });
  return found == adapters.end() ? std::nullopt : std::optional(*found);
}

bool knownAdapter(ScsiBus* bus, BYTE number) { return adapterOf(adaptersOf(bus), number).has_value(); }

// Sets the request's status and gives it back as the call's answer.
template <typename Block>
DWORD finish(Block& block, BYTE status) {
  block.SRB_Status = status;
  return status;
}

void putText(BYTE (&field)[16], std::string_view text) {
  std::memset(field, 0, sizeof field);
  std::memcpy(field, text.data(), std::min(text.size(), sizeof field));
}

DWORD hostAdapterInquiry(SRB_HAInquiry& block) {
  std::vector<HostAdapter> adapters = adaptersOf(host().bus());
  std::optional<HostAdapter> adapter = adapterOf(adapters, block.SRB_HaId);
  if (!adapter) return finish(block, SS_INVALID_HA);
  block.HA_Count = static_cast<BYTE>(std::min<std::size_t>(adapters.size(), 0xFF));
  block.HA_SCSI_ID = kInitiatorId;
  putText(block.HA_ManagerId, kManagerId);
  putText(block.HA_Identifier, adapter->identifier);
  std::memset(block.HA_Unique, 0, sizeof block.HA_Unique);
  block.HA_Unique[3] = static_cast<BYTE>(adapter->maxTargets);
  for (int i = 0; i < 4; ++i) block.HA_Unique[4 + i] = static_cast<BYTE>(kAspiMaxTransfer >> (8 * i));
  return finish(block, SS_COMP);
}

DWORD deviceType(SRB_GDEVBlock& block) {
  ScsiBus* bus = host().bus();
  if (!knownAdapter(bus, block.SRB_HaId)) return finish(block, SS_INVALID_HA);
  std::optional<int> type = bus->deviceType({block.SRB_HaId, 0, block.SRB_Target, block.SRB_Lun});
  block.SRB_DeviceType = type ? static_cast<BYTE>(*type) : kUnknownDeviceType;
  return finish(block, type ? SS_COMP : SS_NO_DEVICE);
}

DWORD diskInfo(SRB_GetDiskInfo& block) {
  ScsiBus* bus = host().bus();
  if (!knownAdapter(bus, block.SRB_HaId)) return finish(block, SS_INVALID_HA);
  std::optional<char> letter = bus->driveLetter({block.SRB_HaId, 0, block.SRB_Target, block.SRB_Lun});
  if (!letter) return finish(block, SS_NO_DEVICE);
  block.SRB_Int13HDriveInfo = static_cast<BYTE>(*letter - 'A');
  return finish(block, SS_COMP);
}

// Both direction bits mean "no data transfer"; neither leaves the direction to the command,
// which only a request without data can do here.
std::optional<DataDirection> directionOf(const SRB_ExecSCSICmd& block) {
  BYTE bits = block.SRB_Flags & (SRB_DIR_IN | SRB_DIR_OUT);
  if (bits == SRB_DIR_IN) return DataDirection::In;
  if (bits == SRB_DIR_OUT) return DataDirection::Out;
  if (bits == 0 && block.SRB_BufLen != 0) return std::nullopt;
  return DataDirection::None;
}

// The status a request gets before it reaches the bus, or nothing when it may go.
std::optional<BYTE> refusal(const SRB_ExecSCSICmd& block) {
  if (block.SRB_CDBLen < 1 || block.SRB_CDBLen > kMaxCdbSize) return SS_INVALID_SRB;
  if (block.SRB_BufLen > kAspiMaxTransfer) return SS_BUFFER_TO_BIG;
  if (block.SRB_BufLen && !block.SRB_BufPointer) return SS_INVALID_SRB;
  if (!directionOf(block)) return SS_INVALID_SRB;
  bool event = block.SRB_Flags & SRB_EVENT_NOTIFY, posting = block.SRB_Flags & SRB_POSTING;
  if (event && posting) return SS_INVALID_SRB;
  if (event && !isEvent(reinterpret_cast<HANDLE>(block.SRB_PostProc))) return SS_INVALID_SRB;
  if (posting && !block.SRB_PostProc) return SS_INVALID_SRB;
  if (!knownAdapter(host().bus(), block.SRB_HaId)) return SS_INVALID_HA;
  return std::nullopt;
}

BYTE complete(SRB_ExecSCSICmd& block, const ScsiOutcome& outcome) {
  block.SRB_TargStat = kStatusGood;
  switch (outcome.kind) {
    case ScsiOutcome::Kind::Done: break;
    case ScsiOutcome::Kind::Timeout: block.SRB_HaStat = HASTAT_COMMAND_TIMEOUT; return SS_ERR;
    case ScsiOutcome::Kind::NoDevice: block.SRB_HaStat = HASTAT_SEL_TO; return SS_ERR;
    case ScsiOutcome::Kind::Refused: block.SRB_HaStat = HASTAT_OK; return SS_ABORTED;
  }
  block.SRB_HaStat = HASTAT_OK;
  block.SRB_TargStat = outcome.status;
  if (outcome.status == kStatusCheckCondition) {
    std::size_t count = std::min<std::size_t>(block.SRB_SenseLen, kSenseCopyLimit);
    std::memcpy(block.SenseArea, outcome.sense.data(), count);
  }
  return outcome.status == kStatusGood ? SS_COMP : SS_ERR;
}

// Like the real layer, a request asking for notification is answered "pending" although it
// has finished: the caller learns the end from the event or the post routine.
DWORD executeScsiCommand(SRB_ExecSCSICmd& block) {
  if (std::optional<BYTE> status = refusal(block)) return finish(block, *status);
  DataDirection direction = *directionOf(block);
  ScsiCommand command;
  command.cdb = std::span<const std::uint8_t>(block.CDBByte, block.SRB_CDBLen);
  command.direction = direction;
  if (direction != DataDirection::None) command.data = std::span<std::uint8_t>(block.SRB_BufPointer, block.SRB_BufLen);
  ScsiOutcome outcome = host().bus()->execute({block.SRB_HaId, 0, block.SRB_Target, block.SRB_Lun}, command);
  block.SRB_Status = complete(block, outcome);
  if (block.SRB_Flags & SRB_EVENT_NOTIFY) {
    SetEvent(reinterpret_cast<HANDLE>(block.SRB_PostProc));
    return SS_PENDING;
  }
  if (block.SRB_Flags & SRB_POSTING) {
    reinterpret_cast<void (*)(void*)>(block.SRB_PostProc)(&block);
    return SS_PENDING;
  }
  return block.SRB_Status;
}

}  // namespace
}  // namespace platform

extern "C" {

__attribute__((visibility("default"))) platform::DWORD GetASPI32SupportInfo() {
  using namespace platform;
  ScsiBus* bus = host().bus();
  std::size_t count = bus ? bus->adapters().size() : 0;
  if (count == 0) return DWORD{SS_NO_ADAPTERS} << 8;
  return DWORD{SS_COMP} << 8 | static_cast<DWORD>(std::min<std::size_t>(count, 0xFF));
}

__attribute__((visibility("default"))) platform::DWORD SendASPI32Command(void* request) {
  using namespace platform;
  if (!request) return SS_INVALID_SRB;
  auto* bytes = static_cast<BYTE*>(request);
  switch (bytes[offsetof(SRB_Header, SRB_Cmd)]) {
    case SC_HA_INQUIRY: return hostAdapterInquiry(*static_cast<SRB_HAInquiry*>(request));
    case SC_GET_DEV_TYPE: return deviceType(*static_cast<SRB_GDEVBlock*>(request));
    case SC_EXEC_SCSI_CMD: return executeScsiCommand(*static_cast<SRB_ExecSCSICmd*>(request));
    case SC_GET_DISK_INFO: return diskInfo(*static_cast<SRB_GetDiskInfo*>(request));
    default: return bytes[offsetof(SRB_Header, SRB_Status)] = SS_INVALID_CMD;
  }
}

}  // extern "C"
