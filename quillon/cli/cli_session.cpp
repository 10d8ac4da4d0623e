#include "quillon/cli/cli_session.h"

#include <fmt/ostream.h>

#include "parlex/Lngstring.h"

namespace quillon::cli {

Session::Session() { listResult_ = kernel_.GetDriveList(count_, drives_); }

std::string catalogueLine(ResultCode code) {
  return fmt::format("0x{:08X} {}", code, TlngString().String(static_cast<std::int32_t>(code)));
}

int failWith(const Io& io, ResultCode code) {
  fmt::print(io.err, "quillon-cli: {}\n", catalogueLine(code));
  return 1;
}

int failWith(const Io& io, const std::string& text, int status) {
  fmt::print(io.err, "quillon-cli: {}\n", text);
  return status;
}

}  // namespace quillon::cli
