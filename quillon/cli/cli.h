#pragma once
// quillon-cli: the Kernel's command-line face for administrators and scripts. Exit status:
// 0 done, 1 a failure (the catalogue text says which), 2 bad usage or a refusal to ask.

#include <string>
#include <vector>

#include "quillon/cli/cli_session.h"

namespace quillon::cli {

int runCli(const std::vector<std::string>& args, const Io& io);

}  // namespace quillon::cli
