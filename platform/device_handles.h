#pragma once
// What the SCSI surfaces need of the handle table beyond the Win32 calls.

#include <optional>

#include "platform/scsi_bus.h"
#include "platform/win32.h"

namespace platform {

struct DeviceHandle {
  char letter = 0;
  bool writable = false;  // opened for reading and writing
  ScsiAddress address;    // of the drive the letter named when the handle was opened
};

std::optional<DeviceHandle> deviceHandle(HANDLE handle);
bool isEvent(HANDLE handle);

}  // namespace platform
