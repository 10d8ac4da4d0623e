#pragma once
// Real drives through the Linux SG_IO pass-through. Each drive the user names ("D=/dev/sr0")
// becomes target n of one host adapter, with the letter given. It is never chosen by
// default, and the first command that could change a drive (data towards the drive, or a
// write or flash command) asks for an explicit confirmation once; declined, it is refused.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/scsi_bus.h"

struct sg_io_hdr;

namespace platform {

inline constexpr std::size_t kMaxRealDrives = 16;

struct RealDrive {
  char letter;
  std::string device;  // /dev/sr0, /dev/sg1, ...
};

// "D=/dev/sr0,E=/dev/sg1"; nothing (with a message) when the text is malformed.
std::optional<std::vector<RealDrive>> parseRealDrives(std::string_view text, std::string* error);

// The system calls the bus makes, replaceable so tests never touch a device.
struct SgIoCalls {
  std::function<int(const std::string& device)> open;  // a descriptor, or -1
  std::function<int(int descriptor, sg_io_hdr& request)> ioctl;  // 0, or -1 with errno
  std::function<void(int descriptor)> close;
  std::function<bool(const std::string& question)> confirm;  // the user's yes
};
SgIoCalls realSgIoCalls();

class SgIoBus final : public ScsiBus {
 public:
  SgIoBus(std::vector<RealDrive> drives, SgIoCalls calls);
  ~SgIoBus() override;
  SgIoBus(const SgIoBus&) = delete;
  SgIoBus& operator=(const SgIoBus&) = delete;

  ScsiOutcome execute(const ScsiAddress& address, const ScsiCommand& command) override;
  std::vector<HostAdapter> adapters() const override;
  std::optional<int> deviceType(const ScsiAddress& address) const override;
  std::optional<char> driveLetter(const ScsiAddress& address) const override;
  std::optional<ScsiAddress> addressOfLetter(char letter) const override;

 private:
  const RealDrive* driveAt(const ScsiAddress& address) const;
  bool mayChange(const RealDrive& drive, const ScsiCommand& command);

  std::vector<RealDrive> drives_;
  SgIoCalls calls_;
  std::vector<int> descriptors_;  // -1 until opened
  bool writesConfirmed_ = false;
};

// Whether a command could change what the drive holds: data towards the drive, or an
// operation code that writes or programs.
bool changesDrive(const ScsiCommand& command);

}  // namespace platform
