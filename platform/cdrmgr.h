#pragma once
// The CD-recorder manager library ("Cdr4Dll"): three entries that start, end and query the
// blocking of the file system on a drive, each taking one 32-bit drive address (LUN in
// bits 0-7, target in 8-15, host adapter in 16-23). The stand-in libcdr4dll.so keeps the
// blocking per drive address in the host's state folder, so other processes (simpc show)
// see it too.

#include "platform/win32.h"

namespace platform {

inline constexpr const char* kCdrLibraryName = "Cdr4Dll";
inline constexpr const char* kCdrStartBlockingName = "_CDR4VSDStartFileSystemBlocking@4";
inline constexpr const char* kCdrEndBlockingName = "_CDR4VSDEndFileSystemBlocking@4";
inline constexpr const char* kCdrQueryBlockingName = "_CDR4VSDQueryFileSystemBlocking@4";

using CdrBlockingFunction = DWORD (*)(DWORD driveAddress);

constexpr DWORD cdrDriveAddress(int adapter, int target, int lun) {
  return static_cast<DWORD>((adapter & 0xFF) << 16 | (target & 0xFF) << 8 | (lun & 0xFF));
}

}  // namespace platform
