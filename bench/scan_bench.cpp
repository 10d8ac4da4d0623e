// A full scan of a Windows XP PC with 30 optical drives, as Quillon makes one when it builds
// its drive list: the transport's scan over ASPI or SPTI, then the drive list with its own
// INQUIRY to every drive and the loading of the CD-recorder manager. Goal: under 10 ms.

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <optional>

#include "quillon/drive/dri_drives.h"
#include "quillon/drive/test_host.h"
#include "quillon/gui/logging.h"

namespace {

using quillon::testing::TestMachine;

constexpr int kDrives = 30;
constexpr int kLetters = 'Z' - 'C' + 1;
constexpr int kTargetsPerAdapter = 8;

// The benchmark measures the drive layer, not the terminal or the disk the log would go to.
class DroppedLog final : public quillon::LogSink {
 public:
  DroppedLog() : previous_(quillon::programLog().setSink(this)) {}
  ~DroppedLog() override { quillon::programLog().setSink(previous_); }
  DroppedLog(const DroppedLog&) = delete;
  DroppedLog& operator=(const DroppedLog&) = delete;
  void entry(quillon::LogLevel, std::string_view, std::string_view) override {}

 private:
  quillon::LogSink* previous_;
};

// Four SCSI adapters of eight targets. SPTI reaches a drive only through its letter, and
// there are 24 of them (C: to Z:), so six of the drives are ASPI's alone.
void addDrives(quillon::testing::TestBus& bus) {
  for (int adapter = 0; adapter * kTargetsPerAdapter < kDrives; ++adapter) bus.addAdapter(adapter, "AHA-2940");
  for (int i = 0; i < kDrives; ++i) {
    std::optional<char> letter;
    if (i < kLetters) letter = static_cast<char>('C' + i);
    bus.addDrive({i / kTargetsPerAdapter, 0, i % kTargetsPerAdapter, 0}, letter,
                 quillon::testing::cdromIdentity(fmt::format("CDRW {:04}", i)));
  }
}

void fullScan(benchmark::State& state, quillon::Interface interface) {
  TestMachine machine;
  addDrives(machine.bus());
  DroppedLog log;
  quillon::ScsiTransport transport;
  int count = 0;
  for (auto _ : state) {
    transport.SetInterface(interface);
    quillon::DriDrives drives(transport);
    quillon::DriveRecord* records = nullptr;
    drives.GetDrives(count, records);
    benchmark::DoNotOptimize(records);
    machine.bus().clearCalls();
  }
  state.counters["drives"] = count;
}

BENCHMARK_CAPTURE(fullScan, aspi, quillon::ASPI_INTERFACE)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(fullScan, spti, quillon::SPTI_INTERFACE)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
