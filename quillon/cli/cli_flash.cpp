#include "quillon/cli/cli_flash.h"

#include <fmt/ostream.h>

#include <filesystem>

#include "quillon/cli/cli_listing.h"
#include "quillon/cli/cli_settings.h"
#include "quillon/cli/drive_choice.h"
#include "quillon/cli/drive_check.h"
#include "quillon/cli/flash_progress.h"
#include "quillon/firmware/model_table.h"
#include "quillon/kernel/matching.h"
#include "quillon/kernel/medium_wait.h"

namespace quillon::cli {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kFirstMediumWaitMs = 5000;
constexpr std::uint32_t kTrayMediumWaitMs = 2000;

struct Plan {
  const DriveRecord* drive = nullptr;
  std::string path;
  std::string revision;  // the file's
  bool combined = false;
};

// The file must be one the firmware page would offer for the drive.
std::optional<std::string> listedRevision(Kernel& kernel, int drive, const fs::path& file, ResultCode& result) {
  int count = 0;
  std::vector<FirmwareEntry> table;
  fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(firmwareFolder(std::nullopt));
  result = kernel.GetFWTable(drive, folder.native(), count, table);
  for (const FirmwareEntry& entry : table)
    if (fieldText(entry.fileName) == file.filename().native()) return fieldString(entry.revision);
  return std::nullopt;
}

std::optional<Plan> makePlan(Session& session, const Request& request, const Io& io, int& status) {
  const DriveRecord* named = namedDrive(session, request, io, status);
  if (!named) return std::nullopt;
  const DriveRecord& record = *named;
  if (std::optional<int> refused = refuseUnflashable(io, record)) {
    status = *refused;
    return std::nullopt;
  }
  ResultCode listed = kSuccess;
  std::optional<std::string> revision = listedRevision(session.kernel(), request.drive, request.file, listed);
  if (!revision) {
    status = listed != kSuccess ? failWith(io, listed)
                                : failWith(io, fmt::format("{} does not fit {}: its drive type or revision is not "
                                                           "allowed (`quillon-cli firmware --drive {}` lists the "
                                                           "files that fit); nothing was written",
                                                           request.file, describe(record), request.drive));
    return std::nullopt;
  }
  int type = record.driveType;
  return Plan{&record, request.file, *revision, IsCombinedDrive(type)};
}

std::string question(const Plan& plan) {
  return fmt::format("Update {} with {} (revision {})?\nDo not switch the PC off until it is done.",
                     describe(*plan.drive), plan.path, plan.revision);
}

// The wizard's steps before the progress page: interface, no disc, lock and open tray.
ResultCode prepareDrive(Kernel& kernel, int drive) {
  kernel.SelectInterface(drive);
  if (ResultCode empty = WaitNoMedium(kernel, drive, kFirstMediumWaitMs); empty != kSuccess) return empty;
  if (ResultCode empty = WaitNoMedium(kernel, drive, kTrayMediumWaitMs); empty != kSuccess) return empty;
  return kernel.OpenTray(drive);
}

int expectedBlocks(const std::string& path) {
  std::error_code error;
  auto size = fs::file_size(path, error);
  return error ? 1 : static_cast<int>(size / kFlashBlockSize);
}

nlohmann::json outcomeJson(const Plan& plan, ResultCode result, const std::optional<std::string>& after) {
  return {{"drive", plan.drive->driveIndex},
          {"file", plan.path},
          {"fileRevision", plan.revision},
          {"revisionBefore", fieldString(plan.drive->revision)},
          {"revisionAfter", after ? nlohmann::json(*after) : nlohmann::json(nullptr)},
          {"result", result},
          {"success", result == kSuccess && after == plan.revision}};
}

int runFlash(Session& session, const Plan& plan, const Request& request, const Io& io) {
  Kernel& kernel = session.kernel();
  int drive = plan.drive->driveIndex;
  ResultCode result = prepareDrive(kernel, drive);
  std::optional<std::string> after;
  bool ready = false;
  {
    FlashProgress progress(io.out, io.interactive && !request.json, expectedBlocks(plan.path));
    if (result == kSuccess) {
      restoreSettings(kernel, io);
      result = plan.combined ? kernel.FlashCombiFirmware(drive, plan.path, false)
                             : kernel.FlashFirmware(drive, plan.path, false);
    }
    if (result == kSuccess) {
      std::uint32_t expected = programmingTimeMs(plan.drive->driveType);
      ready = waitUntilReady(session.transport(), drive + 1, 2 * expected,
                             [&](std::uint32_t waited) { progress.programming(waited, expected); });
      // The bar counts against the longest a drive of this type takes; most finish sooner.
      if (ready) progress.programming(expected, expected);
      after = reportedRevision(session.transport(), drive + 1);
    }
  }
  if (request.json) io.out << outcomeJson(plan, result, after).dump(2) << '\n';
  if (result != kSuccess) return failWith(io, result);
  if (!ready)
    return failWith(io, describe(*plan.drive) + " did not finish programming in time; do not switch the PC off, "
                                                "wait a few minutes, then run `quillon-cli drives` to see its revision");
  if (after != plan.revision)
    return failWith(io, fmt::format("the drive reports revision {} instead of {}: the update is not confirmed",
                                    after.value_or("(no answer)"), plan.revision));
  if (!request.json) fmt::print(io.out, "Drive {} now reports revision {}.\n", drive, *after);
  return 0;
}

}  // namespace

int flashDrive(Session& session, const Request& request, const Io& io) {
  if (session.listResult() != kSuccess) return failWith(io, session.listResult());
  int status = 0;
  std::optional<Plan> plan = makePlan(session, request, io, status);
  if (!plan) return status;
  if (std::optional<int> refused = refuseForSettings(session.kernel(), *plan->drive, io)) return *refused;
  if (!confirmed(request, io, question(*plan), "flash", status)) return status;
  return runFlash(session, *plan, request, io);
}

}  // namespace quillon::cli
