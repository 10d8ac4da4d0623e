// A small suite program for simpc's tests: prints the folder it runs in and the drive
// letters its host's bus has, ejects the tray of drive D:, and with the argument "restart"
// asks Windows to restart. Exits with status 3, so that the status is seen to come through.

#include <cstdint>
#include <iostream>
#include <string>

#include "platform/files.h"
#include "platform/host.h"
#include "platform/system.h"

int main(int argc, char** argv) {
  platform::ScsiBus* bus = platform::host().bus();
  if (!bus) return 10;
  std::cout << "folder " << platform::currentFolder().value_or("?") << "\nletters ";
  for (char letter = 'C'; letter <= 'Z'; ++letter)
    if (bus->addressOfLetter(letter)) std::cout << letter;
  std::cout << '\n';
  const std::uint8_t eject[] = {0x1B, 0x00, 0x00, 0x00, 0x02, 0x00};
  platform::ScsiCommand command;
  command.cdb = eject;
  platform::ScsiOutcome outcome = bus->execute(*bus->addressOfLetter('D'), command);
  std::cout << "eject status " << int(outcome.status) << '\n';
  if (argc > 1 && std::string(argv[1]) == "restart") {
    platform::EnableShutdownPrivilege();
    platform::ExitWindowsEx(platform::EWX_REBOOT, 0);
  }
  return 3;
}
