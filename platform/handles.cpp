#include "platform/handles.h"

#include <cctype>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <variant>

#include "platform/clock.h"
#include "platform/device_handles.h"
#include "platform/host.h"
#include "platform/immortal.h"

namespace platform {
namespace {

constexpr DWORD kGenericAll = 0x10000000;

struct Event {
  bool manualReset = false;
  bool signalled = false;
};

using Object = std::variant<Event, DeviceHandle>;

struct Table {
  std::mutex lock;
  std::unordered_map<HANDLE, Object> objects;
  // Never reused, so a stale handle is refused rather than reaching a newer object.
  HANDLE next = 0x100;
  UINT errorMode = 0;
};

Table& table() {
  static Immortal<Table> instance;
  return instance.get();
}

HANDLE add(Object object) {
  Table& t = table();
  std::lock_guard guard(t.lock);
  HANDLE handle = t.next;
  t.next += 4;
  t.objects.emplace(handle, std::move(object));
  return handle;
}

// Runs `use` on the event under the table's lock; false when the handle is no event.
template <typename Use>
bool withEvent(HANDLE handle, Use&& use) {
  Table& t = table();
  std::lock_guard guard(t.lock);
  auto entry = t.objects.find(handle);
  Event* event = entry == t.objects.end() ? nullptr : std::get_if<Event>(&entry->second);
  if (event) use(*event);
  return event != nullptr;
}

BOOL setSignalled(HANDLE handle, bool signalled) {
  if (withEvent(handle, [&](Event& event) { event.signalled = signalled; })) return TRUE;
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

// The letter of "\\.\X:", the only paths that name a drive.
std::optional<char> driveLetterOf(const char* path) {
  if (!path || std::strlen(path) != 6 || std::strncmp(path, "\\\\.\\", 4) != 0 || path[5] != ':') return std::nullopt;
  char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(path[4])));
  if (letter < 'C' || letter > 'Z') return std::nullopt;
  return letter;
}

bool readWrite(DWORD access) {
  return (access & kGenericAll) || ((access & GENERIC_READ) && (access & GENERIC_WRITE));
}

}  // namespace

std::optional<DeviceHandle> deviceHandle(HANDLE handle) {
  Table& t = table();
  std::lock_guard guard(t.lock);
  auto entry = t.objects.find(handle);
  if (entry == t.objects.end()) return std::nullopt;
  const DeviceHandle* device = std::get_if<DeviceHandle>(&entry->second);
  return device ? std::optional(*device) : std::nullopt;
}

bool isEvent(HANDLE handle) {
  return withEvent(handle, [](Event&) {});
}

HANDLE CreateEvent(void*, BOOL manualReset, BOOL initialState, const char*) {
  return add(Event{manualReset != FALSE, initialState != FALSE});
}

BOOL SetEvent(HANDLE event) { return setSignalled(event, true); }

BOOL ResetEvent(HANDLE event) { return setSignalled(event, false); }

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  bool signalled = false;
  bool isEventHandle = withEvent(handle, [&](Event& event) {
    signalled = event.signalled;
    if (!event.manualReset) event.signalled = false;
  });
  if (!isEventHandle) {
    // A device handle has no I/O outstanding: every call on it is synchronous.
    if (deviceHandle(handle)) return WAIT_OBJECT_0;
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  if (signalled) return WAIT_OBJECT_0;
  if (milliseconds != INFINITE) clock().sleep(milliseconds);
  return WAIT_TIMEOUT;
}

HANDLE CreateFile(const char* path, DWORD access, DWORD, void*, DWORD, DWORD, HANDLE) {
  std::optional<char> letter = driveLetterOf(path);
  ScsiBus* bus = letter ? host().bus() : nullptr;
  std::optional<ScsiAddress> address = bus ? bus->addressOfLetter(*letter) : std::nullopt;
  if (!address) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  return add(DeviceHandle{*letter, readWrite(access), *address});
}

BOOL CloseHandle(HANDLE handle) {
  Table& t = table();
  std::lock_guard guard(t.lock);
  if (t.objects.erase(handle) == 1) return TRUE;
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

std::optional<char> deviceLetter(HANDLE handle) {
  std::optional<DeviceHandle> device = deviceHandle(handle);
  return device ? std::optional(device->letter) : std::nullopt;
}

bool deviceWritable(HANDLE handle) {
  std::optional<DeviceHandle> device = deviceHandle(handle);
  return device && device->writable;
}

UINT SetErrorMode(UINT mode) {
  Table& t = table();
  std::lock_guard guard(t.lock);
  return std::exchange(t.errorMode, mode);
}

}  // namespace platform
