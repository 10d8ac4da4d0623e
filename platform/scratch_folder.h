#pragma once
// A fresh, empty folder under the system's temporary folder, removed with everything in it
// when the object goes away. For tests and benchmarks that need files of their own.

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>

namespace platform {

class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& purpose) : path_(uniquePath(purpose)) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).native(); }

 private:
  static std::filesystem::path uniquePath(const std::string& purpose) {
    static std::atomic<int> counter{0};
    return std::filesystem::temp_directory_path() /
           (purpose + "_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
  }
  std::filesystem::path path_;
};

}  // namespace platform
