#include <unistd.h>

#include <iostream>

#include "quillon/cli/cli.h"
#include "quillon/gui/logging.h"

int main(int argc, char** argv) {
  // The status log's lines belong in its file; the terminal gets the command's own output.
  quillon::programLog().setConsole(nullptr);
  quillon::cli::Io io{std::cout, std::cerr, std::cin, ::isatty(STDIN_FILENO) == 1};
  return quillon::cli::runCli(std::vector<std::string>(argv + 1, argv + argc), io);
}
