#pragma once
// quillon-fw: a tool for the people who prepare and check firmware files.
//   quillon-fw models
//   quillon-fw info [--part N] [--block N] [--json] FILE...
//   quillon-fw make --model ID [--form A|B] [--ext] [--revision RRRR] [--size S]
//                   [--fill PATTERN] [--bad-linear] [--bad-rotated] -o FILE
//   quillon-fw oem [--json] FILE

#include <iosfwd>
#include <string>
#include <vector>

namespace quillon {

// Exit status: 0 all files valid (or done), 1 a file invalid or not written, 2 bad usage.
int runFirmwareTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace quillon
