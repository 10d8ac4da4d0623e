#pragma once
// Where a drive keeps its flash memory: in memory for the drive's own tests, in the machine's
// flash image file for the drives of a machine.

#include <cstdint>
#include <utility>
#include <vector>

namespace sim::vorante {

class FlashStore {
 public:
  virtual ~FlashStore() = default;
  virtual std::vector<std::uint8_t> read() const = 0;
  // Replaces the whole image at once, so that it never holds half of a firmware.
  virtual void write(const std::vector<std::uint8_t>& image) = 0;
};

class MemoryFlash final : public FlashStore {
 public:
  explicit MemoryFlash(std::vector<std::uint8_t> image = {}) : image_(std::move(image)) {}
  std::vector<std::uint8_t> read() const override { return image_; }
  void write(const std::vector<std::uint8_t>& image) override { image_ = image; }

 private:
  std::vector<std::uint8_t> image_;
};

}  // namespace sim::vorante
