#include "quillon/cli/drive_choice.h"

#include <fmt/ostream.h>

#include <istream>

#include "quillon/kernel/drive_families.h"
#include "quillon/kernel/matching.h"

namespace quillon::cli {
namespace {

}  // namespace

std::string describe(const DriveRecord& record) {
  return fmt::format("drive {} ({}: {} {} {})", record.driveIndex, record.driveLetter, fieldString(record.vendor),
                     fieldString(record.product), fieldString(record.revision));
}

const DriveRecord* namedDrive(Session& session, const Request& request, const Io& io, int& status) {
  if (request.drive < static_cast<int>(session.drives().size()))
    return &session.drives()[static_cast<std::size_t>(request.drive)];
  status = failWith(io, fmt::format("there is no drive {}; `quillon-cli drives` lists them", request.drive), 2);
  return nullptr;
}

std::optional<int> refuseUnflashable(const Io& io, const DriveRecord& record) {
  if (!record.supported)
    return failWith(io, describe(record) + " is not supported by the OEM file of this folder; nothing was written");
  auto handOff = handOffFor(record.driveType, fieldText(record.product));
  if (!handOff) return std::nullopt;
  return failWith(io, fmt::format("{} (drive type {}) is updated by {}; run {} instead; nothing was written",
                                  describe(record), record.driveType, handOff->program, handOff->program));
}

bool confirmed(const Request& request, const Io& io, const std::string& question, const std::string& action,
               int& status) {
  if (request.yes) return true;
  if (!io.interactive) {
    status =
        failWith(io, fmt::format("standard input is not a terminal: add --yes to {} without a question", action), 2);
    return false;
  }
  fmt::print(io.out, "{} [y/N] ", question);
  io.out.flush();
  std::string answer;
  std::getline(io.in, answer);
  if (answer == "y" || answer == "Y" || answer == "yes") return true;
  status = failWith(io, "not confirmed; nothing was written", 1);
  return false;
}

}  // namespace quillon::cli
