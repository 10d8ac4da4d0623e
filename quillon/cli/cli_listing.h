#pragma once
// The two commands that only read: the drive list as the Kernel matched it, and the firmware
// table of a folder for one drive.

#include <nlohmann/json.hpp>

#include "quillon/cli/cli_arguments.h"
#include "quillon/cli/cli_session.h"

namespace quillon::cli {

int listDrives(Session& session, const Request& request, const Io& io);
int listFirmware(Session& session, const Request& request, const Io& io);

nlohmann::json driveJson(Kernel& kernel, const DriveRecord& record);
std::string addressText(const DriveRecord& record);
// The folder of the firmware files: the one asked for, else the current folder.
std::string firmwareFolder(const std::optional<std::string>& folder);

}  // namespace quillon::cli
