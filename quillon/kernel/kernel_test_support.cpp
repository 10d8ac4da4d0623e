#include "quillon/kernel/kernel_test_support.h"

#include <gtest/gtest.h>

#include "platform/files.h"

namespace quillon::testing {

KernelBench::KernelBench() : previousFolder_(platform::currentFolder().value_or(".")) {
  machine.bus().addAdapter(0, "atapi");
  platform::setCurrentFolder(folder_.path().native());
}

KernelBench::~KernelBench() {
  kernel_.reset();
  platform::setCurrentFolder(previousFolder_);
}

void KernelBench::writeOem(const std::vector<sim::OemEntry>& entries) {
  writeFile(kOemFileName, sim::buildOemFile(sim::keyFromSeed(7), entries));
}

std::string KernelBench::writeFirmware(const std::string& name, const sim::FirmwareSpec& spec) {
  return writeFile(name, sim::buildFirmware(spec));
}

std::string KernelBench::writeFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  std::string path = folder_.file(name);
  EXPECT_EQ(platform::writeWholeFile(path, bytes), platform::FileError::None) << path;
  return path;
}

Kernel& KernelBench::start(ResultCode expectedListResult) {
  kernel_.reset();
  transport_ = std::make_unique<ScsiTransport>();
  kernel_ = std::make_unique<Kernel>(*transport_);
  machine.settle();
  EXPECT_EQ(kernel_->GetDriveList(count_, drives_), expectedListResult);
  return *kernel_;
}

sim::OemEntry oemEntry(const std::string& product, std::uint32_t driveType, const std::string& pattern,
                       const std::string& skew) {
  sim::OemEntry entry;
  entry.text = "Logo.bmp";
  entry.vendor = "VORANTE";
  entry.product = product;
  entry.skew = skew;
  entry.revisionPattern = pattern;
  entry.driveType = driveType;
  return entry;
}

}  // namespace quillon::testing
