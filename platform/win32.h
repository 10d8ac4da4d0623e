#pragma once
// The Win32 scalar types and the error codes the stand-in services share.

#include <cstdint>

namespace platform {

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = std::uint32_t;
using HANDLE = std::uintptr_t;
using UCHAR = std::uint8_t;
using USHORT = std::uint16_t;
using ULONG = std::uint32_t;
using ULONG_PTR = std::uintptr_t;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
inline constexpr HANDLE INVALID_HANDLE_VALUE = ~HANDLE{0};

// Error codes as GetLastError and the registry calls give them (plain int, as the Win32
// macros are, so they compare with both DWORD and LONG results).
inline constexpr int ERROR_SUCCESS = 0;
inline constexpr int ERROR_FILE_NOT_FOUND = 2;
inline constexpr int ERROR_ACCESS_DENIED = 5;
inline constexpr int ERROR_INVALID_HANDLE = 6;
inline constexpr int ERROR_NOT_READY = 21;
inline constexpr int ERROR_GEN_FAILURE = 31;
inline constexpr int ERROR_INVALID_PARAMETER = 87;
inline constexpr int ERROR_SEM_TIMEOUT = 121;
inline constexpr int ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr int ERROR_MOD_NOT_FOUND = 126;
inline constexpr int ERROR_PROC_NOT_FOUND = 127;
inline constexpr int ERROR_MORE_DATA = 234;
inline constexpr int ERROR_NO_MORE_ITEMS = 259;
inline constexpr int ERROR_CANTWRITE = 1013;
inline constexpr int ERROR_KEY_DELETED = 1018;  // the handle's key was deleted meanwhile
inline constexpr int ERROR_PRIVILEGE_NOT_HELD = 1314;

// The calling thread's last error, as GetLastError and SetLastError keep it.
DWORD GetLastError();
void SetLastError(DWORD error);

}  // namespace platform
