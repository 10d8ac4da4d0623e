#include "quillon/firmware/model_table.h"

#include <gtest/gtest.h>

#include <set>

#include "quillon/gui/logging.h"

namespace quillon {
namespace {

TEST(ModelTable, HasThirtyFourDistinctSevenCharacterIdentifiersInOrderOfFirstAppearance) {
  std::set<std::string_view> seen(kModelIdentifiers.begin(), kModelIdentifiers.end());
  EXPECT_EQ(seen.size(), 34u);
  for (auto id : kModelIdentifiers) EXPECT_EQ(id.size(), kModelIdentifierLength) << id;
  int nextNew = 1;
  for (const ModelRow& row : kModelTable) {
    if (row.model == nextNew) ++nextNew;
    EXPECT_LE(row.model, nextNew - 1) << "row " << row.row;
  }
}

TEST(ModelToDriveType, FollowsTheTableWithItsExtCondition) {
  struct Case {
    int model;
    bool ext;
    int driveType;
  };
  const Case cases[] = {{1, false, 1}, {6, false, 6}, {6, true, 8},   {7, true, 7},  {15, false, 30},
                        {23, false, 27}, {24, false, 23}, {31, false, 35}, {34, false, 34}};
  for (const Case& c : cases)
    EXPECT_EQ(ModelToDriveType(kModelIdentifiers[c.model - 1], c.ext), c.driveType) << "M" << c.model;
}

TEST(ModelToDriveType, UnknownOrCaseChangedIdentifierGivesZeroAndALogLine) {
  LogCapture log;
  std::string lower(kModelIdentifiers[0]);
  for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  EXPECT_EQ(ModelToDriveType(lower, false), 0);
  EXPECT_TRUE(log.contains(LogLevel::Warn, "FWI: Illegal drive type <" + lower + ">"));
}

TEST(ChecksumClass, SortsEveryDriveType) {
  for (int t = 0; t <= 36; ++t) {
    ChecksumClass expected = ChecksumClass::Two;
    if (t == 0 || t == 36) expected = ChecksumClass::Unknown;
    if (t == 1) expected = ChecksumClass::One;
    if (t == 22 || t == 23 || (t >= 27 && t <= 29) || t == 33 || t == 34) expected = ChecksumClass::NotFlashable;
    EXPECT_EQ(checksumClass(t), expected) << "drive type " << t;
  }
}

TEST(LengthAccepted, FollowsTheSizeRules) {
  EXPECT_TRUE(lengthAccepted(1, kPlainFirmware, 0x40000));
  EXPECT_FALSE(lengthAccepted(1, kPlainFirmware, 0x80000));
  EXPECT_TRUE(lengthAccepted(7, kPlainFirmware, 0x80000));
  EXPECT_TRUE(lengthAccepted(35, kPlainFirmware, 0x200000));
  EXPECT_TRUE(lengthAccepted(14, kCdPart, 0x80000));
  EXPECT_FALSE(lengthAccepted(14, kCdPart, 0x40000));
  EXPECT_TRUE(lengthAccepted(30, kDvdPart, 0x40000));
  EXPECT_TRUE(lengthAccepted(25, kPlainFirmware, 12345)) << "any length for other parts";
  EXPECT_FALSE(lengthAccepted(22, kPlainFirmware, 0x40000));
}

}  // namespace
}  // namespace quillon
