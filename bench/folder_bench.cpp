// GetFWDriveType and GetFWRevision over a folder of 1000 firmware files, as the firmware
// page lists a folder.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "platform/files.h"
#include "platform/scratch_folder.h"
#include "quillon/firmware/firmware_image.h"
#include "quillon/gui/logging.h"
#include "sim/fixtures/firmware_builder.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 1000;

// 1000 files of 64 KiB each: the revision is read from the first 32 KiB.
class Folder {
 public:
  Folder() {
    sim::FirmwareSpec spec;
    spec.model = "VC1608A";
    spec.size = 0x10000;
    spec.idOffset = 0x7000;
    auto bytes = sim::buildFirmware(spec);
    for (int i = 0; i < kFiles; ++i)
      platform::writeWholeFile(scratch_.file("FW" + std::to_string(i) + ".CVT"), bytes);
  }
  std::string path() const { return scratch_.path().native(); }

 private:
  platform::ScratchFolder scratch_{"quillon_bench"};
};

void ListFolderOf1000(benchmark::State& state) {
  static Folder folder;
  for (auto _ : state) {
    int matching = 0;
    for (const auto& file : platform::findFiles(folder.path(), "*.CVT")) {
      std::string path = *platform::joinPath(folder.path(), file.name);
      int driveType = 0;
      std::string revision;
      quillon::GetFWDriveType(path, driveType);
      quillon::GetFWRevision(path, revision);
      matching += driveType == 14 && revision == "1.00";
    }
    if (matching != kFiles) state.SkipWithError("files not recognised");
  }
}

BENCHMARK(ListFolderOf1000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  quillon::LogCapture quiet;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
