// CheckFWchecksum over a 2 MiB image against memcpy of the same buffer, in one run.

#include <benchmark/benchmark.h>

#include <cstring>
#include <iostream>
#include <map>

#include "quillon/firmware/firmware_image.h"
#include "quillon/gui/logging.h"
#include "sim/fixtures/firmware_builder.h"

namespace {

constexpr std::uint32_t k2M = 0x200000;

const std::vector<std::uint8_t>& image() {
  static const std::vector<std::uint8_t> bytes = [] {
    sim::FirmwareSpec spec;
    spec.model = "VD0804A";
    spec.size = k2M;
    return sim::buildFirmware(spec);
  }();
  return bytes;
}

void CheckFWchecksum2MiB(benchmark::State& state) {
  auto stored = std::span<const std::uint8_t>(image()).subspan(quillon::kDataOffset);
  for (auto _ : state) {
    std::uint16_t linear = 0, rotated = 0;
    benchmark::DoNotOptimize(quillon::CheckFWchecksum(32, stored, k2M, linear, rotated));
    benchmark::DoNotOptimize(linear + rotated);
  }
  state.SetBytesProcessed(state.iterations() * k2M);
}

void Memcpy2MiB(benchmark::State& state) {
  std::vector<std::uint8_t> target(k2M);
  for (auto _ : state) {
    std::memcpy(target.data(), image().data() + quillon::kDataOffset, k2M);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * k2M);
}

BENCHMARK(CheckFWchecksum2MiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(Memcpy2MiB)->Unit(benchmark::kMicrosecond);

// Keeps each run's time per iteration so the ratio can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) seconds_[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    double checksum = seconds_["CheckFWchecksum2MiB"], copy = seconds_["Memcpy2MiB"];
    if (checksum > 0 && copy > 0)
      std::cout << "CheckFWchecksum takes " << checksum / copy << " times as long as memcpy; "
                << (k2M / (checksum * 1e-6)) / 1e9 << " GB/s for both checksums\n";
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  quillon::LogCapture quiet;
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
}
