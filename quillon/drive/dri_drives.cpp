#include "quillon/drive/dri_drives.h"

#include "quillon/drive/drive_results.h"
#include "quillon/drive/os_info.h"
#include "quillon/drive/scan_support.h"
#include "quillon/gui/logging.h"

namespace quillon {

DriDrives::DriDrives(ScsiTransport& transport) : transport_(transport) {
  BuildDriveList();
  loadCdr();
}

DriDrives::~DriDrives() {
  if (lockedDrive_ >= 0) UnlockDrive(lockedDrive_);
  if (cdrLibrary_) {
    cdrLibrary_.reset();
    LogInfo("DriDrives: CDR Library freed");
  }
  LogInfo("DRI: Destructor Called");
}

void DriDrives::BuildDriveList() {
  driveCount_ = transport_.GetDeviceCount();
  records_.assign(static_cast<std::size_t>(driveCount_), DriveRecord{});
  bool windows95Family = isWindows95Family(OsInfo().GetPlatform(0));
  for (std::size_t i = 0; i < records_.size(); ++i) fillRecord(i, windows95Family);
}

void DriDrives::fillRecord(std::size_t i, bool windows95Family) {
  int number = static_cast<int>(i) + 1;
  transport_.SelectDevice(number);
  // A failed INQUIRY leaves the answer zeroed, so the texts simply stay empty.
  std::array<std::uint8_t, kDeviceInquirySize> answer{};
  transport_.InquiryDevice(answer);
  const ScsiDevice& device = *transport_.Device(number);
  DriveRecord& record = records_[i];
  record.driveIndex = static_cast<int>(i);
  record.hostAdapter = device.address.adapter;
  record.target = device.address.target;
  record.lun = device.address.lun;
  record.driveLetter = device.letter[0];
  std::span<const std::uint8_t> data(answer);
  setFieldText(record.vendor, inquiryText(data.subspan(8, 8)));
  setFieldText(record.product, inquiryText(data.subspan(16, 16)));
  setFieldText(record.revision, inquiryText(data.subspan(32, 4)));
  setFieldText(record.vendorSpecific, inquiryText(data.subspan(52, 4)));
  TrimRight(record.vendor, 8);
  TrimRight(record.product, 16);
  TrimRight(record.revision, 4);
  TrimRight(record.vendorSpecific, 4);
  if (windows95Family) {
    BuildDisplayText(record);
    platform::SRB_HAInquiry adapter;
    transport_.InquiryAdapter(record.hostAdapter, adapter);
    setFieldText(record.adapterId, inquiryText(adapter.HA_Identifier));
    ClassifyAdapter(record);
    NumberChannels(records_, i);
  }
  LogInfo("(%d,%d,%d) => %s %s %s.", record.hostAdapter, record.target, record.lun, record.vendor.data(),
          record.product.data(), record.revision.data());
}

ResultCode DriDrives::GetDrives(int& count, DriveRecord*& records) {
  count = driveCount_;
  records = records_.data();
  return kSuccess;
}

bool DriDrives::validIndex(int index, const char* operation) const {
  if (index >= 0 && index < driveCount_) return true;
  LogError("Invalid drive handle WHILE calling %s", operation);
  return false;
}

void DriDrives::SelectInterface(int index) {
  if (!validIndex(index, "SelectInterface")) return;
  PlatformCode platform = OsInfo().GetPlatform(0);
  int type = records_[static_cast<std::size_t>(index)].driveType;
  bool aspiDriveType = type < 7 || type == 8 || type == 11;
  if ((platform == kPlatformWindows2000 || platform == kPlatformWindowsXp) && aspiDriveType) {
    transport_.SetInterface(ASPI_INTERFACE);
    if (transport_.GetInterface() == NO_INTERFACE) {
      transport_.SetInterface(SPTI_INTERFACE);
      LogWarn("There is no ASPI layer present.");
    }
  }
  LogInterface();
}

void DriDrives::LogInterface() const {
  switch (transport_.GetInterface()) {
    case NO_INTERFACE: LogInfo("Used interface = NO_INTERFACE"); break;
    case ASPI_INTERFACE: LogInfo("Used interface = ASPI_INTERFACE"); break;
    case SPTI_INTERFACE: LogInfo("Used interface = SPTI_INTERFACE"); break;
    default: LogInfo("Used interface = DEFAULT_INTERFACE"); break;
  }
}

bool DriDrives::selectDrive(int index) {
  const DriveRecord& record = records_[static_cast<std::size_t>(index)];
  int number = deviceOf(record);
  if (number == 0) {
    LogWarn("Drive (%d,%d,%d) not found on the current interface", record.hostAdapter, record.target, record.lun);
    return false;
  }
  return transport_.SelectDevice(number);
}

// A rescan may list the drives in another order: the letter names a drive surely, the
// address where no letter is known.
int DriDrives::deviceOf(const DriveRecord& record) const {
  auto find = [this](auto&& same) {
    for (int number = 1; number <= transport_.GetDeviceCount(); ++number)
      if (same(*transport_.Device(number))) return number;
    return 0;
  };
  auto sameLetter = [&record](const ScsiDevice& device) { return device.letter[0] == record.driveLetter; };
  auto sameAddress = [&record](const ScsiDevice& device) {
    return device.address.adapter == record.hostAdapter && device.address.target == record.target &&
           device.address.lun == record.lun;
  };
  int byLetter = record.driveLetter != '?' ? find(sameLetter) : 0;
  return byLetter ? byLetter : find(sameAddress);
}

bool DriDrives::sendCommand(std::initializer_list<std::uint8_t> bytes) {
  transport_.BuildCdb(12, bytes);
  transport_.Execute();
  return transport_.GetLastStatus()[0] == platform::SS_COMP;
}

}  // namespace quillon
