#include "quillon/cli/cli_arguments.h"

#include <gtest/gtest.h>

#include "quillon/cli/flash_progress.h"

namespace quillon::cli {
namespace {

std::vector<std::string> words(std::initializer_list<const char*> list) { return {list.begin(), list.end()}; }

TEST(CliArguments, ReadsEachCommandWithItsOptions) {
  Parsed drives = parseArguments(words({"drives", "--json"}));
  ASSERT_TRUE(drives.request);
  EXPECT_EQ(drives.request->command, Command::Drives);
  EXPECT_TRUE(drives.request->json);

  Parsed firmware = parseArguments(words({"firmware", "--drive", "2", "--folder", "/tmp/fw"}));
  ASSERT_TRUE(firmware.request);
  EXPECT_EQ(firmware.request->drive, 2);
  EXPECT_EQ(firmware.request->folder, "/tmp/fw");

  Parsed flash = parseArguments(words({"flash", "--drive", "0", "A.CVT", "--yes"}));
  ASSERT_TRUE(flash.request);
  EXPECT_EQ(flash.request->command, Command::Flash);
  EXPECT_EQ(flash.request->file, "A.CVT");
  EXPECT_TRUE(flash.request->yes);
  EXPECT_FALSE(flash.request->json);

  Parsed settings = parseArguments(words({"settings", "--drive", "1", "--switch-off", "--yes", "--json"}));
  ASSERT_TRUE(settings.request);
  EXPECT_EQ(settings.request->command, Command::Settings);
  EXPECT_EQ(settings.request->drive, 1);
  EXPECT_TRUE(settings.request->switchOff);
  EXPECT_TRUE(settings.request->yes);
}

TEST(CliArguments, RefusesWhatItCannotCarryOut) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{}, "no command"},
      {words({"erase"}), "unknown command"},
      {words({"firmware"}), "--drive N is needed"},
      {words({"firmware", "--drive"}), "--drive needs"},
      {words({"firmware", "--drive", "-1"}), "--drive needs"},
      {words({"firmware", "--drive", "1x"}), "--drive needs"},
      {words({"flash", "--drive", "0"}), "flash needs the firmware FILE"},
      {words({"flash", "--drive", "0", "A.CVT", "B.CVT"}), "unexpected 'B.CVT'"},
      {words({"drives", "--yes"}), "unexpected '--yes'"},
      {words({"drives", "--drive", "0"}), "unexpected '--drive'"},
      {words({"flash", "--drive", "0", "A.CVT", "--folder", "x"}), "unexpected '--folder'"},
      {words({"flash", "--drive", "0", "A.CVT", "--switch-off"}), "unexpected '--switch-off'"},
      {words({"settings", "--switch-off"}), "--drive N is needed"},
      {words({"settings", "--drive", "0", "--yes"}), "--yes goes with --switch-off"},
      {words({"settings", "--drive", "0", "A.CVT"}), "unexpected 'A.CVT'"},
  };
  for (const auto& [args, message] : cases) {
    Parsed parsed = parseArguments(args);
    EXPECT_FALSE(parsed.request);
    EXPECT_TRUE(parsed.error.starts_with(message)) << parsed.error;
  }
}

TEST(ProgressBar, FillsTwentyMarksAndStaysWithinItsBounds) {
  EXPECT_EQ(progressBar(0, "x"), "[....................]   0%  x");
  EXPECT_EQ(progressBar(50, "x"), "[##########..........]  50%  x");
  EXPECT_EQ(progressBar(250, "x"), "[####################] 100%  x");
  EXPECT_EQ(progressBar(-3, "x"), "[....................]   0%  x");
}

}  // namespace
}  // namespace quillon::cli
