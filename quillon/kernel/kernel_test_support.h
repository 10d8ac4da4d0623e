#pragma once
// A PC for the Kernel's tests: drives on one IDE channel, and a scratch folder as current
// folder holding the OEM file and the firmware files.

#include <memory>
#include <string>
#include <vector>

#include "platform/scratch_folder.h"
#include "quillon/drive/test_host.h"
#include "quillon/kernel/kernel.h"
#include "sim/fixtures/firmware_builder.h"
#include "sim/fixtures/oem_builder.h"

namespace quillon::testing {

class KernelBench {
 public:
  KernelBench();
  ~KernelBench();
  KernelBench(const KernelBench&) = delete;
  KernelBench& operator=(const KernelBench&) = delete;

  void writeOem(const std::vector<sim::OemEntry>& entries);
  // Returns the file's full path.
  std::string writeFirmware(const std::string& name, const sim::FirmwareSpec& spec);
  std::string writeFile(const std::string& name, const std::vector<std::uint8_t>& bytes);
  // Builds the transport and the Kernel and fetches the drive list.
  Kernel& start(ResultCode expectedListResult = kSuccess);
  DriveRecord& drive(int index) { return drives_[index]; }
  int driveCount() const { return count_; }
  const std::filesystem::path& folder() const { return folder_.path(); }

  TestMachine machine;

 private:
  platform::ScratchFolder folder_{"kernel_test"};
  std::string previousFolder_;
  std::unique_ptr<ScsiTransport> transport_;
  std::unique_ptr<Kernel> kernel_;
  DriveRecord* drives_ = nullptr;
  int count_ = 0;
};

sim::OemEntry oemEntry(const std::string& product, std::uint32_t driveType, const std::string& pattern = "****",
                       const std::string& skew = "**");

}  // namespace quillon::testing
