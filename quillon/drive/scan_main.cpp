// quillon-scan: lists the drives as Quillon sees them, over the interface asked for, with the
// transport's trace of the drive list's commands at the trace level asked for.

#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "quillon/drive/scan_report.h"
#include "quillon/gui/logging.h"

int main(int argc, char** argv) {
  std::vector<std::string> words(argv + 1, argv + argc);
  std::string error;
  auto options = quillon::parseScanOptions(words, error);
  if (!options) {
    std::cerr << "quillon-scan: " << error << '\n' << quillon::kScanUsage;
    return 2;
  }
  // JSON output keeps standard output to itself: the status log goes to its file and to
  // standard error instead.
  if (options->json) quillon::programLog().setConsole(stderr);
  return quillon::runScan(*options, std::cout, std::cerr);
}
