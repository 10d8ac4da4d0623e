#pragma once
// Loading a library by file name and binding its functions by name, as LoadLibrary and
// GetProcAddress do. "WNASPI32" or "Cdr4Dll.dll" name the suite's stand-in
// lib<lower-case name>.so beside libplatform.so. A library the machine does not have
// installed fails to load as it would on that PC (ERROR_MOD_NOT_FOUND). Export names keep
// no stdcall decoration on this platform, so "_Name@4" binds the function "Name".

#include <string>
#include <string_view>

#include "platform/win32.h"

namespace platform {

using HMODULE = void*;

HMODULE LoadLibrary(const char* name);
void* GetProcAddress(HMODULE module, const char* name);
BOOL FreeLibrary(HMODULE module);

// The export name a decorated Win32 name stands for: "_Name@4" gives "Name".
std::string undecoratedName(std::string_view name);

// The stand-in's file name for a library name: "WNASPI32" gives "libwnaspi32.so".
std::string libraryFileName(std::string_view name);

// Frees the library it holds when it goes out of scope.
class ScopedLibrary {
 public:
  ScopedLibrary() = default;
  explicit ScopedLibrary(HMODULE module) : module_(module) {}
  ~ScopedLibrary() { reset(); }
  ScopedLibrary(const ScopedLibrary&) = delete;
  ScopedLibrary& operator=(const ScopedLibrary&) = delete;
  HMODULE get() const { return module_; }
  void reset(HMODULE module = nullptr) {
    if (module_) FreeLibrary(module_);
    module_ = module;
  }
  explicit operator bool() const { return module_ != nullptr; }

 private:
  HMODULE module_ = nullptr;
};

}  // namespace platform
