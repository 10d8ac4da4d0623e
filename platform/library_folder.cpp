#include "platform/library_folder.h"

#include <dlfcn.h>

#include <filesystem>

namespace platform {

const std::string& libraryFolder() {
  static const std::string folder = [] {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<const void*>(&libraryFolder), &info) == 0 || !info.dli_fname) return std::string(".");
    std::error_code ignored;
    std::filesystem::path self = std::filesystem::absolute(info.dli_fname, ignored);
    return self.parent_path().string();
  }();
  return folder;
}

namespace {

// Resolved while the library loads: the loader may have named it by a relative path, which
// only means something before the program changes its current folder.
[[maybe_unused]] const std::string& resolvedAtLoad = libraryFolder();

}  // namespace

}  // namespace platform
