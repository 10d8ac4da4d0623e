#pragma once
// Carries SCSI commands to the optical drives through ASPI for Win32 or the SCSI
// pass-through interface (SPTI): finds the drives, keeps a table of them, runs one command at
// a time on the current device with retries, and describes every command in a text trace.
// Both back-ends share one ASPI execute request per device, so callers see one interface.

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "platform/aspi.h"
#include "platform/dynlib.h"
#include "platform/handles.h"
#include "platform/spti.h"
#include "quillon/drive/scsi_trace.h"

namespace quillon {

using Interface = std::uint32_t;
inline constexpr Interface NO_INTERFACE = 0;
inline constexpr Interface ASPI_INTERFACE = 1;
inline constexpr Interface SPTI_INTERFACE = 2;
inline constexpr Interface DEFAULT_INTERFACE = 3;  // SPTI, and ASPI when SPTI finds nothing

inline constexpr int kMaxDevices = 30;
inline constexpr std::size_t kDataAreaSize = 65536;
inline constexpr std::size_t kMaxCdbLength = 16;
inline constexpr std::size_t kDeviceInquirySize = 56;
inline constexpr std::uint8_t kDataIn = platform::SRB_DIR_IN;    // drive to host
inline constexpr std::uint8_t kDataOut = platform::SRB_DIR_OUT;  // host to drive
inline constexpr int kTraceAll = 0;
inline constexpr int kTraceFailuresOnly = 1;

// Request status, sense key, ASC, ASCQ.
using LastStatus = std::array<std::uint8_t, 4>;

struct DeviceAddress {
  std::uint8_t adapter = 0;  // SPTI: port number
  std::uint8_t bus = 0;      // SPTI: path id
  std::uint8_t target = 0;
  std::uint8_t lun = 0;
  friend bool operator==(const DeviceAddress&, const DeviceAddress&) = default;
};

struct ScsiDevice {
  std::array<char, 3> letter{'?', ':', '\0'};
  std::string vendor;   // 8 characters from INQUIRY, or "INQ failed"
  std::string product;  // 16 characters from INQUIRY, or "INQ failed"
  LastStatus lastStatus{};
  int traceLevel = 0;
  int traceCondition = kTraceAll;
  platform::SRB_ExecSCSICmd request{};
  std::uint32_t systemError = 0;  // of the last SPTI call
  double duration = 0;            // of the last command, in seconds
  DeviceAddress address;
  platform::ScopedHandle handle;  // SPTI only

  void clear();
};

class ScsiTransportBase {
 public:
  virtual ~ScsiTransportBase() = default;
  // The trace sinks: the trace is formatted for every traced command and dropped here, so a
  // derived class decides where it goes.
  virtual void TraceDeviceLine(int device, std::string_view text);
  virtual void TraceDeviceLine2(int device, std::string_view text);
  virtual void TraceLine(std::string_view text);
  virtual std::uint8_t Execute() = 0;
  virtual void OnTimeout(int device);
};

class ScsiTransport : public ScsiTransportBase {
 public:
  ScsiTransport();  // scans with DEFAULT_INTERFACE
  ~ScsiTransport() override;
  ScsiTransport(const ScsiTransport&) = delete;
  ScsiTransport& operator=(const ScsiTransport&) = delete;

  // Releases everything and scans again with the interface (anything but ASPI or SPTI is DEFAULT).
  void SetInterface(Interface requested);
  Interface GetInterface() const { return interface_; }
  int GetDeviceCount() const { return deviceCount_; }
  bool SelectDevice(int number);
  int CurrentDevice() const { return current_; }
  // Device `number` (1 to the device count), or nothing.
  const ScsiDevice* Device(int number) const;
  void SetTrace(int level, int condition);

  // Sets up the current device's request with no data; bytes not given stay 0. A length of 0
  // or over 16 is kept so that Execute refuses the request.
  void BuildCdb(int length, std::initializer_list<std::uint8_t> bytes);
  // direction kDataIn or kDataOut. More than the data area holds is refused by Execute.
  void SetDataBuffer(std::span<std::uint8_t> buffer, std::uint8_t direction);
  // The request status: SS_COMP, SS_ERR, SS_INVALID_SRB or SS_BUFFER_TO_BIG for a request
  // refused before sending, or what ASPI reported.
  std::uint8_t Execute() override;
  const LastStatus& GetLastStatus() const { return lastStatus_; }

  void InquiryDevice(std::span<std::uint8_t, kDeviceInquirySize> buffer);
  // The maximum number of targets (16 or 8), or 0 when the adapter does not answer.
  int InquiryAdapter(int adapter, platform::SRB_HAInquiry& answer);

  void OnTimeout(int device) override;

 private:
  enum class Outcome { Finished, Timeout };
  struct PlatformFlags {
    bool windows95Family = false;
    bool ntFamily = false;
    bool nt4 = false;
  };
  // Laid out as the pass-through calls want them: the record, its sense area, the data.
  struct BufferedPassThrough {
    platform::SCSI_PASS_THROUGH record;
    std::array<platform::UCHAR, 32> sense;
    std::array<std::uint8_t, kDataAreaSize> data;
  };
  struct DirectPassThrough {
    platform::SCSI_PASS_THROUGH_DIRECT record;
    std::array<platform::UCHAR, 32> sense;
  };

  ScsiDevice* current();
  void release();
  void scan();
  int addDevice(DeviceAddress address);
  bool inquireStandard(std::array<std::uint8_t, 36>& answer);

  // scsi_transport_aspi.cpp
  bool loadAspi();
  void scanAspi();
  void scanAspiAdapter(int adapter, int targets);
  bool isCdRom(int adapter, int target);
  void addAspiDevice(int adapter, int target);
  void assignLettersByAddress();
  void assignLettersByDiskInfo();
  Outcome runAspi(platform::SRB_ExecSCSICmd& request);

  // scsi_transport_spti.cpp
  void scanSpti();
  void addSptiDevice(char letter);
  Outcome runSpti(ScsiDevice& device);
  bool passThrough(ScsiDevice& device);
  Outcome failedCall(ScsiDevice& device, std::uint32_t error);

  // scsi_transport_execute.cpp
  void attempts(ScsiDevice& device, std::uint8_t* callerBuffer);
  void prepare(platform::SRB_ExecSCSICmd& request, const std::uint8_t* callerBuffer);
  bool judge(const platform::SRB_ExecSCSICmd& request);
  void giveBack(platform::SRB_ExecSCSICmd& request, std::uint8_t* callerBuffer) const;
  void trace(const ScsiDevice& device);

  int retryLimit_ = 3;
  LastStatus lastStatus_{};
  Interface interface_ = DEFAULT_INTERFACE;
  PlatformFlags flags_;
  platform::ScopedLibrary aspiLibrary_;
  platform::GetASPI32SupportInfoFunction getSupportInfo_ = nullptr;
  platform::SendASPI32CommandFunction sendCommand_ = nullptr;
  platform::ScopedHandle event_;
  std::array<ScsiDevice, kMaxDevices> devices_;
  int deviceCount_ = 0;
  int current_ = 0;
  std::array<char, 60> sptiFailureName_{};
  BufferedPassThrough buffered_{};  // its data is the data area all commands pass through
  DirectPassThrough direct_{};
};

}  // namespace quillon
