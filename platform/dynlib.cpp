#include "platform/dynlib.h"

#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <mutex>

#include "platform/ascii_case.h"
#include "platform/host.h"
#include "platform/immortal.h"
#include "platform/library_folder.h"

namespace platform {
namespace {

// Pointer values below this are ordinals on Windows; nothing here is exported by ordinal.
constexpr std::uintptr_t kOrdinalLimit = 0x10000;

struct Modules {
  std::mutex lock;
  std::map<void*, int> loads;  // dlopen handle to the number of LoadLibrary calls not yet freed
};

Modules& modules() {
  static Immortal<Modules> instance;
  return instance.get();
}

// "C:\\Tools\\Cdr4Dll.DLL" names "Cdr4Dll": the stand-ins all live in one folder.
std::string_view stem(std::string_view name) {
  std::size_t slash = name.find_last_of("\\/");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  if (name.size() > 4 && lowerAscii(name.substr(name.size() - 4)) == ".dll") name.remove_suffix(4);
  return name;
}

bool plainName(std::string_view stem) {
  return !stem.empty() && std::all_of(stem.begin(), stem.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
  });
}

// The outside libraries a PC may lack; the suite's own libraries are always delivered.
bool outsideLibrary(std::string_view upperStem) { return upperStem == "WNASPI32" || upperStem == "CDR4DLL"; }

void* refuse(int error) {
  SetLastError(error);
  return nullptr;
}

bool loaded(HMODULE module) {
  Modules& table = modules();
  std::lock_guard guard(table.lock);
  return module && table.loads.contains(module);
}

// dlsym also finds what the library's dependencies define; GetProcAddress finds only the
// module's own exports.
bool definedBy(HMODULE module, void* address) {
  link_map* own = nullptr;
  if (::dlinfo(module, RTLD_DI_LINKMAP, &own) != 0) return false;
  Dl_info info{};
  link_map* where = nullptr;
  if (::dladdr1(address, &info, reinterpret_cast<void**>(&where), RTLD_DL_LINKMAP) == 0) return false;
  return where == own;
}

}  // namespace

std::string undecoratedName(std::string_view name) {
  std::size_t at = name.rfind('@');
  bool stdcall = name.size() > 2 && name.front() == '_' && at != std::string_view::npos && at > 1 &&
                 at + 1 < name.size() &&
                 std::all_of(name.begin() + static_cast<std::ptrdiff_t>(at) + 1, name.end(),
                             [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
  return std::string(stdcall ? name.substr(1, at - 1) : name);
}

std::string libraryFileName(std::string_view name) { return "lib" + lowerAscii(stem(name)) + ".so"; }

HMODULE LoadLibrary(const char* name) {
  if (!name) return refuse(ERROR_INVALID_PARAMETER);
  std::string_view base = stem(name);
  if (!plainName(base)) return refuse(ERROR_MOD_NOT_FOUND);
  std::string canonical = upperAscii(base);
  if (outsideLibrary(canonical) && !host().libraryInstalled(canonical)) return refuse(ERROR_MOD_NOT_FOUND);
  std::string path = libraryFolder() + "/" + libraryFileName(base);
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) return refuse(ERROR_MOD_NOT_FOUND);
  Modules& table = modules();
  std::lock_guard guard(table.lock);
  ++table.loads[module];
  return module;
}

void* GetProcAddress(HMODULE module, const char* name) {
  if (!loaded(module)) return refuse(ERROR_INVALID_HANDLE);
  if (reinterpret_cast<std::uintptr_t>(name) < kOrdinalLimit) return refuse(ERROR_PROC_NOT_FOUND);
  std::string symbol = undecoratedName(name);
  void* address = ::dlsym(module, symbol.c_str());
  if (!address || !definedBy(module, address)) return refuse(ERROR_PROC_NOT_FOUND);
  return address;
}

BOOL FreeLibrary(HMODULE module) {
  {
    Modules& table = modules();
    std::lock_guard guard(table.lock);
    auto entry = module ? table.loads.find(module) : table.loads.end();
    if (entry == table.loads.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (--entry->second == 0) table.loads.erase(entry);
  }
  ::dlclose(module);
  return TRUE;
}

}  // namespace platform
