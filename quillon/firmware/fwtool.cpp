#include "quillon/firmware/fwtool.h"

#include <fmt/format.h>
#include <fmt/ostream.h>

#include <charconv>
#include <optional>
#include <ostream>

#include "platform/files.h"
#include "quillon/firmware/file_report.h"
#include "parlex/Lngstring.h"
#include "quillon/firmware/model_table.h"
#include "quillon/gui/logging.h"
#include "quillon/kernel/oem_file.h"
#include "sim/fixtures/firmware_builder.h"

namespace quillon {
namespace {

constexpr const char* kUsage =
    "usage: quillon-fw models\n"
    "       quillon-fw info [--part N] [--block N] [--json] FILE...\n"
    "       quillon-fw make --model ID [--form A|B] [--ext] [--revision RRRR] [--size S]\n"
    "                       [--fill random|HEX] [--bad-linear] [--bad-rotated] -o FILE\n"
    "       quillon-fw oem [--json] FILE\n";

constexpr int kExitOk = 0;
constexpr int kExitInvalid = 1;
constexpr int kExitUsage = 2;

struct UsageError {
  std::string message;
};

// Decimal, or hexadecimal with 0x.
std::uint32_t parseNumber(const std::string& text, const std::string& option) {
  bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* first = text.data() + (hex ? 2 : 0);
  const char* last = text.data() + text.size();
  std::uint32_t value = 0;
  auto [end, error] = std::from_chars(first, last, value, hex ? 16 : 10);
  if (error != std::errc() || end != last || first == last) throw UsageError{option + " needs a number, not '" + text + "'"};
  return value;
}

// Walks the arguments of one command; options may come in any order before or among files.
class Arguments {
 public:
  explicit Arguments(const std::vector<std::string>& args) : args_(args) {}
  bool done() const { return next_ >= args_.size(); }
  const std::string& take() { return args_[next_++]; }
  const std::string& value(const std::string& option) {
    if (done()) throw UsageError{option + " needs a value"};
    return take();
  }

 private:
  const std::vector<std::string>& args_;
  std::size_t next_ = 1;
};

const char* conditionText(ExtCondition condition) {
  switch (condition) {
    case ExtCondition::Any: return "-";
    case ExtCondition::ExtOff: return "EXT 0";
    case ExtCondition::ExtOn: return "EXT 1";
  }
  return "-";
}

const char* checksumText(ChecksumClass checksums) {
  switch (checksums) {
    case ChecksumClass::One: return "linear";
    case ChecksumClass::Two: return "linear+rotated";
    case ChecksumClass::NotFlashable: return "other flasher";
    case ChecksumClass::Unknown: return "unknown";
  }
  return "unknown";
}

// A row is never reached when an earlier row already takes every header it would match.
bool reachable(const ModelRow& row) {
  for (const ModelRow& earlier : kModelTable) {
    if (earlier.row == row.row) break;
    if (earlier.model == row.model && (earlier.condition == ExtCondition::Any || earlier.condition == row.condition))
      return false;
  }
  return true;
}

int listModels(std::ostream& out) {
  constexpr const char* kRowFormat = "{:>3}  {:<7}  {:<9}  {:>4}  {:<14}  {}{}\n";
  fmt::print(out, kRowFormat, "ROW", "MODEL", "CONDITION", "TYPE", "CHECKSUMS", "ACCEPTED LENGTHS", "");
  for (const ModelRow& row : kModelTable)
    fmt::print(out, kRowFormat, row.row, modelIdentifier(row), conditionText(row.condition), row.driveType,
               checksumText(checksumClass(row.driveType)), describeAcceptedLengths(row.driveType),
               reachable(row) ? "" : "  (never reached)");
  return kExitOk;
}

std::string hex16(const std::optional<std::uint16_t>& value) {
  return value ? fmt::format("0x{:04X}", *value) : "-";
}

void printReport(std::ostream& out, const FileReport& report) {
  fmt::print(out, "{}\n", report.file);
  fmt::print(out, "  header     {}\n", report.header.empty() ? "-" : report.header);
  fmt::print(out, "  drive type {} (listed as {}), revision {}\n", report.driveType, report.listedDriveType,
             report.revision);
  if (report.size)
    fmt::print(out, "  size       S {}, L {}\n", *report.size, *report.length);
  if (report.linear)
    fmt::print(out, "  checksums  linear {} (stored {}), rotated {} (stored {})\n", hex16(report.linear),
               hex16(report.storedLinear), hex16(report.rotated), hex16(report.storedRotated));
  if (report.valid())
    fmt::print(out, "  verdict    valid\n");
  else
    fmt::print(out, "  verdict    INVALID 0x{:08X} {}\n             {}\n", report.result, report.message,
               report.reason);
}

int infoCommand(const std::vector<std::string>& args, std::ostream& out) {
  Arguments in(args);
  std::uint32_t block = 16384;
  int part = kPlainFirmware;
  bool json = false;
  std::vector<std::string> files;
  while (!in.done()) {
    const std::string& arg = in.take();
    if (arg == "--json") json = true;
    else if (arg == "--block") block = parseNumber(in.value(arg), arg);
    else if (arg == "--part") part = static_cast<int>(parseNumber(in.value(arg), arg));
    else if (arg.starts_with("--")) throw UsageError{"unknown option " + arg};
    else files.push_back(arg);
  }
  if (files.empty()) throw UsageError{"info needs at least one file"};
  int status = kExitOk;
  for (const std::string& file : files) {
    FileReport report = examineFile(file, block, part);
    if (!report.valid()) status = kExitInvalid;
    if (json)
      out << toJson(report).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    else
      printReport(out, report);
  }
  return status;
}

int makeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Arguments in(args);
  sim::FirmwareSpec spec;
  std::string output;
  while (!in.done()) {
    const std::string& arg = in.take();
    if (arg == "--model") spec.model = in.value(arg);
    else if (arg == "--form") {
      const std::string& form = in.value(arg);
      if (form != "A" && form != "B") throw UsageError{"--form is A or B"};
      spec.form = form[0];
    } else if (arg == "--ext") spec.ext = true;
    else if (arg == "--revision") spec.revision = in.value(arg);
    else if (arg == "--size") spec.size = parseNumber(in.value(arg), arg);
    else if (arg == "--fill") spec.fill = sim::parseFill(in.value(arg));
    else if (arg == "--bad-linear") spec.badLinear = true;
    else if (arg == "--bad-rotated") spec.badRotated = true;
    else if (arg == "-o") output = in.value(arg);
    else throw UsageError{"unknown argument " + arg};
  }
  if (spec.model.empty() || output.empty()) throw UsageError{"make needs --model and -o"};
  std::vector<std::uint8_t> bytes = sim::buildFirmware(spec);
  if (platform::writeWholeFile(output, bytes) != platform::FileError::None) {
    fmt::print(err, "quillon-fw: cannot write {}\n", output);
    return kExitInvalid;
  }
  fmt::print(out, "{}: {} bytes for {}\n", output, bytes.size(), spec.model);
  return kExitOk;
}

nlohmann::json oemJson(std::size_t index, const OemRecord& record) {
  return {{"index", index},          {"text", record.text},
          {"vendor", record.vendor}, {"product", record.product},
          {"skew", record.skew},     {"revisionPattern", record.revisionPattern},
          {"driveType", record.driveType}};
}

int oemCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Arguments in(args);
  bool json = false;
  std::string file;
  while (!in.done()) {
    const std::string& arg = in.take();
    if (arg == "--json") json = true;
    else if (arg.starts_with("--") || !file.empty()) throw UsageError{"oem takes one file and --json"};
    else file = arg;
  }
  if (file.empty()) throw UsageError{"oem needs a file"};
  LogCapture log;
  OemReader reader;
  ResultCode result = reader.LoadOemFrom(file);
  const auto& records = reader.list();
  for (std::size_t i = 0; i < records.size(); ++i) {
    const OemRecord& r = records[i];
    if (json)
      out << oemJson(i, r).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    else
      fmt::print(out, "{:>3}  {:<21}  {:<17}  {:<17}  {:<3}  {:<5}  {}\n", i, r.text, r.vendor, r.product, r.skew,
                 r.revisionPattern, r.driveType);
  }
  if (result == kOemLoaded) return kExitOk;
  fmt::print(err, "quillon-fw: {}: 0x{:08X} {}\n", file, result, TlngString().String(static_cast<std::int32_t>(result)));
  return kExitInvalid;
}

}  // namespace

int runFirmwareTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    if (args.empty()) throw UsageError{"no command"};
    const std::string& command = args[0];
    if (command == "models" && args.size() == 1) return listModels(out);
    if (command == "info") return infoCommand(args, out);
    if (command == "make") return makeCommand(args, out, err);
    if (command == "oem") return oemCommand(args, out, err);
    throw UsageError{"unknown command " + command};
  } catch (const UsageError& error) {
    fmt::print(err, "quillon-fw: {}\n{}", error.message, kUsage);
  } catch (const sim::BuildError& error) {
    fmt::print(err, "quillon-fw: {}\n{}", error.what(), kUsage);
  }
  return kExitUsage;
}

}  // namespace quillon
