// The Kernel's FlashFirmware from the firmware file on disk to an emulated drive of the maker,
// on the virtual clock, against memcpy of the same number of bytes in the same run: a 2 MiB
// image over the vendor download (drive type 31) and the 256 KiB image of drive type 1 over
// WRITE BUFFER with READ BUFFER per block. Goal: at most 20 ms of wall time above memcpy.

#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "quillon/firmware/firmware_image.h"
#include "quillon/gui/logging.h"
#include "quillon/kernel/kernel_test_support.h"
#include "sim/drives/vorante/vorante_personality.h"

namespace {

constexpr double kGoalMs = 20.0;

struct FlashCase {
  const char* model;
  int driveType;
  std::uint32_t bytes;  // the firmware the drive takes: the only length the model table allows
};

constexpr FlashCase kVendorDownload{"VD0204A", 31, 0x200000};
constexpr FlashCase kVerifiedDownload{"VR0404A", 1, 0x40000};

// The PC with its one drive, the OEM record that supports it and its firmware file, the
// Kernel with its drive list, and the interface the wizard selects before it flashes.
class FlashBench {
 public:
  explicit FlashBench(const FlashCase& flashCase) : case_(flashCase) {
    bench_.machine.bus().addDrive({0, 0, 0, 0}, 'D', {"VORANTE", case_.model, "1.00", ""}, {},
                                  std::make_unique<sim::vorante::VorantePersonality>(
                                      sim::vorante::DriveSetup{.driveType = case_.driveType}, flash_,
                                      std::make_shared<sim::Faults>()));
    bench_.writeOem({quillon::testing::oemEntry(case_.model, static_cast<std::uint32_t>(case_.driveType))});
    sim::FirmwareSpec spec;
    spec.model = case_.model;
    spec.revision = "1.10";
    file_ = sim::buildFirmware(spec);
    path_ = bench_.writeFile(fmt::format("{}-0110.CVT", case_.model), file_);
    kernel_ = &bench_.start();
    kernel_->SelectInterface(0);
  }

  quillon::ResultCode flash() { return kernel_->FlashFirmware(0, path_, false); }
  // What a real flash waits for afterwards: the drive programming its flash memory.
  void finishProgramming() {
    bench_.machine.clock.advance(sim::vorante::programmingMs(case_.bytes));
    log_.clear();
  }
  bool driveHoldsTheFirmware() const {
    std::vector<std::uint8_t> flash = flash_->read();
    auto data = std::span(file_).subspan(quillon::kDataOffset, case_.bytes);
    return std::equal(flash.begin(), flash.end(), data.begin(), data.end());
  }

 private:
  FlashCase case_;
  // Every line is formatted as in a real run and then kept, not written; before the PC, so
  // that it outlives the Kernel's last lines.
  quillon::LogCapture log_;
  quillon::testing::KernelBench bench_;
  std::shared_ptr<sim::vorante::MemoryFlash> flash_ = std::make_shared<sim::vorante::MemoryFlash>();
  std::vector<std::uint8_t> file_;
  std::string path_;
  quillon::Kernel* kernel_ = nullptr;
};

// One Kernel for the whole run, timing FlashFirmware alone: the Kernel builds its drive list
// once, so a Kernel per iteration would time the scan, the INQUIRY to every drive and the
// library loading as well. Between iterations, untimed, the virtual clock runs past the
// drive's programming time, which leaves the drive as ready as after a real flash.
void FlashFirmware(benchmark::State& state, FlashCase flashCase) {
  FlashBench bench(flashCase);
  quillon::ResultCode result = quillon::kSuccess;
  for (auto _ : state) {
    result = bench.flash();
    state.PauseTiming();
    bench.finishProgramming();
    state.ResumeTiming();
    if (result != quillon::kSuccess) break;
  }
  if (result != quillon::kSuccess)
    state.SkipWithError(fmt::format("FlashFirmware returned 0x{:08X}", result).c_str());
  else if (!bench.driveHoldsTheFirmware())
    state.SkipWithError("the drive's flash does not hold the file's firmware");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * flashCase.bytes);
}

void Memcpy(benchmark::State& state, FlashCase flashCase) {
  std::vector<std::uint8_t> source(flashCase.bytes, 0xA5);
  std::vector<std::uint8_t> target(flashCase.bytes);
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), flashCase.bytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * flashCase.bytes);
}

BENCHMARK_CAPTURE(FlashFirmware, VD0204A, kVendorDownload)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Memcpy, VD0204A, kVendorDownload)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(FlashFirmware, VR0404A, kVerifiedDownload)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Memcpy, VR0404A, kVerifiedDownload)->Unit(benchmark::kMicrosecond);

// Keeps each run's wall time so that every flash can be set against its memcpy at the end.
class BaselineReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal, so that the figures can go to a file as they are.
  BaselineReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) == 1 ? OO_Defaults : OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (!run.error_occurred)
        milliseconds_[run.benchmark_name()] =
            run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const FlashCase& flashCase : {kVendorDownload, kVerifiedDownload}) report(flashCase);
  }

 private:
  void report(const FlashCase& flashCase) {
    auto flash = milliseconds_.find(fmt::format("FlashFirmware/{}", flashCase.model));
    auto copy = milliseconds_.find(fmt::format("Memcpy/{}", flashCase.model));
    if (flash == milliseconds_.end() || copy == milliseconds_.end()) return;
    double above = flash->second - copy->second;
    fmt::print("FlashFirmware of {} bytes to a {} (drive type {}): {:.2f} ms above memcpy; goal at most {} ms: {}\n",
               flashCase.bytes, flashCase.model, flashCase.driveType, above, kGoalMs,
               above <= kGoalMs ? "met" : "missed");
  }

  std::map<std::string, double> milliseconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  BaselineReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
}
