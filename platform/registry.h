#pragma once
// The Windows registry as the suite's programs call it: keys under HKEY_LOCAL_MACHINE,
// HKEY_CURRENT_USER and HKEY_DYN_DATA holding REG_SZ, REG_DWORD and REG_BINARY values, with
// the Win32 calls and status codes. Key and value names compare without letter case.
// The keys live in a Hive; the process uses one active hive (an empty in-memory one unless
// a simulated PC's file-backed hive, or a test's, is installed).

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32.h"

namespace platform {

using REGSAM = std::uint32_t;
using HKEY = std::uintptr_t;

inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;
inline constexpr HKEY HKEY_DYN_DATA = 0x80000006;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Semantics as in Win32: sizes in bytes; REG_SZ data includes its terminating zero;
// a null `data` asks for the size; a buffer too small gives ERROR_MORE_DATA with the
// needed size; a handle opened without the right access gives ERROR_ACCESS_DENIED.
LONG RegOpenKeyEx(HKEY parent, const char* subKey, DWORD options, REGSAM access, HKEY* result);
LONG RegCreateKeyEx(HKEY parent, const char* subKey, REGSAM access, HKEY* result, DWORD* disposition);
LONG RegQueryValueEx(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size);
LONG RegSetValueEx(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size);
LONG RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameSize);
LONG RegEnumValue(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* type, BYTE* data, DWORD* dataSize);
LONG RegDeleteValue(HKEY key, const char* name);
LONG RegDeleteKey(HKEY parent, const char* subKey);  // only a key without subkeys
LONG RegCloseKey(HKEY key);

// Closes the key it holds when it goes out of scope.
class ScopedKey {
 public:
  ScopedKey() = default;
  explicit ScopedKey(HKEY key) : key_(key) {}
  ~ScopedKey();
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;
  HKEY get() const { return key_; }
  HKEY* out();  // closes any held key, for use as the result argument of open and create
  explicit operator bool() const { return key_ != 0; }

 private:
  HKEY key_ = 0;
};

// A malformed hive file; the message names the line and what is wrong with it.
class HiveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct RegValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

// A tree of keys with values. A file-backed hive is read from a REGEDIT4 file and written
// back atomically (temporary file, flush, rename) after every change.
class Hive {
 public:
  Hive() = default;
  static Hive fromText(std::string_view regedit4);  // throws HiveError
  static Hive openFile(const std::string& path);    // throws HiveError; file left untouched
  std::string toText() const;                       // REGEDIT4, keys sorted

  struct Key {
    struct Value {
      std::string name;  // as first written; "" is the default value
      RegValue value;
    };
    std::string name;  // as first written
    std::vector<Value> values;  // in the order first set, which is the order RegEnumValue gives
    std::map<std::string, Key> subkeys;  // by lower-case name

    // Paths are names joined with '\\'; names compare without regard to ASCII case.
    Key* find(std::string_view path);  // null when a key on the way is missing
    Key& make(std::string_view path);  // with the keys on the way, where missing
    const RegValue* value(std::string_view name) const;
    void set(std::string_view name, RegValue value);  // replaces a value of that name
  };
  Key& root(HKEY predefined);  // throws std::invalid_argument for other handles
  // Writes the file back if the hive is file-backed; false when that fails.
  bool changed();

 private:
  // A handle names its key by path, so a handle to a deleted key can be told from a live one.
  struct OpenKey {
    HKEY root = 0;
    std::vector<std::string> path;  // lower-case names below the root
    REGSAM access = 0;
    bool deleted = false;
  };
  friend struct HiveAccess;  // the Win32 calls, which keep their handle table here

  std::map<HKEY, Key> roots_;
  std::optional<std::string> path_;
  std::map<HKEY, OpenKey> handles_;
};

Hive& activeHive();

// Makes `hive` the active one for the lifetime of this object; open handles must be closed first.
class ScopedHive {
 public:
  explicit ScopedHive(Hive& hive);
  ~ScopedHive();
  ScopedHive(const ScopedHive&) = delete;
  ScopedHive& operator=(const ScopedHive&) = delete;

 private:
  Hive* previous_;
};

}  // namespace platform
