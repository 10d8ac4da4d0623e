#include "quillon/firmware/fwtool.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "platform/files.h"
#include "platform/scratch_folder.h"
#include "quillon/firmware/model_table.h"
#include "sim/fixtures/oem_builder.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

ToolRun run(std::vector<std::string> args) {
  std::ostringstream out, err;
  int status = runFirmwareTool(args, out, err);
  return {status, out.str(), err.str()};
}

class FirmwareTool : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return folder_.file(name); }

  std::string make(const std::string& name, std::vector<std::string> options) {
    std::vector<std::string> args = {"make", "-o", path(name)};
    args.insert(args.end(), options.begin(), options.end());
    ToolRun made = run(args);
    EXPECT_EQ(made.status, 0) << made.err;
    return path(name);
  }

  nlohmann::json info(const std::string& file, int expectedStatus) {
    ToolRun result = run({"info", "--json", file});
    EXPECT_EQ(result.status, expectedStatus) << result.out << result.err;
    return nlohmann::json::parse(result.out);
  }

  platform::ScratchFolder folder_{"fwtool_test"};
  const std::string m6_{kModelIdentifiers[5]};
};

TEST_F(FirmwareTool, ModelsListsEveryRowAndMarksTheShadowedOne) {
  ToolRun result = run({"models"});
  EXPECT_EQ(result.status, 0);
  std::istringstream lines(result.out);
  std::vector<std::string> rows;
  for (std::string line; std::getline(lines, line);) rows.push_back(line);
  ASSERT_EQ(rows.size(), 37u);
  EXPECT_NE(rows[29].find("(never reached)"), std::string::npos) << rows[29];
  EXPECT_EQ(result.out.find("(never reached)"), result.out.rfind("(never reached)"));
  EXPECT_NE(rows[7].find("EXT 1"), std::string::npos);
}

TEST_F(FirmwareTool, MadeFileIsReportedValidWithEveryKey) {
  std::string file = make("good.cvt", {"--model", m6_, "--revision", "2.10"});
  nlohmann::json report = info(file, 0);
  EXPECT_EQ(report["file"], file);
  EXPECT_EQ(report["driveType"], 6);
  EXPECT_EQ(report["listedDriveType"], 6);
  EXPECT_EQ(report["revision"], "2.10");
  EXPECT_EQ(report["size"], 262144);
  EXPECT_EQ(report["length"], 262144);
  EXPECT_EQ(report["linear"], report["storedLinear"]);
  EXPECT_EQ(report["rotated"], report["storedRotated"]);
  EXPECT_EQ(report["result"], "0x00000000");
  EXPECT_TRUE(report["header"].get<std::string>().starts_with("Vorante " + m6_));
}

TEST_F(FirmwareTool, BrokenFilesGiveTheResultAndItsExplanation) {
  struct Case {
    std::string file;
    std::string result;
    std::string reasonStart;
  };
  std::string badRotated = make("bad.cvt", {"--model", m6_, "--bad-rotated", "--fill", "00"});
  std::string wrongSize = make("size.cvt", {"--model", m6_, "--size", "0x80000"});
  const Case cases[] = {
      {badRotated, "0x02000067", "CheckFWchecksum: Calculated rotated checksum <"},
      {wrongSize, "0x02000067", "CheckFW: Invalid FW: invalid size"},
      {path("missing.cvt"), "0x03000064", "Unable to locate file : "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    nlohmann::json report = info(c.file, 1);
    EXPECT_EQ(report["result"], c.result);
    EXPECT_TRUE(report["reason"].get<std::string>().starts_with(c.reasonStart)) << report["reason"];
    EXPECT_TRUE(report["message"].get<std::string>().starts_with("FWI: ")) << report["message"];
  }
}

TEST_F(FirmwareTool, ShortAndWrappedFilesReportOnlyWhatTheyHold) {
  std::vector<std::uint8_t> bytes(40, ' ');
  std::copy(m6_.begin(), m6_.end(), bytes.begin() + 8);
  for (int i = 0; i < 4; ++i) bytes[32 + i] = 0xFF;
  std::string wrapped = path("wrapped.cvt");
  ASSERT_EQ(platform::writeWholeFile(wrapped, bytes), platform::FileError::None);
  nlohmann::json report = info(wrapped, 1);
  EXPECT_EQ(report["size"], 0xFFFFFFFFu);
  EXPECT_EQ(report["length"], 0x100000000ull);
  EXPECT_TRUE(report["storedLinear"].is_null());
  EXPECT_TRUE(report["storedRotated"].is_null());

  bytes.resize(10);
  std::string tiny = path("tiny.cvt");
  ASSERT_EQ(platform::writeWholeFile(tiny, bytes), platform::FileError::None);
  report = info(tiny, 1);
  EXPECT_TRUE(report["size"].is_null());
  EXPECT_TRUE(report["linear"].is_null());
  EXPECT_EQ(report["result"], "0x02000067");
}

TEST_F(FirmwareTool, OneLinePerFileAndStatusOneWhenAnyIsInvalid) {
  std::string good = make("a.cvt", {"--model", m6_});
  ToolRun result = run({"info", "--json", good, path("missing.cvt")});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 2);
  EXPECT_EQ(run({"info", good}).status, 0);
}

TEST_F(FirmwareTool, OemPrintsTheUnscrambledRecords) {
  sim::OemEntry record;
  record.text = "Logo.bmp";
  record.vendor = "VORANTE";
  record.product = m6_;
  record.driveType = 6;
  sim::OemEntry corrupt = record;
  corrupt.length = 80;
  std::string file = path("Quillon.oem");
  ASSERT_EQ(platform::writeWholeFile(file, sim::buildOemFile(sim::keyFromSeed(5), {record, corrupt})),
            platform::FileError::None);
  ToolRun result = run({"oem", "--json", file});
  EXPECT_EQ(result.status, 1) << "the corrupt second record";
  nlohmann::json first = nlohmann::json::parse(result.out);
  EXPECT_EQ(first["product"], m6_);
  EXPECT_EQ(first["driveType"], 6);
  EXPECT_NE(result.err.find("CIM: OEM file corrupt."), std::string::npos);
  EXPECT_EQ(run({"oem", path("missing.oem")}).status, 1);
}

TEST_F(FirmwareTool, BadUsageExitsWithTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"info"},
      {"info", "--block", "abc", "x"},
      {"info", "--bogus", "x"},
      {"make", "--model", m6_},
      {"make", "--model", "SHORT", "-o", path("x")},
      {"make", "--model", m6_, "--form", "C", "-o", path("x")},
      {"make", "--model", m6_, "--fill", "xyz", "-o", path("x")},
      {"oem"},
      {"oem", "a", "b"},
  };
  for (const auto& args : cases) {
    ToolRun result = run(args);
    EXPECT_EQ(result.status, 2) << (args.empty() ? "" : args[0]);
    EXPECT_NE(result.err.find("usage:"), std::string::npos);
  }
}

}  // namespace
}  // namespace quillon
