#pragma once
// A process-wide object that is never destroyed, so that static objects which release
// handles or libraries while the process exits still find the tables they live in.

#include <new>
#include <utility>

namespace platform {

template <typename T>
class Immortal {
 public:
  template <typename... Args>
  explicit Immortal(Args&&... args) {
    ::new (static_cast<void*>(storage_)) T(std::forward<Args>(args)...);
  }
  Immortal(const Immortal&) = delete;
  Immortal& operator=(const Immortal&) = delete;
  T& get() { return *std::launder(reinterpret_cast<T*>(storage_)); }

 private:
  alignas(T) unsigned char storage_[sizeof(T)];
};

}  // namespace platform
