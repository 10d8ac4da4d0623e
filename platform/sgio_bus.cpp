#include "platform/sgio_bus.h"

#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>

namespace platform {
namespace {

constexpr std::uint32_t kDefaultTimeoutMs = 60000;
constexpr unsigned kHostNoConnect = 0x01;
constexpr unsigned kHostTimeout = 0x03;
constexpr unsigned kDriverTimeout = 0x06;

// Operation codes that write data or firmware, whatever direction their data takes.
constexpr std::uint8_t kChangingOpcodes[] = {0x04, 0x0A, 0x2A, 0x2E, 0x3B, 0x3F, 0x55, 0x5B, 0xA1, 0xAA, 0xFA, 0xFF};

bool askOnTerminal(const std::string& question) {
  std::FILE* terminal = std::fopen("/dev/tty", "r+");
  if (!terminal) return false;
  std::fprintf(terminal, "%s [yes/no] ", question.c_str());
  std::fflush(terminal);
  char answer[16] = {};
  bool yes = std::fgets(answer, sizeof answer, terminal) && std::string(answer).rfind("yes", 0) == 0;
  std::fclose(terminal);
  return yes;
}

int directionOf(DataDirection direction) {
  switch (direction) {
    case DataDirection::In: return SG_DXFER_FROM_DEV;
    case DataDirection::Out: return SG_DXFER_TO_DEV;
    case DataDirection::None: return SG_DXFER_NONE;
  }
  return SG_DXFER_NONE;
}

ScsiOutcome outcomeOf(const sg_io_hdr& request, const std::array<std::uint8_t, kSenseSize>& sense,
                      std::size_t length) {
  ScsiOutcome outcome;
  if (request.host_status == kHostTimeout || (request.driver_status & 0x0F) == kDriverTimeout) {
    outcome.kind = ScsiOutcome::Kind::Timeout;
    return outcome;
  }
  if (request.host_status == kHostNoConnect) {
    outcome.kind = ScsiOutcome::Kind::NoDevice;
    return outcome;
  }
  outcome.status = request.status;
  if (request.sb_len_wr > 0) outcome.sense = sense;
  int residual = std::clamp(request.resid, 0, static_cast<int>(length));
  outcome.transferred = length - static_cast<std::size_t>(residual);
  return outcome;
}

}  // namespace

bool changesDrive(const ScsiCommand& command) {
  if (command.direction == DataDirection::Out && !command.data.empty()) return true;
  return !command.cdb.empty() && std::find(std::begin(kChangingOpcodes), std::end(kChangingOpcodes),
                                           command.cdb[0]) != std::end(kChangingOpcodes);
}

std::optional<std::vector<RealDrive>> parseRealDrives(std::string_view text, std::string* error) {
  std::vector<RealDrive> drives;
  for (bool more = !text.empty(); more;) {
    std::size_t comma = text.find(',');
    std::string_view item = text.substr(0, comma);
    more = comma != std::string_view::npos;
    text = more ? text.substr(comma + 1) : std::string_view{};
    char letter = item.size() > 2 ? static_cast<char>(std::toupper(static_cast<unsigned char>(item[0]))) : '\0';
    bool taken = std::any_of(drives.begin(), drives.end(), [&](const RealDrive& d) { return d.letter == letter; });
    if (letter < 'C' || letter > 'Z' || item[1] != '=' || item[2] != '/' || taken) {
      if (error) *error = "expected LETTER=/dev/DEVICE with distinct letters C to Z, got '" + std::string(item) + "'";
      return std::nullopt;
    }
    drives.push_back({letter, std::string(item.substr(2))});
  }
  if (drives.size() > kMaxRealDrives) {
    if (error) *error = "at most " + std::to_string(kMaxRealDrives) + " drives, as one host adapter holds";
    return std::nullopt;
  }
  return drives;
}

SgIoCalls realSgIoCalls() {
  return {[](const std::string& device) { return ::open(device.c_str(), O_RDWR | O_NONBLOCK); },
          [](int descriptor, sg_io_hdr& request) { return ::ioctl(descriptor, SG_IO, &request); },
          [](int descriptor) { ::close(descriptor); },
          askOnTerminal};
}

SgIoBus::SgIoBus(std::vector<RealDrive> drives, SgIoCalls calls)
    : drives_(std::move(drives)), calls_(std::move(calls)), descriptors_(drives_.size(), -1) {}

SgIoBus::~SgIoBus() {
  for (int descriptor : descriptors_)
    if (descriptor >= 0) calls_.close(descriptor);
}

const RealDrive* SgIoBus::driveAt(const ScsiAddress& address) const {
  bool valid = address.adapter == 0 && address.bus == 0 && address.lun == 0 && address.target >= 0 &&
               static_cast<std::size_t>(address.target) < drives_.size();
  return valid ? &drives_[static_cast<std::size_t>(address.target)] : nullptr;
}

bool SgIoBus::mayChange(const RealDrive& drive, const ScsiCommand& command) {
  if (writesConfirmed_ || !changesDrive(command)) return true;
  writesConfirmed_ = calls_.confirm("Allow the suite to write to the real drive " + std::string(1, drive.letter) +
                                    ": (" + drive.device + ")?");
  return writesConfirmed_;
}

ScsiOutcome SgIoBus::execute(const ScsiAddress& address, const ScsiCommand& command) {
  const RealDrive* drive = driveAt(address);
  if (!drive) return {ScsiOutcome::Kind::NoDevice};
  if (command.cdb.empty() || command.cdb.size() > kMaxCdbSize || !mayChange(*drive, command))
    return {ScsiOutcome::Kind::Refused};
  int& descriptor = descriptors_[static_cast<std::size_t>(address.target)];
  if (descriptor < 0) descriptor = calls_.open(drive->device);
  if (descriptor < 0) return {ScsiOutcome::Kind::NoDevice};
  std::array<std::uint8_t, kMaxCdbSize> cdb{};
  std::copy(command.cdb.begin(), command.cdb.end(), cdb.begin());
  std::array<std::uint8_t, kSenseSize> sense{};
  std::size_t length = command.direction == DataDirection::None ? 0 : command.data.size();
  sg_io_hdr request{};
  request.interface_id = 'S';
  request.dxfer_direction = directionOf(length ? command.direction : DataDirection::None);
  request.cmd_len = static_cast<unsigned char>(command.cdb.size());
  request.cmdp = cdb.data();
  request.mx_sb_len = static_cast<unsigned char>(sense.size());
  request.sbp = sense.data();
  request.dxfer_len = static_cast<unsigned>(length);
  request.dxferp = length ? command.data.data() : nullptr;
  request.timeout = command.timeoutMs ? command.timeoutMs : kDefaultTimeoutMs;
  if (calls_.ioctl(descriptor, request) != 0)
    return {errno == ETIMEDOUT ? ScsiOutcome::Kind::Timeout : ScsiOutcome::Kind::NoDevice};
  return outcomeOf(request, sense, length);
}

std::vector<HostAdapter> SgIoBus::adapters() const {
  if (drives_.empty()) return {};
  return {{0, "LINUX SG_IO", static_cast<int>(kMaxRealDrives)}};
}

std::optional<int> SgIoBus::deviceType(const ScsiAddress& address) const {
  // The user names optical drives only; INQUIRY tells the programs the rest.
  return driveAt(address) ? std::optional<int>(5) : std::nullopt;
}

std::optional<char> SgIoBus::driveLetter(const ScsiAddress& address) const {
  const RealDrive* drive = driveAt(address);
  return drive ? std::optional<char>(drive->letter) : std::nullopt;
}

std::optional<ScsiAddress> SgIoBus::addressOfLetter(char letter) const {
  letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  for (std::size_t i = 0; i < drives_.size(); ++i)
    if (drives_[i].letter == letter) return ScsiAddress{0, 0, static_cast<int>(i), 0};
  return std::nullopt;
}

}  // namespace platform
