#include "quillon/cli/cli_listing.h"

#include <fmt/ostream.h>

#include "platform/files.h"
#include "quillon/kernel/matching.h"

namespace quillon::cli {
namespace {

void printDriveLine(const Io& io, Kernel& kernel, const DriveRecord& record) {
  std::string allowed;
  for (const std::string& pattern : kernel.allowedRevisions(record.driveIndex))
    allowed += (allowed.empty() ? "" : " ") + pattern;
  fmt::print(io.out, "{:>2}  {:<7}  {}:  {:<8}  {:<16}  {:<4}  {:<3}  {:>4}  {:<4}  {}\n", record.driveIndex,
             addressText(record), record.driveLetter, fieldString(record.vendor), fieldString(record.product),
             fieldString(record.revision), record.supported ? "yes" : "no", record.driveType,
             fieldString(record.skew), allowed);
}

nlohmann::json entryJson(const FirmwareEntry& entry) {
  return {{"file", fieldString(entry.fileName)},
          {"revision", fieldString(entry.revision)},
          {"date", fieldString(entry.date)}};
}

}  // namespace

std::string addressText(const DriveRecord& record) {
  return fmt::format("{}:{}:{}", record.hostAdapter, record.target, record.lun);
}

std::string firmwareFolder(const std::optional<std::string>& folder) {
  return folder ? *folder : platform::currentFolder().value_or(".");
}

nlohmann::json driveJson(Kernel& kernel, const DriveRecord& record) {
  return {{"index", record.driveIndex},
          {"address", addressText(record)},
          {"letter", std::string(1, record.driveLetter)},
          {"vendor", fieldString(record.vendor)},
          {"product", fieldString(record.product)},
          {"revision", fieldString(record.revision)},
          {"supported", record.supported != 0},
          {"driveType", record.driveType},
          {"skew", fieldString(record.skew)},
          {"allowedRevisions", kernel.allowedRevisions(record.driveIndex)}};
}

int listDrives(Session& session, const Request& request, const Io& io) {
  if (session.listResult() != kSuccess) return failWith(io, session.listResult());
  if (request.json) {
    nlohmann::json drives = nlohmann::json::array();
    for (const DriveRecord& record : session.drives()) drives.push_back(driveJson(session.kernel(), record));
    io.out << drives.dump(2) << '\n';
    return 0;
  }
  if (session.drives().empty()) {
    fmt::print(io.out, "No optical drives found. Check that the drives are connected and, on a real PC, "
                       "that you may open them.\n");
    return 0;
  }
  fmt::print(io.out, "{:>2}  {:<7}  {:<2}  {:<8}  {:<16}  {:<4}  {:<3}  {:>4}  {:<4}  {}\n", "#", "Address", "Dr",
             "Vendor", "Product", "Rev", "OK", "Type", "Skew", "Allowed revisions");
  for (const DriveRecord& record : session.drives()) printDriveLine(io, session.kernel(), record);
  return 0;
}

int listFirmware(Session& session, const Request& request, const Io& io) {
  if (session.listResult() != kSuccess) return failWith(io, session.listResult());
  int count = 0;
  std::vector<FirmwareEntry> table;
  ResultCode result = session.kernel().GetFWTable(request.drive, firmwareFolder(request.folder), count, table);
  if (result != kSuccess) return failWith(io, result);
  if (request.json) {
    nlohmann::json entries = nlohmann::json::array();
    for (const FirmwareEntry& entry : table) entries.push_back(entryJson(entry));
    io.out << entries.dump(2) << '\n';
    return 0;
  }
  if (table.empty()) {
    fmt::print(io.out, "No firmware file in {} fits drive {}.\n", firmwareFolder(request.folder), request.drive);
    return 0;
  }
  for (const FirmwareEntry& entry : table)
    fmt::print(io.out, "{:<32}  {:<4}  {}\n", fieldString(entry.fileName), fieldString(entry.revision),
               fieldString(entry.date));
  return 0;
}

}  // namespace quillon::cli
