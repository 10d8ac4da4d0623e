#include "quillon/kernel/matching.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/scratch_folder.h"
#include "quillon/gui/logging.h"
#include "sim/fixtures/oem_builder.h"

namespace quillon {
namespace {

TEST(MatchFWPattern, StarsMatchAnyCharacterOfTheSameLength) {
  struct Case {
    const char* pattern;
    const char* revision;
    ResultCode expected;
  };
  const Case cases[] = {
      {"2.10", "2.10", kSuccess},  {"2.1*", "2.19", kSuccess},   {"****", "A.B1", kSuccess},
      {"2.1*", "2.20", kKnlNoMatch}, {"2.1", "2.10", kKnlNoMatch}, {"****", "????", kSuccess},
      {"", "", kSuccess},          {"2.10", "2.1", kKnlNoMatch},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchFWPattern(c.pattern, c.revision), c.expected) << c.pattern;
}

TEST(Skew, StarsOrLowDriveTypesNeedNoDriveAndOthersCompareTwoCharacters) {
  EXPECT_TRUE(skewMatchesWithoutDrive(2, "AB"));
  EXPECT_TRUE(skewMatchesWithoutDrive(9, "*B"));
  EXPECT_TRUE(skewMatchesWithoutDrive(9, "A*"));
  EXPECT_FALSE(skewMatchesWithoutDrive(3, "AB"));
  EXPECT_EQ(compareSkew("AB", "AB"), kSuccess);
  EXPECT_EQ(compareSkew("AB", "AC"), kKnlNoMatch);
  EXPECT_EQ(compareSkew("AB", "A"), kKnlNoMatch);
}

TEST(FirmwareDateText, DayMonthYearAndUnpaddedMinutes) {
  EXPECT_EQ(firmwareDateText(platform::packDosDate(1999, 12, 31), platform::packDosTime(23, 5, 0)), "31/12/99 23:5");
  EXPECT_EQ(firmwareDateText(platform::packDosDate(2000, 1, 2), platform::packDosTime(0, 0, 0)), "2/1/2000 0:0");
  EXPECT_EQ(firmwareDateText(platform::packDosDate(2003, 7, 14), platform::packDosTime(9, 41, 0)), "14/7/2003 9:41");
}

TEST(LogoFileName, FromTheFirstRecordOrNoneWhenThereIsNoRecord) {
  LogCapture log;
  platform::ScratchFolder folder("logo_test");
  OemReader reader;
  std::string name = "stale";
  EXPECT_EQ(logoFileName(reader, 260, name), kSuccess);
  EXPECT_TRUE(name.empty());
  sim::OemEntry first;
  first.text = "OemLogo.bmp";
  first.vendor = "VORANTE";
  first.product = "VR1204A";
  platform::writeWholeFile(folder.file(kOemFileName), sim::buildOemFile(sim::keyFromSeed(9), {first}));
  ASSERT_EQ(reader.LoadOemFile(folder.path().native()), kOemLoaded);
  EXPECT_EQ(logoFileName(reader, 260, name), kSuccess);
  EXPECT_EQ(name, "OemLogo.bmp");
  EXPECT_EQ(logoFileName(reader, 11, name), kKnlStringTooLong) << "the name needs 12 bytes with its terminator";
}

}  // namespace
}  // namespace quillon
