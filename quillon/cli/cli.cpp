#include "quillon/cli/cli.h"

#include <ostream>

#include "quillon/cli/cli_arguments.h"
#include "quillon/cli/cli_flash.h"
#include "quillon/cli/cli_listing.h"
#include "quillon/cli/cli_settings.h"

namespace quillon::cli {

int runCli(const std::vector<std::string>& args, const Io& io) {
  Parsed parsed = parseArguments(args);
  if (!parsed.request) {
    io.err << "quillon-cli: " << parsed.error << '\n' << kUsage;
    return 2;
  }
  const Request& request = *parsed.request;
  Session session;
  switch (request.command) {
    case Command::Drives:
      return listDrives(session, request, io);
    case Command::Firmware:
      return listFirmware(session, request, io);
    case Command::Flash:
      return flashDrive(session, request, io);
    case Command::Settings:
      return driveSettings(session, request, io);
  }
  return 2;
}

}  // namespace quillon::cli
