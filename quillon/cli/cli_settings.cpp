#include "quillon/cli/cli_settings.h"

#include <fmt/ostream.h>
#include <fmt/ranges.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "parlex/Lngstring.h"
#include "quillon/cli/drive_choice.h"
#include "quillon/drive/os_info.h"
#include "quillon/kernel/drive_families.h"
#include "quillon/kernel/registry_backup.h"
#include "quillon/kernel/windows_restart.h"

namespace quillon::cli {
namespace {

struct SettingsToGo {
  bool dma = false;
  bool autoInsert = false;
  bool dmaByHand = false;  // see DmaOnlyByHand

  bool any() const { return dma || autoInsert; }
};

ResultCode settingsToGo(Kernel& kernel, const DriveRecord& record, SettingsToGo& toGo) {
  ResultCode checked = kernel.CheckDriveProperties(record.driveIndex, toGo.dma, toGo.autoInsert);
  toGo.dmaByHand = toGo.dma && DmaOnlyByHand(record.driveType, OsInfo().GetPlatform(0));
  return checked;
}

std::vector<std::string> names(const SettingsToGo& toGo) {
  std::vector<std::string> result;
  if (toGo.dma) result.emplace_back("DMA");
  if (toGo.autoInsert) result.emplace_back("AutoInsertNotification");
  return result;
}

std::string namesText(const SettingsToGo& toGo) { return fmt::format("{}", fmt::join(names(toGo), " and ")); }

// What the user does to have the settings off: the Device Manager, or `settings --switch-off`.
std::string remedy(const DriveRecord& record, const SettingsToGo& toGo) {
  if (toGo.dmaByHand)
    return "on Windows 2000 and XP DMA must be switched off by hand in the Device Manager (the steps follow), "
           "then Windows must restart";
  return fmt::format("`quillon-cli settings --drive {} --switch-off` switches {} off, then Windows must restart",
                     record.driveIndex, names(toGo).size() == 1 ? "it" : "them");
}

void printSteps(std::ostream& out) {
  fmt::print(out, "{}\n", TlngString().String(static_cast<std::int32_t>(kDmaSteps)));
}

int refuse(const Io& io, const DriveRecord& record, const SettingsToGo& toGo, const char* unchanged) {
  int status = failWith(io, fmt::format("Windows has {} on for {}, which can disturb the update; {}; {}",
                                        namesText(toGo), describe(record), remedy(record, toGo), unchanged));
  if (toGo.dmaByHand) printSteps(io.err);
  return status;
}

int listSettings(const DriveRecord& record, const SettingsToGo& toGo, const Request& request, const Io& io) {
  if (request.json) {
    nlohmann::json listing = {{"drive", record.driveIndex}, {"mustSwitchOff", names(toGo)}, {"byHand", toGo.dmaByHand}};
    io.out << listing.dump(2) << '\n';
  } else if (!toGo.any()) {
    fmt::print(io.out, "Windows has no setting on that must be switched off before {} is flashed.\n", describe(record));
  } else {
    fmt::print(io.out, "Before {} is flashed, Windows must have {} switched off: {}.\n", describe(record),
               namesText(toGo), remedy(record, toGo));
    if (toGo.dmaByHand) printSteps(io.out);
  }
  return 0;
}

std::string switchOffQuestion(const DriveRecord& record, const SettingsToGo& toGo) {
  return fmt::format("Switch {} off for {}?\nThe old values are saved in {}, and Windows restarts at once.",
                     namesText(toGo), describe(record), kRegistryFileName);
}

std::string switchedOffJson(const DriveRecord& record, const SettingsToGo& toGo,
                            const std::optional<std::string>& savedIn, bool restarted) {
  nlohmann::json outcome = {{"drive", record.driveIndex},
                            {"switchedOff", names(toGo)},
                            {"savedIn", savedIn ? nlohmann::json(*savedIn) : nlohmann::json(nullptr)},
                            {"restarted", restarted}};
  return outcome.dump(2);
}

// The switch-off takes effect only when Windows starts again, so the restart follows at once.
int restartForSettings(Kernel& kernel, const DriveRecord& record, const SettingsToGo& toGo, const Request& request,
                       const Io& io) {
  if (!request.json)
    fmt::print(io.out,
               "{} switched off for {}; the old values are saved in {} and come back with the next flash.\n"
               "Windows restarts now; flash the drive once it is up again.\n",
               namesText(toGo), describe(record), kRegistryFileName);
  io.out.flush();
  bool restarted = RestartWindows(isNtFamily(OsInfo().GetPlatform(0))) == 0;
  if (request.json) io.out << switchedOffJson(record, toGo, kernel.homeFolder() + kRegistryFileName, restarted) << '\n';
  if (restarted) return 0;
  return failWith(io, "Windows refused to restart; restart it yourself so that the settings are off for the flash");
}

int switchOff(Kernel& kernel, const DriveRecord& record, const SettingsToGo& toGo, const Request& request,
              const Io& io) {
  if (std::optional<int> refused = refuseUnflashable(io, record)) return *refused;
  if (toGo.dmaByHand) return refuse(io, record, toGo, "nothing was changed");
  if (!toGo.any()) {
    if (request.json)
      io.out << switchedOffJson(record, toGo, std::nullopt, false) << '\n';
    else
      fmt::print(io.out, "Nothing to switch off: Windows has no setting on that must go before {} is flashed.\n",
                 describe(record));
    return 0;
  }
  int status = 0;
  if (!confirmed(request, io, switchOffQuestion(record, toGo), "switch the settings off", status)) return status;
  if (ResultCode disabled = kernel.DisableDriveProperties(record.driveIndex, toGo.dma, toGo.autoInsert);
      disabled != kSuccess)
    return failWith(io, disabled);
  return restartForSettings(kernel, record, toGo, request, io);
}

}  // namespace

std::optional<int> refuseForSettings(Kernel& kernel, const DriveRecord& record, const Io& io) {
  SettingsToGo toGo;
  if (ResultCode checked = settingsToGo(kernel, record, toGo); checked != kSuccess) return failWith(io, checked);
  if (!toGo.any()) return std::nullopt;
  return refuse(io, record, toGo, "nothing was written");
}

void restoreSettings(Kernel& kernel, const Io& io) {
  if (ResultCode restored = kernel.RestoreDriveProperties(); restored != kSuccess)
    fmt::print(io.err, "quillon-cli: warning: the saved drive settings were not written back: {}; the flash goes on\n",
               catalogueLine(restored));
}

int driveSettings(Session& session, const Request& request, const Io& io) {
  if (session.listResult() != kSuccess) return failWith(io, session.listResult());
  int status = 0;
  const DriveRecord* record = namedDrive(session, request, io, status);
  if (!record) return status;
  SettingsToGo toGo;
  if (ResultCode checked = settingsToGo(session.kernel(), *record, toGo); checked != kSuccess)
    return failWith(io, checked);
  if (request.switchOff) return switchOff(session.kernel(), *record, toGo, request, io);
  return listSettings(*record, toGo, request, io);
}

}  // namespace quillon::cli
