#include "quillon/drive/scan_report.h"

#include <fmt/format.h>
#include <fmt/ostream.h>
#include <fmt/ranges.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <utility>

#include "platform/dynlib.h"
#include "platform/host.h"
#include "quillon/drive/dri_drives.h"
#include "quillon/drive/os_info.h"

namespace quillon {
namespace {

using nlohmann::json;
using TraceSink = std::function<void(int device, std::string_view line)>;

constexpr const char* kAspiLibrary = "WNASPI32";

// The trace is formatted for every traced command and dropped unless a derived transport
// takes it; this one hands it on.
class TracingTransport final : public ScsiTransport {
 public:
  explicit TracingTransport(TraceSink sink) : sink_(std::move(sink)) {}
  void TraceDeviceLine(int device, std::string_view text) override { sink_(device, text); }

 private:
  TraceSink sink_;
};

std::optional<Interface> interfaceNamed(std::string_view word) {
  if (word == "aspi") return ASPI_INTERFACE;
  if (word == "spti") return SPTI_INTERFACE;
  if (word == "default") return DEFAULT_INTERFACE;
  return std::nullopt;
}

std::optional<int> traceLevelNamed(std::string_view word) {
  if (word.size() != 1 || word[0] < '0' || word[0] > '3') return std::nullopt;
  return word[0] - '0';
}

bool aspiLoads() { return platform::ScopedLibrary(platform::LoadLibrary(kAspiLibrary)).get() != nullptr; }

// Every device traces every command of the drive list; a scan clears the devices' trace.
void traceEveryDevice(ScsiTransport& transport, int level) {
  if (level == kTraceNone) return;
  for (int number = 1; number <= transport.GetDeviceCount(); ++number) {
    transport.SelectDevice(number);
    transport.SetTrace(level, kTraceAll);
  }
}

std::vector<DriveRecord> driveList(ScsiTransport& transport) {
  DriDrives drives(transport);
  int count = 0;
  DriveRecord* records = nullptr;
  drives.GetDrives(count, records);
  return {records, records + count};
}

std::string letterText(const DriveRecord& record) { return fmt::format("{}:", record.driveLetter); }

std::string addressText(const DriveRecord& record) {
  return fmt::format("{}:{}:{}", record.hostAdapter, record.target, record.lun);
}

std::string trimmed(std::string line) {
  line.erase(line.find_last_not_of(' ') + 1);
  return line;
}

std::string tableRow(std::string_view index, std::string_view address, std::string_view adapterClass,
                     std::string_view letter, std::string_view vendor, std::string_view product,
                     std::string_view revision) {
  return trimmed(fmt::format("{:<6} {:<10} {:<28} {:<6} {:<8}  {:<16}  {}", index, address, adapterClass, letter,
                             vendor, product, revision));
}

std::string driveRow(const DriveRecord& record) {
  return tableRow(std::to_string(record.driveIndex), addressText(record), adapterClassName(record.adapterClass),
                  letterText(record), fieldText(record.vendor), fieldText(record.product), fieldText(record.revision));
}

std::string noDriveAdvice(const ScanReport& report) {
  if (!report.machineAttached)
    return fmt::format("This PC has no SCSI bus: no machine is attached ({} names none, or it could not be attached).",
                       platform::kMachineVariable);
  std::vector<std::string_view> ways;
  if (report.requested != ASPI_INTERFACE && !report.windows95Family)
    ways.push_back("SPTI finds only those with a drive letter (C: to Z:)");
  if (report.requested != SPTI_INTERFACE)
    ways.push_back(report.aspiInstalled ? "ASPI finds those on the host adapters that answer it"
                                        : "ASPI is not installed on this machine (no WNASPI32)");
  return fmt::format("Check that the machine has CD-ROM drives: {}.", fmt::join(ways, "; "));
}

json driveJson(const DriveRecord& record) {
  return {{"index", record.driveIndex},
          {"adapter", record.hostAdapter},
          {"target", record.target},
          {"lun", record.lun},
          {"adapterId", fieldText(record.adapterId)},
          {"adapterClass", record.adapterClass},
          {"adapterClassName", adapterClassName(record.adapterClass)},
          {"channel", record.channel},
          {"letter", record.driveLetter == '?' ? json(nullptr) : json(std::string(1, record.driveLetter))},
          {"vendor", fieldText(record.vendor)},
          {"product", fieldText(record.product)},
          {"revision", fieldText(record.revision)},
          {"vendorSpecific", fieldText(record.vendorSpecific)}};
}

}  // namespace

const char kScanUsage[] = "usage: quillon-scan [--interface aspi|spti|default] [--trace 0-3] [--json]\n";

std::optional<ScanOptions> parseScanOptions(std::span<const std::string> words, std::string& error) {
  error.clear();
  ScanOptions options;
  for (std::size_t i = 0; i < words.size() && error.empty(); ++i) {
    const std::string& word = words[i];
    std::optional<std::string_view> value;
    if (i + 1 < words.size()) value = words[i + 1];
    if (word == "--json") {
      options.json = true;
    } else if (word == "--interface") {
      auto chosen = value ? interfaceNamed(*value) : std::nullopt;
      if (chosen)
        options.interface = *chosen;
      else
        error = "--interface takes aspi, spti or default";
      ++i;
    } else if (word == "--trace") {
      auto level = value ? traceLevelNamed(*value) : std::nullopt;
      if (level)
        options.traceLevel = *level;
      else
        error = "--trace takes a level from 0 to 3";
      ++i;
    } else {
      error = "unexpected " + word;
    }
  }
  return error.empty() ? std::optional(options) : std::nullopt;
}

std::string_view interfaceName(Interface interface) {
  switch (interface) {
    case NO_INTERFACE: return "NO_INTERFACE";
    case ASPI_INTERFACE: return "ASPI_INTERFACE";
    case SPTI_INTERFACE: return "SPTI_INTERFACE";
    default: return "DEFAULT_INTERFACE";
  }
}

std::string_view adapterClassName(int adapterClass) {
  switch (adapterClass) {
    case kAdapterIde: return "IDE/ATAPI adapter";
    case kAdapterParallelPort: return "parallel-port ATAPI adapter";
    case kAdapterScsi: return "SCSI adapter";
    default: return "not classified";
  }
}

void printScanText(const ScanReport& report, std::ostream& out) {
  fmt::print(out, "Interface: {} (asked for {})\n", interfaceName(report.used), interfaceName(report.requested));
  if (report.drives.empty()) {
    fmt::print(out, "No drives found.\n{}\n", noDriveAdvice(report));
    return;
  }
  fmt::print(out, "{} drive{}:\n", report.drives.size(), report.drives.size() == 1 ? "" : "s");
  fmt::print(out, "{}\n", tableRow("Index", "Address", "Adapter class", "Letter", "Vendor", "Product", "Revision"));
  for (const DriveRecord& record : report.drives) fmt::print(out, "{}\n", driveRow(record));
  if (!report.windows95Family)
    fmt::print(out, "Quillon classifies adapters on Windows 95, 98 and ME only.\n");
}

void printScanJson(const ScanReport& report, std::ostream& out) {
  json drives = json::array();
  for (const DriveRecord& record : report.drives) drives.push_back(driveJson(record));
  json trace = json::array();
  for (const TracedLine& line : report.trace) trace.push_back({{"device", line.device}, {"line", line.text}});
  json document = {{"requested", interfaceName(report.requested)},
                   {"interface", interfaceName(report.used)},
                   {"machineAttached", report.machineAttached},
                   {"aspiInstalled", report.aspiInstalled},
                   {"drives", drives},
                   {"trace", trace}};
  if (report.drives.empty()) document["advice"] = noDriveAdvice(report);
  out << document.dump(2) << '\n';
}

int runScan(const ScanOptions& options, std::ostream& out, std::ostream& err) {
  ScanReport report;
  report.requested = options.interface;
  report.windows95Family = isWindows95Family(OsInfo().GetPlatform(1));
  report.machineAttached = platform::host().bus() != nullptr;
  report.aspiInstalled = aspiLoads();
  if (options.interface == SPTI_INTERFACE && report.windows95Family) {
    fmt::print(err, "quillon-scan: SPTI is not available on Windows 95, 98 and ME, which reach their drives "
                    "through ASPI only\n");
    return 1;
  }
  if (options.interface == ASPI_INTERFACE && !report.aspiInstalled) {
    fmt::print(err, "quillon-scan: ASPI is not installed on this machine: {} cannot be loaded\n", kAspiLibrary);
    return 1;
  }
  TracingTransport transport([&](int device, std::string_view line) {
    if (options.json)
      report.trace.push_back({device, std::string(line)});
    else
      fmt::print(out, "{}\n", line);
  });
  if (options.interface != DEFAULT_INTERFACE) transport.SetInterface(options.interface);
  report.used = transport.GetInterface();
  traceEveryDevice(transport, options.traceLevel);
  report.drives = driveList(transport);
  if (options.json)
    printScanJson(report, out);
  else
    printScanText(report, out);
  return 0;
}

}  // namespace quillon
