#pragma once
// One SCSI bus as the two Windows transports (ASPI and SPTI) reach it: "execute this CDB on
// (adapter, bus, target, LUN) with this buffer and direction, give back status and sense",
// plus what the transports ask of the topology (host adapters, device types, drive letters).
// The simulated PC's bus and the Linux SG_IO bus implement it.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

enum class DataDirection { None, In, Out };  // In: drive to host

struct ScsiAddress {
  int adapter = 0;
  int bus = 0;
  int target = 0;
  int lun = 0;
  friend bool operator==(const ScsiAddress&, const ScsiAddress&) = default;
};

inline constexpr std::uint8_t kStatusGood = 0x00;
inline constexpr std::uint8_t kStatusCheckCondition = 0x02;
inline constexpr std::uint8_t kStatusBusy = 0x08;

inline constexpr std::size_t kSenseSize = 18;
inline constexpr std::size_t kMaxCdbSize = 16;

struct ScsiCommand {
  std::span<const std::uint8_t> cdb;
  DataDirection direction = DataDirection::None;
  std::span<std::uint8_t> data;  // read into for In, sent for Out
  std::uint32_t timeoutMs = 0;   // 0: the bus's default
};

struct ScsiOutcome {
  enum class Kind { Done, NoDevice, Timeout, Refused };
  Kind kind = Kind::Done;
  std::uint8_t status = kStatusGood;  // SCSI status byte, when Done
  std::array<std::uint8_t, kSenseSize> sense{};  // fixed-format sense data after CHECK CONDITION
  std::size_t transferred = 0;
};

struct HostAdapter {
  int number = 0;
  std::string identifier;  // up to 16 characters, as the adapter names itself
  int maxTargets = 8;      // 8 or 16
};

class ScsiBus {
 public:
  virtual ~ScsiBus() = default;
  virtual ScsiOutcome execute(const ScsiAddress& address, const ScsiCommand& command) = 0;
  virtual std::vector<HostAdapter> adapters() const = 0;
  // Peripheral device type (5 CD-ROM) of the device at the address, if one answers there.
  virtual std::optional<int> deviceType(const ScsiAddress& address) const = 0;
  // The drive letter ('C' to 'Z') of the device at the address, and the reverse.
  virtual std::optional<char> driveLetter(const ScsiAddress& address) const = 0;
  virtual std::optional<ScsiAddress> addressOfLetter(char letter) const = 0;
};

}  // namespace platform
