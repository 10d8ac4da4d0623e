#pragma once
// What quillon-scan does: scans for drives with the chosen transport interface, builds
// Quillon's drive list from them, and prints that list (as text or JSON) together with the
// transport's trace of the drive list's commands. The log lines of the scan go to the status
// log, wherever the caller has it write.
//
//   quillon-scan [--interface aspi|spti|default] [--trace 0-3] [--json]

#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "quillon/drive/drive_record.h"
#include "quillon/drive/scsi_transport.h"

namespace quillon {

struct ScanOptions {
  Interface interface = DEFAULT_INTERFACE;
  int traceLevel = kTraceNone;
  bool json = false;
};

// Nothing, with `error` set, for words quillon-scan does not take.
std::optional<ScanOptions> parseScanOptions(std::span<const std::string> words, std::string& error);

extern const char kScanUsage[];

struct TracedLine {
  int device = 0;  // the transport's device number
  std::string text;
};

struct ScanReport {
  Interface requested = DEFAULT_INTERFACE;
  Interface used = NO_INTERFACE;
  bool windows95Family = false;
  bool machineAttached = true;  // false: the PC has no SCSI bus at all
  bool aspiInstalled = true;    // WNASPI32 loads
  std::vector<DriveRecord> drives;
  std::vector<TracedLine> trace;  // kept for JSON; text output prints the trace as it comes
};

// "ASPI_INTERFACE" and the like, as the drive layer logs the interface.
std::string_view interfaceName(Interface interface);
// "IDE/ATAPI adapter", "parallel-port ATAPI adapter", "SCSI adapter" or "not classified".
std::string_view adapterClassName(int adapterClass);

void printScanText(const ScanReport& report, std::ostream& out);
void printScanJson(const ScanReport& report, std::ostream& out);

// Scans and prints; 0, or 1 after one message on `err` when the interface asked for cannot
// be had on this PC.
int runScan(const ScanOptions& options, std::ostream& out, std::ostream& err);

}  // namespace quillon
