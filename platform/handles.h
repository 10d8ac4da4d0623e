#pragma once
// Kernel handles: events (the ASPI completion event) and device handles opened with
// CreateFile on "\\.\X:" paths (SPTI). One handle table per process; CloseHandle closes both.

#include <optional>

#include "platform/win32.h"

namespace platform {

HANDLE CreateEvent(void* security, BOOL manualReset, BOOL initialState, const char* name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
// Single-threaded programs: an event that is not set by now never will be, so waiting on it
// returns WAIT_TIMEOUT at once instead of hanging (after advancing the clock by the time-out).
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;
inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;
inline constexpr DWORD OPEN_EXISTING = 3;
// "\\.\X:" opens the drive with that letter on the host's bus; anything else fails with
// ERROR_FILE_NOT_FOUND. Access 0 opens for queries only.
HANDLE CreateFile(const char* path, DWORD access, DWORD share, void* security, DWORD creation, DWORD flags,
                  HANDLE templateFile);
BOOL CloseHandle(HANDLE handle);

// The drive letter a device handle was opened on.
std::optional<char> deviceLetter(HANDLE handle);
// Whether the device handle was opened with read and write access.
bool deviceWritable(HANDLE handle);

inline constexpr UINT SEM_FAILCRITICALERRORS = 0x0001;
UINT SetErrorMode(UINT mode);

// Closes the handle it holds when it goes out of scope.
class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() { reset(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  HANDLE get() const { return handle_; }
  void reset(HANDLE handle = INVALID_HANDLE_VALUE) {
    if (handle_ != INVALID_HANDLE_VALUE && handle_ != 0) CloseHandle(handle_);
    handle_ = handle;
  }
  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != 0; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace platform
